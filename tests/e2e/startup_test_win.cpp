// Start-up: the first run, loading with backups, the stored room, and the full save.
#include "stored_files.h"
#include "quillet_test_win.h"

namespace e2e {
namespace {

// The name of the kept-aside copy of an unreadable notes file, once it holds all of its bytes
// (the name shows as soon as the copy begins); empty when none came.
std::string KeptAsideCopyOf(const SDataPaths& paths, const std::string& bytes) {
    std::string kept;
    const bool found = WaitUntil([&] {
        kept = EntryStartingWith(paths.folder, "qlt_notes.dat.unreadable-");
        return !kept.empty() && ReadFileBytes(paths.folder + kept) == bytes;
    });
    return found ? kept : std::string();
}

using FirstRun = QuilletTest;

bool AllFourFilesExist(const SDataPaths& paths) {
    return FileExists(paths.settings) && FileExists(paths.notes) &&
           FileExists(paths.settingsBackup) && FileExists(paths.notesBackup);
}

TEST_F(FirstRun, CreatesTheFolderShowsTodaysFirstNoteAndWritesNothing) {
    ASSERT_TRUE(Launch());
    EXPECT_TRUE(DirectoryExists(m_paths.folder));
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    SDate selected;
    ASSERT_TRUE(m_app.GetCurSel(selected));
    EXPECT_EQ(selected, Today());
    // Only the days whose two-digit years are their own can be selected.
    SDate first, last;
    ASSERT_TRUE(m_app.GetRange(first, last));
    EXPECT_TRUE(first == (SDate{1970, 1, 1}) && last == (SDate{2069, 12, 31}));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(FolderEntries(m_paths.folder).empty());
}

TEST_F(FirstRun, CtrlSWritesBothFilesAndBothBackups) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.PressCtrlS()) << "the window did not come to the foreground";
    ASSERT_TRUE(WaitUntil([&] { return AllFourFilesExist(m_paths); }))
        << "Ctrl+S pressed on the keyboard saved nothing";
    ASSERT_TRUE(m_app.Drain());

    const SSettings expected = DefaultSettingsForMainWindow();
    const SRect window = WindowRectOf(m_app.Main());
    EXPECT_EQ(window.left, expected.ptPos.x);
    EXPECT_EQ(window.top, expected.ptPos.y);
    EXPECT_EQ(ReadFileBytes(m_paths.settings), SerializeSettings(expected));
    EXPECT_EQ(ReadFileBytes(m_paths.settingsBackup), ReadFileBytes(m_paths.settings));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), ReadFileBytes(m_paths.notes));
}

TEST_F(FirstRun, OnlyHotKeyOneSaves) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_HOTKEY, 2, 0));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(FolderEntries(m_paths.folder).empty());

    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_HOTKEY, 1, 0));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(AllFourFilesExist(m_paths));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));
}

class StartupLoading : public QuilletTest {
protected:
    // Settings as a user may have left them: not the defaults, placed away from the centre.
    static SSettings StoredSettings(int room) {
        SSettings settings;
        SetDefaultSettings(settings, SRect{0, 0, 200, 200}, SRect{0, 0, 1024, 768});
        settings.ptPos = SPoint{40, 30};
        settings.nColor = 3;
        settings.nRoom = room;
        return settings;
    }
    static DayArray StoredDays() { return {{KeyOf(Today()), "Stored note"}}; }
};

TEST_F(StartupLoading, GoodMainFilesRefreshTheirBackups) {
    const SSettings settings = StoredSettings(kRoomDynamic);
    ASSERT_TRUE(SeedSettings(settings, m_paths.settings));
    ASSERT_TRUE(SeedNotes(StoredDays(), "Stored every day", m_paths.notes));
    ASSERT_TRUE(SeedBytes(m_paths.settingsBackup, "stale"));
    ASSERT_TRUE(SeedBytes(m_paths.notesBackup, "stale"));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Stored note");
    const SRect window = WindowRectOf(m_app.Main());
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 30);
    // Written once the window shows, so that a large notebook opens at once.
    const std::string notes = SerializeNotes(StoredDays(), "Stored every day");
    const std::string history =
        m_paths.folder + "history\\qlt_notes-" + FormatTime(CurrentTime(), "%Y-%m-%d") + ".dat";
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(history) == notes; }))
        << "the first start of the day keeps a copy of the notes file in the history folder";
    EXPECT_EQ(ReadFileBytes(m_paths.settingsBackup), SerializeSettings(settings));
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), notes);
}

