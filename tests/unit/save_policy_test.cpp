#include "saving/save_policy.h"

#include "app/messages.h"
#include "base/utf8.h"
#include "fake_files.h"
#include "sync/copy_names.h"
#include "storage/notes_file.h"
#include "sync/notes_merge.h"

using namespace testutil;

namespace {

const SWindowPlace kAtCreation{SRect{0, 0, 215, 260}, SRect{0, 0, 1024, 768}, {}, 0};
const std::string kStamp = "20261207-140509";

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override { files.MakeFolder(paths.folder); }

    SStartReport Load() { return policy.Load(settings, notes, kAtCreation); }
    void FinishStart() {
        while (policy.FinishStartStep()) {
        }
    }
    SSaveReport SaveMain() { return policy.SaveMain(settings, notes, kAtCreation, 1000); }
    SSaveReport SaveAll() { return policy.SaveAll(settings, notes, kAtCreation, 1000); }
    // What another program saves into the notes file.
    void SaveElsewhere(const DayArray& days, const std::string& everyDay) {
        files.Put(paths.notes, SerializeNotes(days, everyDay));
    }
    static std::string SettingsBytes(int color) {
        SSettings stored;
        SetDefaultSettings(stored, kAtCreation.window, kAtCreation.desktop);
        stored.nColor = color;
        return SerializeSettings(stored);
    }
    void PutGoodFiles() {
        files.Put(paths.settings, SettingsBytes(5));
        files.Put(paths.notes, SerializeNotes({{"011226", "first"}}, "every"));
    }
    std::vector<std::string> Names() { return files.Names(paths.folder); }
    static std::string GetDayNoteIn(const std::string& bytes, const std::string& key) {
        SNotebook read;
        CMemoryReader reader(bytes);
        ReadNotes(read.days, read.everyDay, reader);
        for (const SDay& day : read.days) {
            if (day.strDate == key) {
                return day.strNote;
            }
        }
        return std::string();
    }

    static SDataPaths TestPaths() {
        SDataPaths p = SDataPaths::In("/data", '/');
        p.local = "/local/Quillet/";
        return p;
    }

    SDataPaths paths = TestPaths();
    CFakeClock clock;
    CFakeFiles files{clock};
    CSavePolicy policy{paths, files, clock};
    SSettings settings;
    SNotebook notes;
};

