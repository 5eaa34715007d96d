// A text laid out in lines as a word-wrapping edit box lays it out, part by part on demand.
#pragma once

#include "notes/char_table.h"
#include "notes/line_breaks.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A UTF-8 text laid out in lines the way a word-wrapping multi-line edit box lays it out: a
// paragraph (the text between "\r\n") is cut at the last place a line may end that still fits
// the width; a run with no such place is cut before the character that reaches the edge and the
// one before it, keeping at least one character. A character is what the user sees as one (a
// letter with its marks, a surrogate pair, an emoji sequence): never split across lines, by a
// step or by a click. Invalid bytes are characters of their own. Wine's box chooses its cuts
// otherwise (see STextMeasure::fromGuess).
// The text is laid out in parts, each starting at a paragraph, on demand and in any order, so
// that any place of a large text shows at once. Lines are numbered as laid out where they are
// and by an estimate elsewhere: laying out a part renumbers the lines after it, never those
// before it or in it.
class CWrappedText {
public:
    static constexpr size_t kPartBytes = 32 * 1024;
    explicit CWrappedText(size_t partBytes = kPartBytes);
    void Reset(std::string text, const STextMeasure& measure, int width);
    // A new text in the same measure: the widths asked before are kept.
    void Reset(std::string text, int width);
    // A new measure (a new font): laid out again from the top, every width asked again.
    void Relayout(const STextMeasure& measure, int width);
    // A new width alone: laid out again from the top with the widths known.
    void Rewrap(int width);
    const std::string& Text() const { return m_text; }

    // Lays out about `bytes` more of the text from the top; false once the whole text is.
    bool LayOutMore(size_t bytes);
    bool Complete() const { return m_firstOpen >= m_parts.size(); }
    void LayOutAll();
    // The lines of the whole text: exact once Complete.
    size_t Lines() const { return m_above.back(); }
    // Lays out the character at offset with at least `before` lines above its line and `after`
    // below it, as far as the text goes, so that lines counted from it stay put; its line.
    size_t LayOutAround(size_t offset, size_t before, size_t after);
    // Lays out the last `lines` lines, so that the last line's number is exact from them.
    void LayOutEnd(size_t lines);
    // Lays out from the top until a line, or the line of offset, has its exact number.
    void LayOutThrough(size_t line);
    size_t ExactLineOf(size_t offset);
    // A line by its number now, its part laid out as needed.
    size_t LineStart(size_t line) { return Span(line).first; }
    // Where a line's characters end: before "\r\n" for the last line of a paragraph.
    size_t LineEnd(size_t line) { return Span(line).second; }
    // The line that shows the character at offset.
    size_t LineOf(size_t offset);

    // Distance from its line's start to the character at offset, which lies in that line.
    int XOf(size_t line, size_t offset);
    // The character boundary of a line nearest to x.
    size_t OffsetAt(size_t line, int x);
    // Character steps: "\r\n" is one step too.
    size_t Next(size_t offset) const;
    size_t Prior(size_t offset) const;
    // The start of the character that offset falls in.
    size_t CharacterStart(size_t offset) const;
    // The start of the word at or before offset, and the start of the next word after offset.
    size_t WordStart(size_t offset) const;
    size_t WordEnd(size_t offset) const;

    // The text in UTF-16 units, as the box's messages count it: the units before offset (a
    // character's start), the units of the whole text, and where a count of units ends (a
    // count that ends inside a character goes to its start). Each part is counted once, when
    // first needed.
    size_t UnitsBefore(size_t offset);
    size_t Units();
    size_t OffsetOfUnits(size_t units);

private:
    struct SPart {
        uint32_t begin = 0; // where its first paragraph starts
        uint32_t lines = 1; // its lines once laid out, an estimate before
        bool laidOut = false;
        std::vector<uint32_t> starts;
    };
    void SetText(std::string text);
    size_t PartEnd(size_t part) const;
    size_t PartOfOffset(size_t offset) const;
    void LayOutPart(size_t part);
    // The part and its line that a line number names now, laid out.
    std::pair<size_t, size_t> Locate(size_t line);
    std::pair<size_t, size_t> Span(size_t line);
    // Where the character at `at` ends, never past end.
    size_t CharacterEnd(size_t at, size_t end) const;
    ELineClass ClassAt(size_t at) const;
    void CountUnitsThrough(size_t part);
    // Lays out the paragraph starting at from; where the next one starts.
    size_t LayOutParagraph(size_t from, std::vector<uint32_t>& starts);
    void LayOutGreedy(size_t from, size_t end, std::vector<uint32_t>& starts);
    struct SLineSoFar {
        size_t at;        // the next character
        size_t prior;     // the start of the one before it
        size_t lastBreak; // the last place the line may end
        int x;
        uint8_t state; // between the characters, as SLineBreaks keeps it
    };
    // Takes characters onto the line while they fit; false when the paragraph ends first.
    bool FillLine(SLineSoFar& line, size_t end) const;
    // The characters from line.at that are not ASCII without marks, tabs among them, while
    // they fit; false at the first that does not.
    bool TakeCharacters(SLineSoFar& line, size_t end) const;

    // Wine's guess (wine_line_guess.cpp), in the UTF-16 units that box counts in.
    void LayOutFromGuess(size_t from, size_t end, std::vector<uint32_t>& starts);
    bool FitsOneLine(size_t from, size_t end) const;
    struct SUnitsSoFar {
        uint8_t state = 0; // between the characters, as SLineBreaks keeps it
        int x = 0;
        size_t unit = 0;
    };
    size_t MeasureUnits(size_t from, size_t end);
    // The characters from at that are not ASCII without marks, tabs among them; where the next
    // ASCII starts.
    size_t MeasureCharacters(size_t at, size_t end, SUnitsSoFar& sofar);
    // Where a unit of the paragraph lies, asked for in order.
    size_t ByteOfUnit(size_t unit, size_t end);
    void MeasureLine(size_t line, size_t units);
    int UnitX(size_t line, size_t unit, bool tabbed) const;
    size_t GuessLineEnd(size_t line, size_t units, bool tabbed, int lineWidth) const;
    size_t CountBack(size_t line, size_t units, bool tabbed, int fits) const;

    std::string m_text;
    CCharTable m_chars;
    int m_width = 0;
    size_t m_partBytes;
    std::vector<SPart> m_parts;
    std::vector<size_t> m_above; // the lines above each part, and all of them last
    size_t m_firstOpen = 0;      // the first part not laid out
    size_t m_pastLaid = 0; // past the last part laid out: estimates follow the average after it
    size_t m_laidBytes = 0;
    size_t m_laidLines = 0;
    // The units before each part, and in all; the first m_unitsKnown of them counted.
    std::vector<size_t> m_unitsBefore;
    size_t m_unitsKnown = 1;
    // Of the paragraph being laid out from a guess, by UTF-16 unit: the advances before it
    // (tabs as none), whether a line may start at it, whether it is a tab, and whether it is
    // not the first of its character's.
    static constexpr uint8_t kSoft = 1;
    static constexpr uint8_t kTab = 2;
    static constexpr uint8_t kInside = 4;
    std::vector<int> m_xBefore;
    std::vector<uint8_t> m_soft;
    bool m_oneByteUnits = true; // each unit a byte, as in ASCII
    size_t m_cursorUnit = 0;    // a unit whose place is known, and that place
    size_t m_cursorByte = 0;
    static constexpr size_t kNoTab = static_cast<size_t>(-1);
    size_t m_lastTab = kNoTab; // the unit of the last tab
    std::vector<int> m_lineX;  // a line's advances before each unit, where tabs lie ahead
};
