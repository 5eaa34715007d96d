// The system's ANSI code page, as the C runtime's multibyte functions see it.
#include "base/codepage.h"

#include <windows.h>

namespace {

SCodePage MakeSystemCodePage() {
    SCodePage cp{};
    CPINFO info{};
    const bool haveInfo = GetCPInfo(CP_ACP, &info) != 0;
    cp.doubleByte = false;
    for (int b = 0; b < 256; ++b) {
        cp.lead[b] = false;
    }
    if (haveInfo && info.MaxCharSize > 1) {
        for (int r = 0; r + 1 < MAX_LEADBYTES && info.LeadByte[r] != 0; r += 2) {
            for (int b = info.LeadByte[r]; b <= info.LeadByte[r + 1]; ++b) {
                cp.lead[b] = true;
                cp.doubleByte = true;
            }
        }
    }
    // The C runtime builds its multibyte case map from the code page's own lower-case mapping;
    // taking it from the system keeps the search identical on every runtime.
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        if (b != 0 && !cp.lead[b]) {
            CharLowerBuffA(&c, 1);
        }
        cp.lower[b] = static_cast<unsigned char>(c);
        wchar_t unit = 0;
        const char byte = static_cast<char>(b);
        if (!cp.lead[b] && MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1) != 1) {
            unit = 0;
        }
        cp.unicode[b] = static_cast<char16_t>(unit);
    }
    return cp;
}

} // namespace

const SCodePage& SystemCodePage() {
    static const SCodePage cp = MakeSystemCodePage();
    return cp;
}

std::string WideToAnsi(const char16_t* units, size_t count) {
    if (count == 0) {
        return std::string();
    }
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(units);
    const int n = static_cast<int>(count);
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, n, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string(count, '?');
    }
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, n, &out[0], size, nullptr, nullptr);
    return out;
}

std::string AnsiToUtf8(const std::string& text) {
    if (text.empty()) {
        return std::string();
    }
    const int bytes = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) {
        return text;
    }
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, &wide[0], units);
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &out[0], size, nullptr, nullptr);
    }
    return out;
}
