// The ways the window ends, the requests that must not end it, and saves that fail.
#include "stored_files.h"
#include "quillet_test_win.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace e2e {
namespace {

const std::vector<std::string> kMainFiles{"qlt_info.dat", "qlt_notes.dat"};
const std::vector<std::string> kAllFiles{"prevInfo.dat", "prevNotes.dat", "qlt_info.dat",
                                         "qlt_notes.dat"};

const char* const kExitFailureCaption = "Unsuccessful saving data";
const char* const kExitFailureText =
    "Quillet could not save your notes.\r\nExit anyway and lose the changes made since the last "
    "save?";

// The bytes of every file of the storage folder, by name.
std::vector<std::pair<std::string, std::string>> FolderSnapshot(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : FolderEntries(folder)) {
        files.emplace_back(name, ReadFileBytes(folder + name));
    }
    return files;
}

using CloseRequests = QuilletTest;

TEST_F(CloseRequests, CloseEnterAndEscapeLeaveTheWindowOpenAndSaveNothing) {
    ASSERT_TRUE(Launch());
    const HWND main = m_app.Main();
    const HWND notes = m_app.Notes();
    struct SRequest {
        const char* name;
        HWND window;
        UINT msg;
        WPARAM wParam;
    };
    const SRequest requests[] = {
        {"WM_CLOSE", main, WM_CLOSE, 0},
        {"SC_CLOSE", main, WM_SYSCOMMAND, SC_CLOSE},
        {"IDOK", main, WM_COMMAND, IDOK},
        {"IDCANCEL", main, WM_COMMAND, IDCANCEL},
        {"Escape key in the notes edit", notes, WM_KEYDOWN, VK_ESCAPE},
        {"Escape key in the search box", m_app.Search(), WM_KEYDOWN, VK_ESCAPE},
    };
    for (const SRequest& request : requests) {
        SCOPED_TRACE(request.name);
        ASSERT_TRUE(m_app.Post(request.window, request.msg, request.wParam, 0));
        ASSERT_TRUE(m_app.Drain()) << "Quillet no longer answers";
        EXPECT_TRUE(m_app.IsRunning());
        EXPECT_TRUE(::IsWindowVisible(main));
    }
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    EXPECT_TRUE(FolderEntries(m_paths.folder).empty());
}

TEST_F(CloseRequests, EnterEscapeAndAltF4KeysLeaveTheWindowOpen) {
    ASSERT_TRUE(Launch());
    // Keys arrive in order: once the line break shows, Escape has been handled too.
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_ESCAPE}));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_MENU, VK_F4}));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_RETURN}));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "My first note...\r\n"; }))
        << "Enter in the notes edit gave " << ::testing::PrintToString(m_app.NotesText());
    EXPECT_TRUE(m_app.IsRunning());

    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_RETURN}));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_ESCAPE}));
    ASSERT_TRUE(PressKeys(m_app.Main(), {'Q'}));
    EXPECT_TRUE(WaitUntil([&] { return m_app.Text(m_app.Search()) == "q"; }))
        << "the search box did not get the key after Enter and Escape";
    EXPECT_TRUE(m_app.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(m_app.Main()));
    EXPECT_TRUE(FolderEntries(m_paths.folder).empty());
}

using ShutDown = QuilletTest;

// Waits for the message box that an Exit without a save shows; null when none came.
HWND WaitForMessageBox(const CQuilletApp& app) {
    HWND box = nullptr;
    WaitUntil([&] {
        const std::vector<HWND> dialogs = app.OtherDialogs();
        box = dialogs.empty() ? nullptr : dialogs.front();
        return box != nullptr || !app.IsRunning();
    });
    return box;
}

// The window leaves the screen within a frame of Exit, and a start while the files are still
// being written waits for the copy that ends and comes up with the notes.
TEST_F(ShutDown, ExitLeavesTheScreenAtOnceAndAStartRightAfterComesUp) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Kept note"}}, "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    const HWND main = m_app.Main();
    const auto exitAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_app.PostCommand(kCmdExit));
    ASSERT_TRUE(
        WaitUntil([&] { return !::IsWindow(main) || !::IsWindowVisible(main); }, Millis(2000)));
    const auto gone = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - exitAt);
    EXPECT_LE(gone.count(), 500) << "the window stayed " << gone.count() << " ms after Exit";
    std::this_thread::sleep_until(exitAt + Millis(500));
    CQuilletApp next;
    ASSERT_TRUE(next.Start(QuilletExePath())) << "a start right after Exit did not come up";
    EXPECT_EQ(next.NotesText(), "Kept note");
    EXPECT_TRUE(m_app.WaitForExit());
    const auto ended =
        std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - exitAt);
    std::printf("[ exit ] window gone after %lld ms, the next copy up after %lld ms\n",
                static_cast<long long>(gone.count()), static_cast<long long>(ended.count()));
    ASSERT_TRUE(next.PostCommand(kCmdExit));
    EXPECT_TRUE(next.WaitForExit());
}

