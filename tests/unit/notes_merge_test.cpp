#include "storage/notes_merge.h"

#include "storage/notes_file.h"

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
        {"theirs went on from mine", "a", "a, mine", "a, mine and more", "a, mine and more"},
        {"mine went on from an older copy", "a, b", "a, c", "a", "a, c"},
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

// A program that read the file before a save and wrote its copy after it brings back older texts
// and drops newer days: none of that is a change of its own.
TEST(NotesMerge, ACopyWrittenOverANewerFileTakesNothingBack) {
    const SNotebook read{{{"011226", "one"}}, "every"};
    const SNotebook saved{{{"011226", "one, more"}, {"021226", "two"}}, "every, more"};
    CRecentDays recent;
    recent.Record(SerializeNotes(read.days, read.everyDay),
                  SerializeNotes(saved.days, saved.everyDay));
    const SNotebook stale{{{"011226", "one"}, {"031226", "three"}}, "every"};
    const SNotebook merged = MergeNotebooks(saved, saved, stale, "--", &recent);
    EXPECT_EQ(merged, (SNotebook{{{"011226", "one, more"}, {"021226", "two"}, {"031226", "three"}},
                                 "every, more"}));
    EXPECT_EQ(MergeNotebooks(saved, saved, stale, "--").days.size(), 2u)
        << "read as changes, the stale copy deletes a day";
}

} // namespace
