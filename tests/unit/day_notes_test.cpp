#include "notes/day_notes.h"
#include "plain_notes.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <set>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Keys(const DayArray& days) {
    std::string out;
    for (const SDay& d : days) {
        out += (out.empty() ? "" : ",") + d.strDate;
    }
    return out;
}

std::string SortKeyOf(const std::string& key) {
    return std::string(CSortKey(key).View());
}

template <size_t N> const char* Pick(std::mt19937& rng, const char* const (&items)[N]) {
    return items[rng() % N];
}

} // namespace

TEST(DayKey, SixDigitsDayMonthYear) {
    EXPECT_EQ(DayKeyFromDate(2026, 12, 7), "071226");
    EXPECT_EQ(DayKeyFromDate(1999, 1, 31), "310199");
    EXPECT_EQ(DayKeyFromDate(2000, 2, 29), "290200");
}

TEST(DayKey, EachDayOfTheCalendarsRangeHasAKeyOfItsOwnAndNoOtherDayHasOne) {
#ifndef _WIN32
    // Where daylight saving starts at midnight, 0:00 of that day does not exist.
    const char* const zone = std::getenv("TZ");
    const std::string before = zone != nullptr ? zone : "";
    setenv("TZ", "America/Santiago", 1);
    tzset();
    EXPECT_EQ(DayKeyFromDate(2024, 9, 8), "080924");
    zone != nullptr ? setenv("TZ", before.c_str(), 1) : unsetenv("TZ");
    tzset();
#endif
    std::set<std::string> keys;
    size_t days = 0;
    for (int year = 1970; year <= 2069; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                const std::string key = DayKeyFromDate(year, month, day);
                EXPECT_EQ(IsRealDayKey(key), !key.empty()) << key;
                days += key.empty() ? 0 : 1;
                keys.insert(key);
            }
        }
    }
    EXPECT_EQ(days, 36525u);
    EXPECT_EQ(keys.size(), days + 1) << "two days share a key"; // and the empty one
    for (const auto& date : {std::array<int, 3>{1969, 12, 31},
                             {2070, 1, 1},
                             {2025, 2, 29},
                             {2025, 13, 1},
                             {2025, 4, 31},
                             {2025, 1, 0}}) {
        EXPECT_EQ(DayKeyFromDate(date[0], date[1], date[2]), "") << date[0] << "-" << date[1];
    }
    EXPECT_FALSE(IsRealDayKey("31129"));
    EXPECT_FALSE(IsRealDayKey("3112 9"));
}

TEST(DayKey, DateTextInEachOrderAndForShortKeys) {
    const SDay day{"071226", "x"};
    EXPECT_EQ(FormatDayDate(day, 0, "."), "07.12.26");
    EXPECT_EQ(FormatDayDate(day, 1, "/"), "12/07/26");
    EXPECT_EQ(FormatDayDate(day, 2, ""), "261207");
    EXPECT_EQ(FormatDayDate(day, 3, "."), "");
    EXPECT_EQ(FormatDayDate(day, -1, "."), "");

    const SDay shortKey{"1234", "x"};
    EXPECT_EQ(FormatDayDate(shortKey, 0, "."), "12.34.");
    EXPECT_EQ(SortKeyOf(shortKey.strDate), "3412");
    EXPECT_EQ(FormatDayDate(SDay{"1", ""}, 0, "."), "1..");
    EXPECT_EQ(SortKeyOf("07122"), "21207");
    EXPECT_EQ(SortKeyOf(""), "");
    // Only the first six characters take part.
    EXPECT_EQ(SortKeyOf("07122699"), "261207");
    EXPECT_EQ(SortKeyOf("311299"), "991231");
}

TEST(DayNotes, BlankMeansOnlySpacesAndLineBreaks) {
    for (const char* blank : {"", " ", "\r\n", "  \r\n\r\n  ", "\n\n\r"}) {
        EXPECT_TRUE(IsBlankNote(blank)) << '"' << blank << '"';
    }
    for (const std::string& text : {std::string("\t"), std::string(" x "), std::string("\r\n.\r\n"),
                                    std::string(1, '\0'), std::string("\xA0")}) {
        EXPECT_FALSE(IsBlankNote(text)) << '"' << text << '"';
    }
}

TEST(DayNotes, GetDayNoteTakesTheFirstEntryOfAKey) {
    const DayArray days{{"010126", "a"}, {"071226", "first"}, {"071226", "second"}};
    EXPECT_EQ(GetDayNote("071226", days), "first");
    EXPECT_EQ(GetDayNote("07122", days), "");
    EXPECT_EQ(GetDayNote("071226", DayArray{}), "");
}

