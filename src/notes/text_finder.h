#pragma once

#include "base/codepage.h"

#include <cstddef>
#include <string>

// Lower-cases the single-byte letters of the code page; double-byte characters are left alone.
std::string LowerAnsi(const std::string& text);

// Finds an already lower-cased needle in a text that is lower-cased on the fly, starting only at
// character boundaries. Built once per needle, used for many texts.
class CLoweredFinder {
public:
    // The code page is the system's, or one a test gives.
    explicit CLoweredFinder(std::string needleLower, const SCodePage& cp = SystemCodePageTables());

    bool In(const char* text, size_t size) const;
    bool In(const std::string& text) const { return In(text.data(), text.size()); }
    const std::string& Needle() const { return m_needle; }

private:
    bool MatchesAt(const unsigned char* p) const;
    // First position in [from, to) holding one of the anchor's bytes, or to.
    size_t FindAnchor(const unsigned char* text, size_t from, size_t to) const;
    // First position in [from, to) holding one of the anchor's bytes with one of the second
    // byte's where the needle has it, or to.
    size_t FindPair(const unsigned char* text, size_t from, size_t to) const;
    bool InSingleByte(const unsigned char* text, size_t size) const;
    bool InDoubleByte(const unsigned char* text, size_t size) const;

    const SCodePage& m_cp;
    std::string m_needle;
    // The needle byte looked for first (the rarest in ordinary text), and the text bytes that
    // lower-case to it; with more than two of them every byte is tested through the table.
    size_t m_anchor = 0;
    unsigned char m_anchorBytes[2] = {0, 0};
    int m_anchorCount = 0;
    // Another needle byte with at most two bytes lower-casing to it, checked with the anchor.
    size_t m_second = 0;
    unsigned char m_secondBytes[2] = {0, 0};
    int m_secondCount = 0;
};
