// Conversions between the portable records and the platform's: rectangles and fonts.
#pragma once

#include "base/layout.h"

#include "base/geometry.h"
#include "base/log_font.h"
#include "win/handles_win.h"

#include <windows.h>

#include <cstring>

inline RECT ToRECT(const SRect& r) {
    return RECT{r.left, r.top, r.right, r.bottom};
}
inline SRect ToSRect(const RECT& r) {
    return SRect{r.left, r.top, r.right, r.bottom};
}

// The fields of a font description. The stored face is held in the code page, as the settings
// file keeps it; the system's wide form is made from it here.
template <typename From, typename To> void CopyFontFields(const From& from, To& to) {
    to.lfHeight = from.lfHeight;
    to.lfWidth = from.lfWidth;
    to.lfEscapement = from.lfEscapement;
    to.lfOrientation = from.lfOrientation;
    to.lfWeight = from.lfWeight;
    to.lfItalic = from.lfItalic;
    to.lfUnderline = from.lfUnderline;
    to.lfStrikeOut = from.lfStrikeOut;
    to.lfCharSet = from.lfCharSet;
    to.lfOutPrecision = from.lfOutPrecision;
    to.lfClipPrecision = from.lfClipPrecision;
    to.lfQuality = from.lfQuality;
    to.lfPitchAndFamily = from.lfPitchAndFamily;
}

inline LOGFONTW ToLOGFONT(const SLogFont& f) {
    LOGFONTW lf{};
    CopyFontFields(f, lf);
    const int bytes = static_cast<int>(strnlen(f.lfFaceName, SLogFont::kFaceSize - 1));
    ::MultiByteToWideChar(CP_ACP, 0, f.lfFaceName, bytes, lf.lfFaceName, LF_FACESIZE - 1);
    return lf;
}

inline SLogFont ToSLogFont(const LOGFONTW& lf) {
    SLogFont f;
    CopyFontFields(lf, f);
    char face[LF_FACESIZE * 2] = {};
    ::WideCharToMultiByte(CP_ACP, 0, lf.lfFaceName, -1, face, sizeof face - 1, nullptr, nullptr);
    f.SetFace(face);
    return f;
}

// A font object built from a stored description, which holds its sizes at 96 DPI.
inline CFontHandle CreateStoredFont(const SLogFont& font, int dpi = 96) {
    LOGFONTW lf = ToLOGFONT(font);
    lf.lfHeight = ScaleToDpi(lf.lfHeight, dpi);
    lf.lfWidth = ScaleToDpi(lf.lfWidth, dpi);
    return CFontHandle(::CreateFontIndirectW(&lf));
}
