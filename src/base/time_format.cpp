// Local time through strftime, the same on every build, refusing patterns a runtime rejects.
#include "base/time_format.h"

#include "base/utf8.h"

#include <cstring>
#include <ctime>

namespace {

// Directives that every C runtime of the program accepts; the Windows runtime may end the
// process on any other, so such patterns are refused before they reach strftime.
const char kKnownDirectives[] = "aAbBcdHIjmMpSUwWxXyYzZ%";

bool IsKnownDirective(char c) {
    return c != '\0' && std::strchr(kKnownDirectives, c) != nullptr;
}

bool ToLocal(QTime time, std::tm& out) {
    // The Windows runtime converts only times from 0 to 23:59:59, 31 December 3000 UTC; the host
    // build keeps the same range so that both give the same texts.
    if (time < 0 || time > 32535215999LL) {
        return false;
    }
#ifdef _WIN32
    const __time64_t t = time;
    return _localtime64_s(&out, &t) == 0;
#else
    const time_t t = static_cast<time_t>(time);
    return localtime_r(&t, &out) != nullptr;
#endif
}

#ifndef _WIN32
// The host C library spells a few directives differently from the Windows runtime; rewrite them
// so that the host build shows the texts a Windows user sees.
std::string ToHostPattern(const char* pattern) {
    std::string out;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        ++p;
        const bool alternate = *p == '#';
        if (alternate) {
            ++p;
        }
        const char c = *p;
        if (c == 'c') {
            out += alternate ? "%A, %B %d, %Y %H:%M:%S" : "%m/%d/%y %H:%M:%S";
        } else if (c == 'x' && alternate) {
            out += "%A, %B %d, %Y";
        } else if (alternate && std::strchr("dHIjmMSUwWyY", c) != nullptr) {
            out += "%-";
            out += c;
        } else {
            out += '%';
            out += c;
        }
    }
    return out;
}
#endif

} // namespace

QTime CurrentTime() {
#ifdef _WIN32
    return _time64(nullptr);
#else
    return static_cast<QTime>(time(nullptr));
#endif
}

bool IsSafeTimePattern(const char* pattern) {
    if (pattern == nullptr) {
        return false;
    }
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%') {
            continue;
        }
        ++p;
        if (*p == '#') {
            ++p;
        }
        if (!IsKnownDirective(*p)) {
            return false;
        }
    }
    return true;
}

std::string FormatTime(QTime time, const char* pattern) {
    if (pattern == nullptr || !IsSafeTimePattern(pattern)) {
        return std::string();
    }
    std::tm local{};
    if (!ToLocal(time, local)) {
        return std::string();
    }
    // Only the directives go through strftime, one at a time: the text between them is any
    // character (UTF-8), which a C runtime might read in its own code page.
    std::string out;
    for (const char* p = pattern; *p != '\0';) {
        const char* start = p;
        if (*p != '%') {
            while (*p != '\0' && *p != '%') {
                ++p;
            }
            out.append(start, p);
            continue;
        }
        p += p[1] == '#' ? 3 : 2;
        const std::string directive(start, p);
        char buffer[128];
#ifdef _WIN32
        const size_t n = std::strftime(buffer, sizeof buffer, directive.c_str(), &local);
#else
        const size_t n =
            std::strftime(buffer, sizeof buffer, ToHostPattern(directive.c_str()).c_str(), &local);
#endif
        out.append(buffer, n);
    }
    // As a buffer of 128 characters holds it.
    if (Utf16Length(out) > 127) {
        return std::string();
    }
    return out;
}
