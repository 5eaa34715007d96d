// Making the fixed Tahoma fonts, and letting the user choose a stored font.
#include "win/fonts_win.h"

#include "win/common_dialogs_win.h"
#include "win/convert_win.h"

std::unique_ptr<CFontHandle> CreateTahomaFont(int kind, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = ScaleToDpi(kind == 4 ? -8 : -11, dpi);
    lf.lfWeight = kind == 2 ? 600 : FW_DONTCARE;
    lf.lfItalic = kind == 1 ? TRUE : FALSE;
    lf.lfUnderline = kind == 3 ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    return std::make_unique<CFontHandle>(::CreateFontIndirectW(&lf));
}

namespace {

int CALLBACK FoundFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool FaceInstalled(HDC dc, const LOGFONTW& font) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, font.lfFaceName, LF_FACESIZE);
    bool found = false;
    ::EnumFontFamiliesExW(dc, &wanted, &FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

// A stored face that is not installed is drawn in one the system puts in its place: the dialog
// opens on that one, so that it shows, and OK keeps, what the user sees.
void ToFaceDrawn(LOGFONTW& font) {
    const HDC dc = ::GetDC(nullptr);
    if (dc == nullptr) {
        return;
    }
    if (font.lfFaceName[0] != '\0' && !FaceInstalled(dc, font)) {
        const HFONT created = ::CreateFontIndirectW(&font);
        const HGDIOBJ old = ::SelectObject(dc, created);
        wchar_t face[LF_FACESIZE] = {};
        TEXTMETRICW metrics{};
        if (::GetTextFaceW(dc, LF_FACESIZE, face) > 0 && ::GetTextMetricsW(dc, &metrics)) {
            lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
            font.lfCharSet = metrics.tmCharSet;
        }
        ::SelectObject(dc, old);
        ::DeleteObject(created);
    }
    ::ReleaseDC(nullptr, dc);
}

} // namespace

bool ChooseStoredFont(HWND owner, SLogFont& stored) {
    LOGFONTW lf = ToLOGFONT(stored);
    ToFaceDrawn(lf);
    if (!ChooseFontFor(owner, lf, CF_SCREENFONTS | CF_EFFECTS)) {
        return false;
    }
    stored = ToSLogFont(lf);
    return true;
}