TEST_F(StorageTest, PathsKeepTheFixedNames) {
    const SDataPaths win = SDataPaths::In("C:\\Users\\me\\AppData\\Roaming");
    EXPECT_EQ(win.folder, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\");
    EXPECT_EQ(win.settings, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\qlt_info.dat");
    EXPECT_EQ(win.notes, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\qlt_notes.dat");
    EXPECT_EQ(win.settingsBackup, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\prevInfo.dat");
    EXPECT_EQ(win.notesBackup, "C:\\Users\\me\\AppData\\Roaming\\Quillet\\prevNotes.dat");
}

TEST(DataFolder, APortableMarkerKeepsTheDataBesideTheProgram) {
    const std::string appData = "C:\\Users\\me\\AppData\\Roaming";
    EXPECT_EQ(ChooseDataFolder("E:\\Tools\\Quillet\\", true, appData),
              "E:\\Tools\\Quillet\\Data\\");
    EXPECT_EQ(ChooseDataFolder("E:\\", true, ""), "E:\\Data\\");
    EXPECT_EQ(ChooseDataFolder("E:\\Tools\\Quillet\\", false, appData), appData + "\\Quillet\\");
    EXPECT_EQ(ChooseDataFolder("Quillet\\", true, appData), "");
    EXPECT_EQ(ChooseDataFolder("E:\\Tools\\", false, ""), "");
}

TEST(DataFolder, OnlyAFullPathIsTakenFromTheShell) {
    for (const char* full : {"C:\\Users\\me", "d:/data", "\\\\server\\share\\me"}) {
        EXPECT_TRUE(IsFullWindowsPath(full)) << full;
    }
    for (const char* relative :
         {"", "C:", "C:Users\\me", "\\Users\\me", "AppData", "\\\\\\x", "1:\\x"}) {
        EXPECT_FALSE(IsFullWindowsPath(relative)) << relative;
    }
}

TEST(ConflictCopies, TheNamesSyncProgramsGiveAreKnownAndUsersCopiesAreNot) {
    const std::pair<const char*, const char*> copies[] = {
        {"qlt_notes (conflicted copy 2026-12-09).dat", "Dropbox"},
        {"qlt_notes (Computer's conflicted copy 2026-12-09).dat", "Dropbox"},
        {"qlt_notes (Computer's conflicted copy 2026-12-09 (1)).dat", "Dropbox"},
        {"qlt_notes-COMPUTERNAME.dat", "OneDrive"},
        {"qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat", "Syncthing"},
        {"qlt_notes (conflicted copy 2026-12-09 101010).dat", "Nextcloud"},
        {"qlt_notes_conflict-20261209-101010.dat", "ownCloud"},
    };
    for (const auto& copy : copies) {
        const char* client = ConflictClientOf(copy.first);
        EXPECT_STREQ(client == nullptr ? "none" : client, copy.second) << copy.first;
    }
    for (const char* name :
         {"qlt_notes (1).dat", "qlt_notes - Copy.dat", "qlt_notes.dat", "qlt_notes-2026.dat",
          "qlt_info (conflicted copy 2026-12-09).dat", "qlt_notes (conflicted copy 2026-12-9).dat",
          "qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat.tmp", "prevNotes-PC.dat"}) {
        EXPECT_EQ(ConflictClientOf(name), nullptr) << name;
    }
    EXPECT_TRUE(IsRecoveryName(RecoveryName(FixedMoment(), 2)));
    EXPECT_FALSE(IsRecoveryName("qlt_notes.recovered-20261207-140509.dat.merged-20261207-140509"));
}

TEST_F(StorageTest, FirstRunTakesDefaultsAndWritesNothing) {
    EXPECT_TRUE(Load().firstRun);
    FinishStart();
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(StartNoticeText(policy.TakeStartNotice()), "");
    EXPECT_EQ(settings.nTimeFormat, 43);
    EXPECT_EQ(settings.ptPos, CentreOnDesktop(kAtCreation.window, kAtCreation.desktop));
    EXPECT_EQ(notes, (SNotebook{{{"071226", "My first note..."}}, "Every day area..."}));
}

// The backups and the day's history copy wait for the window, and are made from what was read.
TEST_F(StorageTest, GoodMainFilesRefreshTheirBackupsOnceTheStartIsFinished) {
    PutGoodFiles();
    files.Put(paths.notesBackup, "damaged backup");
    EXPECT_FALSE(Load().firstRun);
    EXPECT_EQ(files.writes, 0);
    EXPECT_EQ(settings.nColor, 5);
    EXPECT_EQ(notes.everyDay, "every");

    FinishStart();
    EXPECT_EQ(files.Get(paths.settingsBackup), files.Get(paths.settings));
    EXPECT_EQ(files.Get(paths.notesBackup), files.Get(paths.notes));
    EXPECT_EQ(files.Get(paths.notesBackup + ".unreadable-" + kStamp), "damaged backup");
    EXPECT_EQ(files.Get(paths.folder + "history/qlt_notes-2026-12-07.dat"), files.Get(paths.notes));
    EXPECT_EQ(StartNoticeText(policy.TakeStartNotice()), "");

    // Another program wrote the days out of order, one twice: the backup is the notes as read,
    // one note a day in the file's order, though the notes are put in date order.
    const DayArray read{{"031226", "three"}, {"011226", "one"}, {"021226", "two"}};
    files.Put(paths.notes,
              SerializeNotes(
                  {{"031226", "three"}, {"011226", "one"}, {"021226", "two"}, {"031226", "three"}},
                  "every"));
    Load();
    EXPECT_EQ(notes.days, (DayArray{{"011226", "one"}, {"021226", "two"}, {"031226", "three"}}));
    FinishStart();
    EXPECT_EQ(files.Get(paths.notesBackup), SerializeNotes(read, "every"));
}

TEST_F(StorageTest, DamagedMainFileFallsBackToItsBackupIsKeptAsideOnceAndTheUserIsTold) {
    PutGoodFiles();
    files.Put(paths.notesBackup, SerializeNotes({{"021226", "from backup"}}, "backup"));
    const std::string good = files.Get(paths.notes);
    const std::string truncated = good.substr(0, good.size() - 2);
    files.Put(paths.notes, truncated);

    Load();
    EXPECT_EQ(notes, (SNotebook{{{"021226", "from backup"}}, "backup"}));
    EXPECT_EQ(settings.nColor, 5) << "the settings fall back on their own";
    FinishStart();
    EXPECT_EQ(files.Get(paths.notes), truncated);
    EXPECT_EQ(files.Get(paths.notes + ".unreadable-" + kStamp), truncated);
    EXPECT_EQ(StartNoticeText(policy.TakeStartNotice()),
              "qlt_notes.dat could not be read; the notes of prevNotes.dat are used. Its bytes "
              "are kept in qlt_notes.dat.unreadable-" +
                  kStamp + ".");
    EXPECT_EQ(StartNoticeText(policy.TakeStartNotice()), "") << "said once";

    // A later start with the same damaged file keeps no second copy.
    clock.ms += 60000;
    Load();
    FinishStart();
    EXPECT_EQ(Names().size(), 5u);
    EXPECT_NE(StartNoticeText(policy.TakeStartNotice()).find(kStamp), std::string::npos);
}

TEST_F(StorageTest, SettingsFallBackToDefaultsWithoutTouchingTheNotes) {
    PutGoodFiles();
    files.Put(paths.settings, "short");
    EXPECT_TRUE(Load().firstRun);
    EXPECT_EQ(settings.nColor, 0);
    EXPECT_EQ(notes.everyDay, "every");
    FinishStart();
    EXPECT_FALSE(files.Has(paths.settingsBackup));
    EXPECT_EQ(files.Get(paths.settings), "short");
}

TEST_F(StorageTest, SaveAllWritesMainFilesThenBackupsAndStopsAtTheFirstFailure) {
    Load();
    files.denied.insert(paths.settings);
    SSaveReport report = SaveAll();
    EXPECT_FALSE(report.saved);
    EXPECT_EQ(report.failedPath, paths.settings);
    EXPECT_TRUE(Names().empty());

    files.denied.clear();
    ASSERT_TRUE(SaveAll().saved);
    EXPECT_EQ(files.Get(paths.settings), SerializeSettings(settings));
    EXPECT_EQ(files.Get(paths.settingsBackup), SerializeSettings(settings));
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay));
    EXPECT_EQ(files.Get(paths.notesBackup), SerializeNotes(notes.days, notes.everyDay));
}

TEST_F(StorageTest, ExitSaveTriesBothMainFilesAndNamesTheNotesFirst) {
    Load();
    files.denied.insert(paths.settings);
    SSaveReport report = SaveMain();
    EXPECT_EQ(report.failedPath, paths.settings);
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay));
    files.denied.insert(paths.notes);
    report = SaveMain();
    EXPECT_EQ(report.failedPath, paths.notes);
    EXPECT_EQ(SaveFailureText(report),
              "The notes could not be saved: qlt_notes.dat is read-only or access to it is "
              "denied.");
    EXPECT_FALSE(files.Has(paths.notesBackup));
}

// A scanner holding a file for a moment is waited for; one that holds it longer is reported as
// busy, and nothing is read as damaged, fallen back from, or written.
TEST_F(StorageTest, AFileHeldByAnotherProgramIsBusyNeverDamaged) {
    PutGoodFiles();
    files.Put(paths.notesBackup, SerializeNotes({{"011126", "older"}}, "older"));
    files.HoldUntil(paths.notes, 300);
    EXPECT_EQ(Load().busyPath, "");
    EXPECT_GE(clock.ms, 300u);
    EXPECT_EQ(notes.everyDay, "every");

    files.HoldUntil(paths.notes, clock.ms + 12000);
    const SSettings before = settings;
    const SStartReport report = Load();
    EXPECT_EQ(report.busyPath, paths.notes);
    EXPECT_FALSE(policy.IsLoaded());
    EXPECT_LT(clock.ms, 12000u);
    FinishStart();
    EXPECT_EQ(files.writes, 0);

    clock.ms += 12000;
    EXPECT_EQ(Load().busyPath, "") << "Retry";
    EXPECT_EQ(notes.everyDay, "every");
}

