// The case-blind ASCII search, anchored on the needle's rarest byte, sixteen bytes at a time.
#include "notes/ascii_finder.h"

#include "base/bits.h"

#include "base/utf8.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLET_PAIRS_SSE2 1
#endif

namespace {

unsigned char AsciiLower(unsigned char c) {
    return static_cast<unsigned>(c - 'A') < 26u ? static_cast<unsigned char>(c + 32) : c;
}

// How common a byte is in ordinary notes (higher is rarer): the anchor of a search is the rarest
// byte of the needle, so that few candidates need a full comparison.
int Rarity(unsigned char c) {
    static const char kByFrequency[] = " etaoinshrdlcumwfgypbvkjxqz";
    const void* at = c != 0 ? std::memchr(kByFrequency, c, sizeof kByFrequency - 1) : nullptr;
    if (at != nullptr) {
        return static_cast<int>(static_cast<const char*>(at) - kByFrequency);
    }
    return c >= '0' && c <= '9' ? 20 : 40;
}

// Whether the first `head` and the last `tail` bytes are ASCII.
bool EndsAreAscii(const unsigned char* text, size_t size, size_t head, size_t tail) {
#ifdef QUILLET_PAIRS_SSE2
    if (size >= 16 && head <= 16 && tail <= 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
        const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + size - 16));
        return _mm_movemask_epi8(_mm_or_si128(first, last)) == 0;
    }
#endif
    unsigned char high = 0;
    for (size_t at = 0; at < head; ++at) {
        high |= text[at];
    }
    for (size_t at = size - tail; at < size; ++at) {
        high |= text[at];
    }
    return high < 0x80;
}

} // namespace

CAsciiFinder::CAsciiFinder(std::string needle) : m_needle(std::move(needle)) {
    int best = -1;
    int secondBest = -1;
    for (size_t k = 0; k < m_needle.size(); ++k) {
        const int rarity = Rarity(static_cast<unsigned char>(m_needle[k]));
        if (rarity > best) {
            m_second = m_anchor;
            secondBest = best;
            best = rarity;
            m_anchor = k;
        } else if (rarity > secondBest) {
            secondBest = rarity;
            m_second = k;
        }
    }
    const auto cases = [this](size_t k, unsigned char& byte, unsigned char& caseBit) {
        byte = k < m_needle.size() ? static_cast<unsigned char>(m_needle[k]) : 0;
        caseBit = static_cast<unsigned>(byte - 'a') < 26u ? 0x20 : 0;
    };
    cases(m_anchor, m_anchorByte, m_anchorCase);
    cases(m_second, m_secondByte, m_secondCase);
}

bool CAsciiFinder::MatchesAt(const unsigned char* p) const {
    const unsigned char* n = reinterpret_cast<const unsigned char*>(m_needle.data());
    for (size_t t = 0; t < m_needle.size(); ++t) {
        if (AsciiLower(p[t]) != n[t]) {
            return false;
        }
    }
    return true;
}