TEST_F(StartupLoading, DamagedSettingsFileFallsBackToItsBackupWithoutRewritingIt) {
    ASSERT_TRUE(SeedSettings(StoredSettings(kRoomStatic), m_paths.settingsBackup));
    const std::string damaged = SerializeSettings(StoredSettings(kRoomDynamic)).substr(0, 100);
    ASSERT_TRUE(SeedBytes(m_paths.settings, damaged));
    const std::string backup = ReadFileBytes(m_paths.settingsBackup);
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), FirstRunEveryDay()) << "the backup's every-day room is not open";
    const SRect window = WindowRectOf(m_app.Main());
    EXPECT_EQ(window.left, 40);
    EXPECT_EQ(window.top, 30);
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(ReadFileBytes(m_paths.settings), damaged);
    EXPECT_EQ(ReadFileBytes(m_paths.settingsBackup), backup);
}

TEST_F(StartupLoading, PositionOffTheDesktopIsCentredAndSavedSoAndKeptOnItWhenTheDisplaysChange) {
    SSettings settings = StoredSettings(kRoomDynamic);
    settings.ptPos = SPoint{-600, 40};
    ASSERT_TRUE(SeedSettings(settings, m_paths.settings));
    ASSERT_TRUE(Launch());
    const SSettings centred = DefaultSettingsForMainWindow();
    const SRect window = WindowRectOf(m_app.Main());
    EXPECT_EQ(window.left, centred.ptPos.x);
    EXPECT_EQ(window.top, centred.ptPos.y);
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    SSettings saved;
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.ptPos, centred.ptPos);

    // A change of the displays that leaves the window off them brings it back.
    ::SetWindowPos(m_app.Main(), nullptr, -900, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_DISPLAYCHANGE, 24, MAKELPARAM(1024, 768)));
    EXPECT_TRUE(WaitUntil([&] { return WindowRectOf(m_app.Main()).left == centred.ptPos.x; }));
}

// A notes file that does not load: cut short, or zeros where a crash left its blocks unwritten.
class DamagedNotesFile : public StartupLoading,
                         public ::testing::WithParamInterface<std::string> {};

std::string CutShortNotes() {
    const std::string newer = SerializeNotes({{"010126", "Newer note"}}, "Newer");
    return newer.substr(0, newer.size() - 3);
}

TEST_P(DamagedNotesFile, FallsBackToItsIntactBackupIsKeptAsideAndStaysUntilTheNextSave) {
    const std::string damaged = GetParam();
    const std::string backup =
        SerializeNotes({{KeyOf(Today()), "From the backup"}}, "Backup every day");
    ASSERT_TRUE(SeedBytes(m_paths.notesBackup, backup));
    ASSERT_TRUE(SeedBytes(m_paths.notes, damaged));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "From the backup");
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    EXPECT_EQ(m_app.NotesText(), "Backup every day");
    const std::string kept = KeptAsideCopyOf(m_paths, damaged);
    ASSERT_FALSE(kept.empty());
    // Shown once the start has written all it writes: the backup stays as it was.
    EXPECT_TRUE(WaitUntil([&] {
        return BalloonShown("qlt_notes.dat could not be read; the notes of prevNotes.dat are "
                            "used. Its bytes are kept in " +
                            kept + ".");
    }));
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), backup);
    EXPECT_EQ(ReadFileBytes(m_paths.notes), damaged);

    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), backup);
}

