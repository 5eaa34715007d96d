// The character table's look-ups: classes and widths beyond ASCII, kept once asked.
#include "notes/char_table.h"

#include "base/unicode.h"
#include "base/utf8.h"

namespace {

// Characters that may join the ones around them into one: marks, joiners and selectors,
// regional indicators and Hangul jamo.
bool MayJoin(char32_t c) {
    return ExtendsCharacter(c) || (c >= 0x1100 && c <= 0x11FF) || (c >= 0xA960 && c <= 0xA97F) ||
           (c >= 0xD7B0 && c <= 0xD7FF) || (c >= 0x1F1E6 && c <= 0x1F1FF);
}

} // namespace

void CCharTable::Reset(const STextMeasure& measure) {
    m_measure = measure;
    m_pages.clear();
    m_codes.clear();
    m_clusters.clear();
}

CCharTable::SCode CCharTable::MakeCode(char32_t code) const {
    SCode made;
    made.joins = MayJoin(code);
    // Wine's box takes each half of a surrogate pair for a letter.
    made.cls = code >= 0x10000 && m_measure.fromGuess ? ELineClass::Letter : LineClassOf(code);
    return made;
}

CCharTable::SCode& CCharTable::Code(char32_t code) const {
    if (code >= 0x10000) {
        const auto found = m_codes.find(code);
        return found != m_codes.end() ? found->second
                                      : m_codes.emplace(code, MakeCode(code)).first->second;
    }
    if (m_pages.empty()) {
        m_pages.resize(256);
    }
    std::unique_ptr<SPage>& page = m_pages[code >> 8];
    if (!page) {
        page = std::make_unique<SPage>();
        for (char32_t low = 0; low < 256; ++low) {
            page->codes[low] = MakeCode((code & ~0xFFu) | low);
        }
    }
    return page->codes[code & 0xFF];
}

CCharTable::SCharacter CCharTable::Measured(const char* text, size_t at, size_t end, int x) const {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    const bool followed = at + 1 < end && static_cast<unsigned char>(text[at + 1]) >= 0x80;
    if (c < 0x80 && !followed) {
        const int advance = c == '\t' ? TabAdvance(x) : m_measure.ascii[c];
        return SCharacter{at + 1, advance, LineBreaks().ascii[c], 1};
    }
    size_t next = at;
    const char32_t code = DecodeUtf8(text, end, next);
    SCode& first = Code(code);
    // Only a byte past ASCII can join the character before it.
    if (first.joins || (next < end && static_cast<unsigned char>(text[next]) >= 0x80)) {
        size_t after = next;
        if (first.joins || Code(DecodeUtf8(text, end, after)).joins) {
            SCharacter cluster = Cluster(text, at, end, first);
            if (c == '\t') {
                cluster.advance = TabAdvance(x);
            }
            return cluster;
        }
    }
    if (c < 0x80) {
        const int advance = c == '\t' ? TabAdvance(x) : m_measure.ascii[c];
        return SCharacter{next, advance, first.cls, 1};
    }
    if (first.width < 0) {
        first.width = Ask(text + at, next - at);
    }
    return SCharacter{next, first.width, first.cls, code >= 0x10000 ? 2u : 1u};
}

CCharTable::SCharacter CCharTable::Cluster(const char* text, size_t at, size_t end,
                                           const SCode& first) const {
    const size_t next = NextCluster(text, end, at);
    const size_t units = Utf16Length(text + at, next - at);
    int& width = m_clusters.try_emplace(std::string(text + at, next - at), -1).first->second;
    if (width < 0) {
        width = Ask(text + at, next - at);
    }
    return SCharacter{next, width, first.cls, static_cast<uint32_t>(units)};
}

ELineClass CCharTable::ClassAt(const char* text, size_t at, size_t end) const {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    return c < 0x80 ? LineBreaks().ascii[c] : Code(DecodeUtf8(text, end, at)).cls;
}

int CCharTable::Ask(const char* text, size_t size) const {
    // Invalid bytes are asked as the U+FFFD they are drawn as.
    const std::u16string units = Utf8ToUtf16(text, size);
    const int width = m_measure.width ? m_measure.width(units.data(), units.size())
                                      : m_measure.aveWidth * static_cast<int>(units.size());
    return width > 0 ? width : 0;
}
