// How the result layout measures characters: where each ends, its line-break class, its width.
#pragma once

#include "notes/line_breaks.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// How a box draws the characters of a text.
struct STextMeasure {
    int ascii[128] = {}; // advance of each ASCII character
    int aveWidth = 1;    // a box narrower than this does not wrap
    int tabStop = 8;     // tabs stop at multiples of this
    // Lines end as Wine's edit box ends them: from a guess of where the line ends in proportion
    // to the paragraph's width, at the last place a line may end left of it that fits; with
    // none, counted back from the paragraph's end from the last width tried. Otherwise at the
    // last place a line may end that fits.
    bool fromGuess = false;
    // Advance of any other character, in UTF-16 as the box draws it: a code point, or a
    // letter with its marks, a surrogate pair, an emoji sequence.
    std::function<int(const char16_t* units, size_t count)> width;
};

// What the layout needs of the characters of a UTF-8 text: where each ends (a letter with its
// marks, a surrogate pair, an emoji sequence is one), its line-break class and its advance.
// ASCII comes from tables; any other code point is looked up once and kept, its advance asked
// of the measure when first needed; a character of several code points is kept by its text.
class CCharTable {
public:
    struct SCharacter {
        size_t end;
        int advance;
        ELineClass cls;
        uint32_t units; // in UTF-16
    };
    void Reset(const STextMeasure& measure);
    const STextMeasure& Measure() const { return m_measure; }
    // The character at `at`, never reaching past end; x is its distance from the line's start.
    SCharacter At(const char* text, size_t at, size_t end, int x) const {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(text) + at;
        const size_t left = end - at;
        // Most characters: a code point of the basic plane, measured before, that joins
        // nothing after it (ASCII before a mark is rare).
        char32_t code = 0;
        const size_t size = ShortCode(p, left, code);
        const SCode* known = size != 0 ? Known(code) : nullptr;
        if (size == 1) {
            if (size < left && p[1] >= 0x80 && JoinsNext(p + 1, left - 1)) {
                return Measured(text, at, end, x);
            }
            const int advance = code == '\t' ? TabAdvance(x) : m_measure.ascii[code];
            return SCharacter{at + 1, advance, LineBreaks().ascii[code], 1};
        }
        if (known == nullptr || known->joins || known->width < 0 ||
            (size < left && p[size] >= 0x80 && JoinsNext(p + size, left - size))) {
            return Measured(text, at, end, x);
        }
        return SCharacter{at + size, known->width, known->cls, 1};
    }
    ELineClass ClassAt(const char* text, size_t at, size_t end) const;
    int TabAdvance(int x) const {
        const int stop = m_measure.tabStop > 0 ? m_measure.tabStop : 1;
        return stop - x % stop;
    }

private:
    struct SCode {
        int width = -1; // asked when first needed
        ELineClass cls = ELineClass::Letter;
        bool joins = false; // may be one character with its neighbours
    };
    struct SPage {
        SCode codes[256];
    };
    SCode& Code(char32_t code) const;
    SCode MakeCode(char32_t code) const;
    // A code point of the basic plane whose page is made, else null.
    const SCode* Known(char32_t code) const {
        const size_t page = code >> 8;
        return page < m_pages.size() && m_pages[page] ? &m_pages[page]->codes[code & 0xFF]
                                                      : nullptr;
    }
    // The bytes of a valid sequence of one to three bytes at p, and its code point; 0 for any
    // other sequence.
    static size_t ShortCode(const unsigned char* p, size_t left, char32_t& code) {
        if (p[0] < 0x80) {
            code = p[0];
            return 1;
        }
        if (p[0] >= 0xC2 && p[0] <= 0xDF && left >= 2 && (p[1] & 0xC0) == 0x80) {
            code = static_cast<char32_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
            return 2;
        }
        if (p[0] >= 0xE0 && p[0] <= 0xEF && left >= 3 && (p[1] & 0xC0) == 0x80 &&
            (p[2] & 0xC0) == 0x80) {
            code = static_cast<char32_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            return code >= 0x800 && (code < 0xD800 || code > 0xDFFF) ? 3 : 0;
        }
        return 0;
    }
    // Whether the character at p may join the one before it (when not known: maybe).
    bool JoinsNext(const unsigned char* p, size_t left) const {
        char32_t code = 0;
        const SCode* next = ShortCode(p, left, code) != 0 ? Known(code) : nullptr;
        return next == nullptr || next->joins;
    }
    // Any character, its advance asked of the measure when not known yet.
    SCharacter Measured(const char* text, size_t at, size_t end, int x) const;
    // A character of several code points, or one that may be.
    SCharacter Cluster(const char* text, size_t at, size_t end, const SCode& first) const;
    int Ask(const char* text, size_t size) const;

    STextMeasure m_measure;
    mutable std::vector<std::unique_ptr<SPage>> m_pages; // the basic plane, by 256 code points
    mutable std::unordered_map<char32_t, SCode> m_codes;
    mutable std::unordered_map<std::string, int> m_clusters;
};