INSTANTIATE_TEST_SUITE_P(CutShortOrZeroed, DamagedNotesFile,
                         ::testing::Values(CutShortNotes(), std::string(300, '\0')));

TEST_F(StartupLoading, NotesFilesClaimingHugeSizesFallBackToTheFirstRunNotes) {
    // An every-day note said to be 2 GB long, and a backup that says it holds 2^31-1 notes.
    const std::string hugeText = std::string("\xFF\xFF\xFF\xF0\xFF\xFF\x7F", 7) + "short";
    const std::string hugeCount =
        std::string("\x00\xFF\xFF\xFF\x7F", 5) + SerializeNotes({{"010126", "one"}}, "").substr(5);
    ASSERT_TRUE(SeedBytes(m_paths.notes, hugeText));
    ASSERT_TRUE(SeedBytes(m_paths.notesBackup, hugeCount));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(ReadFileBytes(m_paths.notes), hugeText);
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), hugeCount);
}

TEST_F(StartupLoading, StoredEveryDayRoomOpensTheEveryDayNote) {
    ASSERT_TRUE(SeedSettings(StoredSettings(kRoomStatic), m_paths.settings));
    ASSERT_TRUE(SeedNotes(StoredDays(), "Stored every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Stored every day");
    EXPECT_FALSE(::IsWindowVisible(m_app.Calendar()));
    EXPECT_FALSE(::IsWindowVisible(m_app.Search()));
}

TEST_F(StartupLoading, StoredSearchRoomOpensTheDayRoomAndIsSavedAsIt) {
    ASSERT_TRUE(SeedSettings(StoredSettings(kRoomSearch), m_paths.settings));
    ASSERT_TRUE(SeedNotes(StoredDays(), "Stored every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Stored note");
    EXPECT_TRUE(::IsWindowVisible(m_app.Calendar()));
    EXPECT_FALSE(::IsWindowVisible(m_app.Search()));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    SSettings saved;
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.nRoom, kRoomDynamic);
}

TEST_F(StartupLoading, StoredRoomOutOfRangeCommitsNothingUntilATabIsClicked) {
    ASSERT_TRUE(SeedSettings(StoredSettings(7), m_paths.settings));
    ASSERT_TRUE(SeedNotes(StoredDays(), "Stored every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "");
    ASSERT_TRUE(m_app.SetNotesText("Typed before any tab"));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(StoredDays(), "Stored every day"));
    EXPECT_EQ(ReadFileBytes(m_paths.settings), ReadFileBytes(m_paths.settingsBackup));
    SSettings saved;
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.nRoom, 7);

    ASSERT_TRUE(m_app.ClickTab(kRoomDynamic));
    EXPECT_EQ(m_app.NotesText(), "Stored note");
}

TEST_F(StartupLoading, NotesOutOfDateOrderAreSorted) {
    ASSERT_TRUE(SeedNotes({{"150326", "March"}, {"010126", "January"}, {"311225", "December"}}, "",
                          m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadNotesFile(m_paths.notes).days,
              (DayArray{{"311225", "December"}, {"010126", "January"}, {"150326", "March"}}));
}

TEST_F(StartupLoading, LeftoverTemporaryFilesGiveWayToGoodFilesAndFillMissingOnes) {
    ASSERT_TRUE(SeedSettings(StoredSettings(kRoomDynamic), m_paths.settings));
    // A save that lost the notes file had written its replacement completely.
    ASSERT_TRUE(SeedNotes(StoredDays(), "Stored every day", m_paths.notes + ".tmp"));
    for (const std::string* path :
         {&m_paths.settings, &m_paths.settingsBackup, &m_paths.notesBackup}) {
        ASSERT_TRUE(SeedBytes(*path + ".tmp", "interrupted save"));
    }
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Stored note");
    // The backups and the history copy follow once the window shows.
    const std::vector<std::string> settled{"history", "prevInfo.dat", "prevNotes.dat",
                                           "qlt_info.dat", "qlt_notes.dat"};
    EXPECT_TRUE(WaitUntil([&] { return FolderEntries(m_paths.folder) == settled; }))
        << ::testing::PrintToString(FolderEntries(m_paths.folder));
}

TEST_F(StartupLoading, UnreadableNotesAreKeptAsideAndTheUserIsToldWhere) {
    const std::string damaged = SerializeNotes(StoredDays(), "Stored every day").substr(0, 20);
    ASSERT_TRUE(SeedBytes(m_paths.notes, damaged));
    ASSERT_TRUE(SeedBytes(m_paths.notesBackup, "damaged backup"));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    const std::string kept = KeptAsideCopyOf(m_paths, damaged);
    ASSERT_FALSE(kept.empty());
    EXPECT_TRUE(WaitUntil([&] {
        return BalloonShown("qlt_notes.dat could not be read; Quillet started with new notes. "
                            "Its bytes are kept in " +
                            kept + ".");
    }));
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).everyDay, FirstRunEveryDay());
    EXPECT_EQ(ReadFileBytes(m_paths.folder + kept), damaged);
}

