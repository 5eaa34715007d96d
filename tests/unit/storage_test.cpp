#include "storage/storage.h"

#include "storage/file_io.h"
#include "storage/notes_file.h"
#include "test_util.h"

#include <filesystem>

using namespace testutil;

namespace {

const SWindowPlace kAtCreation{SRect{0, 0, 215, 260}, SRect{0, 0, 1024, 768}};

class StorageTest : public ScratchDir {
protected:
    void SetUp() override {
        ScratchDir::SetUp();
        paths = SDataPaths::In(m_dir.string(), '/');
    }
    bool Load() { return LoadAtStartup(Data(), paths, kAtCreation, FixedMoment(), unreadable); }
    bool SaveAll(QTime now = FixedMoment()) {
        return SaveAllFiles(Data(), paths, kAtCreation, unreadable, now);
    }
    bool SaveMain() { return SaveMainFiles(Data(), paths, kAtCreation, unreadable, FixedMoment()); }
    SStoredData Data() { return SStoredData{settings, days, everyDay}; }
    void WriteGoodFiles() {
        SSettings stored;
        SetDefaultSettings(stored, kAtCreation.window, kAtCreation.desktop);
        stored.nColor = 5;
        std::filesystem::create_directories(paths.folder);
        WriteFileBytes(paths.settings, SerializeSettings(stored));
        WriteFileBytes(paths.notes, SerializeNotes({{"011226", "first"}}, "every"));
    }

    size_t FolderSize() const {
        const std::filesystem::directory_iterator all(paths.folder);
        return static_cast<size_t>(std::distance(begin(all), end(all)));
    }

