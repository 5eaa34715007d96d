// The system's ANSI code page, and any other the system knows, through its own conversions.
#include "base/codepage_win.h"

#include "base/utf8.h"

#include <windows.h>

#include <algorithm>

namespace {

// A code page of several bytes per character (East Asian double-byte ones among them).
class CMultiByteCodePage : public CCodePage {
public:
    explicit CMultiByteCodePage(UINT id) : m_id(id) {}

    std::string ToText(const char* bytes, size_t size) const override {
        std::wstring wide;
        if (!Widen(bytes, size, 0, wide)) {
            return std::string(size, '?');
        }
        return Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
    }

    bool FromText(const std::string& text, std::string& bytes) const override {
        bytes.clear();
        const std::u16string units = Utf8ToUtf16(text);
        const wchar_t* wide = reinterpret_cast<const wchar_t*>(units.data());
        const int count = static_cast<int>(units.size());
        if (count == 0) {
            return true;
        }
        BOOL usedDefault = FALSE;
        const int size = ::WideCharToMultiByte(m_id, WC_NO_BEST_FIT_CHARS, wide, count, nullptr, 0,
                                               nullptr, &usedDefault);
        if (size <= 0 || usedDefault) {
            return false;
        }
        bytes.resize(static_cast<size_t>(size));
        ::WideCharToMultiByte(m_id, WC_NO_BEST_FIT_CHARS, wide, count, &bytes[0], size, nullptr,
                              &usedDefault);
        // Only a form that reads back as the same text is exact.
        std::wstring back;
        return !usedDefault && Widen(bytes.data(), bytes.size(), MB_ERR_INVALID_CHARS, back) &&
               back.size() == units.size() &&
               std::equal(back.begin(), back.end(), units.begin(),
                          [](wchar_t a, char16_t b) { return static_cast<char16_t>(a) == b; });
    }

    bool OneToOne() const override { return false; }

private:
    bool Widen(const char* bytes, size_t size, DWORD flags, std::wstring& wide) const {
        wide.clear();
        if (size == 0) {
            return true;
        }
        const int n = static_cast<int>(size);
        const int count = ::MultiByteToWideChar(m_id, flags, bytes, n, nullptr, 0);
        if (count <= 0) {
            return false;
        }
        wide.resize(static_cast<size_t>(count));
        return ::MultiByteToWideChar(m_id, flags, bytes, n, &wide[0], count) == count;
    }

    UINT m_id;
};

} // namespace

std::unique_ptr<CCodePage> MakeWindowsCodePage(unsigned id) {
    if (id == CP_UTF8) {
        return nullptr; // Utf8CodePage() is exact without the system
    }
    CPINFO info{};
    if (!::GetCPInfo(id, &info)) {
        return nullptr;
    }
    if (info.MaxCharSize > 1) {
        return std::make_unique<CMultiByteCodePage>(id);
    }
    char16_t characters[256] = {};
    for (int b = 1; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        wchar_t unit = 0;
        if (::MultiByteToWideChar(id, 0, &byte, 1, &unit, 1) == 1) {
            characters[b] = static_cast<char16_t>(unit);
        }
    }
    return MakeSingleByteCodePage(characters);
}

const CCodePage& SystemCodePage() {
    static const std::unique_ptr<CCodePage> system = MakeWindowsCodePage(::GetACP());
    return system != nullptr ? *system : Utf8CodePage();
}
