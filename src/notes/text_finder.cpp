// The line search: ASCII bytes first, folded characters only around other bytes.
#include "notes/text_finder.h"

#include "base/utf8.h"

#include <algorithm>

namespace {

unsigned char AsciiLower(unsigned char c) {
    return static_cast<unsigned>(c - 'A') < 26u ? static_cast<unsigned char>(c + 32) : c;
}

unsigned char AsciiUpper(unsigned char c) {
    return static_cast<unsigned>(c - 'a') < 26u ? static_cast<unsigned char>(c - 32) : c;
}

} // namespace

CTextFinder::CTextFinder(const std::string& searchText)
    : m_folded(searchText), m_ascii(m_folded.Empty() || !m_folded.AsciiForm().empty()),
      m_bytes(m_folded.AsciiForm()) {
    const char32_t first = m_folded.First();
    m_anyHead = m_folded.Empty() || first == '.' || first == ' ';
    for (unsigned b = 0x80; b < 0x100; ++b) {
        m_headBytes[b] = true;
    }
    if (first < 0x80) {
        m_headBytes[first] = true;
        m_headBytes[AsciiUpper(static_cast<unsigned char>(first))] = true;
    }
}

// A match that holds a character other than ASCII starts at most as many ASCII characters
// before the first such character as the needle has codes less one: only the starts near other
// bytes are tried, and of those only the ones whose bytes may fold to the needle's first code.
bool CTextFinder::AroundOtherBytes(const char* text, size_t size, bool* ascii) const {
    const size_t reach = m_folded.Length() - 1;
    size_t other = NextNonAsciiByte(text, size, 0);
    *ascii = other == size;
    size_t at = other - std::min(other, reach);
    while (other < size) {
        at = m_folded.NextCandidate(text, size, at);
        if (at > other) {
            const bool high = at < size && static_cast<unsigned char>(text[at]) >= 0x80;
            other = high ? at : NextNonAsciiByte(text, size, at);
            if (other == size) {
                break;
            }
        }
        if (other - at > reach) {
            at = other - std::min(other, reach);
            continue;
        }
        const size_t start = at;
        if (m_folded.MayStartAt(text, size, at) && m_folded.MatchesAt(text, size, start)) {
            return true;
        }
    }
    return false;
}

// An ASCII needle byte by byte from each head position on, into the text.
bool CTextFinder::BytesAcross(const char* head, size_t headSize, const char* text,
                              size_t size) const {
    const std::string& needle = m_bytes.Needle();
    for (size_t h = 0; h < headSize; ++h) {
        size_t t = 0;
        for (; t < needle.size(); ++t) {
            const size_t at = h + t;
            if (at >= headSize + size) {
                break;
            }
            const char c = at < headSize ? head[at] : text[at - headSize];
            if (AsciiLower(static_cast<unsigned char>(c)) !=
                static_cast<unsigned char>(needle[t])) {
                break;
            }
        }
        if (t == needle.size()) {
            return true;
        }
    }
    return false;
}

bool CTextFinder::InHead(const char* head, size_t headSize, const char* text, size_t size,
                         bool textAscii) const {
    if (m_folded.Empty()) {
        return true;
    }
    if (m_ascii && BytesAcross(head, headSize, text, size)) {
        return true;
    }
    // Any other match holds a character that is not ASCII.
    if (textAscii && IsAscii(head, headSize)) {
        return false;
    }
    for (size_t at = 0; at < headSize;) {
        if (m_folded.MatchesAt(head, headSize, at, text, size)) {
            return true;
        }
        DecodeUtf8(head, headSize, at);
    }
    return false;
}
