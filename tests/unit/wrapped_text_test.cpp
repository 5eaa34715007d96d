#include "notes/wrapped_text.h"

#include "base/unicode.h"
#include "base/utf8.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Letters 7 pixels wide, blanks 4, tabs every 64, ideographs and emoji 12: the figures of the
// notes font in a 175-pixel box under Wine, whose edit box cut the texts below as expected here.
STextMeasure Measure(bool fromGuess = false) {
    STextMeasure m;
    m.fromGuess = fromGuess;
    for (int& w : m.ascii) {
        w = 7;
    }
    m.ascii[static_cast<unsigned char>(' ')] = 4;
    m.aveWidth = 8;
    m.tabStop = 64;
    m.width = [](const char16_t* units, size_t) { return units[0] >= 0x2E80 ? 12 : 7; };
    return m;
}

std::vector<std::string> Lines(CWrappedText& text) {
    text.LayOutAll();
    std::vector<std::string> lines;
    for (size_t i = 0; i < text.Lines(); ++i) {
        lines.push_back(text.Text().substr(text.LineStart(i), text.LineEnd(i) - text.LineStart(i)));
    }
    return lines;
}

std::vector<std::string> Wrap(const std::string& s, int width = 175, bool fromGuess = false) {
    CWrappedText text;
    text.Reset(s, Measure(fromGuess), width);
    return Lines(text);
}

using V = std::vector<std::string>;
std::string A(size_t n) {
    return std::string(n, 'a');
}
std::string Times(size_t n, const std::string& s) {
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}
const std::string kIdeograph = "\xE6\xBC\xA2";          // U+6F22
const std::string kStop = "\xE3\x80\x82";               // U+3002, ideographic full stop
const std::string kAcute = "e\xCC\x81";                 // e and a combining acute accent
const std::string kEmoji = "\xF0\x9F\x98\x80";          // U+1F600, a surrogate pair in UTF-16
const std::string kThumb = kEmoji + "\xF0\x9F\x8F\xBD"; // with a skin-tone modifier

TEST(WrappedText, CutsWhereTheEditBoxCuts) {
    for (const bool guess : {false, true}) {
        // A paragraph that just fits; one longer by a letter loses two to the next line.
        EXPECT_EQ(Wrap(A(25), 175, guess), V{A(25)});
        EXPECT_EQ(Wrap(A(26), 175, guess), (V{A(24), A(2)}));
        // Blanks count towards the width and stay at the end of their line.
        EXPECT_EQ(Wrap(A(20) + " aaaa", 175, guess), V{A(20) + " aaaa"});
        EXPECT_EQ(Wrap(A(20) + " aaaa ", 175, guess), (V{A(20) + " ", "aaaa "}));
        EXPECT_EQ(Wrap(std::string(60, ' ') + "x", 175, guess),
                  (V{std::string(42, ' '), std::string(18, ' ') + "x"}));
        // After a hyphen unless a digit follows; after a blank before a hyphen too.
        EXPECT_EQ(Wrap(A(20) + "-" + A(8), 175, guess), (V{A(20) + "-", A(8)}));
        EXPECT_EQ(Wrap(A(20) + "-12345678", 175, guess), (V{A(20) + "-123", "45678"}));
        EXPECT_EQ(Wrap(A(20) + " -" + A(7), 175, guess), (V{A(20) + " -", A(7)}));
        // Never before a full stop; after a bar, before a plus sign.
        EXPECT_EQ(Wrap(A(20) + "." + A(8), 175, guess), (V{A(20) + "." + A(3), A(5)}));
        EXPECT_EQ(Wrap(A(20) + "|" + A(8), 175, guess), (V{A(20) + "|", A(8)}));
        EXPECT_EQ(Wrap(A(20) + "+" + A(8), 175, guess), (V{A(20), "+" + A(8)}));
        // Paragraphs, empty ones and a break at the very end each make lines.
        EXPECT_EQ(Wrap("x\r\n\r\ny\r\n", 175, guess), (V{"x", "", "y", ""}));
        EXPECT_EQ(Wrap("", 175, guess), V{""});
        // Tabs stop every 64 pixels from the line's start.
        EXPECT_EQ(Wrap("a\tb\tc\td", 175, guess), (V{"a\tb\t", "c\td"}));
        // A box narrower than a letter does not wrap.
        EXPECT_EQ(Wrap(A(40), 5, guess), V{A(40)});
        // No break between a quotation mark and an opening bracket, even with blanks between.
        EXPECT_EQ(Wrap(A(18) + " \" (" + A(8), 175, guess), (V{A(18) + " ", "\" (" + A(8)}));
        EXPECT_EQ(Wrap(A(20) + ")(" + A(8), 175, guess), (V{A(20) + ")", "(" + A(8)}));
        EXPECT_EQ(Wrap(A(20) + ",$" + A(8), 175, guess), (V{A(20) + ",", "$" + A(8)}));
        // Windows-1252 letters and signs wrap as their ASCII kin: two bytes in UTF-8 each.
        EXPECT_EQ(Wrap(Times(26, "\xC3\xA9"), 175, guess),
                  (V{Times(24, "\xC3\xA9"), Times(2, "\xC3\xA9")}));
        EXPECT_EQ(Wrap(A(20) + "\xE2\x82\xAC" + A(8), 175, guess),
                  (V{A(20), "\xE2\x82\xAC" + A(8)}));
    }
    // A letter and its mark are one character. Wine's box, counting back in units, would end
    // the line between the last letter and its mark: the line takes the mark along.
    EXPECT_EQ(Wrap(Times(26, kAcute), 175, false), (V{Times(24, kAcute), Times(2, kAcute)}));
    EXPECT_EQ(Wrap(Times(26, kAcute), 175, true), (V{Times(25, kAcute), kAcute}));
    // Wine's box looks left from a guess in proportion to the paragraph's width, and where
    // nothing fits there it counts back from the end: a blank can make a line of its own.
    EXPECT_EQ(Wrap("aaaa bbbbbbbb", 35, false), (V{"aaaa ", "bbbb", "bbbb"}));
    EXPECT_EQ(Wrap("aaaa bbbbbbbb", 35, true), (V{"aaaa", " ", "bbbb", "bbbb"}));
}

