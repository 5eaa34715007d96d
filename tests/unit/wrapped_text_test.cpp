#include "notes/wrapped_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Letters 7 pixels wide, blanks 4, tabs every 64, double-byte characters 12: the figures of the
// notes font in a 175-pixel box under Wine, whose edit box cut the texts below as expected here.
STextMeasure Measure(bool fromGuess = false) {
    STextMeasure m;
    m.fromGuess = fromGuess;
    for (int& w : m.widths) {
        w = 7;
    }
    m.widths[static_cast<unsigned char>(' ')] = 4;
    m.aveWidth = 8;
    m.tabStop = 64;
    m.doubleWidth = [](unsigned char, unsigned char) { return 12; };
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
const std::string A(size_t n) {
    return std::string(n, 'a');
}

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
    }
    // Wine's box looks left from a guess in proportion to the paragraph's width, and where
    // nothing fits there it counts back from the end: a blank can make a line of its own.
    EXPECT_EQ(Wrap("aaaa bbbbbbbb", 35, false), (V{"aaaa ", "bbbb", "bbbb"}));
    EXPECT_EQ(Wrap("aaaa bbbbbbbb", 35, true), (V{"aaaa", " ", "bbbb", "bbbb"}));
}

// Any text: the lines, put back together, are the text; each fits or holds one character too
// long for a line; no double-byte character is split; a layout in slices, in parts laid out in
// any order, after another width, is the same, and lines counted from a laid-out place are the
// lines there.
TEST(WrappedText, LinesCoverTheTextAndNeverSplitACharacter) {
    SCodePage cp = SystemCodePageTables();
    for (int b = 0x81; b <= 0x9F; ++b) {
        cp.lead[b] = true;
    }
    cp.doubleByte = true;
    std::mt19937 random(7);
    const char alphabet[] = "ab cd-\t.,!1\x81\x82\x9f";
    for (int round = 0; round < 200; ++round) {
        std::string s;
        const int size = static_cast<int>(random() % 400);
        for (int i = 0; i < size; ++i) {
            s += random() % 30 == 0 ? std::string("\r\n") : std::string(1, alphabet[random() % 14]);
        }
        const int width = 20 + static_cast<int>(random() % 200);
        const bool guess = round % 2 == 1;
        CWrappedText whole;
        whole.Reset(s, Measure(guess), width, cp);
        const V lines = Lines(whole);
        CWrappedText sliced(1 + random() % 64);
        sliced.Reset(s, Measure(guess), width + 30, cp);
        sliced.LineOf(random() % (s.size() + 1));
        sliced.Relayout(Measure(guess), width);
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
            // A line starts on a character boundary.
            size_t at = whole.LineStart(i) == 0 ? 0 : whole.Prior(whole.LineStart(i));
            EXPECT_TRUE(at == 0 || whole.Next(at) == whole.LineStart(i)) << s;
            at = whole.LineStart(i);
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
    text.Reset("ab cd\r\nef", Measure(), 175);
    EXPECT_EQ(text.LineOf(4), 0u);
    EXPECT_EQ(text.LineOf(7), 1u);
    EXPECT_EQ(text.XOf(0, 3), 18);
    // A click goes to the nearer side of a character.
    EXPECT_EQ(text.OffsetAt(0, 21), 3u);
    EXPECT_EQ(text.OffsetAt(0, 22), 4u);
    EXPECT_EQ(text.OffsetAt(0, 500), 5u);
    EXPECT_EQ(text.Next(5), 7u);
    EXPECT_EQ(text.Prior(7), 5u);
    EXPECT_EQ(text.WordStart(4), 3u);
    EXPECT_EQ(text.WordEnd(0), 3u);
    EXPECT_EQ(text.WordEnd(3), 5u);
}

} // namespace