TEST(DayNotes, SetDayNoteReplacesInPlaceAndAppendsLater) {
    DayArray days{{"010126", "new year"}, {"150326", "march"}, {"071226", "december"}};
    SetDayNote({"150326", "changed"}, days, true);
    EXPECT_EQ(Keys(days), "010126,150326,071226");
    EXPECT_EQ(days[1].strNote, "changed");
    SetDayNote({"010127", "next year"}, days, true);
    EXPECT_EQ(Keys(days), "010126,150326,071226,010127");
    // Before everything.
    SetDayNote({"311299", "1999 sorts last"}, days, true);
    EXPECT_EQ(Keys(days), "010126,150326,071226,010127,311299");
    SetDayNote({"010100", "2000"}, days, true);
    EXPECT_EQ(days.front().strDate, "010100");
}

TEST(DayNotes, SetDayNoteRemovesBlankNotesAndKeepsTabs) {
    DayArray days{{"010126", "a"}, {"020126", "b"}};
    SetDayNote({"020126", " \r\n \r\n"}, days, true);
    EXPECT_EQ(Keys(days), "010126");
    SetDayNote({"020126", "\t"}, days, true);
    EXPECT_EQ(Keys(days), "010126,020126");
    EXPECT_EQ(days[1].strNote, "\t");
    // Blank for a day without an entry changes nothing.
    SetDayNote({"090926", ""}, days, true);
    EXPECT_EQ(Keys(days), "010126,020126");
    // The stored note keeps its blanks.
    SetDayNote({"030126", "  x\r\n"}, days, true);
    EXPECT_EQ(days[2].strNote, "  x\r\n");
}

TEST(DayNotes, SetDayNoteRemovesEveryDuplicate) {
    DayArray days{{"071226", "one"}, {"071226", "two"}, {"081226", "x"}, {"071226", "three"}};
    SetDayNote({"071226", "only"}, days, true);
    EXPECT_EQ(Keys(days), "071226,081226");
    EXPECT_EQ(GetDayNote("071226", days), "only");
    SetDayNote({"071226", ""}, days, true);
    EXPECT_EQ(Keys(days), "081226");

    // Duplicates around other keys go in one pass (the benchmark times a hundred thousand).
    DayArray many(1000, SDay{"071226", "dup"});
    many.insert(many.begin() + 500, SDay{"081226", "x"});
    SetDayNote({"071226", "only"}, many, true);
    EXPECT_EQ(many, (DayArray{{"071226", "only"}, {"081226", "x"}}));
}

TEST(DayNotes, SetDayNoteAcceptsAnElementOfTheSameArray) {
    DayArray days{{"010126", "a"}, {"020126", "b"}, {"030126", "c"}};
    SetDayNote(days[1], days, true);
    EXPECT_EQ(Keys(days), "010126,020126,030126");
    EXPECT_EQ(days[1].strNote, "b");
}

TEST(DayNotes, SetDayNoteDescending) {
    DayArray days;
    for (const char* key : {"150326", "071226", "010126", "311299", "010127"}) {
        SetDayNote({key, "n"}, days, false);
    }
    EXPECT_EQ(Keys(days), "311299,010127,071226,150326,010126");
    EXPECT_TRUE(IsDaysSorted(days, false));
}

TEST(DayNotes, FindInsertPosRules) {
    const DayArray asc{{"010126", ""}, {"150326", ""}, {"150326", ""}, {"071226", ""}};
    EXPECT_EQ(FindInsertPos({"010126", ""}, DayArray{}, true), 0u);
    EXPECT_EQ(FindInsertPos({"311225", ""}, asc, true), 0u);
    EXPECT_EQ(FindInsertPos({"311226", ""}, asc, true), 4u);
    // Equal keys: in front of the first equal entry that follows a smaller one.
    EXPECT_EQ(FindInsertPos({"150326", ""}, asc, true), 1u);
    EXPECT_EQ(FindInsertPos({"071226", ""}, asc, true), 3u);
    // Equal to the first entry: no gap fits, so the end.
    EXPECT_EQ(FindInsertPos({"010126", ""}, asc, true), 4u);
    const DayArray same{{"010126", ""}, {"010126", ""}};
    EXPECT_EQ(FindInsertPos({"010126", ""}, same, true), 2u);
    EXPECT_EQ(FindInsertPos({"010126", ""}, same, false), 2u);

    const DayArray desc{{"071226", ""}, {"150326", ""}, {"150326", ""}, {"010126", ""}};
    EXPECT_EQ(FindInsertPos({"311226", ""}, desc, false), 0u);
    EXPECT_EQ(FindInsertPos({"311225", ""}, desc, false), 4u);
    EXPECT_EQ(FindInsertPos({"150326", ""}, desc, false), 1u);
    EXPECT_EQ(FindInsertPos({"200326", ""}, desc, false), 1u);
    EXPECT_EQ(FindInsertPos({"010126", ""}, desc, false), 3u);

    // Out of order: the first gap that fits.
    const DayArray mixed{{"010126", ""}, {"071226", ""}, {"150326", ""}, {"311226", ""}};
    EXPECT_EQ(FindInsertPos({"100626", ""}, mixed, true), 1u);
    EXPECT_EQ(FindInsertPos({"101226", ""}, mixed, true), 3u);
}