#ifdef QUILLET_PAIRS_SSE2
namespace {

struct SPairScan {
    __m128i anchor, anchorCase, second, secondCase;
    ptrdiff_t apart;
};

__m128i Load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Where the sixteen candidates at p, whose bytes are x, have the anchor, with the second byte
// too when the needle has two or more.
template <bool kPair> __m128i Hits(const SPairScan& scan, __m128i x, const unsigned char* p) {
    const __m128i hits = _mm_cmpeq_epi8(_mm_or_si128(x, scan.anchorCase), scan.anchor);
    if (!kPair) {
        return hits;
    }
    const __m128i y = _mm_or_si128(Load(p + scan.apart), scan.secondCase);
    return _mm_and_si128(hits, _mm_cmpeq_epi8(y, scan.second));
}

// Sixteen candidates a step; the last step overlaps the one before, so that no byte is left
// to a loop of its own (whose end a processor guesses wrong once per text). On a hit `from` is
// the candidate; on a miss it is left where a scalar tail goes on, if any is left.
template <bool kPair>
bool ScanBlocks(const SPairScan& scan, const unsigned char* text, size_t& from, size_t to,
                size_t lowest, unsigned char& high) {
    __m128i seen = _mm_setzero_si128();
    unsigned mask = 0;
    for (; from + 16 <= to; from += 16) {
        const __m128i x = Load(text + from);
        seen = _mm_or_si128(seen, x);
        mask = static_cast<unsigned>(_mm_movemask_epi8(Hits<kPair>(scan, x, text + from)));
        if (mask != 0) {
            break;
        }
    }
    if (mask == 0 && from < to && to >= lowest + 16) {
        // Candidates before `from` in the overlap were passed over already.
        const size_t last = to - 16;
        const __m128i x = Load(text + last);
        seen = _mm_or_si128(seen, x);
        mask = static_cast<unsigned>(_mm_movemask_epi8(Hits<kPair>(scan, x, text + last)));
        mask &= ~0u << (from - last);
        from = mask != 0 ? last : to;
    }
    high |= _mm_movemask_epi8(seen) != 0 ? 0x80 : 0;
    if (mask == 0) {
        return false;
    }
    from += LowestSetBit(mask);
    return true;
}

} // namespace
#endif

// Sixteen candidates at a time, each needing both the anchor and the second byte where the
// needle has them: a common anchor alone would stop the scan at nearly every word. A letter is
// compared with its case bit set, which gives its lower case and nothing else.
size_t CAsciiFinder::FindCandidate(const unsigned char* text, size_t from, size_t to,
                                   unsigned char& high) const {
    // A one-byte needle has its anchor as its second byte too.
    const ptrdiff_t apart = static_cast<ptrdiff_t>(m_second) - static_cast<ptrdiff_t>(m_anchor);
#ifdef QUILLET_PAIRS_SSE2
    const SPairScan scan{_mm_set1_epi8(static_cast<char>(m_anchorByte)),
                         _mm_set1_epi8(static_cast<char>(m_anchorCase)),
                         _mm_set1_epi8(static_cast<char>(m_secondByte)),
                         _mm_set1_epi8(static_cast<char>(m_secondCase)), apart};
    const bool found = apart != 0 ? ScanBlocks<true>(scan, text, from, to, m_anchor, high)
                                  : ScanBlocks<false>(scan, text, from, to, m_anchor, high);
    if (found) {
        return from;
    }
#endif
    for (; from < to; ++from) {
        const unsigned char c = text[from];
        high |= c;
        if ((c | m_anchorCase) == m_anchorByte &&
            (text[from + apart] | m_secondCase) == m_secondByte) {
            return from;
        }
    }
    return to;
}

bool CAsciiFinder::In(const char* text, size_t size, bool* ascii) const {
    if (m_needle.empty()) {
        return true;
    }
    if (size < m_needle.size()) {
        if (ascii != nullptr) {
            *ascii = IsAscii(text, size);
        }
        return false;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    // Anchor positions that leave room for the whole needle around them.
    const size_t end = size - m_needle.size() + m_anchor + 1;
    unsigned char high = 0;
    for (size_t at = m_anchor; at < end; ++at) {
        at = FindCandidate(p, at, end, high);
        if (at == end) {
            break;
        }
        if (MatchesAt(p + at - m_anchor)) {
            return true;
        }
    }
    if (ascii != nullptr) {
        // The scan passed over every anchor position; the needle's length less one is left.
        *ascii = high < 0x80 && EndsAreAscii(p, size, m_anchor, size - end);
    }
    return false;
}

size_t NextNonAsciiByte(const char* text, size_t size, size_t from) {
#ifdef QUILLET_PAIRS_SSE2
    for (; from + 16 <= size; from += 16) {
        const int mask =
            _mm_movemask_epi8(Load(reinterpret_cast<const unsigned char*>(text) + from));
        if (mask != 0) {
            return from + LowestSetBit(static_cast<unsigned>(mask));
        }
    }
#endif
    while (from < size && static_cast<unsigned char>(text[from]) < 0x80) {
        ++from;
    }
    return from;
}
