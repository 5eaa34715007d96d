// The clock's fixed patterns, and the header text made from them.
#include "render/clock_format.h"

namespace {

const char* const kPatterns[kClockFormatCount] = {
    "%H:%M:%S", "%I:%M:%S %p", "%a %H:%M:%S", "%a %I:%M:%S %p", "%A %H:%M", "%A %I:%M %p",
    "%d %B",    "%d %B %Y",    "%A",
};

} // namespace

const char* FixedClockPattern(int index) {
    if (index < 0 || index >= kClockFormatCount) {
        return kPatterns[kFallbackClockFormat];
    }
    return kPatterns[index];
}

std::string ClockPattern(int format, const std::string& customPattern) {
    if (format == kCustomClockFormat) {
        return customPattern;
    }
    return FixedClockPattern(format);
}

std::string FormatHeaderText(int format, bool formatted, const std::string& customPattern,
                             QTime now) {
    const std::string pattern = ClockPattern(format, customPattern);
    return formatted ? FormatTime(now, pattern) : pattern;
}
