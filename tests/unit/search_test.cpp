#include "notes/search.h"

#include "notes/text_finder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// Windows-1252 lower case, written out independently of the code under test.
unsigned char RefLower(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<unsigned char>(c + 0x20);
    }
    if (c == 0x8A || c == 0x8C || c == 0x8E) {
        return static_cast<unsigned char>(c + 0x10);
    }
    return c == 0x9F ? 0xFF : c;
}

std::string RefLower(const std::string& text) {
    std::string out(text);
    for (char& c : out) {
        c = static_cast<char>(RefLower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string RefSearch(const std::string& search, const DayArray& days) {
    std::string result;
    for (const SDay& day : days) {
        const std::string line = FormatDayDate(day, 0, ".") + " " + day.strNote;
        if (RefLower(line).find(RefLower(search)) != std::string::npos) {
            result += line + "\r\n\r\n";
        }
    }
    return result.empty() ? "Empty" : result;
}

const DayArray kDays{
    {"011226", "Dentist at 10"},
    {"071226", "Hello World"},
    {"071227", "Two\r\nlines"},
    {"120126", "lunch"},
};

} // namespace

TEST(Search, NothingToFindGivesEmpty) {
    EXPECT_EQ(SearchNotes("", {}), "Empty");
    EXPECT_EQ(SearchNotes("x", {}), "Empty");
    EXPECT_EQ(SearchNotes("zebra", kDays), "Empty");
    EXPECT_EQ(SearchNotes(std::string(100, 'a'), kDays), "Empty");
}

TEST(Search, EmptyBlankOrPointListsEveryNoteInArrayOrder) {
    const std::string all = "01.12.26 Dentist at 10\r\n\r\n"
                            "07.12.26 Hello World\r\n\r\n"
                            "07.12.27 Two\r\nlines\r\n\r\n"
                            "12.01.26 lunch\r\n\r\n";
    EXPECT_EQ(SearchNotes("", kDays), all);
    EXPECT_EQ(SearchNotes(" ", kDays), all);
    EXPECT_EQ(SearchNotes(".", kDays), all);
}

TEST(Search, MatchesTheDateAndAcrossIntoTheNote) {
    EXPECT_EQ(SearchNotes("12.26", kDays),
              "01.12.26 Dentist at 10\r\n\r\n07.12.26 Hello World\r\n\r\n");
    // Starts in the date, runs past the blank into the note, further than the date is long.
    EXPECT_EQ(SearchNotes("26 hello wor", kDays), "07.12.26 Hello World\r\n\r\n");
    EXPECT_EQ(SearchNotes("27 two\r\nl", kDays), "07.12.27 Two\r\nlines\r\n\r\n");
    EXPECT_EQ(SearchNotes("26 two", kDays), "Empty");
}

TEST(Search, OtherDateOrders) {
    const DayArray days{{"071226", "x"}};
    EXPECT_EQ(SearchNotes("", days, 1), "12.07.26 x\r\n\r\n");
    EXPECT_EQ(SearchNotes("26.12.07", days, 2), "26.12.07 x\r\n\r\n");
    EXPECT_EQ(SearchNotes("07.12.26", days, 2), "Empty");
}

TEST(Search, IgnoresLetterCaseAndKeepsTheNoteAsStored) {
    EXPECT_EQ(SearchNotes("DENTIST", kDays), "01.12.26 Dentist at 10\r\n\r\n");
    EXPECT_EQ(SearchNotes("hElLo", kDays), "07.12.26 Hello World\r\n\r\n");
    EXPECT_EQ(SearchNotes("LINES", kDays), "07.12.27 Two\r\nlines\r\n\r\n");
}

TEST(Search, FoldsTheCodePageLetters) {
    const DayArray days{
        {"010126", "CAF\xC9"}, {"020126", "caf\xE9"}, {"030126", "\x8A\x9F"}, {"040126", "\xD7"}};
    const std::string both = "01.01.26 CAF\xC9\r\n\r\n02.01.26 caf\xE9\r\n\r\n";
    EXPECT_EQ(SearchNotes("caf\xE9", days), both);
    EXPECT_EQ(SearchNotes("CAF\xC9", days), both);
    EXPECT_EQ(SearchNotes("\x9A\xFF", days), "03.01.26 \x8A\x9F\r\n\r\n");
    // The multiplication sign is no letter: it does not match the division sign.
    EXPECT_EQ(SearchNotes("\xF7", days), "Empty");
    EXPECT_EQ(LowerAnsi("A\xC0\xDE\xD7\xDF\x8C\x8E"), "a\xE0\xFE\xD7\xDF\x9C\x9E");
}

TEST(Search, DoubleByteCharactersMatchWholeFromTheirFirstByteAndAreNeverFolded) {
    // Lead bytes as Shift-JIS has them; single bytes fold A-Z only.
    SCodePage cp{};
    for (int b = 0; b < 256; ++b) {
        cp.lower[b] = static_cast<unsigned char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
        cp.lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    }
    cp.doubleByte = true;
    EXPECT_FALSE(CLoweredFinder("a", cp).In("\x82\x61")) << "matched inside a character";
    EXPECT_TRUE(CLoweredFinder("a", cp).In("\x82\x61X A"));
    EXPECT_TRUE(CLoweredFinder("\x82\x41", cp).In("x\x82\x41"));
    EXPECT_FALSE(CLoweredFinder("\x82\x61", cp).In("\x82\x41")) << "a character was folded";
    EXPECT_FALSE(CLoweredFinder("\x61\x82", cp).In("\x82\x61\x82\x40"));
}

TEST(Search, LooksBeyondEmbeddedZeroBytes) {
    const DayArray days{{"010126", std::string("abc\0Secret", 10)}};
    const std::string line = std::string("01.01.26 abc\0Secret", 19) + "\r\n\r\n";
    EXPECT_EQ(SearchNotes("secret", days), line);
    EXPECT_EQ(SearchNotes(std::string("C\0S", 3), days), line);
    EXPECT_EQ(SearchNotes(std::string("\0\0", 2), days), "Empty");
}

TEST(Search, RepeatedAndAlternatingFirstLetters) {
    const DayArray days{{"010126", "xAaAab"}, {"020126", "abababc"}, {"030126", "aAaA"}};
    EXPECT_EQ(SearchNotes("aab", days), "01.01.26 xAaAab\r\n\r\n");
    EXPECT_EQ(SearchNotes("ABABC", days), "02.01.26 abababc\r\n\r\n");
    EXPECT_EQ(SearchNotes("aaaa", days), "01.01.26 xAaAab\r\n\r\n03.01.26 aAaA\r\n\r\n");
    EXPECT_EQ(SearchNotes("aaaaa", days), "Empty");
}

TEST(Search, MatchesANaiveSearchOnRandomNotes) {
    const char alphabet[] = {'a',  'A', 'b', 'B', '\xC9', '\xE9', '\x8A', '\x9A',
                             '\0', ' ', '.', '1', '2',    '\r',   '\n'};
    const char* const keys[] = {"011226", "120126", "1", "", "1a2b3c"};
    auto randomText = [&alphabet](std::mt19937& rng, size_t maxLength) {
        std::string s(rng() % (maxLength + 1), ' ');
        for (char& c : s) {
            c = alphabet[rng() % sizeof alphabet];
        }
        return s;
    };
    std::mt19937 rng(4321);
    for (int round = 0; round < 3000; ++round) {
        DayArray days;
        for (size_t i = rng() % 6; i > 0; --i) {
            // Long notes are searched sixteen bytes at a time, short ones byte by byte.
            days.push_back({keys[rng() % 5], randomText(rng, round % 2 == 0 ? 14 : 70)});
        }
        const std::string search = randomText(rng, 1 + rng() % 6);
        ASSERT_EQ(SearchNotes(search, days), RefSearch(search, days)) << "round " << round;
    }
}
