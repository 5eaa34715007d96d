#include "storage/notes_merge.h"

#include <gtest/gtest.h>

namespace {

// One day through every case of the rule: what the base held, what each side made of it.
TEST(NotesMerge, EachDayTakesTheSideThatChangedItAndKeepsBothWhenBothDid) {
    struct SCase {
        const char* name;
        const char* base;
        const char* mine;
        const char* theirs;
        const char* merged;
    };
    const SCase cases[] = {
        {"only mine changed", "a", "a, mine", "a", "a, mine"},
        {"only theirs changed", "a", "a", "a, theirs", "a, theirs"},
        {"both alike", "a", "a, same", "a, same", "a, same"},
        {"both differently", "a", "a, mine", "a, theirs", "a, mine\r\n-- line --\r\na, theirs"},
        {"new on both", "", "mine", "theirs", "mine\r\n-- line --\r\ntheirs"},
        {"new on theirs", "", "", "theirs", "theirs"},
        {"deleted by mine", "a", "", "a", ""},
        {"deleted by theirs", "a", "a", "", ""},
        {"deleted by mine, changed by theirs", "a", "", "a, theirs", "a, theirs"},
        {"changed by mine, deleted by theirs", "a", "a, mine", "", "a, mine"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto notebook = [](const char* text) {
            return SNotebook{{{"071226", text}, {"081226", "same"}}, text};
        };
        const SNotebook merged =
            MergeNotebooks(notebook(c.base), notebook(c.mine), notebook(c.theirs), "-- line --");
        EXPECT_EQ(merged.everyDay, c.merged);
        DayArray days;
        if (*c.merged != '\0') {
            days.push_back({"071226", c.merged});
        }
        days.push_back({"081226", "same"});
        EXPECT_EQ(merged.days, days);
    }
}

TEST(NotesMerge, TheResultHoldsEachDayOnceInDateOrder) {
    const SNotebook base{{{"010126", "one"}}, ""};
    const SNotebook mine{{{"311225", "mine"}, {"010126", "one"}, {"010126", "duplicate"}}, ""};
    const SNotebook theirs{{{"010126", "one"}, {"150126", "theirs"}, {"020126", "two"}}, ""};
    const SNotebook merged = MergeNotebooks(base, mine, theirs, "--");
    EXPECT_EQ(
        merged.days,
        (DayArray{{"311225", "mine"}, {"010126", "one"}, {"020126", "two"}, {"150126", "theirs"}}));
    EXPECT_EQ(ElsewhereLine(LocalMidnight(2026, 12, 7) + 13 * 3600 + 5 * 60 + 59),
              "----- also saved elsewhere, 07.12.2026 13:05 -----");
}

} // namespace