TEST(DayNotes, IsDaysSortedTreatsEqualNeighboursAsOrdered) {
    EXPECT_TRUE(IsDaysSorted({}, true));
    EXPECT_TRUE(IsDaysSorted({{"311299", ""}}, false));
    const DayArray ties{{"010126", "a"}, {"010126", "b"}, {"071226", ""}, {"071226", ""}};
    EXPECT_TRUE(IsDaysSorted(ties, true));
    EXPECT_FALSE(IsDaysSorted(ties, false));
    const DayArray flat{{"010126", "a"}, {"010126", "b"}};
    EXPECT_TRUE(IsDaysSorted(flat, true));
    EXPECT_TRUE(IsDaysSorted(flat, false));
    // The year leads: 1999 after 2026.
    EXPECT_FALSE(IsDaysSorted({{"311299", ""}, {"071226", ""}}, true));
    EXPECT_TRUE(IsDaysSorted({{"311299", ""}, {"071226", ""}}, false));
    EXPECT_FALSE(IsDaysSorted({{"010126", ""}, {"311299", ""}, {"020126", ""}}, true));
}

TEST(DayNotes, SortDaysExample) {
    DayArray days{{"311299", ""}, {"071226", ""}, {"010126", ""}};
    SortDays(days, true);
    EXPECT_EQ(Keys(days), "010126,071226,311299");
    DayArray none;
    SortDays(none, true);
    EXPECT_TRUE(none.empty());
}

TEST(DayNotes, SortDaysTieRuleIsThatOfTheSelectionSort) {
    // The entry swapped out of place 0 passes its equal neighbour: the sort is not stable.
    DayArray days{{"020126", "b1"}, {"020126", "b2"}, {"010126", "a"}};
    SortDays(days, true);
    EXPECT_EQ(days[0].strNote, "a");
    EXPECT_EQ(days[1].strNote, "b2");
    EXPECT_EQ(days[2].strNote, "b1");
}

TEST(DayNotes, SortDaysMatchesTheSelectionSortOnRandomArrays) {
    const char* const keys[] = {"010126", "071226", "150326", "311299", "010100",  "071226",
                                "0712",   "07",     "",       "07122",  "3112991", "1"};
    std::mt19937 rng(20261207);
    for (int round = 0; round < 400; ++round) {
        const size_t n = round < 300 ? rng() % 40 : 200 + rng() % 300;
        DayArray days;
        for (size_t i = 0; i < n; ++i) {
            days.push_back({Pick(rng, keys), std::to_string(i)});
        }
        for (bool ascending : {true, false}) {
            DayArray expected = days;
            plain::SelectionSort(expected, ascending);
            DayArray actual = days;
            SortDays(actual, ascending);
            ASSERT_EQ(actual, expected) << "round " << round << " ascending " << ascending;
            EXPECT_TRUE(IsDaysSorted(actual, ascending));
        }
    }
}

TEST(NotedDays, MaskExamples) {
    const DayArray days{{"011226", "a"},
                        {"071226", " \r\n"},
                        {"311226", "b"},
                        {"151126", "other month"},
                        {"151226", "\t"}};
    EXPECT_EQ(NotedDaysMask("1226", days), (1u << 0) | (1u << 14) | (1u << 30));
    EXPECT_EQ(NotedDaysMask("1226", {}), 0u);
    // The first of two entries decides, blank or not.
    EXPECT_EQ(NotedDaysMask("1226", {{"051226", ""}, {"051226", "x"}}), 0u);
    EXPECT_EQ(NotedDaysMask("1226", {{"051226", "x"}, {"051226", ""}}), 1u << 4);
}

TEST(NotedDays, MaskEqualsThirtyOneLookups) {
    const char* const dayParts[] = {"00", "01", "07", "09", "10", "15", "29", "31", "32",
                                    "35", "3",  "1a", "x1", "",   "40", "99", "1",  "0"};
    const char* const monthYears[] = {"1226", "0126", "122", "12", "", "12260", "1227"};
    const char* const notes[] = {"", " ", "\r\n", "\t", "note", " x "};
    std::mt19937 rng(31);
    for (int round = 0; round < 2000; ++round) {
        DayArray days;
        const size_t n = rng() % 50;
        for (size_t i = 0; i < n; ++i) {
            days.push_back(
                {std::string(Pick(rng, dayParts)) + Pick(rng, monthYears), Pick(rng, notes)});
        }
        for (const char* monthYear : monthYears) {
            ASSERT_EQ(NotedDaysMask(monthYear, days), plain::NotedDays(monthYear, days))
                << "round " << round << " month " << monthYear;
        }
    }
}
