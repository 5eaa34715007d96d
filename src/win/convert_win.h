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

inline LOGFONTA ToLOGFONT(const SLogFont& f) {
    static_assert(sizeof(f.lfFaceName) == sizeof(LOGFONTA::lfFaceName), "face sizes differ");
    LOGFONTA lf{};
    lf.lfHeight = f.lfHeight;
    lf.lfWidth = f.lfWidth;
    lf.lfEscapement = f.lfEscapement;
    lf.lfOrientation = f.lfOrientation;
    lf.lfWeight = f.lfWeight;
    lf.lfItalic = f.lfItalic;
    lf.lfUnderline = f.lfUnderline;
    lf.lfStrikeOut = f.lfStrikeOut;
    lf.lfCharSet = f.lfCharSet;
    lf.lfOutPrecision = f.lfOutPrecision;
    lf.lfClipPrecision = f.lfClipPrecision;
    lf.lfQuality = f.lfQuality;
    lf.lfPitchAndFamily = f.lfPitchAndFamily;
    std::memcpy(lf.lfFaceName, f.lfFaceName, sizeof lf.lfFaceName);
    lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    return lf;
}

inline SLogFont ToSLogFont(const LOGFONTA& lf) {
    SLogFont f;
    f.lfHeight = lf.lfHeight;
    f.lfWidth = lf.lfWidth;
    f.lfEscapement = lf.lfEscapement;
    f.lfOrientation = lf.lfOrientation;
    f.lfWeight = lf.lfWeight;
    f.lfItalic = lf.lfItalic;
    f.lfUnderline = lf.lfUnderline;
    f.lfStrikeOut = lf.lfStrikeOut;
    f.lfCharSet = lf.lfCharSet;
    f.lfOutPrecision = lf.lfOutPrecision;
    f.lfClipPrecision = lf.lfClipPrecision;
    f.lfQuality = lf.lfQuality;
    f.lfPitchAndFamily = lf.lfPitchAndFamily;
    std::memcpy(f.lfFaceName, lf.lfFaceName, sizeof f.lfFaceName);
    f.lfFaceName[SLogFont::kFaceSize - 1] = '\0';
    return f;
}

// A font object built from a stored description, which holds its sizes at 96 DPI.
inline CFontHandle CreateStoredFont(const SLogFont& font, int dpi = 96) {
    LOGFONTA lf = ToLOGFONT(font);
    lf.lfHeight = ScaleToDpi(lf.lfHeight, dpi);
    lf.lfWidth = ScaleToDpi(lf.lfWidth, dpi);
    return CFontHandle(::CreateFontIndirectA(&lf));
}