TEST_F(StorageTest, AFailedSaveIsRetriedWithABackOffAndToldOncePerFailure) {
    Load();
    files.diskFull = true;
    SSaveReport report = SaveMain();
    EXPECT_FALSE(report.saved);
    EXPECT_TRUE(report.tellUser);
    EXPECT_EQ(SaveFailureText(report), "The notes could not be saved: the disk is full.");
    std::vector<unsigned> delays{policy.RetryDelayMs()};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(SaveMain().tellUser);
        delays.push_back(policy.RetryDelayMs());
    }
    EXPECT_EQ(delays, (std::vector<unsigned>{5000, 30000, 120000, 300000, 300000}));

    files.diskFull = false;
    EXPECT_TRUE(SaveMain().saved);
    EXPECT_EQ(policy.RetryDelayMs(), 0u);
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay));

    // Held past the wait: busy for a moment is no news; busy again at the retry is.
    files.HoldUntil(paths.notes, clock.ms + 600000);
    report = SaveMain();
    EXPECT_EQ(report.error, EFileError::Busy);
    EXPECT_FALSE(report.tellUser);
    report = SaveMain();
    EXPECT_TRUE(report.tellUser);
    EXPECT_EQ(SaveFailureText(report),
              "The notes could not be saved: another program is using qlt_notes.dat.");
    EXPECT_FALSE(SaveMain().tellUser) << "once per streak";

    // Busy, then a failure that is no moment's hold: that one is told.
    clock.ms += 600000;
    ASSERT_TRUE(SaveMain().saved);
    files.HoldUntil(paths.notes, clock.ms + 600000);
    EXPECT_FALSE(SaveMain().tellUser);
    files.HoldUntil(paths.notes, 0);
    files.diskFull = true;
    report = SaveMain();
    EXPECT_TRUE(report.tellUser);
    EXPECT_EQ(report.error, EFileError::DiskFull);
}

TEST_F(StorageTest, NotesSavedElsewhereAreMergedIntoTheSaveNeverOverwritten) {
    files.Put(paths.notes, SerializeNotes({{"011226", "one"}, {"021226", "two"}}, "every"));
    Load();
    notes = {{{"011226", "one, mine"}, {"021226", "two"}, {"031226", "three, mine"}}, "every"};
    const QTime theirTime = clock.Now() - 3600;
    files.Put(paths.notes, SerializeNotes({{"011226", "one, theirs"}}, "every, theirs"), theirTime);

    const SSaveReport report = SaveMain();
    ASSERT_TRUE(report.notesChanged);
    const SNotebook merged{{{"011226", "one, theirs\r\n----- also saved elsewhere, 07.12.2026 "
                                       "14:05 -----\r\none, mine"},
                            {"031226", "three, mine"}},
                           "every, theirs"};
    EXPECT_EQ(report.merged, merged);
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(merged.days, merged.everyDay));

    // What was written is the new base: a save with nothing new from elsewhere merges nothing.
    notes = merged;
    notes.days[1].strNote = "three, edited";
    EXPECT_FALSE(SaveMain().notesChanged);
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay));

    // A save that lands between the look at the file and the replace is merged all the same.
    const SNotebook before = notes;
    files.beforeReplacing = paths.notes;
    files.beforeReplace = [&] {
        SaveElsewhere({merged.days[0], {"041226", "four, theirs"}, before.days[1]},
                      "every, theirs");
    };
    notes.days[1].strNote = "three, edited again";
    const SSaveReport slipped = SaveMain();
    ASSERT_TRUE(slipped.notesChanged);
    EXPECT_EQ(
        slipped.merged.days,
        (DayArray{merged.days[0], {"031226", "three, edited again"}, {"041226", "four, theirs"}}));
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(slipped.merged.days, slipped.merged.everyDay));
    EXPECT_EQ(Names(), (std::vector<std::string>{"qlt_info.dat", "qlt_notes.dat"}));

    // One that writes again at every replace: what the save could not write back waits.
    notes = slipped.merged;
    int written = 0;
    std::function<void()> keepWriting = [&] {
        DayArray days = notes.days;
        for (int i = 0; i <= written; ++i) {
            days.push_back({"1" + std::to_string(i) + "0127", "theirs " + std::to_string(i)});
        }
        SaveElsewhere(days, notes.everyDay);
        if (++written < 6) {
            files.beforeReplace = keepWriting;
        }
    };
    files.beforeReplace = keepWriting;
    SSaveReport busy = SaveMain();
    ASSERT_TRUE(busy.saved);
    ASSERT_TRUE(busy.notesChanged);
    notes = busy.merged;
    EXPECT_TRUE(policy.NotesUnsaved(notes)) << "more than a save writes back at once";
    while (policy.NotesUnsaved(notes)) {
        busy = SaveMain();
        if (busy.notesChanged) {
            notes = busy.merged;
        }
    }
    EXPECT_EQ(GetDayNoteIn(files.Get(paths.notes), "150127"), "theirs 5");

    // A torn write that slips in before the replace is kept aside, not lost under ours.
    notes.days[0].strNote = "one, once more";
    files.beforeReplace = [&] { files.Put(paths.notes, std::string(64, '\0')); };
    ASSERT_TRUE(SaveMain().saved);
    EXPECT_EQ(files.Get(paths.notes + ".unreadable-" + kStamp), std::string(64, '\0'));
}

