// Time as seconds since 1970, and its text in local time by strftime patterns.
#pragma once

#include <cstdint>
#include <string>

// Seconds since 1970-01-01 UTC, 64-bit on every build.
using QTime = int64_t;

QTime CurrentTime();

// Formats a moment in local time with a strftime pattern of the classic locale into at most
// 127 characters. Any failure (no pattern, unconvertible time, a directive that some C runtime
// rejects, a result that does not fit or is empty) gives the empty text.
std::string FormatTime(QTime time, const char* pattern);
inline std::string FormatTime(QTime time, const std::string& pattern) {
    return FormatTime(time, pattern.c_str());
}

// True when every directive of the pattern is one that all supported C runtimes accept.
bool IsSafeTimePattern(const char* pattern);

