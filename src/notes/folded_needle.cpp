// The comparison of a search text with notes by folded characters, marks in canonical order.
#include "notes/folded_needle.h"

#include "base/bits.h"

#include "base/unicode.h"
#include "base/utf8.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLET_FOLDED_SSE2 1
#endif

namespace {

constexpr size_t kNoMatch = SIZE_MAX;

SFoldedChar AsciiChar(unsigned char c) {
    const bool letter = static_cast<unsigned>((c | 0x20) - 'a') < 26u;
    const char32_t folded = static_cast<unsigned>(c - 'A') < 26u ? c + 32u : c;
    return SFoldedChar{folded, nullptr, 0, false, letter, 0};
}

} // namespace

// The folded code points of a text, one at a time: a character's first, then its marks.
class CFoldedNeedle::CReader {
public:
    CReader(const char* text, size_t size, size_t at) : m_text(text), m_size(size), m_at(at) {}

    bool AtEnd() const { return m_index > m_char.markCount && m_at >= m_size; }
    // Whether the next code point is one of the marks of the character read last.
    bool InsideCharacter() const { return m_index >= 1 && m_index <= m_char.markCount; }

    bool NextIsMark() {
        if (m_index > m_char.markCount) {
            if (m_at >= m_size) {
                return false;
            }
            Load();
        }
        return m_index > 0 || m_char.isMark;
    }

    // The next code point; not at the end.
    char32_t Next() {
        if (m_index > m_char.markCount) {
            Load();
        }
        const unsigned i = m_index++;
        return i == 0 ? m_char.first : m_char.marks[i - 1];
    }

    // The next code point with what the search needs to know of it.
    SCode NextCode() {
        const bool first = m_index > m_char.markCount || m_index == 0;
        const char32_t code = Next();
        if (first) {
            return SCode{code, 0, m_char.combiningClass, m_char.isMark, m_char.accentable};
        }
        return SCode{code, 0, FoldCharacter(code).combiningClass, true, false};
    }

    // How many marks the character at `at` is folded with.
    static unsigned MarkCount(const char* text, size_t size, size_t at) {
        return FoldCharacter(DecodeUtf8(text, size, at)).markCount;
    }

private:
    void Load() {
        const unsigned char c = static_cast<unsigned char>(m_text[m_at]);
        if (c < 0x80) {
            ++m_at;
            m_char = AsciiChar(c);
        } else {
            m_char = FoldCharacter(DecodeUtf8(m_text, m_size, m_at));
        }
        m_index = 0;
    }

    const char* m_text;
    size_t m_size;
    size_t m_at;
    SFoldedChar m_char{0, nullptr, 0, false, false, 0};
    unsigned m_index = 1; // past the character read last, with its marks
};

CFoldedNeedle::CFoldedNeedle(const std::string& needle) {
    CReader reader(needle.data(), needle.size(), 0);
    while (!reader.AtEnd()) {
        m_codes.push_back(reader.NextCode());
    }
    for (size_t i = 0; i < m_codes.size(); ++i) {
        if (m_codes[i].accentable) {
            size_t end = i + 1;
            while (end < m_codes.size() && m_codes[end].isMark) {
                ++end;
            }
            m_codes[i].marks = static_cast<uint32_t>(end - i - 1);
            CanonicalOrder(m_codes.data() + i + 1, end - i - 1);
        }
    }
    MakeFilter();
}

void CFoldedNeedle::MakeFilter() {
    if (m_codes.empty()) {
        return;
    }
    const char32_t first = m_codes[0].code;
    // An invalid byte reads as U+FFFD, and a mark may start inside a character: no filter.
    m_filter = !m_codes[0].isMark && first != kReplacementCharacter;
    std::vector<unsigned char> ascii, leads, trails;
    const auto add = [](std::vector<unsigned char>& list, unsigned byte) {
        if (std::find(list.begin(), list.end(), byte) == list.end()) {
            list.push_back(static_cast<unsigned char>(byte));
        }
    };
    for (unsigned b = 0; b < 0x80; ++b) {
        if (AsciiChar(static_cast<unsigned char>(b)).first == first) {
            add(ascii, b);
        }
    }
    for (char32_t c = 0x80; c < 0x800; ++c) {
        if (FoldedFirst(c) == first) {
            m_twoByteFirst[c >> 6] |= uint64_t{1} << (c & 63);
            add(leads, 0xC0 | (c >> 6));
            add(trails, 0x80 | (c & 63));
        }
    }
    m_filter = m_filter && ascii.size() <= 2 && leads.size() <= 4;
    m_anyTrail = trails.size() > 12;
    const auto fill = [](const std::vector<unsigned char>& list, unsigned char* to, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            // 0xFF starts no character but U+FFFD: a hit on it is a try for nothing.
            to[i] = list.empty() ? 0xFF : list[i % list.size()];
        }
    };
    fill(ascii, m_firstAscii, 2);
    fill(leads, m_firstLeads, 4);
    fill(trails, m_firstTrails, 12);
}

std::string CFoldedNeedle::AsciiForm() const {
    std::string ascii;
    for (const SCode& c : m_codes) {
        if (c.code >= 0x80) {
            return std::string();
        }
        ascii += static_cast<char>(c.code);
    }
    return ascii;
}