TEST_F(StorageTest, AChangedNotesFileIsLoadedWhenNothingWaitsToBeSaved) {
    // Another program stored the day twice: it is one note.
    files.Put(paths.notes, SerializeNotes({{"011226", "one"}, {"011226", "one"}}, "every"));
    Load();
    EXPECT_EQ(notes.days, (DayArray{{"011226", "one"}}));
    EXPECT_EQ(policy.LookAtFolder(notes).change, EDiskChange::None);

    // A sync client half way through its write, then done.
    files.Put(paths.notes, "\x05half");
    EXPECT_EQ(policy.LookAtFolder(notes).change, EDiskChange::TryLater);
    SaveElsewhere({{"021226", "two"}, {"011226", "one"}}, "every");
    SDiskLook look = policy.LookAtFolder(notes);
    ASSERT_EQ(look.change, EDiskChange::Reloaded);
    EXPECT_EQ(look.notes, (SNotebook{{{"011226", "one"}, {"021226", "two"}}, "every"}));
    notes = look.notes;
    EXPECT_FALSE(policy.NotesUnsaved(notes));

    notes.days[0].strNote = "one, typed";
    SaveElsewhere({{"011226", "one"}}, "every, theirs");
    EXPECT_EQ(policy.LookAtFolder(notes).change, EDiskChange::Merge);
    ASSERT_TRUE(SaveMain().notesChanged);
    notes = {{{"011226", "one, typed"}}, "every, theirs"};
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay))
        << "the day the other side deleted stays deleted";

    // A program that read the file just before that save writes its copy just after: what it
    // drops comes back, what it adds stays.
    SaveElsewhere({{"011226", "one"}, {"031226", "three"}}, "every, theirs");
    look = policy.LookAtFolder(notes);
    ASSERT_EQ(look.change, EDiskChange::Merge);
    ASSERT_TRUE(look.adopt);
    notes = look.notes;
    EXPECT_EQ(notes, (SNotebook{{{"011226", "one, typed"}, {"031226", "three"}}, "every, theirs"}));
    EXPECT_TRUE(SaveMain().saved);
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay));
}

TEST_F(StorageTest, NotesGoToARecoveryFileElsewhereWhenTheDataFolderTakesNothing) {
    Load();
    const std::string first = paths.folder + "qlt_notes.recovered-" + kStamp + ".dat";
    EXPECT_EQ(policy.WriteRecovery(notes), first);
    EXPECT_EQ(policy.WriteRecovery(notes), first) << "the same notes kept once";
    notes.everyDay = "changed";
    files.diskFull = true;
    EXPECT_EQ(policy.WriteRecovery(notes), "");
    files.diskFull = false;
    files.denied.insert(paths.folder + "qlt_notes.recovered-" + kStamp + "-2.dat");
    const std::string other = "/local/Quillet/qlt_notes.recovered-" + kStamp + ".dat";
    EXPECT_EQ(policy.WriteRecovery(notes), other);
    EXPECT_EQ(files.Get(other), SerializeNotes(notes.days, notes.everyDay));
}

TEST_F(StorageTest, KeptAsideCopiesAreMadeOnlyWhenTheWriteCanGoAheadAndStayFew) {
    PutGoodFiles();
    files.Put(paths.notes, "damaged 0");
    Load();
    files.denied.insert(paths.notes);
    EXPECT_FALSE(SaveMain().saved);
    EXPECT_EQ(Names().size(), 2u) << "a write that cannot go ahead keeps nothing aside";
    files.denied.clear();

    for (int i = 1; i <= 7; ++i) {
        clock.ms += 1000;
        EXPECT_TRUE(SaveMain().saved);
        files.Put(paths.notes, "damaged " + std::to_string(i));
        Load();
    }
    ASSERT_TRUE(SaveMain().saved);
    std::vector<std::string> kept;
    for (const std::string& name : Names()) {
        if (name.find(".unreadable-") != std::string::npos) {
            kept.push_back(files.Get(paths.folder + name));
        }
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"damaged 3", "damaged 4", "damaged 5", "damaged 6",
                                              "damaged 7"}));
}

TEST_F(StorageTest, CompleteLeftoverTemporaryFilesReplaceOnlyMissingOrUnloadableTargets) {
    PutGoodFiles();
    const std::string newer = SerializeNotes({{"021226", "newer"}}, "newer");
    const std::string settingsBytes = files.Get(paths.settings);
    files.Remove(paths.notes);
    files.Put(paths.notes + ".1a-1.tmp", newer);
    files.Put(paths.settings, "short");
    files.Put(paths.settings + ".tmp", settingsBytes);
    files.Put(paths.notesBackup, newer);
    files.Put(paths.notesBackup + ".1a-2.tmp", SerializeNotes({}, "older"));
    files.Put(paths.settingsBackup + ".1a-3.tmp", settingsBytes.substr(0, 50));

    Load();
    EXPECT_EQ(notes.everyDay, "newer");
    EXPECT_EQ(settings.nColor, 5);
    EXPECT_EQ(files.Get(paths.settings + ".unreadable-" + kStamp), "short");
    EXPECT_EQ(files.Get(paths.notesBackup), newer);
    EXPECT_EQ(Names(),
              (std::vector<std::string>{"prevNotes.dat", "qlt_info.dat",
                                        "qlt_info.dat.unreadable-" + kStamp, "qlt_notes.dat"}));
}

