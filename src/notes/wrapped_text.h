#pragma once

#include "base/codepage.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Where a line may end, by the kind of character on either side (the common classes of
// Unicode's line breaking rules).
enum class ELineClass : uint8_t {
    Letter,    // letters, and anything not named below
    Space,     // blanks: a line may end after them
    After,     // break after: tab, vertical bar, soft hyphen, dashes
    Hyphen,    // hyphen-minus: break after, unless a digit follows
    Solidus,   // slash: break after, unless a digit follows
    Exclaim,   // ! ?: never at a line's start
    Infix,     // , . : ;: never at a line's start, no break after before letters
    Close,     // ) ] }: never at a line's start
    Open,      // ( [ {: never at a line's end
    Quote,     // quotation marks: no break on either side
    Prefix,    // $ + \ and currency signs: break before, none after
    Postfix,   // % and the like: break before, none after
    Digit,     // digits
    Glue,      // no-break space: no break on either side
    Both,      // em dash: break before and after
    Ideograph, // double-byte characters: break before and after
};
constexpr int kLineClasses = static_cast<int>(ELineClass::Ideograph) + 1;

ELineClass LineClassOf(char16_t unit);
// Whether a line may end between two characters; spaced when blanks lie between them.
bool MayBreakBetween(ELineClass before, ELineClass after, bool spaced);

// How a box draws the characters of a text.
struct STextMeasure {
    int widths[256] = {}; // advance of each single-byte character
    int aveWidth = 1;     // a box narrower than this does not wrap
    int tabStop = 8;      // tabs stop at multiples of this
    // Advance of a double-byte character, asked once per character.
    std::function<int(unsigned char lead, unsigned char trail)> doubleWidth;
};

// A text laid out in lines the way a word-wrapping multi-line edit box lays it out: a paragraph
// (the text between "\r\n") is cut at the last place a line may end that still fits the width;
// a run with no such place is cut before the character that reaches the edge and the one
// before it, keeping at least one character; double-byte characters are never split.
// The layout runs ahead on demand and a slice at a time, so that a large text shows its first
// lines at once.
class CWrappedText {
public:
    CWrappedText();
    void Reset(std::string text, const STextMeasure& measure, int width,
               const SCodePage& cp = SystemCodePage());
    // A new width or measure: laid out again from the top.
    void Relayout(const STextMeasure& measure, int width);
    const std::string& Text() const { return m_text; }

    // Lays out about `bytes` more of the text; false once the whole text is laid out.
    bool LayOutMore(size_t bytes);
    bool Complete() const { return m_next > m_text.size(); }
    void LayOutAll() { LayOutMore(static_cast<size_t>(-1)); }
    // Lines laid out so far: all of them once Complete.
    size_t Lines() const { return m_starts.size(); }
    // The number of lines the whole text is likely to have, exact once Complete.
    size_t EstimatedLines() const;
    // Lays out until the line exists or the text ends.
    void LayOutLine(size_t line);
    size_t LineStart(size_t line) const { return m_starts[line]; }
    // Where a line's characters end: before "\r\n" for the last line of a paragraph.
    size_t LineEnd(size_t line) const;
    // The line that shows the character at offset (laid out as needed).
    size_t LineOf(size_t offset);

    // Distance from its line's start to the character at offset, which lies in that line.
    int XOf(size_t line, size_t offset) const;
    // The character boundary of a line nearest to x.
    size_t OffsetAt(size_t line, int x) const;
    // Character steps: "\r\n" and double-byte characters are one step.
    size_t Next(size_t offset) const;
    size_t Prior(size_t offset) const;
    // The start of the word at or before offset, and the start of the next word after offset.
    size_t WordStart(size_t offset) const;
    size_t WordEnd(size_t offset) const;

private:
    size_t CharSize(size_t at, size_t end) const;
    int Advance(size_t at, size_t size, int x) const;
    ELineClass ClassAt(size_t at) const;
    // Lays out the paragraph starting at m_next.
    void LayOutParagraph();

    std::string m_text;
    STextMeasure m_measure;
    int m_width = 0;
    const SCodePage* m_cp = nullptr;
    ELineClass m_classes[256];
    bool m_breaks[2][kLineClasses][kLineClasses];
    std::vector<uint32_t> m_starts;
    // Start of the next paragraph to lay out; past the end once all is laid out.
    size_t m_next = 0;
    // Advances of double-byte characters once asked, -1 before.
    mutable std::vector<int> m_doubleWidths;
};
