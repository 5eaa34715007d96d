#include "notes/search.h"

#include "plain_notes.h"

#include "base/stored_text.h"
#include "base/unicode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

const DayArray kDays{
    {"011226", "Dentist at 10"},
    {"071226", "Hello World"},
    {"071227", "Two\r\nlines"},
    {"120126", "lunch"},
};

// Whether the search finds the note.
bool Finds(const std::string& search, const std::string& note) {
    return SearchNotes(search, DayArray{{"010126", note}}) != "Empty";
}

std::string Folded(char32_t c) {
    const SFoldedChar f = FoldCharacter(c);
    std::string out;
    AppendUtf8(out, f.first);
    for (unsigned i = 0; i < f.markCount; ++i) {
        AppendUtf8(out, f.marks[i]);
    }
    return out;
}

} // namespace

TEST(Fold, CaseAccentsAndScriptsOfSingleCharacters) {
    EXPECT_EQ(Folded(U'A'), "a");
    EXPECT_EQ(Folded(U'É'), u8"e\u0301");
    EXPECT_EQ(Folded(U'Ǻ'), u8"a\u030A\u0301"); // decomposed all the way down
    EXPECT_EQ(Folded(U'ệ'), u8"e\u0323\u0302"); // marks in canonical order
    EXPECT_EQ(Folded(U'Έ'), u8"ε\u0301");
    EXPECT_EQ(Folded(U'ς'), u8"σ");
    EXPECT_EQ(Folded(U'Ё'), u8"е\u0308");
    EXPECT_EQ(Folded(U'Ł'), u8"l\u0337");
    EXPECT_EQ(Folded(U'ẞ'), u8"ß");
    EXPECT_EQ(Folded(U'\u212A'), "k"); // Kelvin sign
    EXPECT_EQ(Folded(U'𐐀'), u8"𐐨");    // beyond the BMP
    EXPECT_EQ(Folded(U'\u0344'), u8"\u0308\u0301");
    // Other scripts keep their precomposed characters.
    EXPECT_EQ(Folded(U'が'), u8"が");
    EXPECT_EQ(Folded(U'한'), u8"한");
    EXPECT_TRUE(FoldCharacter(U'\u0301').isMark);
    EXPECT_EQ(FoldCharacter(U'\u0301').combiningClass, 230);
    EXPECT_TRUE(FoldCharacter(U'ж').accentable);
    EXPECT_FALSE(FoldCharacter(U'か').accentable);
    EXPECT_FALSE(FoldCharacter(U'1').accentable);
    // The search reads ASCII without the table; the table must agree.
    for (char32_t c = 0; c < 0x80; ++c) {
        const bool upper = c >= 'A' && c <= 'Z';
        const bool letter = upper || (c >= 'a' && c <= 'z');
        ASSERT_EQ(FoldCharacter(c).first, upper ? c + 32 : c);
        ASSERT_EQ(FoldCharacter(c).accentable, letter);
        ASSERT_EQ(FoldCharacter(c).markCount, 0u);
    }
}

TEST(Fold, EveryFoldedFormFoldsToItself) {
    for (char32_t c = 0; c < 0x110000; ++c) {
        const SFoldedChar f = FoldCharacter(c);
        const SFoldedChar again = FoldCharacter(f.first);
        ASSERT_EQ(again.first, f.first) << std::hex << c;
        ASSERT_EQ(again.markCount, 0u) << std::hex << c;
        for (unsigned i = 0; i < f.markCount; ++i) {
            ASSERT_TRUE(FoldCharacter(f.marks[i]).isMark) << std::hex << c;
        }
    }
}

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
    // Into a note with other characters, with an ASCII search text and without.
    const DayArray days{{"010126", u8"Café ouvert"}};
    const std::string line = u8"01.01.26 Café ouvert\r\n\r\n";
    EXPECT_EQ(SearchNotes("26 cafe o", days), line);
    EXPECT_EQ(SearchNotes(u8"1.26 CAFÉ", days), line);
    EXPECT_EQ(SearchNotes(u8"26 cafè", days), "Empty");
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