// The other computer's change wins where only it changed, whatever this run saved before it.
TEST_F(StorageTest, AChangeMadeOnTheOtherComputerIsNeverUndone) {
    files.Put(paths.notes, SerializeNotes({{"011226", "one"}}, "every"));
    Load();
    auto otherComputer = [&](const SNotebook& there) {
        clock.ms += 10000;
        SaveElsewhere(there.days, there.everyDay);
        SDiskLook look = policy.LookAtFolder(notes);
        if (look.adopt) {
            notes = look.notes;
        }
        if (look.change == EDiskChange::Merge || policy.NotesUnsaved(notes)) {
            const SSaveReport report = SaveMain();
            if (report.notesChanged) {
                notes = report.merged;
            }
        }
        EXPECT_FALSE(policy.NotesUnsaved(notes));
        EXPECT_EQ(files.Get(paths.notes), SerializeNotes(notes.days, notes.everyDay));
    };

    // Added here and saved, deleted there.
    notes.days.push_back({"021226", "dentist 3pm"});
    ASSERT_TRUE(SaveMain().saved);
    otherComputer({{{"011226", "one"}}, "every"});
    EXPECT_EQ(notes, (SNotebook{{{"011226", "one"}}, "every"}));

    // Both edited; there one text was kept of the merge.
    notes.days[0].strNote = "one, here";
    clock.ms += 10000;
    SaveElsewhere({{"011226", "one, there"}}, "every");
    SSaveReport merged = SaveMain();
    ASSERT_TRUE(merged.notesChanged);
    notes = merged.merged;
    otherComputer({{{"011226", "one, there"}}, "every"});
    EXPECT_EQ(notes.days, (DayArray{{"011226", "one, there"}}));

    // Changed here, put back there, while this side types elsewhere.
    notes.everyDay = "y";
    ASSERT_TRUE(SaveMain().saved);
    notes.days.push_back({"031226", "typed"});
    otherComputer({{{"011226", "one, there"}}, "every"});
    EXPECT_EQ(notes, (SNotebook{{{"011226", "one, there"}, {"031226", "typed"}}, "every"}));
    ASSERT_TRUE(SaveMain().saved);

    // After a restart, a version written before the one this computer left behind was not
    // made from it: what it lacks stays.
    const QTime before = clock.Now() - 5;
    CSavePolicy again{paths, files, clock};
    ASSERT_TRUE(again.Load(settings, notes, kAtCreation).busyPath.empty());
    files.Put(paths.notes,
              SerializeNotes({{"011226", "one, there"}, {"041226", "new there"}}, "every"), before);
    const SDiskLook older = again.LookAtFolder(notes);
    EXPECT_EQ(older.change, EDiskChange::Merge);
    EXPECT_EQ(older.notes.days,
              (DayArray{{"011226", "one, there"}, {"031226", "typed"}, {"041226", "new there"}}));

    // A text from there, changed here after a conflict copy was made there and then put back,
    // was changed on both sides.
    notes = older.notes;
    ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    const QTime copyTime = clock.Now();
    for (const char* text : {"new there, edited", "new there"}) {
        clock.ms += 10000;
        notes.days[2].strNote = text;
        ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    }
    files.Put(
        paths.folder + "qlt_notes-LAPTOP.dat",
        SerializeNotes({{"011226", "one, there"}, {"031226", "typed"}, {"041226", "changed there"}},
                       "every"),
        copyTime);
    const SDiskLook copy = again.LookAtFolder(notes);
    ASSERT_TRUE(copy.adopt);
    EXPECT_EQ(copy.notes.days[2].strNote,
              "changed there\r\n----- also saved elsewhere, 07.12.2026 14:06 -----\r\nnew there");

    // Put back as it was before a save of ours that another program's write followed at once,
    // holding that save's line: it was made from that save, whatever the clocks say, so the text
    // put back here wins.
    notes = copy.notes;
    ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    const std::string first = notes.days[0].strNote;
    notes.days[0].strNote = "one, shortened";
    ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    notes.days[0].strNote = first;
    SNotebook there = notes;
    there.days[0].strNote = "one, shortened";
    there.days.push_back({"051226", "five there"});
    files.Put(paths.notes, SerializeNotes(there.days, there.everyDay), clock.Now() + 1);
    const SSaveReport putBack = again.SaveMain(settings, notes, kAtCreation, 1000);
    ASSERT_TRUE(putBack.notesChanged);
    EXPECT_EQ(putBack.merged.days[0].strNote, first);
    EXPECT_EQ(putBack.merged.days.back().strNote, "five there");

    // A text outside the code page is stored behind a mark: what it was before a save of ours
    // is the text, not its stored form, or a day changed here alone would keep both texts.
    notes = putBack.merged;
    const std::string nihon = "\xE6\x97\xA5\xE6\x9C\xAC";
    for (const std::string& text : {nihon, nihon + ", here"}) {
        clock.ms += 10000;
        notes.days[0].strNote = text;
        ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    }
    there = notes;
    there.days[0].strNote = nihon;
    there.days.push_back({"061226", "six there"});
    files.Put(paths.notes, SerializeNotes(there.days, there.everyDay), clock.Now());
    const SDiskLook script = again.LookAtFolder(notes);
    EXPECT_EQ(script.notes.days[0].strNote, nihon + ", here");
    EXPECT_EQ(script.notes.days.back().strNote, "six there");

    // A version that lacks what a write of ours brought was made before it when this computer
    // first saw it within the race window after that write; later, what it lacks was deleted.
    notes = script.notes;
    ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    for (const QTime late : {kRaceWindowSeconds, kRaceWindowSeconds + 1}) {
        const SNotebook made = notes;
        const std::string day = late == kRaceWindowSeconds ? "081226" : "091226";
        notes.days.push_back({day, "typed just now"});
        ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
        clock.ms += late * 1000;
        files.Put(paths.notes, SerializeNotes(made.days, made.everyDay));
        const SDiskLook look = again.LookAtFolder(notes);
        ASSERT_TRUE(look.adopt);
        EXPECT_EQ(look.notes.days.back().strDate == day, late == kRaceWindowSeconds) << late;
        notes = look.notes;
        ASSERT_TRUE(again.SaveMain(settings, notes, kAtCreation, 1000).saved);
    }
}

