#include "storage/storage.h"

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
    bool Load() {
        return LoadAtStartup(SStoredData{settings, days, everyDay}, paths, kAtCreation,
                             FixedMoment());
    }
    void WriteGoodFiles() {
        SSettings stored;
        SetDefaultSettings(stored, kAtCreation.window, kAtCreation.desktop);
        stored.nColor = 5;
        std::filesystem::create_directories(paths.folder);
        WriteFileBytes(paths.settings, SerializeSettings(stored));
        WriteFileBytes(paths.notes, SerializeNotes({{"011226", "first"}}, "every"));
    }

    SDataPaths paths;
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
    EXPECT_FALSE(Load());
    EXPECT_EQ(settings.nColor, 5);
    EXPECT_EQ(everyDay, "every");
    EXPECT_EQ(ReadFileBytes(paths.settingsBackup), ReadFileBytes(paths.settings));
    EXPECT_EQ(ReadFileBytes(paths.notesBackup), ReadFileBytes(paths.notes));
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
    ASSERT_TRUE(SaveAllFiles(SStoredData{settings, days, everyDay}, paths, kAtCreation));
    EXPECT_EQ(ReadFileBytes(paths.settings), SerializeSettings(settings));
    EXPECT_EQ(ReadFileBytes(paths.settingsBackup), SerializeSettings(settings));
    EXPECT_EQ(ReadFileBytes(paths.notes), SerializeNotes(days, everyDay));
    EXPECT_EQ(ReadFileBytes(paths.notesBackup), SerializeNotes(days, everyDay));
}

TEST_F(StorageTest, SaveAllStopsAtAnUnwritableSettingsFile) {
    Load();
    std::filesystem::create_directories(paths.settings); // a folder where the file should be
    EXPECT_FALSE(SaveAllFiles(SStoredData{settings, days, everyDay}, paths, kAtCreation));
    EXPECT_FALSE(Exists(paths.notes));
    EXPECT_FALSE(Exists(paths.settingsBackup));
    EXPECT_FALSE(Exists(paths.notesBackup));
}

TEST_F(StorageTest, ExitSaveTriesBothMainFilesAndReportsFailure) {
    Load();
    std::filesystem::create_directories(paths.settings);
    EXPECT_FALSE(SaveMainFiles(SStoredData{settings, days, everyDay}, paths, kAtCreation));
    EXPECT_EQ(ReadFileBytes(paths.notes), SerializeNotes(days, everyDay));
    EXPECT_FALSE(Exists(paths.notesBackup));

    std::filesystem::remove(paths.settings);
    EXPECT_TRUE(SaveMainFiles(SStoredData{settings, days, everyDay}, paths, kAtCreation));
    EXPECT_FALSE(Exists(paths.settingsBackup));
}

TEST_F(StorageTest, LeftoverTemporaryFilesAreRemoved) {
    WriteGoodFiles();
    WriteFileBytes(paths.notes + ".tmp", "half a save");
    WriteFileBytes(paths.settingsBackup + ".tmp", "half a save");
    RemoveLeftoverTempFiles(paths);
    EXPECT_FALSE(Exists(paths.notes + ".tmp"));
    EXPECT_FALSE(Exists(paths.settingsBackup + ".tmp"));
    EXPECT_TRUE(Exists(paths.notes));
}

} // namespace