TEST(Search, IgnoresLetterCaseInEveryScript) {
    EXPECT_TRUE(Finds(u8"ПРИВЕТ", u8"Привет, мир"));
    EXPECT_TRUE(Finds(u8"ΚΑΛΗΜΈΡΑ", u8"Καλημέρα σας"));
    EXPECT_TRUE(Finds(u8"ŁÓDŹ", u8"łódź"));
    EXPECT_TRUE(Finds(u8"ΟΔΟΣ", u8"οδός")); // final sigma
    EXPECT_TRUE(Finds(u8"οδοσ", u8"ΟΔΟΣ"));
    EXPECT_TRUE(Finds(u8"STRAẞE", u8"straße"));
    EXPECT_TRUE(Finds(u8"𐐀", u8"x𐐨"));     // Deseret, beyond the BMP
    EXPECT_TRUE(Finds("k", u8"5 \u212A")); // a character that folds to ASCII
    EXPECT_FALSE(Finds(u8"ПРИВЕТ", u8"Привед"));
}

TEST(Search, AnUnaccentedLetterFindsEveryAccentAndAnAccentedOneOnlyItsOwn) {
    EXPECT_TRUE(Finds("cafe", u8"Café"));
    EXPECT_TRUE(Finds(u8"CAFÉ", u8"café"));
    EXPECT_FALSE(Finds(u8"café", "cafe"));
    EXPECT_FALSE(Finds(u8"café", u8"cafè"));
    EXPECT_FALSE(Finds(u8"ê", u8"ế")); // a further accent makes another letter
    EXPECT_TRUE(Finds("lodz", u8"Łódź"));
    EXPECT_TRUE(Finds(u8"łodz", u8"ŁÓDŹ"));
    EXPECT_FALSE(Finds(u8"łódź", "Lodz"));
    EXPECT_TRUE(Finds(u8"елка", u8"Ёлка"));
    EXPECT_FALSE(Finds(u8"ёлка", u8"елка"));
    EXPECT_TRUE(Finds(u8"αθηνα", u8"Αθήνα"));
    // Marks after an unaccented letter are passed over inside the needle too.
    EXPECT_TRUE(Finds("naive", u8"nai\u0308\u0301ve"));
}

TEST(Search, PrecomposedAndDecomposedFormsAreAlike) {
    EXPECT_TRUE(Finds(u8"café", u8"cafe\u0301"));
    EXPECT_TRUE(Finds(u8"cafe\u0301", u8"CAFÉ"));
    EXPECT_FALSE(Finds(u8"cafe\u0301", u8"cafe\u0300"));
    // Marks of different classes typed in either order.
    EXPECT_TRUE(Finds(u8"ệ", u8"e\u0302\u0323"));
    EXPECT_TRUE(Finds(u8"ê\u0323", u8"Ệ"));
    EXPECT_FALSE(Finds(u8"ệ", u8"ê"));
}

TEST(Search, AccentsArePassedOverOnlyInLatinGreekAndCyrillic) {
    EXPECT_FALSE(Finds(u8"か", u8"がっこう"));
    EXPECT_TRUE(Finds(u8"が", u8"がっこう"));
    EXPECT_FALSE(Finds(u8"하", u8"한국"));
    EXPECT_TRUE(Finds(u8"한", u8"대한민국"));
    // Vowel signs are characters of their own there: a search may end before one.
    EXPECT_TRUE(Finds(u8"कित", u8"किताब"));
}

TEST(Search, FindsAnAccentedLetterAnywhereInAnOtherwiseAsciiNote) {
    // The byte scan passes over the needle's first and last bytes only around its rarest one,
    // and ends with a step that overlaps the one before.
    EXPECT_TRUE(Finds("eal", u8"Éal"));
    EXPECT_TRUE(Finds("zae", u8"zaé"));
    EXPECT_TRUE(Finds("zae", u8"xxxxxxxxxxxxxxxxzaé"));
    EXPECT_TRUE(Finds("zeaaaaaa", std::string(16, 'x') + u8"zéaaaaaa" + std::string(10, 'x')));
}

