#include "stored_files.h"
#include "sync/notes_merge.h"

#include "storage/notes_file.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using testutil::FixedMoment;

const QTime kMine = FixedMoment();
const QTime kTheirs = FixedMoment() + 3600;

// The pieces of a merged text, cut at its separator lines.
std::vector<std::string> PiecesOf(const std::string& text) {
    std::vector<std::string> pieces(1);
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        const std::string line = text.substr(at, end - at);
        if (line.rfind("----- also saved elsewhere, ", 0) == 0) {
            pieces.emplace_back();
        } else {
            std::string& piece = pieces.back();
            piece += (piece.empty() ? "" : "\r\n") + line;
        }
        at = end + 2;
    }
    return pieces;
}

// One day through every case of the rule: what the base held, what each side made of it.
TEST(NotesMerge, EachDayTakesTheSideThatChangedItAndKeepsBothWhenBothDid) {
    const std::string line = "\r\n" + ElsewhereLine(kTheirs) + "\r\n";
    struct SCase {
        const char* name;
        std::string base;
        std::string mine;
        std::string theirs;
        std::string merged;
    };
    const SCase cases[] = {
        {"only mine changed", "a", "a, mine", "a", "a, mine"},
        {"only theirs changed", "a", "a", "a, theirs", "a, theirs"},
        {"both alike", "a", "a, same", "a, same", "a, same"},
        {"both differently", "a", "a, mine", "a, theirs", "a, mine" + line + "a, theirs"},
        {"new on both", "", "mine", "theirs", "mine" + line + "theirs"},
        {"new on theirs", "", "", "theirs", "theirs"},
        {"deleted by mine", "a", "", "a", ""},
        {"deleted by theirs", "a", "a", "", ""},
        {"deleted by mine, changed by theirs", "a", "", "a, theirs", "a, theirs"},
        {"changed by mine, deleted by theirs", "a", "a, mine", "", "a, mine"},
        {"theirs went on from mine", "a", "a, mine", "a, mine and more", "a, mine and more"},
        {"mine holds theirs in its middle", "b", "a b c", "b c", "a b c"},
        {"mine went on from an older copy", "a, b", "a, c", "a", "a, c" + line + "a"},
        {"a line deleted here, more added there", "a\r\nb", "a", "a\r\nb\r\nc",
         "a" + line + "a\r\nb\r\nc"},
        {"a line taken out of a piece twice kept, its copy taken out there",
         "a" + line + "b\r\nc" + line + "b", "a" + line + "b" + line + "b", "a" + line + "b\r\nc",
         "a" + line + "b" + line + "b\r\nc"},
        {"theirs took out only what mine took out too", "a\r\nb\r\nc", "c\r\nd", "a\r\nc",
         "c\r\nd"},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto notebook = [](const std::string& text) {
            return SNotebook{{{"071226", text}, {"081226", "same"}}, text};
        };
        const SNotebook merged =
            MergeNotebooks(notebook(c.base), notebook(c.mine), notebook(c.theirs), kMine, kTheirs);
        EXPECT_EQ(merged.everyDay, c.merged);
        DayArray days;
        if (!c.merged.empty()) {
            days.push_back({"071226", c.merged});
        }
        days.push_back({"081226", "same"});
        EXPECT_EQ(merged.days, days);
    }
}

// Two computers that merge each other's texts, and merges of merges, in any order: the same
// text on both, each piece once.
TEST(NotesMerge, MergesOfMergesRepeatNothingAndBothSidesAgree) {
    const std::string base = "a";
    const std::string x = MergeText(base, "a, x", "a, y", kMine, kTheirs);
    const std::string y = MergeText(base, "a, y", "a, x", kTheirs, kMine);
    EXPECT_EQ(x, y) << "whichever side calls the other theirs";
    const std::string texts[] = {
        "a", "a, x", "a, y", "z", x, MergeText(x, x + "\r\nmore", "z", kTheirs, kMine + 60)};
    for (const std::string& b : texts) {
        for (const std::string& m : texts) {
            for (const std::string& t : texts) {
                const std::string one = MergeText(b, m, t, kMine, kTheirs);
                EXPECT_EQ(one, MergeText(b, t, m, kTheirs, kMine)) << b << "|" << m << "|" << t;
                EXPECT_EQ(MergeText(b, one, one, kMine, kTheirs), one);
                const std::vector<std::string> pieces = PiecesOf(one);
                EXPECT_EQ(std::set<std::string>(pieces.begin(), pieces.end()).size(), pieces.size())
                    << one;
            }
        }
    }
    EXPECT_EQ(MergeText(base, x, "a, y", kMine, kTheirs), x) << "a merge merged again";
    const std::string line = ElsewhereLine(kTheirs);
    EXPECT_EQ(MergeText("", "a\r\n" + line + "\r\n" + line + "\r\nb", "c", kMine, kTheirs),
              "a\r\n" + line + "\r\nc\r\n" + line + "\r\nb")
        << "a piece emptied by hand leaves two lines in a row";
}

TEST(NotesMerge, TheResultHoldsEachDayOnceInDateOrder) {
    const SNotebook base{{{"010126", "one"}}, ""};
    const SNotebook mine{{{"311225", "mine"}, {"010126", "one"}, {"010126", "duplicate"}}, ""};
    const SNotebook theirs{{{"010126", "one"}, {"150126", "theirs"}, {"020126", "two"}}, ""};
    const SNotebook merged = MergeNotebooks(base, mine, theirs, kMine, kTheirs);
    EXPECT_EQ(
        merged.days,
        (DayArray{{"311225", "mine"}, {"010126", "one"}, {"020126", "two"}, {"150126", "theirs"}}));
    EXPECT_EQ(ElsewhereLine(LocalMidnight(2026, 12, 7) + 13 * 3600 + 5 * 60 + 59),
              "----- also saved elsewhere, 07.12.2026 13:05 -----");
}

} // namespace