// A profile named in Cyrillic, which the test prefix's code page (1252) cannot hold: the data
// folder reaches Quillet only through the wide calls.
class ProfileName : public QuilletTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_appData.Apply(Profile() + "\\AppData\\Roaming"));
        QuilletTest::SetUp();
    }
    void TearDown() override {
        QuilletTest::TearDown();
        EXPECT_TRUE(m_appData.Release());
        RemoveFolderTree(Profile());
    }
    static std::string Profile() { return "C:\\users\\" + std::string(u8"Пользователь"); }

    CAppDataRedirect m_appData;
};

TEST_F(ProfileName, OutsideTheCodePageKeepsTheNotesInItsDataFolder) {
    ASSERT_EQ(m_paths.folder, Profile() + "\\AppData\\Roaming\\Quillet\\");
    ASSERT_TRUE(Launch());
    EXPECT_TRUE(FileExists(m_paths.lock));
    ASSERT_TRUE(m_app.SetNotesText("Kept under the profile"));
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).days,
              (DayArray{{KeyOf(Today()), "Kept under the profile"}}));

    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Kept under the profile");
}

// The window at a display scale set for the whole prefix (read by each program as it starts).
class DisplayScale : public QuilletTest, public ::testing::WithParamInterface<int> {};

// Whether the child lies inside the window.
bool Inside(HWND child, HWND window) {
    const SRect c = WindowRectOf(child);
    const SRect w = WindowRectOf(window);
    return c.left >= w.left && c.top >= w.top && c.right <= w.right && c.bottom <= w.bottom;
}

TEST_P(DisplayScale, TheWindowAndItsPartsScaleAndStayInsideIt) {
    const int dpi = GetParam();
    CRegistryValue logPixels;
    ASSERT_TRUE(logPixels.Set(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD,
                              std::to_wstring(dpi)));
    ASSERT_TRUE(Launch());
    const SRect window = WindowRectOf(m_app.Main());
    EXPECT_NEAR(window.Width(), 215 * dpi / 96, 215 * dpi / 96 / 10);
    EXPECT_NEAR(window.Height(), 260 * dpi / 96, 260 * dpi / 96 / 10);
    for (HWND child : {m_app.Calendar(), m_app.Notes()}) {
        EXPECT_TRUE(Inside(child, m_app.Main()));
    }
    const SIZE needed = m_app.CalendarNeeds();
    const SRect calendar = WindowRectOf(m_app.Calendar());
    EXPECT_GT(needed.cx, 0);
    EXPECT_LE(needed.cx, calendar.Width());
    EXPECT_LE(needed.cy, calendar.Height());
    // The search room's box and tabs follow: the box lies inside the window too.
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    EXPECT_TRUE(Inside(m_app.Search(), m_app.Main()));
}

INSTANTIATE_TEST_SUITE_P(At150And200Percent, DisplayScale, ::testing::Values(144, 192));

