#include "notes/text_finder.h"

#include "base/utf8.h"

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLET_PAIRS_SSE2 1
#endif
#ifdef _MSC_VER
#include <intrin.h>
#endif

std::string LowerAnsi(const std::string& text) {
    const SCodePage& cp = SystemCodePageTables();
    std::string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (cp.lead[c] && i + 1 < out.size()) {
            ++i; // the trail byte belongs to the same character
            continue;
        }
        out[i] = static_cast<char>(cp.lower[c]);
    }
    return out;
}

namespace {

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

} // namespace

CLoweredFinder::CLoweredFinder(std::string needleLower, const SCodePage& cp)
    : m_cp(cp), m_needle(std::move(needleLower)) {
    int best = -1;
    int secondBest = -1;
    for (size_t k = 0; k < m_needle.size(); ++k) {
        const unsigned char target = static_cast<unsigned char>(m_needle[k]);
        unsigned char bytes[2] = {0, 0};
        int count = 0;
        for (int b = 0; b < 256; ++b) {
            if (m_cp.lower[b] == target && !m_cp.lead[b]) {
                if (count < 2) {
                    bytes[count] = static_cast<unsigned char>(b);
                }
                ++count;
            }
        }
        const int rarity = Rarity(target) + (count <= 2 ? 100 : 0);
        if (rarity > best) {
            // The anchor that was is the best second byte so far.
            if (m_anchorCount > 0) {
                m_second = m_anchor;
                m_secondCount = m_anchorCount;
                m_secondBytes[0] = m_anchorBytes[0];
                m_secondBytes[1] = m_anchorBytes[1];
                secondBest = best;
            }
            best = rarity;
            m_anchor = k;
            m_anchorCount = count <= 2 ? count : -1;
            m_anchorBytes[0] = bytes[0];
            m_anchorBytes[1] = bytes[1];
        } else if (count >= 1 && count <= 2 && rarity > secondBest) {
            secondBest = rarity;
            m_second = k;
            m_secondCount = count;
            m_secondBytes[0] = bytes[0];
            m_secondBytes[1] = bytes[1];
        }
    }
}

bool CLoweredFinder::MatchesAt(const unsigned char* p) const {
    const unsigned char* n = reinterpret_cast<const unsigned char*>(m_needle.data());
    for (size_t t = 0; t < m_needle.size(); ++t) {
        if (m_cp.lower[p[t]] != n[t]) {
            return false;
        }
    }
    return true;
}

bool CLoweredFinder::In(const char* text, size_t size) const {
    if (m_needle.empty()) {
        return true;
    }
    if (size < m_needle.size()) {
        return false;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    return m_cp.doubleByte ? InDoubleByte(p, size) : InSingleByte(p, size);
}

namespace {

#ifdef QUILLET_PAIRS_SSE2
unsigned LowestSetBit(unsigned mask) {
#ifdef _MSC_VER
    unsigned long index = 0;
    _BitScanForward(&index, mask);
    return index;
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}
#endif

} // namespace

size_t CLoweredFinder::FindAnchor(const unsigned char* text, size_t from, size_t to) const {
    if (m_anchorCount <= 0) {
        const unsigned char target = static_cast<unsigned char>(m_needle[m_anchor]);
        while (from < to && m_cp.lower[text[from]] != target) {
            ++from;
        }
        return from;
    }
    // The second byte is only looked for before the first one's hit, so every byte of the text
    // is scanned at most once per byte value.
    size_t found = to;
    for (int v = 0; v < m_anchorCount; ++v) {
        const unsigned char* hit = FindByte(text + from, m_anchorBytes[v], found - from);
        if (hit != nullptr) {
            found = static_cast<size_t>(hit - text);
        }
    }
    return found;
}

// Sixteen candidates at a time, each needing both the anchor and the second byte where the
// needle has them: a common anchor alone would stop the scan at nearly every word.
size_t CLoweredFinder::FindPair(const unsigned char* text, size_t from, size_t to) const {
    const ptrdiff_t apart = static_cast<ptrdiff_t>(m_second) - static_cast<ptrdiff_t>(m_anchor);
#ifdef QUILLET_PAIRS_SSE2
    const auto splat = [](const unsigned char* bytes, int count, int i) {
        return _mm_set1_epi8(static_cast<char>(bytes[count == 2 ? i : 0]));
    };
    const __m128i a0 = splat(m_anchorBytes, m_anchorCount, 0);
    const __m128i a1 = splat(m_anchorBytes, m_anchorCount, 1);
    const __m128i s0 = splat(m_secondBytes, m_secondCount, 0);
    const __m128i s1 = splat(m_secondBytes, m_secondCount, 1);
    for (; from + 16 <= to; from += 16) {
        // Both loads stay inside the text: every candidate has the whole needle around it.
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from + apart));
        const __m128i both =
            _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(x, a0), _mm_cmpeq_epi8(x, a1)),
                          _mm_or_si128(_mm_cmpeq_epi8(y, s0), _mm_cmpeq_epi8(y, s1)));
        const int mask = _mm_movemask_epi8(both);
        if (mask != 0) {
            return from + LowestSetBit(static_cast<unsigned>(mask));
        }
    }
#endif
    const unsigned char anchor = static_cast<unsigned char>(m_needle[m_anchor]);
    const unsigned char second = static_cast<unsigned char>(m_needle[m_second]);
    for (; from < to; ++from) {
        if (m_cp.lower[text[from]] == anchor && m_cp.lower[text[from + apart]] == second) {
            return from;
        }
    }
    return to;
}

bool CLoweredFinder::InSingleByte(const unsigned char* text, size_t size) const {
    // Anchor positions that leave room for the whole needle around them.
    const size_t end = size - m_needle.size() + m_anchor + 1;
    const bool pairs = m_anchorCount > 0 && m_secondCount > 0;
    for (size_t at = m_anchor; at < end; ++at) {
        at = pairs ? FindPair(text, at, end) : FindAnchor(text, at, end);
        if (at == end) {
            return false;
        }
        if (MatchesAt(text + at - m_anchor)) {
            return true;
        }
    }
    return false;
}

bool CLoweredFinder::InDoubleByte(const unsigned char* text, size_t size) const {
    const size_t n = m_needle.size();
    for (size_t i = 0; i + n <= size;) {
        // Compare character by character so that a double-byte character is matched whole and
        // never lower-cased.
        size_t t = 0;
        while (t < n) {
            const unsigned char c = text[i + t];
            const unsigned char want = static_cast<unsigned char>(m_needle[t]);
            if (m_cp.lead[c] && i + t + 1 < size) {
                if (c != want || t + 1 >= n ||
                    text[i + t + 1] != static_cast<unsigned char>(m_needle[t + 1])) {
                    break;
                }
                t += 2;
            } else {
                if (m_cp.lower[c] != want) {
                    break;
                }
                ++t;
            }
        }
        if (t >= n) {
            return true;
        }
        i += (m_cp.lead[text[i]] && i + 1 < size) ? 2 : 1;
    }
    return false;
}