TEST_F(ShutDown, ExitFromTheEveryDayRoomStoresTheEveryDayNoteInTheMainFilesOnly) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    ASSERT_TRUE(m_app.SetNotesText("Buy milk"));
    SSettings expected = DefaultSettingsForMainWindow();
    expected.nRoom = kRoomStatic;
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(FolderEntries(m_paths.folder), kMainFiles);
    const SNotes saved = ReadNotesFile(m_paths.notes);
    EXPECT_EQ(saved.everyDay, "Buy milk");
    EXPECT_EQ(saved.days, FirstRunDays());
    EXPECT_EQ(ReadFileBytes(m_paths.settings), SerializeSettings(expected));
}

TEST_F(ShutDown, ExitFromTheSearchRoomStoresNoSearchResults) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SetNotesText("Kept note"));
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.SetNotesText("edited results"));
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(FolderEntries(m_paths.folder), kMainFiles);
    EXPECT_EQ(ReadFileBytes(m_paths.notes),
              SerializeNotes({{KeyOf(Today()), "Kept note"}}, FirstRunEveryDay()));
}

TEST_F(ShutDown, EndSessionSavesBothMainFilesAndEnds) {
    ASSERT_TRUE(Launch());
    // One writer per data folder: the lock is held for the whole run, and goes with it.
    EXPECT_TRUE(FileExists(m_paths.lock));
    ASSERT_TRUE(m_app.SetNotesText("Session note"));
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_ENDSESSION, TRUE, 0));
    ASSERT_TRUE(m_app.WaitForExit())
        << "still running; other dialogs open: " << m_app.OtherDialogs().size();
    EXPECT_FALSE(FileExists(m_paths.lock));
    EXPECT_EQ(FolderEntries(m_paths.folder), kMainFiles);
    EXPECT_EQ(ReadFileBytes(m_paths.notes),
              SerializeNotes({{KeyOf(Today()), "Session note"}}, FirstRunEveryDay()));
}

TEST_F(ShutDown, CancelledEndSessionSavesTheMainFilesAndKeepsTheWindow) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SetNotesText("Session note"));
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_ENDSESSION, FALSE, 0));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(m_app.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(m_app.Main()));
    EXPECT_EQ(FolderEntries(m_paths.folder), kMainFiles);
    EXPECT_EQ(ReadFileBytes(m_paths.notes),
              SerializeNotes({{KeyOf(Today()), "Session note"}}, FirstRunEveryDay()));
}

TEST_F(ShutDown, EndSessionEndsWithoutAMessageWhenTheSettingsCannotBeSaved) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(m_immutable.Apply(m_paths.settings));
    ASSERT_TRUE(m_app.SetNotesText("Session note"));
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_ENDSESSION, TRUE, 0));
    ASSERT_TRUE(m_app.WaitForExit())
        << "still running; other dialogs open: " << m_app.OtherDialogs().size();
    // The notes file is still tried when the settings file fails.
    EXPECT_EQ(ReadFileBytes(m_paths.notes),
              SerializeNotes({{KeyOf(Today()), "Session note"}}, FirstRunEveryDay()));
}

TEST_F(ShutDown, EndSessionPutsNotesThatCannotBeSavedIntoARecoveryFileTheNextStartBringsBack) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(m_immutable.Apply(m_paths.notes));
    ASSERT_TRUE(m_app.SetNotesText("Session note"));
    DWORD_PTR mayEnd = FALSE;
    ASSERT_TRUE(::SendMessageTimeoutW(m_app.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                      SMTO_ABORTIFHUNG, 15000, &mayEnd));
    EXPECT_EQ(mayEnd, static_cast<DWORD_PTR>(TRUE)) << "a log-off must not be refused";
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_ENDSESSION, TRUE, 0));
    ASSERT_TRUE(m_app.WaitForExit());
    std::vector<std::string> names;
    for (const std::string& name : FolderEntries(m_paths.folder)) {
        if (name.rfind("qlt_notes.recovered-", 0) == 0) {
            names.push_back(name);
        }
    }
    ASSERT_EQ(names.size(), 1u);
    const std::string recovery = m_paths.folder + names[0];
    const DayArray sessionDays{{KeyOf(Today()), "Session note"}};
    EXPECT_EQ(ReadNotesFile(recovery).days, sessionDays);

    // The next start brings them back, writes them to the notes file and puts the file aside.
    const std::string recoveryBytes = ReadFileBytes(recovery);
    ASSERT_TRUE(m_immutable.Release());
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Session note");
    EXPECT_TRUE(WaitUntil([&] { return ReadNotesFile(m_paths.notes).days == sessionDays; }));
    std::string merged;
    EXPECT_TRUE(WaitUntil([&] {
        merged = EntryStartingWith(m_paths.folder, names[0] + ".merged-");
        return !merged.empty() && !FileExists(recovery);
    }));
    EXPECT_EQ(ReadFileBytes(m_paths.folder + merged), recoveryBytes);
    EXPECT_TRUE(WaitUntil([] {
        return BalloonShown("Notes saved at the end of the last session were brought back.");
    }));
}