TEST(WrappedText, IdeographsBreakAnywhereButBeforeClosingMarks) {
    EXPECT_EQ(Wrap(Times(20, kIdeograph)), (V{Times(14, kIdeograph), Times(6, kIdeograph)}));
    // The stop would start the second line: the ideograph before it goes along.
    EXPECT_EQ(Wrap(Times(14, kIdeograph) + kStop + Times(5, kIdeograph)),
              (V{Times(13, kIdeograph), kIdeograph + kStop + Times(5, kIdeograph)}));
    // Wine's box guesses in units, where a surrogate pair counts twice: counted in characters,
    // the line would end before the fourth "a".
    EXPECT_EQ(Wrap(Times(5, kEmoji + " a "), 120, true),
              (V{Times(4, kEmoji + " a "), kEmoji + " a "}));
}

// Any text: the lines, put back together, are the text; each starts on a character and fits,
// or holds one character too long for a line; a layout in slices, in parts laid out in any
// order, after another width, is the same, and lines counted from a laid-out place are the
// lines there.
TEST(WrappedText, LinesCoverTheTextAndNeverSplitACharacter) {
    std::mt19937 random(7);
    const std::vector<std::string> alphabet = {
        "a",    "b",        " ",    "-",        "\t",      ".",
        "1",    "\xC3\xA9", kAcute, kIdeograph, kStop,     "\xE3\x80\x8C",
        kEmoji, kThumb,     "\xFF", "\xE2\x82", "\xCC\x81"};
    for (int round = 0; round < 200; ++round) {
        std::string s;
        const int size = static_cast<int>(random() % 300);
        for (int i = 0; i < size; ++i) {
            s += random() % 30 == 0 ? "\r\n" : alphabet[random() % alphabet.size()];
        }
        const int width = 20 + static_cast<int>(random() % 200);
        const bool guess = round % 2 == 1;
        CWrappedText whole;
        whole.Reset(s, Measure(guess), width);
        const V lines = Lines(whole);
        CWrappedText sliced(1 + random() % 64);
        sliced.Reset(s, Measure(guess), width + 30);
        sliced.LineOf(random() % (s.size() + 1));
        sliced.Rewrap(width);
        for (int look = 0; look < 4; ++look) {
            const size_t offset = random() % (s.size() + 1);
            const size_t before = random() % 8;
            const size_t after = random() % 8;
            const size_t line = sliced.LayOutAround(offset, before, after);
            const size_t exact = whole.LineOf(offset);
            for (size_t i = exact - std::min(exact, before);
                 i <= std::min(exact + after, lines.size() - 1); ++i) {
                ASSERT_EQ(sliced.LineStart(line + i - exact), whole.LineStart(i)) << s;
            }
            ASSERT_EQ(sliced.LineOf(offset), line);
            // A line's number names that line, estimated or not, unless the text is shorter.
            const size_t named = random() % sliced.Lines();
            const size_t start = sliced.LineStart(named);
            ASSERT_EQ(sliced.LineOf(start), std::min(named, sliced.Lines() - 1)) << s;
            sliced.LayOutMore(random() % 50);
        }
        ASSERT_EQ(sliced.ExactLineOf(s.size() / 2), whole.LineOf(s.size() / 2));
        ASSERT_EQ(lines, Lines(sliced));
        std::string joined;
        for (size_t i = 0; i < lines.size(); ++i) {
            joined += lines[i];
            if (whole.LineEnd(i) < s.size() && s.compare(whole.LineEnd(i), 2, "\r\n") == 0 &&
                (i + 1 == lines.size() || whole.LineStart(i + 1) == whole.LineEnd(i) + 2)) {
                joined += "\r\n";
            }
            const size_t at = whole.LineStart(i);
            EXPECT_EQ(whole.CharacterStart(at), at) << s;
            EXPECT_TRUE(at == s.size() ||
                        PriorCluster(s.data(), s.size(), NextCluster(s.data(), s.size(), at)) == at)
                << s;
            // Wine's box can make a line too long: see above.
            if (!guess && whole.Next(at) < whole.LineEnd(i)) {
                EXPECT_LE(whole.XOf(i, whole.Prior(whole.LineEnd(i))), width) << s;
            }
        }
        EXPECT_EQ(joined, s);
    }
}

