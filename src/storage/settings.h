// The settings record of the main window, its file, and where the window is placed.
#pragma once

#include "base/geometry.h"
#include "base/log_font.h"

#include <cstdint>
#include <string>
#include <vector>

class IArchiveReader;

// Defaults that only the settings record holds.
constexpr int32_t kDefaultTimeFormat = 43; // outside 0-9: shown as format 4, no item marked
constexpr int32_t kCornerRadius = 15;      // not stored; fixed for the whole run
constexpr const char* kDefaultCustomFormat = "%d %B";

// Every persistent option of the main window.
struct SSettings {
    int32_t nShape = 0;
    int32_t nColor = 0;
    int32_t nGradient = 0;
    int32_t nTimeFormat = kDefaultTimeFormat;
    int32_t nRadius = kCornerRadius; // not stored in the file
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
    std::string strCustomFormat = kDefaultCustomFormat;
    std::string strReserved;
};

// The byte shift of the scrambled texts of the settings file.
constexpr uint8_t kScrambleK = 0x3B;

std::string ScrambleText(const std::string& text, bool unscramble);

bool IsPointOnDesktop(SPoint point, const SRect& desktop);
SPoint CentreOnDesktop(const SRect& window, const SRect& desktop);

// Fills every stored field with its default; the position is centred for the given window.
void SetDefaultSettings(SSettings& settings, const SRect& window, const SRect& desktop);

// Where a window whose top-left corner is at corner goes. With one monitor the corner must lie
// on the desktop, else the window is centred on it. With several (their work areas given), some
// of the title bar must lie on a work area, else the window moves inside the nearest one.
SPoint PlaceWindow(SPoint corner, const SRect& window, const SRect& desktop,
                   const std::vector<SRect>& workAreas = {}, int titleHeight = 0);

// A corner moved down and right by step as long as it is one of the taken corners, so that a
// window opens beside another copy's rather than exactly on top of it.
SPoint AwayFromCorners(SPoint corner, const std::vector<SPoint>& taken, int step);

// Takes the window's current top-left corner into ptPos, placed as PlaceWindow does; leaves
// ptPos alone while the window's left or right edge is 0.
void RefreshStoredPosition(SSettings& settings, const SRect& window, const SRect& desktop,
                           const std::vector<SRect>& workAreas = {}, int titleHeight = 0);

// The file's bytes for a record, and the reader over any stream.
std::string SerializeSettings(const SSettings& settings);
bool ReadSettings(SSettings& settings, IArchiveReader& stream);
