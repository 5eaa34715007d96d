#include "base/codepage.h"

#include <cstring>

std::string LowerAnsi(const std::string& text) {
    const SCodePage& cp = SystemCodePage();
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

CLoweredFinder::CLoweredFinder(std::string needleLower)
    : m_cp(SystemCodePage()), m_needle(std::move(needleLower)) {
    if (m_needle.empty()) {
        return;
    }
    const unsigned char first = static_cast<unsigned char>(m_needle[0]);
    for (int b = 0; b < 256; ++b) {
        if (m_cp.lower[b] == first && !m_cp.lead[b]) {
            if (m_firstCount == 4) {
                m_firstCount = -1; // too many; scan byte by byte
                break;
            }
            m_first[m_firstCount++] = static_cast<unsigned char>(b);
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

bool CLoweredFinder::InSingleByte(const unsigned char* text, size_t size) const {
    const size_t last = size - m_needle.size(); // last possible start
    if (m_firstCount <= 0) {
        for (size_t i = 0; i <= last; ++i) {
            if (MatchesAt(text + i)) {
                return true;
            }
        }
        return false;
    }
    // Candidates come from memchr per first-byte variant; each variant's next hit is kept so the
    // scan stays linear however often the variants alternate.
    size_t next[4];
    for (int v = 0; v < m_firstCount; ++v) {
        next[v] = 0;
    }
    bool stale[4] = {true, true, true, true};
    size_t i = 0;
    while (i <= last) {
        size_t best = last + 1;
        for (int v = 0; v < m_firstCount; ++v) {
            if (stale[v] || next[v] < i) {
                const void* q = std::memchr(text + i, m_first[v], last + 1 - i);
                next[v] =
                    q ? static_cast<size_t>(static_cast<const unsigned char*>(q) - text) : last + 1;
                stale[v] = false;
            }
            if (next[v] < best) {
                best = next[v];
            }
        }
        if (best > last) {
            return false;
        }
        if (MatchesAt(text + best)) {
            return true;
        }
        i = best + 1;
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