TEST(Search, InvalidBytesAreReplacementCharactersAndStayAsStored) {
    const DayArray days{{"010126", "caf\xE9 \xC3"}};
    const std::string line = "01.01.26 caf\xE9 \xC3\r\n\r\n";
    EXPECT_EQ(SearchNotes("caf", days), line);
    EXPECT_EQ(SearchNotes("\xE9 \xFF", days), line);
    EXPECT_EQ(SearchNotes(u8"\uFFFD \uFFFD", days), line);
    EXPECT_EQ(SearchNotes("cafe", days), "Empty");
}

TEST(Search, KeptBytesAreSearchedAndListedAsTheirText) {
    // Kept bytes behind the UTF-8 mark read the same in every code page.
    const std::string kept = std::string(1, kKeptBytesMark) + kUtf8Mark + u8"Olé";
    ASSERT_EQ(ShownText(kept), u8"Olé");
    std::vector<SResultEntry> entries;
    const DayArray days{{"010126", "x"}, {"020126", kept}};
    EXPECT_EQ(SearchNotes("OLE", days, 0, &entries), u8"02.01.26 Olé\r\n\r\n");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].key, "020126");
    EXPECT_EQ(SearchNotes("\xFF", days), "Empty") << "the mark is no part of the text";
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

TEST(Search, MatchesAPlainSearchOnRandomNotes) {
    // ASCII first; then pieces that fold alike and not, marks in and out of order, bytes that are
    // not UTF-8.
    const std::string pieces[] = {
        "a",        "A",        "e",        "E",        "z",        "l",    "k",
        "s",        " ",        ".",        "1",        "2",        "\r\n", std::string(1, '\0'),
        u8"é",      u8"É",      u8"\u0301", u8"\u0323", u8"ê",      u8"ệ",  u8"Ł",
        u8"ł",      u8"ς",      u8"Σ",      u8"й",      u8"И",      u8"か", u8"が",
        u8"\u3099", u8"\u212A", "\xE9",     "\xC3",     u8"\u0344", u8"ΐ",  u8"ſ"};
    const size_t ascii = 14;
    const size_t count = sizeof pieces / sizeof pieces[0];
    // Keys that put other characters into the head, and cut ones.
    const char* const keys[] = {"011226", "120126", "1", "", "1a2b3c", u8"é1226", u8"xé1226"};
    // Texts of a few ASCII letters (long matches for the sixteen-byte scan), of every piece, and
    // of ASCII with a rare other piece, which may sit at either end of a note.
    auto randomText = [&](std::mt19937& rng, size_t maxPieces, int kind) {
        std::string s;
        for (size_t n = rng() % (maxPieces + 1); n > 0; --n) {
            const bool other = kind == 1 || (kind == 2 && rng() % 12 == 0);
            s += pieces[kind == 0 ? rng() % 5 : (other ? rng() % count : rng() % ascii)];
        }
        return s;
    };
    std::mt19937 rng(4321);
    for (int round = 0; round < 6000; ++round) {
        const int kind = round % 3;
        DayArray days;
        for (size_t i = rng() % 6; i > 0; --i) {
            std::string note = randomText(rng, round % 2 == 0 ? 10 : 60, kind);
            if (rng() % 16 == 0) {
                note = std::string(1, kKeptBytesMark) + note;
            }
            days.push_back({keys[rng() % 7], note});
        }
        const std::string search = randomText(rng, 1 + rng() % 5, kind);
        const int order = static_cast<int>(rng() % 4);
        ASSERT_EQ(SearchNotes(search, days, order), plain::SearchNotes(search, days, order))
            << "round " << round;
    }
}