// Marks of different classes may come in any order; canonical order makes them comparable.
void CFoldedNeedle::CanonicalOrder(SCode* marks, size_t count) {
    for (size_t i = 1; i < count; ++i) {
        for (size_t j = i; j > 0 && marks[j].combiningClass != 0 &&
                           marks[j - 1].combiningClass > marks[j].combiningClass;
             --j) {
            std::swap(marks[j - 1], marks[j]);
        }
    }
}

// The marks the text has next are exactly the needle's count marks from k on.
bool CFoldedNeedle::SameMarks(CReader& text, size_t k, size_t count) const {
    SCode local[16];
    std::vector<SCode> more;
    SCode* got = local;
    if (count >= sizeof local / sizeof local[0]) {
        more.resize(count + 1);
        got = more.data();
    }
    size_t n = 0;
    while (text.NextIsMark()) {
        if (n == count) {
            return false;
        }
        got[n++] = text.NextCode();
    }
    if (n != count) {
        return false;
    }
    CanonicalOrder(got, n);
    for (size_t i = 0; i < n; ++i) {
        if (got[i].code != m_codes[k + i].code) {
            return false;
        }
    }
    return true;
}

// The needle from code k on against the text: Length() on a match, kNoMatch on a mismatch, or
// the code reached when the text ended.
size_t CFoldedNeedle::MatchFrom(CReader& text, size_t k) const {
    while (k < m_codes.size()) {
        if (text.AtEnd()) {
            return k;
        }
        const SCode& want = m_codes[k];
        if (text.Next() != want.code) {
            return kNoMatch;
        }
        ++k;
        if (!want.accentable) {
            continue;
        }
        if (want.marks == 0) {
            while (text.NextIsMark()) {
                text.Next();
            }
        } else if (SameMarks(text, k, want.marks)) {
            k += want.marks;
        } else {
            return kNoMatch;
        }
    }
    return k;
}

bool CFoldedNeedle::MayStartAt(const char* text, size_t size, size_t& at) const {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + at;
    char32_t c = p[0];
    if (c < 0x80) {
        ++at;
        c = AsciiChar(static_cast<unsigned char>(c)).first;
    } else if (c >= 0xC2 && c < 0xE0 && at + 1 < size && (p[1] & 0xC0) == 0x80) {
        // Latin, Greek and Cyrillic text is mostly of these: one bit says it.
        at += 2;
        c = ((c & 0x1F) << 6) | (p[1] & 0x3F);
        return ((m_twoByteFirst[c >> 6] >> (c & 63)) & 1) != 0 || m_codes[0].isMark;
    } else {
        c = FoldedFirst(DecodeUtf8(text, size, at));
    }
    return c == m_codes[0].code || m_codes[0].isMark;
}

#ifdef QUILLET_FOLDED_SSE2
namespace {

__m128i AnyOf(__m128i x, const unsigned char* bytes, size_t count) {
    __m128i any = _mm_setzero_si128();
    for (size_t i = 0; i < count; ++i) {
        any = _mm_or_si128(any, _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(bytes[i]))));
    }
    return any;
}

} // namespace
#endif

size_t CFoldedNeedle::NextCandidate(const char* text, size_t size, size_t at) const {
    if (!m_filter) {
        return at;
    }
#ifdef QUILLET_FOLDED_SSE2
    // Leads of three and four bytes, E0 to F4, by unsigned comparisons.
    const __m128i wideLow = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i wideHigh = _mm_set1_epi8(static_cast<char>(0xF4));
    const __m128i allTrails = m_anyTrail ? _mm_set1_epi8(-1) : _mm_setzero_si128();
    for (; at + 17 <= size; at += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at + 1));
        const __m128i wide = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(x, wideLow), x),
                                           _mm_cmpeq_epi8(_mm_min_epu8(x, wideHigh), x));
        const __m128i trail = _mm_or_si128(allTrails, AnyOf(y, m_firstTrails, 12));
        const __m128i two = _mm_and_si128(AnyOf(x, m_firstLeads, 4), trail);
        const __m128i hits = _mm_or_si128(_mm_or_si128(wide, two), AnyOf(x, m_firstAscii, 2));
        const int mask = _mm_movemask_epi8(hits);
        if (mask != 0) {
            return at + LowestSetBit(static_cast<unsigned>(mask));
        }
    }
#endif
    return at;
}

// A match from the start of the text on, or one that goes on into the next text.
bool CFoldedNeedle::MatchesFrom(CReader& text, const char* next, size_t nextSize) const {
    const size_t k = MatchFrom(text, 0);
    if (k == m_codes.size()) {
        return true;
    }
    if (k == kNoMatch || next == nullptr) {
        return false;
    }
    CReader rest(next, nextSize, 0);
    return MatchFrom(rest, k) == m_codes.size();
}

bool CFoldedNeedle::MatchesAt(const char* text, size_t size, size_t at, const char* next,
                              size_t nextSize) const {
    if (m_codes.empty()) {
        return true;
    }
    if (at >= size) {
        return false;
    }
    CReader whole(text, size, at);
    if (MatchesFrom(whole, next, nextSize)) {
        return true;
    }
    if (!m_codes[0].isMark) {
        return false;
    }
    // A needle that starts with a mark may start at the marks the character is folded with.
    const unsigned marks = CReader::MarkCount(text, size, at);
    for (unsigned skip = 1; skip <= marks; ++skip) {
        CReader inside(text, size, at);
        for (unsigned i = 0; i < skip; ++i) {
            inside.Next();
        }
        if (MatchesFrom(inside, next, nextSize)) {
            return true;
        }
    }
    return false;
}