// The user makes the window larger from its corner: the note area takes all of the room, the
// calendar stays, and this computer keeps the size for the next start in 96-DPI pixels, while the
// settings file stays as it was.
TEST_F(StartupLoading, ADraggedCornerGivesTheNotesRoomKeptThroughCompactRestartsAndScaling) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const std::string settings = ReadFileBytes(m_paths.settings);
    const SRect window = WindowRectOf(m_app.Main());
    const SRect notes = WindowRectOf(m_app.Notes());
    const SRect calendar = WindowRectOf(m_app.Calendar());
    const auto grown = [](const SRect& r) {
        return SRect{r.left, r.top, r.right + 80, r.bottom + 120};
    };
    ASSERT_TRUE(m_app.MouseDrag(POINT{window.Width() - 2, window.Height() - 2}, SIZE{80, 120}));
    EXPECT_TRUE(WaitUntil([&] { return WindowRectOf(m_app.Main()) == grown(window); }))
        << WindowRectOf(m_app.Main()).Width() << " x " << WindowRectOf(m_app.Main()).Height();
    EXPECT_EQ(WindowRectOf(m_app.Notes()), grown(notes));
    EXPECT_EQ(WindowRectOf(m_app.Calendar()), calendar);
    // The tabs hang under the grown box, and the search box spans it.
    ASSERT_TRUE(m_app.MouseClickTab(kRoomSearch));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_app.Search()) != FALSE; }));
    EXPECT_EQ(WindowRectOf(m_app.Search()).right, grown(notes).right);
    ASSERT_TRUE(m_app.MouseClickTab(kRoomDynamic));
    EXPECT_TRUE(WaitUntil([&] { return WindowRectOf(m_app.Notes()) == grown(notes); }));

    ASSERT_TRUE(m_app.SendCommand(351)); // Compact
    ASSERT_TRUE(m_app.SendCommand(351)); // Full
    EXPECT_EQ(WindowRectOf(m_app.Main()), grown(window));
    EXPECT_EQ(WindowRectOf(m_app.Notes()), grown(notes));
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadFileBytes(m_paths.settings), settings);

    ASSERT_TRUE(Launch());
    EXPECT_EQ(WindowRectOf(m_app.Main()), grown(window));
    EXPECT_EQ(WindowRectOf(m_app.Notes()), grown(notes));
    ASSERT_TRUE(ExitQuillet());

    CRegistryValue logPixels;
    ASSERT_TRUE(logPixels.Set(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD,
                              std::to_wstring(144)));
    ASSERT_TRUE(Launch());
    const SRect scaled = WindowRectOf(m_app.Main());
    EXPECT_EQ(LogicalSize(SPoint{scaled.Width(), scaled.Height()}, 144),
              (SPoint{window.Width() + 80, window.Height() + 120}));
    EXPECT_TRUE(Inside(m_app.Notes(), m_app.Main()));
}

TEST_F(StartupLoading, AMonitorOfAnotherDpiScalesTheWindowAndItsFonts) {
    ASSERT_TRUE(Launch());
    const SRect before = WindowRectOf(m_app.Main());
    const SIZE calendarBefore = m_app.CalendarNeeds();
    const RECT suggested{before.left, before.top, before.left + before.Width() * 3 / 2,
                         before.top + before.Height() * 3 / 2};
    ASSERT_TRUE(m_app.SendDpiChanged(144, suggested));
    const SRect after = WindowRectOf(m_app.Main());
    EXPECT_NEAR(after.Width(), before.Width() * 3 / 2, 3);
    EXPECT_GE(after.Height(), before.Height() * 3 / 2 - 3);
    const SIZE calendarAfter = m_app.CalendarNeeds();
    EXPECT_GT(calendarAfter.cx, calendarBefore.cx * 5 / 4) << "the calendar kept its font";
    EXPECT_TRUE(Inside(m_app.Notes(), m_app.Main()));
    EXPECT_LE(calendarAfter.cx, WindowRectOf(m_app.Calendar()).Width());
}

} // namespace
} // namespace e2e
