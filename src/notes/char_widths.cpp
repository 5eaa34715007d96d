#include "notes/char_widths.h"

#include "base/utf8.h"

void CCharWidths::Reset(const STextMeasure& measure) {
    m_measure = measure;
    m_pages.clear();
    m_codes.clear();
    m_clusters.clear();
}

int CCharWidths::Other(const char* text, size_t size) const {
    size_t at = 0;
    const char32_t code = DecodeUtf8(text, size, at);
    int* width = nullptr;
    if (at < size) {
        width = &m_clusters.try_emplace(std::string(text, size), -1).first->second;
    } else if (code < 0x10000) {
        if (m_pages.empty()) {
            m_pages.resize(256);
        }
        std::vector<int>& page = m_pages[code >> 8];
        if (page.empty()) {
            page.assign(256, -1);
        }
        width = &page[code & 0xFF];
    } else {
        width = &m_codes.try_emplace(code, -1).first->second;
    }
    if (*width < 0) {
        *width = Ask(text, size);
    }
    return *width;
}

int CCharWidths::Ask(const char* text, size_t size) const {
    // Invalid bytes are asked as the U+FFFD they are drawn as.
    const std::u16string units = Utf8ToUtf16(text, size);
    const int width = m_measure.width ? m_measure.width(units.data(), units.size())
                                      : m_measure.aveWidth * static_cast<int>(units.size());
    return width > 0 ? width : 0;
}
