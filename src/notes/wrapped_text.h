#pragma once

#include "base/codepage.h"
#include "base/utf8.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
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
    // Lines end as Wine's edit box ends them: from a guess of where the line ends in proportion
    // to the paragraph's width, at the last place a line may end left of it that fits; with
    // none, counted back from the paragraph's end from the last width tried. Otherwise at the
    // last place a line may end that fits.
    bool fromGuess = false;
    // Advance of a double-byte character, asked once per character.
    std::function<int(unsigned char lead, unsigned char trail)> doubleWidth;
};

// A text laid out in lines the way a word-wrapping multi-line edit box lays it out: a paragraph
// (the text between "\r\n") is cut at the last place a line may end that still fits the width;
// a run with no such place is cut before the character that reaches the edge and the one
// before it, keeping at least one character; double-byte characters are never split. Wine's box
// chooses its cuts otherwise (see STextMeasure::fromGuess).
// The text is laid out in parts, each starting at a paragraph, on demand and in any order, so
// that any place of a large text shows at once. Lines are numbered as laid out where they are
// and by an estimate elsewhere: laying out a part renumbers the lines after it, never those
// before it or in it.
class CWrappedText {
public:
    static constexpr size_t kPartBytes = 32 * 1024;
    explicit CWrappedText(size_t partBytes = kPartBytes);
    void Reset(std::string text, const STextMeasure& measure, int width,
               const SCodePage& cp = SystemCodePageTables());
    // A new width or measure: laid out again from the top.
    void Relayout(const STextMeasure& measure, int width);
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
    // Character steps: "\r\n" and double-byte characters are one step.
    size_t Next(size_t offset) const;
    size_t Prior(size_t offset) const;
    // The start of the word at or before offset, and the start of the next word after offset.
    size_t WordStart(size_t offset) const;
    size_t WordEnd(size_t offset) const;

private:
    struct SPart {
        uint32_t begin = 0; // where its first paragraph starts
        uint32_t lines = 1; // its lines once laid out, an estimate before
        bool laidOut = false;
        std::vector<uint32_t> starts;
    };
    size_t PartEnd(size_t part) const;
    size_t PartOfOffset(size_t offset) const;
    void LayOutPart(size_t part);
    // The part and its line that a line number names now, laid out.
    std::pair<size_t, size_t> Locate(size_t line);
    std::pair<size_t, size_t> Span(size_t line);
    size_t CharSize(size_t at, size_t end) const;
    int Advance(size_t at, size_t size, int x) const;
    ELineClass ClassAt(size_t at) const;
    // Lays out the paragraph starting at from; where the next one starts.
    size_t LayOutParagraph(size_t from, std::vector<uint32_t>& starts);
    void LayOutGreedy(size_t from, size_t end, std::vector<uint32_t>& starts);
    void LayOutFromGuess(size_t from, size_t end, std::vector<uint32_t>& starts);

    std::string m_text;
    STextMeasure m_measure;
    int m_width = 0;
    const SCodePage* m_cp = nullptr;
    ELineClass m_classes[256];
    bool m_breaks[2][kLineClasses][kLineClasses];
    size_t m_partBytes;
    std::vector<SPart> m_parts;
    std::vector<size_t> m_above; // the lines above each part, and all of them last
    size_t m_firstOpen = 0;      // the first part not laid out
    size_t m_pastLaid = 0; // past the last part laid out: estimates follow the average after it
    size_t m_laidBytes = 0;
    size_t m_laidLines = 0;
    // Advances of double-byte characters once asked, -1 before.
    mutable std::vector<int> m_doubleWidths;
    // Of the paragraph being laid out, by character: where each starts, the advances before it
    // (tabs as none), and whether a line may start at it.
    std::vector<uint32_t> m_charAt;
    std::vector<int> m_xBefore;
    std::vector<uint8_t> m_soft;
    std::vector<int> m_lineX; // a line's advances before each character, where tabs lie ahead
};
