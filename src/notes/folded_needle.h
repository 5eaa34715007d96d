// A search text compared by folded characters: any case, either form, accents as typed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A search text compared with texts by folded characters (FoldCharacter): letters of any case
// alike, precomposed and decomposed forms alike; a Latin, Greek or Cyrillic letter typed without
// accents finds it with any, typed with accents only with those. Invalid UTF-8 bytes are U+FFFD.
class CFoldedNeedle {
public:
    explicit CFoldedNeedle(const std::string& needle);

    bool Empty() const { return m_codes.empty(); }
    // How many folded code points the needle has: no match holds more ASCII characters before
    // its first other one than this less one.
    size_t Length() const { return m_codes.size(); }
    char32_t First() const { return m_codes.empty() ? 0 : m_codes[0].code; }
    // The needle as lower-case ASCII when every folded code point is ASCII, else empty.
    std::string AsciiForm() const;

    // Whether a match may start at the character at `at` (its folded form starts as the needle
    // does), moving `at` past it: a quick test before MatchesAt.
    bool MayStartAt(const char* text, size_t size, size_t& at) const;

    // The first character start from `at` on whose bytes could be those of a character that
    // folds to the needle's first code, sixteen bytes at a time; `at` itself near the end.
    size_t NextCandidate(const char* text, size_t size, size_t at) const;

    // Whether the needle matches from byte `at` of the text, where a character starts. A text
    // may go on in a second one when it ends with a character that takes no marks (a blank).
    bool MatchesAt(const char* text, size_t size, size_t at, const char* next = nullptr,
                   size_t nextSize = 0) const;

private:
    struct SCode {
        char32_t code;
        uint32_t marks; // for an accentable letter of the needle: the marks after it
        unsigned char combiningClass;
        bool isMark;
        bool accentable;
    };
    class CReader;

    static void CanonicalOrder(SCode* marks, size_t count);
    size_t MatchFrom(CReader& text, size_t k) const;
    bool MatchesFrom(CReader& text, const char* next, size_t nextSize) const;
    bool SameMarks(CReader& text, size_t k, size_t count) const;
    void MakeFilter();

    std::vector<SCode> m_codes;

    // Which characters of two UTF-8 bytes (U+0080 to U+07FF) fold to the needle's first code.
    uint64_t m_twoByteFirst[32] = {};
    // The bytes NextCandidate looks for: the ASCII characters that fold to the first code, and
    // the lead and trail bytes of the two-byte ones (any trail when there are too many); every
    // lead of three or four bytes is a candidate too. Lists are filled up by repeating a byte.
    bool m_filter = false;
    unsigned char m_firstAscii[2] = {};
    unsigned char m_firstLeads[4] = {};
    unsigned char m_firstTrails[12] = {};
    bool m_anyTrail = false;
};
