#include "win/fonts_win.h"

#include "win/common_dialogs_win.h"
#include "win/convert_win.h"

std::unique_ptr<CFontHandle> CreateTahomaFont(int kind, int dpi) {
    LOGFONTA lf{};
    lf.lfHeight = ScaleToDpi(kind == 4 ? -8 : -11, dpi);
    lf.lfWeight = kind == 2 ? 600 : FW_DONTCARE;
    lf.lfItalic = kind == 1 ? TRUE : FALSE;
    lf.lfUnderline = kind == 3 ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(lf.lfFaceName, "Tahoma", LF_FACESIZE);
    return std::make_unique<CFontHandle>(CreateFontIndirectA(&lf));
}

namespace {

int CALLBACK FoundFace(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(HDC dc, const LOGFONTA& font) {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(wanted.lfFaceName, font.lfFaceName, LF_FACESIZE);
    bool found = false;
    ::EnumFontFamiliesExA(dc, &wanted, &FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// A stored face that is not installed is drawn in one the system puts in its place: the dialog
// opens on that one, so that it shows, and OK keeps, what the user sees.
void ToFaceDrawn(LOGFONTA& font) {
    const HDC dc = ::GetDC(nullptr);
    if (dc == nullptr) {
        return;
    }
    if (font.lfFaceName[0] != '\0' && !FaceInstalled(dc, font)) {
        const HFONT created = ::CreateFontIndirectA(&font);
        const HGDIOBJ old = ::SelectObject(dc, created);
        char face[LF_FACESIZE] = {};
        TEXTMETRICA metrics{};
        if (::GetTextFaceA(dc, LF_FACESIZE, face) > 0 && ::GetTextMetricsA(dc, &metrics)) {
            lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
            font.lfCharSet = metrics.tmCharSet;
        }
        ::SelectObject(dc, old);
        ::DeleteObject(created);
    }
    ::ReleaseDC(nullptr, dc);
}

} // namespace

bool ChooseStoredFont(HWND owner, SLogFont& stored) {
    LOGFONTA lf = ToLOGFONT(stored);
    ToFaceDrawn(lf);
    if (!ChooseFontFor(owner, lf, CF_SCREENFONTS | CF_EFFECTS)) {
        return false;
    }
    stored = ToSLogFont(lf);
    return true;
}
