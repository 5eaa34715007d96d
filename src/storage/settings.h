#pragma once

#include "base/geometry.h"

#include <cstdint>
#include <string>

class IArchiveStream;

// The platform's ANSI font description, field for field, so the core can hold fonts without
// <windows.h>.
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

// Every persistent option of the main window.
struct SSettings {
    int32_t nShape = 0;
    int32_t nColor = 0;
    int32_t nGradient = 0;
    int32_t nTimeFormat = 43;
    int32_t nRadius = 15; // not stored in the file
    int32_t nFullView = 1;
    int32_t nRoom = 0;
    bool bLockMoving = false;
    bool bAlwaysTop = false;
    bool bMondayFirst = false;
    bool bWeekNumbers = false;
    int32_t nReserved1 = 0;
    int32_t nReserved2 = 0;
    int32_t nReserved3 = 0;
    SPoint ptPos;
    SLogFont lfTitle;
    SLogFont lfNotes;
    SLogFont lfCalendar;
    std::string strCustomFormat = "%d %B";
    std::string strReserved;
};

// The byte shift of the scrambled texts of the settings file.
constexpr uint8_t kScrambleK = 0x3B;

std::string ScrambleText(const std::string& text, bool unscramble);

// Height -11, face "Tahoma", every other member 0: what a Tahoma font created with those values
// reads back as on Windows.
void FillDefaultLogFont(SLogFont& font);

bool IsPointOnDesktop(SPoint point, const SRect& desktop);
SPoint CentreOnDesktop(const SRect& window, const SRect& desktop);

// Fills every stored field with its default; the position is centred for the given window.
void SetDefaultSettings(SSettings& settings, const SRect& window, const SRect& desktop);

// Takes the window's current top-left corner into ptPos (centred when it is off the desktop);
// leaves ptPos alone while the window's left or right edge is 0.
void RefreshStoredPosition(SSettings& settings, const SRect& window, const SRect& desktop);

// The file's bytes for a record, and the reader over any stream.
std::string SerializeSettings(const SSettings& settings);
bool ReadSettings(SSettings& settings, IArchiveStream& stream);

// Refreshes ptPos from the window rectangle, then replaces the file. True when the whole file was
// written; on false the previous file is untouched.
bool SaveSettings(SSettings& settings, const std::string& path, const SRect& window,
                  const SRect& desktop);
// True when every field was read. Fields read before a failure keep their new values.
bool LoadSettings(SSettings& settings, const std::string& path);
