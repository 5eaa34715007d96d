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

bool ChooseStoredFont(HWND owner, SLogFont& stored) {
    LOGFONTA lf = ToLOGFONT(stored);
    if (!ChooseFontFor(owner, lf, CF_SCREENFONTS | CF_EFFECTS)) {
        return false;
    }
    stored = ToSLogFont(lf);
    return true;
}
