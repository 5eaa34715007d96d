#include "storage/history.h"

#include "fake_files.h"
#include "storage/notes_file.h"

#include <cstdio>

namespace {

using testutil::FixedMoment;

constexpr QTime kDay = 24 * 3600;

class DailyHistory : public ::testing::Test {
protected:
    std::string CopyOf(int day) const {
        char name[32];
        std::snprintf(name, sizeof name, "qlt_notes-2026-12-%02d.dat", day);
        return HistoryFolder(paths) + "/" + name;
    }
    std::vector<std::string> Copies() { return files.Names(HistoryFolder(paths)); }

    SDataPaths paths = SDataPaths::In("/data", '/');
    testutil::CFakeClock clock;
    testutil::CFakeFiles files{clock};
};

TEST_F(DailyHistory, OneCopyADayAndTheNewestFourteenStay) {
    const QTime december1 = FixedMoment() - 6 * kDay;
    EXPECT_TRUE(KeepDailyCopy(files, paths, "first", december1));
    EXPECT_EQ(files.Get(CopyOf(1)), "first");
    // Later the same day: the morning's copy stays.
    EXPECT_TRUE(KeepDailyCopy(files, paths, "changed", december1 + 3600));
    EXPECT_EQ(files.Get(CopyOf(1)), "first");

    for (int d = 2; d <= 20; ++d) {
        EXPECT_TRUE(KeepDailyCopy(files, paths, "day", december1 + (d - 1) * kDay));
    }
    EXPECT_EQ(Copies().size(), kHistoryCopies);
    EXPECT_FALSE(files.Has(CopyOf(6)));
    EXPECT_TRUE(files.Has(CopyOf(7)));
}

// A clock set back makes the day's copy the oldest by name; it stays, and so do files whose names
// only look like copies.
TEST_F(DailyHistory, AClockSetBackNeverDeletesTheCopyJustMadeNorAnythingButRealCopies) {
    const QTime december1 = FixedMoment() - 6 * kDay;
    for (int d = 10; d <= 23; ++d) {
        KeepDailyCopy(files, paths, "day", december1 + (d - 1) * kDay);
    }
    files.Put(HistoryFolder(paths) + "/qlt_notes-2026-13-45.dat", "not a date");
    files.Put(HistoryFolder(paths) + "/qlt_notes-2026-02-29.dat", "not a date either");
    EXPECT_TRUE(KeepDailyCopy(files, paths, "set back", december1 + 4 * kDay));
    EXPECT_EQ(files.Get(CopyOf(5)), "set back");
    EXPECT_FALSE(files.Has(CopyOf(10)));
    EXPECT_TRUE(files.Has(CopyOf(11)));
    EXPECT_EQ(Copies().size(), kHistoryCopies + 2);
    EXPECT_TRUE(IsDailyCopy("qlt_notes-2024-02-29.dat"));
    EXPECT_FALSE(IsDailyCopy("qlt_notes-2026-12-0x.dat"));
}

} // namespace