// What a power cut leaves of another program's write is damage, never an empty notebook, and
// the good copies are kept from it.
TEST_F(StorageTest, ATornNotesFileFallsBackToTheBackupAndNeverReplacesIt) {
    const std::string good = SerializeNotes({{"011226", "one"}, {"021226", "two"}}, "every");
    for (const std::string& torn :
         {std::string(300, '\0'), good.substr(0, 20) + std::string(good.size(), '\0')}) {
        files.Put(paths.notes, torn);
        files.Put(paths.notesBackup, good);
        Load();
        EXPECT_EQ(notes.days.size(), 2u);
        FinishStart();
        EXPECT_EQ(files.Get(paths.notesBackup), good);
        EXPECT_EQ(files.Get(paths.folder + "history/qlt_notes-2026-12-07.dat"), "");
        EXPECT_NE(StartNoticeText(policy.TakeStartNotice()).find("could not be read"),
                  std::string::npos);
        EXPECT_TRUE(SaveMain().saved);
        EXPECT_EQ(files.Get(paths.notes), good);
        clock.ms += 1000;
    }
    // Torn while the program runs: looked at again, and once it stays torn, written anew.
    Load();
    files.Put(paths.notes, std::string(300, '\0'));
    for (int look = 0; look < 20 && policy.LookAtFolder(notes).change == EDiskChange::TryLater;
         ++look) {
    }
    ASSERT_TRUE(SaveMain().saved);
    EXPECT_EQ(files.Get(paths.notes), good);

    // Torn by a sync program that finishes it later: an automatic save leaves it to its writer
    // for a while, untold, and then takes in what the writer brought.
    files.Put(paths.notes, std::string(300, '\0'));
    Load();
    FinishStart();
    notes.days.push_back({"031226", "three"});
    auto automaticSave = [&] { return policy.SaveMain(settings, notes, kAtCreation, 1000, true); };
    const SSaveReport waited = automaticSave();
    EXPECT_TRUE(waited.waiting);
    EXPECT_FALSE(waited.saved || waited.tellUser);
    EXPECT_EQ(policy.RetryDelayMs(), kHalfWrittenRetryMs);
    EXPECT_TRUE(policy.WriteWaiting()) << "owed even with nothing typed";
    clock.ms += 5000;
    SaveElsewhere({{"011226", "one"}, {"021226", "two, there"}}, "every");
    const SSaveReport merged = automaticSave();
    ASSERT_TRUE(merged.saved && merged.notesChanged);
    EXPECT_FALSE(policy.WriteWaiting());
    EXPECT_EQ(merged.merged.days,
              (DayArray{{"011226", "one"}, {"021226", "two, there"}, {"031226", "three"}}));
    // One that stays torn is written over once the writer had its time, with this computer's
    // last write: the backup is older than what was typed here.
    files.Put(paths.notes, std::string(300, '\0'));
    Load();
    EXPECT_EQ(notes, merged.merged);
    clock.ms += (kHalfWrittenGraceSeconds - 1) * 1000;
    EXPECT_TRUE(automaticSave().waiting);
    clock.ms += 1000;
    EXPECT_TRUE(automaticSave().saved);
    EXPECT_EQ(files.Get(paths.notes), SerializeNotes(merged.merged.days, merged.merged.everyDay));
}

// A save that merged what another program was writing and then could not replace the file
// hands nothing back: the notes stay unsaved, and the next save merges what the file holds then.
TEST_F(StorageTest, ASaveThatMergedAndFailedAdoptsNothingAndTheNextOneLosesNoDay) {
    files.Put(paths.notes, SerializeNotes({{"011226", "one"}, {"021226", "two"}}, "every"));
    Load();
    notes.days[0].strNote = "one, mine";
    SaveElsewhere({{"011226", "one"}, {"021226", "two"}, {"031226", "three"}}, "every");
    files.beforeReplacing = paths.notes;
    files.beforeReplace = [&] { files.HoldUntil(paths.notes, clock.ms + 600000); };
    const SSaveReport failed = SaveMain();
    EXPECT_FALSE(failed.saved);
    EXPECT_FALSE(failed.notesChanged);
    EXPECT_TRUE(policy.NotesUnsaved(notes));

    clock.ms += 600000;
    const SSaveReport report = SaveMain();
    ASSERT_TRUE(report.notesChanged);
    EXPECT_EQ(report.merged.days,
              (DayArray{{"011226", "one, mine"}, {"021226", "two"}, {"031226", "three"}}));

    // A failed replace that left another program's bytes where it puts the old file aside
    // leaves them there for the next start, which settles them.
    notes = report.merged;
    notes.days[0].strNote = "one, mine again";
    const std::string aside = paths.notes + ".replaced.tmp";
    files.beforeReplace = [&] {
        files.Put(aside, "another program's");
        files.HoldUntil(paths.notes, clock.ms + 600000);
    };
    EXPECT_FALSE(SaveMain().saved);
    EXPECT_EQ(files.Get(aside), "another program's");
}

// Notes an ended session could not save, and copies a sync program made beside the notes,
// come in as changes made elsewhere and go aside once written; the user hears of them once.
TEST_F(StorageTest, RecoveryFilesAndConflictCopiesAreMergedAndMovedAside) {
    files.Put(paths.notes, SerializeNotes({{"011226", "one"}}, "every"), clock.Now() - 60);
    const std::string recovery = paths.local + "qlt_notes.recovered-20261206-100000.dat";
    files.Put(recovery, SerializeNotes({{"011226", "one, typed"}, {"021226", "two"}}, "every"));
    const std::string mine = paths.folder + "qlt_notes (1).dat";
    files.Put(mine, SerializeNotes({{"051226", "a user's copy"}}, ""));
    files.Put(paths.settings + ".sync-conflict-20261209-101010-ABCDEFG.dat", "not notes");
    EXPECT_TRUE(Load().notesFromElsewhere);
    EXPECT_EQ(notes, (SNotebook{{{"011226", "one, typed"}, {"021226", "two"}}, "every"}));
    ASSERT_TRUE(SaveMain().saved);
    EXPECT_FALSE(files.Has(recovery));
    EXPECT_TRUE(files.Has(recovery + ".merged-" + kStamp));
    EXPECT_TRUE(files.Has(mine));
    EXPECT_EQ(MergeNoticeText(policy.TakeMergeNotice()),
              "Notes saved at the end of the last session were brought back.");

    const std::string copy = paths.folder + "qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat";
    const std::string broken = paths.folder + "qlt_notes (conflicted copy 2026-12-09).dat";
    clock.ms += 10000;
    files.Put(copy, SerializeNotes({{"011226", "one, there"}, {"021226", "two"}}, "every"));
    files.Put(broken, "torn");
    SDiskLook look = policy.LookAtFolder(notes);
    ASSERT_EQ(look.change, EDiskChange::Merge);
    ASSERT_TRUE(look.adopt);
    notes = look.notes;
    EXPECT_EQ(GetDayNoteIn(SerializeNotes(notes.days, ""), "011226"),
              "one, there\r\n----- also saved elsewhere, 07.12.2026 14:05 -----\r\none, typed");
    ASSERT_TRUE(SaveMain().saved);
    EXPECT_FALSE(files.Has(copy));
    EXPECT_TRUE(files.Has(broken)) << "one that does not load is left";
    EXPECT_EQ(MergeNoticeText(policy.TakeMergeNotice()),
              "The notes of a copy that a sync program made beside them were merged in: "
              "qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat.");
    EXPECT_EQ(policy.LookAtFolder(notes).change, EDiskChange::None);

    // The version that won holds what this computer wrote before the copy: the copy, a later
    // version of this computer's, comes in at the next start.
    const std::string earlier = SerializeNotes(notes.days, notes.everyDay);
    notes.days.push_back({"061226", "six"});
    ASSERT_TRUE(SaveMain().saved);
    files.Put(copy, files.Get(paths.notes));
    files.Put(paths.notes, earlier);
    CSavePolicy next{paths, files, clock};
    EXPECT_TRUE(next.Load(settings, notes, kAtCreation).notesFromElsewhere);
    EXPECT_EQ(notes.days.back().strNote, "six");

    // Two copies of successive versions from there: the later one's text stands alone.
    ASSERT_TRUE(next.SaveMain(settings, notes, kAtCreation, 1000).saved);
    SNotebook there = notes;
    for (const std::string text : {"six, there", "six, there again"}) {
        clock.ms += 10000;
        there.days.back().strNote = text;
        files.Put(paths.folder + "qlt_notes.sync-conflict-20261209-10101" +
                      std::to_string(text.size() % 10) + "-ABCDEFG.dat",
                  SerializeNotes(there.days, there.everyDay));
    }
    const SDiskLook two = next.LookAtFolder(notes);
    ASSERT_TRUE(two.adopt);
    EXPECT_EQ(two.notes.days.back().strNote, "six, there again");

    // A version of ours filed as a conflict after we wrote another over it: nothing it holds
    // comes back at the next start, not even what was deleted since.
    notes = two.notes;
    notes.days.push_back({"081226", "deleted soon"});
    ASSERT_TRUE(next.SaveMain(settings, notes, kAtCreation, 1000).saved);
    const std::string filed = files.Get(paths.notes);
    notes.days.pop_back();
    ASSERT_TRUE(next.SaveMain(settings, notes, kAtCreation, 1000).saved);
    clock.ms += 10000;
    notes.days.push_back({"091226", "nine there"});
    files.Put(paths.notes, SerializeNotes(notes.days, notes.everyDay));
    files.Put(paths.folder + "qlt_notes (PC's conflicted copy 2026-12-07).dat", filed);
    CSavePolicy last{paths, files, clock};
    last.Load(settings, notes, kAtCreation);
    EXPECT_EQ(notes.days.back().strNote, "nine there");
    EXPECT_EQ(notes.days[notes.days.size() - 2].strDate, "061226");
}

