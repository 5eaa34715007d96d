// A case-blind search for an ASCII needle: the fast path of the note search.
#pragma once

#include <cstddef>
#include <string>

// Finds an ASCII needle in bytes whatever the case of its letters, sixteen bytes at a time, and
// tells on a miss whether the bytes were all ASCII, so that only texts with other characters go
// on to the slower comparison by folded characters. Built once per needle, used for many texts.
class CAsciiFinder {
public:
    // The needle is ASCII with its letters in lower case.
    explicit CAsciiFinder(std::string needle);

    // A hit in a UTF-8 text is a hit by folded characters too: ASCII bytes are whole characters.
    // On a miss, *ascii (when asked for) tells whether every byte of the text is below 0x80.
    bool In(const char* text, size_t size, bool* ascii = nullptr) const;
    const std::string& Needle() const { return m_needle; }

private:
    bool MatchesAt(const unsigned char* p) const;
    // First position in [from, to) holding the anchor, with the second byte where the needle
    // has it when the needle has two bytes or more; or to. ORs every byte it passes into high.
    size_t FindCandidate(const unsigned char* text, size_t from, size_t to,
                         unsigned char& high) const;

    std::string m_needle;
    // The needle byte looked for first (the rarest in ordinary text), and another one checked
    // with it; a text byte matches with the case bit (0x20 for a letter) set.
    size_t m_anchor = 0;
    unsigned char m_anchorByte = 0;
    unsigned char m_anchorCase = 0;
    size_t m_second = 0;
    unsigned char m_secondByte = 0;
    unsigned char m_secondCase = 0;
};

// The first position from `from` on that holds a byte of 0x80 or more, or size.
size_t NextNonAsciiByte(const char* text, size_t size, size_t from);