    SDataPaths paths;
    CUnreadableFiles unreadable;
    SSettings settings;
    DayArray days;
    std::string everyDay;
};

TEST_F(StorageTest, PathsKeepTheFixedNames) {
    const SDataPaths win = SDataPaths::In("C:\\Users\\me\\AppData\\Roaming");
    EXPECT_EQ(win.folder, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\");
    EXPECT_EQ(win.settings, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\qlt_info.dat");
    EXPECT_EQ(win.notes, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\qlt_notes.dat");
    EXPECT_EQ(win.settingsBackup, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\prevInfo.dat");
    EXPECT_EQ(win.notesBackup, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\prevNotes.dat");
}

TEST_F(StorageTest, FirstRunTakesDefaultsCreatesTheFolderAndWritesNothing) {
    EXPECT_TRUE(Load());
    EXPECT_TRUE(std::filesystem::is_directory(paths.folder));
    EXPECT_TRUE(std::filesystem::is_empty(paths.folder));
    EXPECT_EQ(settings.nTimeFormat, 43);
    EXPECT_EQ(settings.ptPos, CentreOnDesktop(kAtCreation.window, kAtCreation.desktop));
    EXPECT_EQ(everyDay, "Every day area...");
    EXPECT_EQ(days, (DayArray{{"071226", "My first note..."}}));
}

TEST_F(StorageTest, GoodMainFilesRefreshTheirBackups) {
    WriteGoodFiles();
    // A backup that is there but does not load is kept before it is refreshed.
    WriteFileBytes(paths.notesBackup, "damaged backup");
    EXPECT_FALSE(Load());
    EXPECT_EQ(settings.nColor, 5);
    EXPECT_EQ(everyDay, "every");
    EXPECT_EQ(ReadFileBytes(paths.settingsBackup), ReadFileBytes(paths.settings));
    EXPECT_EQ(ReadFileBytes(paths.notesBackup), ReadFileBytes(paths.notes));
    EXPECT_EQ(ReadFileBytes(paths.notesBackup + ".unreadable-20261207-140509"), "damaged backup");
    EXPECT_EQ(FolderSize(), 5u);
}

TEST_F(StorageTest, DamagedMainFileFallsBackToItsBackupAndStaysUntouched) {
    WriteGoodFiles();
    WriteFileBytes(paths.notesBackup, SerializeNotes({{"021226", "from backup"}}, "backup"));
    const std::string good = ReadFileBytes(paths.notes);
    const std::string truncated = good.substr(0, good.size() - 2);
    WriteFileBytes(paths.notes, truncated);

    EXPECT_FALSE(Load());
    EXPECT_EQ(days, (DayArray{{"021226", "from backup"}}));
    EXPECT_EQ(everyDay, "backup");
    EXPECT_EQ(ReadFileBytes(paths.notes), truncated);
    // The settings were fine, so they still loaded from the main file.
    EXPECT_EQ(settings.nColor, 5);
}

TEST_F(StorageTest, SettingsAndNotesFallBackIndependently) {
    WriteGoodFiles();
    WriteFileBytes(paths.settings, "short");
    EXPECT_TRUE(Load()); // no backup either: the settings are defaulted
    EXPECT_EQ(settings.nColor, 0);
    EXPECT_EQ(everyDay, "every");
    EXPECT_FALSE(Exists(paths.settingsBackup));
    EXPECT_EQ(ReadFileBytes(paths.settings), "short");
}

TEST_F(StorageTest, SaveAllWritesMainFilesThenBackups) {
    Load();
    ASSERT_TRUE(SaveAll());
    EXPECT_EQ(ReadFileBytes(paths.settings), SerializeSettings(settings));
    EXPECT_EQ(ReadFileBytes(paths.settingsBackup), SerializeSettings(settings));
    EXPECT_EQ(ReadFileBytes(paths.notes), SerializeNotes(days, everyDay));
    EXPECT_EQ(ReadFileBytes(paths.notesBackup), SerializeNotes(days, everyDay));
}

TEST_F(StorageTest, SaveAllStopsAtAnUnwritableSettingsFile) {
    Load();
    std::filesystem::create_directories(paths.settings); // a folder where the file should be
    EXPECT_FALSE(SaveAll());
    EXPECT_FALSE(Exists(paths.notes));
    EXPECT_FALSE(Exists(paths.settingsBackup));
    EXPECT_FALSE(Exists(paths.notesBackup));
}

TEST_F(StorageTest, ExitSaveTriesBothMainFilesAndReportsFailure) {
    Load();
    std::filesystem::create_directories(paths.settings);
    EXPECT_FALSE(SaveMain());
    EXPECT_EQ(ReadFileBytes(paths.notes), SerializeNotes(days, everyDay));
    EXPECT_FALSE(Exists(paths.notesBackup));

    std::filesystem::remove(paths.settings);
    EXPECT_TRUE(SaveMain());
    EXPECT_FALSE(Exists(paths.settingsBackup));
}

TEST_F(StorageTest, UnreadableFilesAreCopiedAsideBeforeTheFirstWriteOverThem) {
    WriteGoodFiles();
    WriteFileBytes(paths.settings, "short");
    WriteFileBytes(paths.notes, "damaged notes");
    WriteFileBytes(paths.notesBackup, "damaged backup");
    EXPECT_TRUE(Load());
    EXPECT_EQ(everyDay, "Every day area...");
    EXPECT_EQ(FolderSize(), 3u); // nothing written, nothing copied yet

    ASSERT_TRUE(SaveMain());
    const std::string stamp = ".unreadable-20261207-140509";
    EXPECT_EQ(ReadFileBytes(paths.settings + stamp), "short");
    EXPECT_EQ(ReadFileBytes(paths.notes + stamp), "damaged notes");
    EXPECT_EQ(ReadFileBytes(paths.notes), SerializeNotes(days, everyDay));

    // Each file is kept once; a missing one has nothing to keep.
    ASSERT_TRUE(SaveAll(FixedMoment() + 60));
    const std::string later = ".unreadable-20261207-140609";
    EXPECT_EQ(ReadFileBytes(paths.notesBackup + later), "damaged backup");
    EXPECT_EQ(FolderSize(), 7u);
}

TEST_F(StorageTest, AWriteOverAnUnreadableFileFailsWhileItCannotBeKept) {
    WriteGoodFiles();
    WriteFileBytes(paths.notes, "damaged notes");
    Load();
    const std::string copy = paths.notes + ".unreadable-20261207-140509";
    std::filesystem::create_directories(copy); // the copy's name is taken
    EXPECT_FALSE(SaveMain());
    EXPECT_EQ(ReadFileBytes(paths.notes), "damaged notes");
    EXPECT_EQ(ReadFileBytes(paths.settings), SerializeSettings(settings));

    std::filesystem::remove(copy);
    EXPECT_TRUE(SaveMain());
    EXPECT_EQ(ReadFileBytes(copy), "damaged notes");
}

TEST_F(StorageTest, LeftoverTemporaryFileReplacesOnlyAMissingOrUnloadableTarget) {
    WriteGoodFiles();
    const std::string newer = SerializeNotes({{"021226", "newer"}}, "newer");
    const std::string settingsBytes = ReadFileBytes(paths.settings);
    // A save whose replace failed after the target was moved away.
    ASSERT_EQ(ReplaceFileContents(paths.notes, newer, kFailReplaceDropsTarget | kFailMove),
              EReplaceResult::LeftInTemp);
    WriteFileBytes(paths.settings, "short");
    WriteFileBytes(paths.settings + ".tmp", settingsBytes);
    WriteFileBytes(paths.notesBackup, newer);
    WriteFileBytes(paths.notesBackup + ".tmp", SerializeNotes({}, "older"));
    WriteFileBytes(paths.settingsBackup + ".tmp", settingsBytes.substr(0, 50));

    SettleLeftoverTempFiles(paths, FixedMoment());
    EXPECT_EQ(ReadFileBytes(paths.notes), newer);
    EXPECT_EQ(ReadFileBytes(paths.settings), settingsBytes);
    EXPECT_EQ(ReadFileBytes(paths.settings + ".unreadable-20261207-140509"), "short");
    EXPECT_EQ(ReadFileBytes(paths.notesBackup), newer);
    EXPECT_FALSE(Exists(paths.settingsBackup));
    EXPECT_EQ(FolderSize(), 4u); // no temporary file left

    EXPECT_FALSE(Load());
    EXPECT_EQ(everyDay, "newer");
    EXPECT_EQ(settings.nColor, 5);
}

} // namespace
