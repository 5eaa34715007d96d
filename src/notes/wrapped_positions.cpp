// Places in a wrapped text: character steps, the x of an offset and back, and the text's
// offsets in the UTF-16 units the box's messages count in.
#include "notes/wrapped_text.h"

#include "base/unicode.h"
#include "base/utf8.h"

#include <algorithm>

int CWrappedText::XOf(size_t line, size_t offset) {
    const auto [start, end] = Span(line);
    int x = 0;
    for (size_t at = start; at < offset && at < end;) {
        const CCharTable::SCharacter c = m_chars.At(m_text.data(), at, end, x);
        x += c.advance;
        at = c.end;
    }
    return x;
}

size_t CWrappedText::OffsetAt(size_t line, int x) {
    const auto [start, end] = Span(line);
    int left = 0;
    size_t at = start;
    while (at < end) {
        const CCharTable::SCharacter c = m_chars.At(m_text.data(), at, end, left);
        if (x < left + c.advance / 2 + c.advance % 2) {
            break;
        }
        left += c.advance;
        at = c.end;
    }
    return at;
}

size_t CWrappedText::Next(size_t offset) const {
    return NextCluster(m_text.data(), m_text.size(), CharacterStart(offset));
}

size_t CWrappedText::Prior(size_t offset) const {
    return PriorCluster(m_text.data(), m_text.size(), std::min(offset, m_text.size()));
}

size_t CWrappedText::CharacterStart(size_t offset) const {
    const char* text = m_text.data();
    const size_t size = m_text.size();
    if (offset >= size) {
        return size;
    }
    // An ASCII byte starts a character, but for the "\n" of "\r\n".
    const unsigned char c = static_cast<unsigned char>(text[offset]);
    if (offset == 0 || (c < 0x80 && !(c == '\n' && text[offset - 1] == '\r'))) {
        return offset;
    }
    // Back to the start of the code point, when offset lies inside one.
    for (size_t back = 1; back <= 3 && back <= offset && (c & 0xC0) == 0x80; ++back) {
        size_t at = offset - back;
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            DecodeUtf8(text, size, at);
            offset = at > offset ? offset - back : offset;
            break;
        }
    }
    const size_t prior = PriorCluster(text, size, offset);
    return NextCluster(text, size, prior) == offset ? offset : prior;
}

size_t CWrappedText::WordStart(size_t offset) const {
    size_t at = CharacterStart(offset);
    while (at > 0) {
        const size_t prior = Prior(at);
        if (at - prior == 2 && m_text.compare(prior, 2, "\r\n") == 0) {
            break;
        }
        const ELineClass here = at < m_text.size() ? ClassAt(at) : ELineClass::Space;
        if (ClassAt(prior) == ELineClass::Space && here != ELineClass::Space) {
            break;
        }
        at = prior;
    }
    return at;
}

size_t CWrappedText::WordEnd(size_t offset) const {
    size_t at = CharacterStart(offset);
    bool spaces = false;
    while (at < m_text.size() && m_text.compare(at, 2, "\r\n") != 0) {
        const bool space = ClassAt(at) == ELineClass::Space;
        if (spaces && !space) {
            break;
        }
        spaces = spaces || space;
        at = Next(at);
    }
    return at;
}

void CWrappedText::CountUnitsThrough(size_t part) {
    for (; m_unitsKnown <= part + 1 && m_unitsKnown <= m_parts.size(); ++m_unitsKnown) {
        const size_t k = m_unitsKnown - 1;
        const size_t begin = m_parts[k].begin;
        const size_t end = std::min(PartEnd(k), m_text.size());
        m_unitsBefore[k + 1] = m_unitsBefore[k] + Utf16Length(m_text.data() + begin, end - begin);
    }
}

size_t CWrappedText::UnitsBefore(size_t offset) {
    offset = std::min(offset, m_text.size());
    const size_t k = PartOfOffset(offset);
    if (k > 0) {
        CountUnitsThrough(k - 1);
    }
    const size_t begin = m_parts[k].begin;
    return m_unitsBefore[k] + Utf16Length(m_text.data() + begin, offset - begin);
}

size_t CWrappedText::Units() {
    CountUnitsThrough(m_parts.size() - 1);
    return m_unitsBefore.back();
}

size_t CWrappedText::OffsetOfUnits(size_t units) {
    while (m_unitsKnown <= m_parts.size() && m_unitsBefore[m_unitsKnown - 1] <= units) {
        CountUnitsThrough(m_unitsKnown - 1);
    }
    const auto after = std::upper_bound(
        m_unitsBefore.begin(), m_unitsBefore.begin() + static_cast<long>(m_unitsKnown), units);
    const size_t k = static_cast<size_t>(after - m_unitsBefore.begin()) - 1;
    if (k >= m_parts.size()) {
        return m_text.size();
    }
    const char* begin = m_text.data() + m_parts[k].begin;
    const size_t size = std::min(PartEnd(k), m_text.size()) - m_parts[k].begin;
    const size_t wanted = units - m_unitsBefore[k];
    size_t offset = Utf8OffsetOfUnits(begin, size, wanted);
    // A count that ends between the halves of a surrogate pair took the whole character.
    if (Utf16Length(begin, offset) > wanted) {
        offset = PriorUtf8(begin, offset);
    }
    return CharacterStart(m_parts[k].begin + offset);
}
