// A font description as plain data, so that every part can keep fonts without the platform.
#pragma once

#include <cstdint>
#include <string>

// The platform's ANSI font description, field for field, so that every part can hold fonts
// without <windows.h>.
struct SLogFont {
    static constexpr int kFaceSize = 32;

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[kFaceSize] = {};

    std::string Face() const;
    // Copies at most 31 bytes, up to the text's first zero byte, and terminates the field.
    void SetFace(const std::string& face);
};

bool operator==(const SLogFont& a, const SLogFont& b);
inline bool operator!=(const SLogFont& a, const SLogFont& b) {
    return !(a == b);
}

// Height -11, face "Tahoma", every other member 0: what a Tahoma font created with those values
// reads back as on Windows.
void FillDefaultLogFont(SLogFont& font);

// What the calendar keeps of a chosen font: no escapement, weight, underline, strike-out or
// output precision.
void CleanCalendarFont(SLogFont& font);
