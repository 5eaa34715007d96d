#pragma once

#include <cstddef>
#include <functional>
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

// The advances of a text's characters: ASCII from the table, any other character asked of the
// measure once (per code point, or per text of a character of several code points).
class CCharWidths {
public:
    void Reset(const STextMeasure& measure);
    const STextMeasure& Measure() const { return m_measure; }
    // The character of `size` bytes at text, where x is its distance from the line's start.
    int Advance(const char* text, size_t size, int x) const {
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (c == '\t') {
            return TabAdvance(x);
        }
        return size == 1 && c < 0x80 ? m_measure.ascii[c] : Other(text, size);
    }
    int TabAdvance(int x) const {
        const int stop = m_measure.tabStop > 0 ? m_measure.tabStop : 1;
        return stop - x % stop;
    }

private:
    int Other(const char* text, size_t size) const;
    int Ask(const char* text, size_t size) const;

    STextMeasure m_measure;
    mutable std::vector<std::vector<int>> m_pages; // the basic plane by 256 code points, -1 unknown
    mutable std::unordered_map<char32_t, int> m_codes;
    mutable std::unordered_map<std::string, int> m_clusters;
};
