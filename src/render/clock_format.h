// The clock formats of the title: nine fixed patterns and the user's own.
#pragma once

#include "base/time_format.h"

#include <string>

// The nine fixed clock patterns; index 9 is the user's own pattern.
constexpr int kClockFormatCount = 9;
constexpr int kCustomClockFormat = 9;
constexpr int kFallbackClockFormat = 4;

const char* FixedClockPattern(int index);

// The pattern of a clock format: 0-8 fixed, 9 the custom pattern, anything else format 4.
std::string ClockPattern(int format, const std::string& customPattern);

// With formatted set, the header text of the moment now; otherwise the pattern itself.
std::string FormatHeaderText(int format, bool formatted, const std::string& customPattern,
                             QTime now);