// A sync program filed an earlier version of ours as a conflict, and the other computer merged
// that copy: its version shows our earlier text of the day, which is no change made there.
TEST_F(StorageTest, AVersionMergedWithAnOlderCopyOfOursDoesNotUndoWhatWeWroteSince) {
    files.Put(paths.notes, SerializeNotes({{"011226", "a"}}, "every"), clock.Now() - 60);
    Load();
    FinishStart();
    notes.days[0].strNote = "a\r\nb";
    ASSERT_TRUE(SaveMain().saved);
    const std::string filed = files.Get(paths.notes);
    clock.ms += 5000;
    notes.days[0].strNote = "a\r\nb\r\nc";
    ASSERT_TRUE(SaveMain().saved);
    clock.ms += 60000;
    files.Put(paths.folder + "qlt_notes (PC's conflicted copy 2026-12-07).dat", filed);
    SaveElsewhere({{"011226", "a\r\nb"}, {"021226", "two, there"}}, "every");
    const SDiskLook look = policy.LookAtFolder(notes);
    ASSERT_TRUE(look.adopt);
    EXPECT_EQ(look.notes.days, (DayArray{{"011226", "a\r\nb\r\nc"}, {"021226", "two, there"}}));
}

// Two computers that began apart, each with the first run's notes: the other computer's version
// holds the first run's texts as ours does, which tells nothing of having seen ours.
TEST_F(StorageTest, ALastWriteComesBackBesideAVersionThatSharesOnlyTheFirstRunsTexts) {
    Load();
    FinishStart();
    const SNotebook first = notes;
    notes.days.push_back({"301226", "typed here"});
    ASSERT_TRUE(SaveMain().saved);
    SNotebook there = first;
    there.days.push_back({"311226", "typed there"});
    clock.ms += 60000;
    SaveElsewhere(there.days, there.everyDay);
    CSavePolicy next{paths, files, clock};
    next.Load(settings, notes, kAtCreation);
    EXPECT_EQ(notes.days.size(), 3u);
    EXPECT_EQ(notes.days[1].strNote, "typed here");
}

// A text the start read from there and then changed there only is no conflict, though a save
// of ours came before the start was finished.
TEST_F(StorageTest, ACopyChangingATextTheStartReadFromThereTakesItsText) {
    files.Put(paths.notes, SerializeNotes({{"011226", "from there"}}, "every"), clock.Now() - 60);
    Load();
    notes.days.push_back({"021226", "typed"});
    ASSERT_TRUE(SaveMain().saved);
    clock.ms += 10000;
    files.Put(paths.folder + "qlt_notes.sync-conflict-20261209-101010-ABCDEFG.dat",
              SerializeNotes({{"011226", "changed there"}}, "every"));
    const SDiskLook look = policy.LookAtFolder(notes);
    EXPECT_EQ(look.notes.days, (DayArray{{"011226", "changed there"}, {"021226", "typed"}}));
}

