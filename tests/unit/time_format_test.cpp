#include "stored_files.h"
#include "base/time_format.h"
#include "notes/day_notes.h"
#include "render/clock_format.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using testutil::FixedMoment;

TEST(ClockFormat, FixedMomentIsWhatItClaims) {
    const QTime t = FixedMoment();
    ASSERT_NE(LocalMidnight(2026, 12, 7), -1);
    EXPECT_EQ(FormatTime(t, "%Y-%m-%d %H:%M:%S"), "2026-12-07 14:05:09");
    EXPECT_EQ(FormatTime(t, "%d%m%y"), "071226");
    EXPECT_EQ(FormatTime(LocalMidnight(2026, 12, 7), "%H:%M:%S"), "00:00:00");
}

TEST(ClockFormat, TheTenHeaderTexts) {
    const QTime t = FixedMoment();
    const char* const expected[] = {
        "14:05:09",        "02:05:09 PM", "Mon 14:05:09",     "Mon 02:05:09 PM", "Monday 14:05",
        "Monday 02:05 PM", "07 December", "07 December 2026", "Monday",          "07 December",
    };
    for (int k = 0; k <= 9; ++k) {
        EXPECT_EQ(FormatHeaderText(k, true, "%d %B", t), expected[k]) << "format " << k;
    }
}

TEST(ClockFormat, OutOfRangeFormatsShowFormatFour) {
    const QTime t = FixedMoment();
    for (int k : {43, -1, 10, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(FormatHeaderText(k, true, "custom", t), "Monday 14:05") << k;
        EXPECT_EQ(FormatHeaderText(k, false, "custom", t), "%A %H:%M") << k;
    }
}

TEST(ClockFormat, UnformattedTextIsThePattern) {
    EXPECT_EQ(FormatHeaderText(0, false, "x", 0), "%H:%M:%S");
    EXPECT_EQ(FormatHeaderText(8, false, "x", 0), "%A");
    EXPECT_EQ(FormatHeaderText(9, false, "%Q bad", 0), "%Q bad");
    EXPECT_EQ(std::string(FixedClockPattern(6)), "%d %B");
    EXPECT_EQ(ClockPattern(9, ""), "");
}

TEST(ClockFormat, CustomPatterns) {
    const QTime t = FixedMoment();
    EXPECT_EQ(FormatHeaderText(9, true, "", t), "");
    EXPECT_EQ(FormatHeaderText(9, true, "Quillet", t), "Quillet");
    EXPECT_EQ(FormatHeaderText(9, true, "100%% %j", t), "100% 341");
    EXPECT_EQ(FormatHeaderText(9, true, "%b/%y", t), "Dec/26");
}

TEST(TimeFormat, RejectsUnknownDirectivesAndALonePercent) {
    const QTime t = FixedMoment();
    for (const char* bad : {"%Q", "abc%", "%", "%#", "%H:%M %E", "%Ey", "%n", "%-d", "x%#Q"}) {
        EXPECT_EQ(FormatTime(t, bad), "") << bad;
        EXPECT_FALSE(IsSafeTimePattern(bad)) << bad;
    }
    EXPECT_EQ(FormatTime(t, nullptr), "");
    EXPECT_FALSE(IsSafeTimePattern(nullptr));
    EXPECT_TRUE(IsSafeTimePattern("%%Q"));
    EXPECT_EQ(FormatTime(t, "%%Q"), "%Q");
}

TEST(TimeFormat, ResultsLongerThan127CharactersAreEmpty) {
    const QTime t = FixedMoment();
    EXPECT_EQ(FormatTime(t, std::string(127, 'x')), std::string(127, 'x'));
    EXPECT_EQ(FormatTime(t, std::string(128, 'x')), "");
    std::string months;
    for (int i = 0; i < 15; ++i) {
        months += "%B"; // "December", 8 characters each
    }
    EXPECT_EQ(FormatTime(t, months).size(), 120u);
    EXPECT_EQ(FormatTime(t, months + "%B"), "");
    EXPECT_EQ(FormatTime(t, months + "%d%H%M").size(), 126u);
    EXPECT_EQ(FormatTime(t, months + "%d%H%M%S"), "");
    // Characters are counted as a window counts them: an emoji takes two.
    std::string clocks;
    for (int i = 0; i < 125; ++i) {
        clocks += "\xE2\x8F\xB0"; // U+23F0, one unit
    }
    EXPECT_EQ(FormatTime(t, clocks + "\xF0\x9F\x98\x80"), clocks + "\xF0\x9F\x98\x80");
    EXPECT_EQ(FormatTime(t, clocks + "\xF0\x9F\x98\x80" + "x"), "");
}

TEST(TimeFormat, AnyCharacterStandsBetweenTheDirectives) {
    EXPECT_EQ(FormatTime(FixedMoment(), "\xE2\x8F\xB0 %H:%M \xD0\xBC%%"),
              "\xE2\x8F\xB0 14:05 \xD0\xBC%");
}

TEST(TimeFormat, TimesOutsideTheRuntimeRangeAreEmpty) {
    EXPECT_EQ(FormatTime(-1, "%Y"), "");
    EXPECT_EQ(FormatTime(INT64_MIN, "%Y"), "");
    EXPECT_EQ(FormatTime(32535216000LL, "%Y"), "");
    EXPECT_EQ(FormatTime(INT64_MAX, "%Y"), "");
    EXPECT_FALSE(FormatTime(32535215999LL, "%Y").empty());
    EXPECT_EQ(FormatTime(32535215999LL - 2 * 86400, "%Y"), "3000");
}

TEST(TimeFormat, DirectivesReadTheSameOnEveryBuild) {
    const QTime t = FixedMoment();
    EXPECT_EQ(FormatTime(t, "%c"), "12/07/26 14:05:09");
    EXPECT_EQ(FormatTime(t, "%#c"), "Monday, December 07, 2026 14:05:09");
    EXPECT_EQ(FormatTime(t, "%x|%X"), "12/07/26|14:05:09");
    EXPECT_EQ(FormatTime(t, "%#x"), "Monday, December 07, 2026");
    EXPECT_EQ(FormatTime(LocalMidnight(2026, 3, 5) + 3 * 3600 + 4 * 60 + 5,
                         "%#d.%#m.%#y %#H:%#M:%#S %#I"),
              "5.3.26 3:4:5 3");
    EXPECT_EQ(FormatTime(t, "%a %A %b %B %p %U %W %w %j"),
              "Mon Monday Dec December PM 49 49 1 341");
}

TEST(TimeFormat, DateKeysComeFromTheSamePattern) {
    EXPECT_EQ(DayKeyFromDate(2026, 12, 7), FormatTime(FixedMoment(), "%d%m%y"));
    EXPECT_EQ(FormatTime(FixedMoment(), "%Y-%m-%d"), "2026-12-07");
}