TEST(WrappedText, PositionsAndSteps) {
    CWrappedText text;
    text.Reset("ab cd\r\nef " + kAcute + kThumb + "\xFF" + "x", Measure(), 175);
    EXPECT_EQ(text.LineOf(4), 0u);
    EXPECT_EQ(text.LineOf(7), 1u);
    EXPECT_EQ(text.XOf(0, 3), 18);
    // A click goes to the nearer side of a character, never inside one.
    EXPECT_EQ(text.OffsetAt(0, 21), 3u);
    EXPECT_EQ(text.OffsetAt(0, 22), 4u);
    EXPECT_EQ(text.OffsetAt(0, 500), 5u);
    EXPECT_EQ(text.OffsetAt(1, 7 + 7 + 4 + 7 + 5), 13u);
    // Steps: "\r\n", a letter with its mark, an emoji with its modifier, an invalid byte.
    EXPECT_EQ(text.Next(5), 7u);
    EXPECT_EQ(text.Prior(7), 5u);
    EXPECT_EQ(text.Next(10), 13u);
    EXPECT_EQ(text.Next(13), 21u);
    EXPECT_EQ(text.Next(21), 22u);
    EXPECT_EQ(text.Prior(21), 13u);
    EXPECT_EQ(text.CharacterStart(12), 10u);
    EXPECT_EQ(text.CharacterStart(15), 13u);
    EXPECT_EQ(text.XOf(1, 21), 7 + 7 + 4 + 7 + 12);
    EXPECT_EQ(text.WordStart(4), 3u);
    EXPECT_EQ(text.WordStart(15), 10u);
    EXPECT_EQ(text.WordEnd(0), 3u);
    EXPECT_EQ(text.WordEnd(3), 5u);
    EXPECT_EQ(text.WordEnd(7), 10u);
}

// Offsets in the box's UTF-16 units and back, counted part by part in any order: every
// character's start has its units, and a count of units ends at the start of its character.
TEST(WrappedText, UnitsAndOffsetsMatchEachOther) {
    std::mt19937 random(11);
    const std::vector<std::string> alphabet = {"a",    " ",    "\xC3\xA9", kAcute,     kIdeograph,
                                               kEmoji, kThumb, "\xFF",     "\xE2\x82", "\r\n"};
    for (int round = 0; round < 50; ++round) {
        std::string s;
        for (int i = static_cast<int>(random() % 400); i > 0; --i) {
            s += alphabet[random() % alphabet.size()];
        }
        CWrappedText text(1 + random() % 40);
        text.Reset(s, Measure(), 175);
        std::vector<size_t> starts; // each character's start, and the end
        for (size_t at = 0; at < s.size(); at = text.Next(at)) {
            starts.push_back(at);
        }
        starts.push_back(s.size());
        for (int look = 0; look < 40; ++look) {
            const size_t at = starts[random() % starts.size()];
            const size_t units = text.UnitsBefore(at);
            ASSERT_EQ(units, Utf16Length(s.data(), at)) << s;
            ASSERT_EQ(text.OffsetOfUnits(units), at) << s;
            // One unit more lies inside this character or ends it.
            const size_t next = text.Next(at);
            const size_t inside = text.OffsetOfUnits(units + 1);
            ASSERT_EQ(inside, next > at && Utf16Length(s.data(), next) == units + 1 ? next : at)
                << s;
        }
        ASSERT_EQ(text.Units(), Utf16Length(s));
        ASSERT_EQ(text.OffsetOfUnits(text.Units() + 5), s.size());
    }
}

} // namespace
