#include "notes/calendar_marks.h"

#include <gtest/gtest.h>

namespace {

const DayArray kDays = {
    {"011226", "first of December"},
    {"311226", "last of December"},
    {"151126", "November"},
    {"101226", " \r\n"}, // blank: no mark
};

TEST(CalendarMarks, OnlyTheSelectedMonthIsMarked) {
    const std::vector<uint32_t> states = MakeDayStates(3, "071226", kDays);
    ASSERT_EQ(states.size(), 3u);
    EXPECT_EQ(states[0], 0u); // November is shown only in part: never bold
    EXPECT_EQ(states[1], (1u << 0) | (1u << 30));
    EXPECT_EQ(states[2], 0u);
}

TEST(CalendarMarks, NeverMoreStatesThanTheRangeHolds) {
    // A one-month range holds only the selected month; the array must not grow to two.
    const std::vector<uint32_t> one = MakeDayStates(1, "071226", kDays);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (1u << 0) | (1u << 30));
    EXPECT_TRUE(MakeDayStates(0, "071226", kDays).empty());
    EXPECT_TRUE(MakeDayStates(-1, "071226", kDays).empty());
}

TEST(CalendarMarks, AnotherMonthMovesTheMarks) {
    const std::vector<uint32_t> states = MakeDayStates(3, "201126", kDays);
    EXPECT_EQ(states[1], 1u << 14);
    EXPECT_EQ(MakeDayStates(3, "071226", {})[1], 0u);
}

} // namespace
