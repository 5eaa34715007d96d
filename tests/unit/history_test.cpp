#include "storage/history.h"

#include "storage/file_io.h"
#include "storage/notes_file.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testutil::FixedMoment;
using testutil::ReadFileBytes;
using testutil::WriteFileBytes;

class DailyHistory : public testutil::ScratchDir {
protected:
    SDataPaths Paths() const {
        return SDataPaths::In(m_dir.string(),
                              static_cast<char>(std::filesystem::path::preferred_separator));
    }
    std::string CopyOf(int day) const {
        char name[32];
        std::snprintf(name, sizeof name, "qlt_notes-2026-12-%02d.dat", day);
        return (m_dir / "Quillet" / "history" / name).string();
    }
};

TEST_F(DailyHistory, OneCopyADayOfANotesFileThatLoadsAndTheNewestFourteenStay) {
    const SDataPaths paths = Paths();
    ASSERT_TRUE(CreateFolder(paths.folder));
    const std::string first = SerializeNotes({{"011226", "first"}}, "every day");
    WriteFileBytes(paths.notes, first);
    const QTime day = 24 * 3600;
    const QTime december1 = FixedMoment() - 6 * day;
    EXPECT_TRUE(KeepDailyCopy(paths, december1));
    EXPECT_EQ(ReadFileBytes(CopyOf(1)), first);

    // Later the same day: the morning's copy stays.
    WriteFileBytes(paths.notes, SerializeNotes({{"011226", "changed"}}, ""));
    EXPECT_TRUE(KeepDailyCopy(paths, december1 + 3600));
    EXPECT_EQ(ReadFileBytes(CopyOf(1)), first);

    for (int d = 2; d <= 20; ++d) {
        EXPECT_TRUE(KeepDailyCopy(paths, december1 + (d - 1) * day));
    }
    size_t copies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(HistoryFolder(paths))) {
        (void)entry;
        ++copies;
    }
    EXPECT_EQ(copies, kHistoryCopies);
    EXPECT_FALSE(testutil::Exists(CopyOf(6)));
    EXPECT_TRUE(testutil::Exists(CopyOf(7)));

    // A notes file that does not load is not kept as history.
    WriteFileBytes(paths.notes, first.substr(0, first.size() - 1));
    EXPECT_FALSE(KeepDailyCopy(paths, december1 + 20 * day));
    EXPECT_FALSE(testutil::Exists(CopyOf(21)));
}

} // namespace
