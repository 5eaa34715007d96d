// Font descriptions as data: the face field, comparison, the default font and the calendar's.
#include "base/log_font.h"

#include <cstring>

std::string SLogFont::Face() const {
    return std::string(lfFaceName, strnlen(lfFaceName, kFaceSize));
}

void SLogFont::SetFace(const std::string& face) {
    std::memset(lfFaceName, 0, kFaceSize);
    const size_t n = strnlen(face.c_str(), kFaceSize - 1);
    std::memcpy(lfFaceName, face.data(), n);
}

bool operator==(const SLogFont& a, const SLogFont& b) {
    return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
           a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight &&
           a.lfItalic == b.lfItalic && a.lfUnderline == b.lfUnderline &&
           a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
           a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
           a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
           std::memcmp(a.lfFaceName, b.lfFaceName, SLogFont::kFaceSize) == 0;
}

void FillDefaultLogFont(SLogFont& font) {
    font = SLogFont();
    font.lfHeight = -11;
    font.SetFace("Tahoma");
}

void CleanCalendarFont(SLogFont& font) {
    font.lfEscapement = 0;
    font.lfWeight = 0;
    font.lfUnderline = 0;
    font.lfStrikeOut = 0;
    font.lfOutPrecision = 0;
}
