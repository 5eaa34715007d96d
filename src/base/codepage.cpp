// The code pages every build knows: tables of one byte a character, Windows-1252 and UTF-8.
#include "base/codepage.h"

#include "base/utf8.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class CSingleByteCodePage : public CCodePage {
public:
    explicit CSingleByteCodePage(const char16_t (&characters)[256]) {
        m_oneToOne = true;
        for (int b = 0; b < 256; ++b) {
            const char16_t c = characters[b];
            const bool defined = c != 0 || b == 0;
            // A character of a surrogate half is no character of its own.
            m_characters[b] = defined && (c < 0xD800 || c > 0xDFFF) ? c : kReplacementCharacter;
            m_oneToOne = m_oneToOne && m_characters[b] == c;
            m_bytes.emplace_back(m_characters[b], static_cast<unsigned char>(b));
        }
        // For each character the first byte that has it.
        std::stable_sort(m_bytes.begin(), m_bytes.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        const auto same = [](const auto& a, const auto& b) { return a.first == b.first; };
        const auto end = std::unique(m_bytes.begin(), m_bytes.end(), same);
        m_oneToOne = m_oneToOne && end == m_bytes.end();
        m_bytes.erase(end, m_bytes.end());
        // U+FFFD stands for undefined bytes, never for itself.
        m_bytes.erase(std::remove_if(m_bytes.begin(), m_bytes.end(),
                                     [&](const auto& entry) {
                                         return entry.first == kReplacementCharacter &&
                                                characters[entry.second] != entry.first;
                                     }),
                      m_bytes.end());
    }

    std::string ToText(const char* bytes, size_t size) const override {
        std::string text;
        text.reserve(size + size / 4);
        for (size_t i = 0; i < size; ++i) {
            AppendUtf8(text, m_characters[static_cast<unsigned char>(bytes[i])]);
        }
        return text;
    }

    bool FromText(const std::string& text, std::string& bytes) const override {
        bytes.clear();
        bytes.reserve(text.size());
        for (size_t at = 0; at < text.size();) {
            const char32_t c = DecodeUtf8(text.data(), text.size(), at);
            const auto found = std::lower_bound(
                m_bytes.begin(), m_bytes.end(), c,
                [](const auto& entry, char32_t code) { return entry.first < code; });
            if (found == m_bytes.end() || found->first != c) {
                return false;
            }
            bytes.push_back(static_cast<char>(found->second));
        }
        return true;
    }

    bool OneToOne() const override { return m_oneToOne; }

private:
    char32_t m_characters[256];
    std::vector<std::pair<char32_t, unsigned char>> m_bytes; // by character
    bool m_oneToOne = false;
};

class CUtf8CodePage : public CCodePage {
public:
    std::string ToText(const char* bytes, size_t size) const override {
        return RepairedUtf8(std::string(bytes, size));
    }
    bool FromText(const std::string& text, std::string& bytes) const override {
        bytes = text;
        return true;
    }
    // Bytes that are not UTF-8 all read as U+FFFD.
    bool OneToOne() const override { return false; }
};

// Windows-1252: Latin-1 but for 0x80-0x9F, where a 0 keeps the byte's own C1 control.
const char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

std::unique_ptr<CCodePage> MakeSingleByteCodePage(const char16_t (&characters)[256]) {
    return std::make_unique<CSingleByteCodePage>(characters);
}

const CCodePage& Windows1252CodePage() {
    static const std::unique_ptr<CCodePage> cp = [] {
        char16_t characters[256];
        for (int b = 0; b < 256; ++b) {
            const bool high = b >= 0x80 && b < 0xA0 && kWindows1252High[b - 0x80] != 0;
            characters[b] = high ? kWindows1252High[b - 0x80] : static_cast<char16_t>(b);
        }
        return MakeSingleByteCodePage(characters);
    }();
    return *cp;
}

const CCodePage& Utf8CodePage() {
    static const CUtf8CodePage cp;
    return cp;
}