// What this computer wrote last comes back when a sync program copies another version over it
// while the program is closed, and a recovery file is merged against the version it was made
// from: neither undoes what the other computer did, whatever the files' times.
TEST_F(StorageTest, ThisComputersLastWriteAndRecoveryFilesComeBackBesideTheOtherComputersDays) {
    const std::string before = SerializeNotes({{"011226", "one"}}, "every");
    files.Put(paths.notes, before, clock.Now() - 60);
    Load();
    FinishStart();
    notes.days[0].strNote = "one, typed here";
    ASSERT_TRUE(SaveMain().saved);
    auto startAgain = [&] {
        CSavePolicy next{paths, files, clock};
        next.Load(settings, notes, kAtCreation);
        while (next.FinishStartStep()) {
        }
        return next.SaveMain(settings, notes, kAtCreation, 1000).saved;
    };
    // Newest wins: the other computer's version, made from the one before, replaces ours.
    clock.ms += 30000;
    SaveElsewhere({{"011226", "one"}, {"021226", "two, there"}}, "every");
    ASSERT_TRUE(startAgain());
    EXPECT_EQ(notes.days, (DayArray{{"011226", "one, typed here"}, {"021226", "two, there"}}));
    // Changed on both sides: both texts.
    clock.ms += 30000;
    SaveElsewhere({{"011226", "one, there"}, {"021226", "two, there"}}, "every");
    ASSERT_TRUE(startAgain());
    EXPECT_EQ(PiecesOfText(notes.days[0].strNote),
              (std::vector<std::string>{"one, typed here", "one, there"}));

    // A version made from the one a start read lands a moment after the start, before any
    // look: it shows, merged against what the start read, as a change made there alone.
    for (const QTime after : {QTime(0), QTime(1), QTime(6)}) {
        const SNotebook read = notes;
        CSavePolicy fresh{paths, files, clock};
        fresh.Load(settings, notes, kAtCreation);
        clock.ms += after * 1000 + 500;
        SNotebook there = read;
        there.days[0].strNote += ", there " + std::to_string(after);
        files.Put(paths.notes, SerializeNotes(there.days, there.everyDay));
        const SDiskLook look = fresh.LookAtFolder(notes);
        EXPECT_EQ(look.change, EDiskChange::Reloaded) << after;
        EXPECT_EQ(look.notes, there) << after;
        notes = look.notes;
    }

    // The session's end could not save: a recovery file. The other computer's version, saved
    // before it from the same version, arrives after it with its own older time.
    CSavePolicy last{paths, files, clock};
    last.Load(settings, notes, kAtCreation);
    const SNotebook made = notes;
    notes.days[1].strNote = "two, typed here";
    files.HoldUntil(paths.notes, clock.ms + 600000);
    ASSERT_FALSE(last.SaveMain(settings, notes, kAtCreation, 0).saved);
    ASSERT_FALSE(last.WriteRecovery(notes).empty());
    files.HoldUntil(paths.notes, 0);
    SNotebook there = made;
    there.days.push_back({"031226", "three, there"});
    files.Put(paths.notes, SerializeNotes(there.days, there.everyDay), clock.Now() - 30);
    clock.ms += 60000;
    ASSERT_TRUE(startAgain());
    EXPECT_EQ(notes.days[1].strNote, "two, typed here");
    EXPECT_EQ(notes.days.back().strNote, "three, there");

    // A start that reads an older version this computer wrote goes on from its last one.
    const std::string older = files.Get(paths.notes);
    CSavePolicy writer{paths, files, clock};
    writer.Load(settings, notes, kAtCreation);
    notes.days[0].strNote = "one, last here";
    ASSERT_TRUE(writer.SaveMain(settings, notes, kAtCreation, 1000).saved);
    clock.ms += 30000;
    files.Put(paths.notes, older);
    ASSERT_TRUE(startAgain());
    EXPECT_EQ(notes.days[0].strNote, "one, last here");
    EXPECT_EQ(notes.days.back().strNote, "three, there");

    // Over several writes of ours, the one copied over them was made from an earlier one, and a
    // line of that one was taken out there: both changed the day since, so both texts stay.
    CSavePolicy typist{paths, files, clock};
    typist.Load(settings, notes, kAtCreation);
    auto typeAndSave = [&](const char* more) {
        clock.ms += 5000;
        notes.days[0].strNote += more;
        return typist.SaveMain(settings, notes, kAtCreation, 1000).saved;
    };
    ASSERT_TRUE(typeAndSave("\r\nA\r\nB"));
    there = notes;
    ASSERT_TRUE(typeAndSave("\r\nC"));
    there.days[0].strNote = "one, last here\r\nA";
    there.days.push_back({"041226", "four, there"});
    clock.ms += 30000;
    SaveElsewhere(there.days, there.everyDay);
    ASSERT_TRUE(startAgain());
    EXPECT_EQ(PiecesOfText(notes.days[0].strNote),
              (std::vector<std::string>{"one, last here\r\nA\r\nB\r\nC", "one, last here\r\nA"}));
    EXPECT_EQ(notes.days.back().strNote, "four, there");

    // A save that merged their version, which lacked a line of an earlier write of ours, holds
    // that line again beside one typed since; a version made from the earlier write holds the
    // old line only, and the new one stays.
    CSavePolicy merger{paths, files, clock};
    merger.Load(settings, notes, kAtCreation);
    auto saveHere = [&] {
        clock.ms += 5000;
        return merger.SaveMain(settings, notes, kAtCreation, 1000).saved;
    };
    notes.days.push_back({"051226", "five"});
    ASSERT_TRUE(saveHere());
    SNotebook fromEarlier = notes;
    fromEarlier.days.back().strNote += "\r\nfive, there";
    there = notes;
    there.days.back().strNote = "5, there";
    SaveElsewhere(there.days, there.everyDay);
    notes.days.back().strNote += "\r\nfive, typed last";
    ASSERT_TRUE(saveHere());
    clock.ms += 30000;
    SaveElsewhere(fromEarlier.days, fromEarlier.everyDay);
    ASSERT_TRUE(startAgain());
    EXPECT_NE(notes.days[4].strNote.find("five, typed last"), std::string::npos)
        << notes.days[4].strNote;
}

} // namespace

// A portable copy's tip names it and its folder, within what a tip holds; an installed copy's
// stays as it was.
TEST(TrayTip, APortableCopyNamesItselfAndItsFolder) {
    SDataPaths paths = SDataPaths::InFolder("C:\\Users\\ann\\AppData\\Roaming\\Quillet\\");
    EXPECT_EQ(TrayTipText(paths), "Quillet");
    paths = SDataPaths::InFolder("E:\\Tools\\Quillet\\Data\\");
    paths.portable = true;
    EXPECT_EQ(TrayTipText(paths), "Quillet (portable) - E:\\Tools\\Quillet");
    const std::string deep = "E:\\" + std::string(150, 'x') + "\\\xD0\x9F\\";
    paths = SDataPaths::InFolder(deep + "Data\\");
    paths.portable = true;
    const std::string tip = TrayTipText(paths);
    EXPECT_EQ(tip.rfind("Quillet (portable) - ...x", 0), 0u) << tip;
    EXPECT_EQ(Utf16Length(tip), 127u);
    EXPECT_EQ(tip.substr(tip.size() - 3), "\\\xD0\x9F");
}