TEST_F(ShutDown, ExitThatCannotSaveAsksBeforeLosingTheNotes) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const std::string settingsBefore = ReadFileBytes(m_paths.settings);
    ASSERT_TRUE(m_immutable.Apply(m_paths.settings));
    ASSERT_TRUE(m_app.SetNotesText("Not saved yet"));

    ASSERT_TRUE(m_app.PostCommand(kCmdExit));
    HWND box = WaitForMessageBox(m_app);
    ASSERT_NE(box, nullptr) << "Exit ended the program without asking";
    const SMessageBox shown = m_app.ReadMessageBox(box);
    EXPECT_EQ(shown.owner, m_app.Main());
    EXPECT_EQ(shown.caption, kExitFailureCaption);
    EXPECT_EQ(shown.text, kExitFailureText);
    EXPECT_EQ(shown.buttons.size(), 2u);
    EXPECT_NE(::GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(::GetDlgItem(box, IDNO), nullptr);
    EXPECT_EQ(shown.defaultButton, IDNO);
    ASSERT_NE(shown.icon, nullptr);
    EXPECT_TRUE(ShownSystemIcon(shown.icon) == IDI_ERROR) << "not the error icon";

    // Enter presses the default button, which must be No.
    ASSERT_TRUE(PressKeys(box, {VK_RETURN}));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(m_app.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(m_app.Main()));
    EXPECT_EQ(m_app.NotesText(), "Not saved yet");

    ASSERT_TRUE(m_app.PostCommand(kCmdExit));
    box = WaitForMessageBox(m_app);
    ASSERT_NE(box, nullptr) << "the second Exit did not ask";
    ASSERT_TRUE(m_app.Post(box, WM_COMMAND, IDYES, 0));
    EXPECT_TRUE(m_app.WaitForExit()) << "Yes did not end the program";
    EXPECT_EQ(ReadFileBytes(m_paths.settings), settingsBefore);
}

TEST_F(ShutDown, ExitAnsweredNoKeepsTheNotesForALaterExitThatCanSave) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(m_immutable.Apply(m_paths.notes));
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    ASSERT_TRUE(m_app.SetNotesText("Kept in memory"));

    ASSERT_TRUE(m_app.PostCommand(kCmdExit));
    const HWND box = WaitForMessageBox(m_app);
    ASSERT_NE(box, nullptr) << "Exit ended the program without asking";
    EXPECT_EQ(m_app.ReadMessageBox(box).caption, kExitFailureCaption);
    ASSERT_TRUE(m_app.Post(box, WM_COMMAND, IDNO, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box); }));
    ASSERT_TRUE(m_app.Drain());

    ASSERT_TRUE(m_immutable.Release());
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).everyDay, "Kept in memory");
}

using SaveFailure = QuilletTest;

TEST_F(SaveFailure, UnwritableSettingsFileStopsSaveAllBeforeAnyOtherFile) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_EQ(FolderEntries(m_paths.folder), kAllFiles);
    const auto before = FolderSnapshot(m_paths.folder);

    ASSERT_TRUE(m_app.SetNotesText("Unsaved change"));
    ASSERT_TRUE(m_immutable.Apply(m_paths.settings));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(FolderSnapshot(m_paths.folder), before) << "a file changed or a .tmp file stayed";

    // Once the file can be written again the next save goes through.
    ASSERT_TRUE(m_immutable.Release());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadNotesFile(m_paths.notesBackup).days,
              (DayArray{{KeyOf(Today()), "Unsaved change"}}));
}

TEST_F(SaveFailure, UnwritableNotesFileStopsSaveAllBeforeTheBackups) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    const std::string notes = ReadFileBytes(m_paths.notes);
    const std::string settingsBackup = ReadFileBytes(m_paths.settingsBackup);
    const std::string notesBackup = ReadFileBytes(m_paths.notesBackup);

    // The room is part of the settings, so the settings file changes with it.
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    ASSERT_TRUE(m_app.SetNotesText("New every day"));
    ASSERT_TRUE(m_immutable.Apply(m_paths.notes));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    SSettings settings;
    ASSERT_TRUE(LoadSettings(settings, m_paths.settings));
    EXPECT_EQ(settings.nRoom, kRoomStatic);
    EXPECT_EQ(ReadFileBytes(m_paths.notes), notes);
    EXPECT_EQ(ReadFileBytes(m_paths.settingsBackup), settingsBackup);
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), notesBackup);
    EXPECT_EQ(FolderEntries(m_paths.folder), kAllFiles);
}

TEST_F(SaveFailure, DirectoryInPlaceOfTheSettingsFileStopsSaveAll) {
    ASSERT_TRUE(::CreateDirectoryA(m_paths.folder.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryA(m_paths.settings.c_str(), nullptr));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(FolderEntries(m_paths.folder), (std::vector<std::string>{"qlt_info.dat"}));
    EXPECT_TRUE(DirectoryExists(m_paths.settings));
}

} // namespace
} // namespace e2e
