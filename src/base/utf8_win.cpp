// Paths between UTF-8 and UTF-16 through the system's own converters.
#include "base/utf8_win.h"

#include <windows.h>

#include <climits>

bool Utf8ToWide(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty()) {
        return true;
    }
    if (text.find('\0') != std::string::npos || text.size() > INT_MAX) {
        return false;
    }
    const int size = static_cast<int>(text.size());
    const int count =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (count <= 0) {
        return false;
    }
    wide.resize(static_cast<size_t>(count));
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, &wide[0], count) !=
        count) {
        wide.clear();
        return false;
    }
    return true;
}

bool WideToUtf8(const std::wstring& wide, std::string& text) {
    text.clear();
    if (wide.empty()) {
        return true;
    }
    if (wide.size() > INT_MAX) {
        return false;
    }
    const int size = static_cast<int>(wide.size());
    const int count = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, nullptr,
                                          0, nullptr, nullptr);
    if (count <= 0) {
        return false;
    }
    text.resize(static_cast<size_t>(count));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), size, &text[0], count,
                            nullptr, nullptr) != count) {
        text.clear();
        return false;
    }
    return true;
}
