// What keeps notes safe around the edges: a second copy of the program, keys that only look like
// Ctrl+S, saves nobody asked for, a tray icon that comes back, and DLLs taken from the system only.
#include "quillet_test_win.h"

#include "base/utf8_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <set>

namespace e2e {
namespace {

// Whether the program's tray icon is there, asked as any program may: only an icon that exists
// can be modified.
bool TrayIconShown(HWND owner) {
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V3_SIZE;
    nid.hWnd = owner;
    nid.uID = 118;
    nid.uFlags = NIF_TIP;
    lstrcpynA(nid.szTip, "Quillet", sizeof nid.szTip);
    return ::Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

using TrayIcon = QuilletTest;

TEST_F(TrayIcon, ComesBackWhenTheTaskbarIsCreatedAnew) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(WaitUntil([&] { return TrayIconShown(m_app.Main()); }));
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V3_SIZE;
    nid.hWnd = m_app.Main();
    nid.uID = 118;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &nid));
    ASSERT_FALSE(TrayIconShown(m_app.Main()));
    ASSERT_TRUE(m_app.Post(m_app.Main(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(WaitUntil([&] { return TrayIconShown(m_app.Main()); }));
}

// The height of the part of the window that shows: its region's, or the window's without one.
int ShownHeight(HWND window) {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    const int kind = ::GetWindowRgn(window, region);
    ::GetRgnBox(region, &box);
    ::DeleteObject(region);
    return kind == ERROR ? WindowRectOf(window).Height() : box.bottom - box.top;
}

// The names of the DLLs an executable imports, read from its file.
std::vector<std::string> ImportedDlls(const std::string& bytes) {
    std::vector<std::string> names;
    const auto at = [&](size_t offset, size_t size) {
        return offset + size <= bytes.size() ? bytes.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    const auto* nt = dos != nullptr ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(
                                          at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64)))
                                    : nullptr;
    if (nt == nullptr) {
        return names;
    }
    const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
    const auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
                return rva - s.VirtualAddress + s.PointerToRawData;
            }
        }
        return bytes.size();
    };
    size_t entry =
        fileOffset(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (const IMAGE_IMPORT_DESCRIPTOR* import;
         (import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
              at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR)))) != nullptr &&
         import->Name != 0;
         entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const char* name = at(fileOffset(import->Name), 1);
        std::string text = name != nullptr ? name : "";
        CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
        names.push_back(text);
    }
    return names;
}

TEST(DllLoading, QuilletImportsOnlyDllsThatWindowsLoadsFromTheSystemFolder) {
    // The known DLLs of every supported Windows; the common controls come through the manifest.
    const std::set<std::string> system = {"ADVAPI32.DLL", "COMCTL32.DLL", "COMDLG32.DLL",
                                          "GDI32.DLL",    "KERNEL32.DLL", "MSVCRT.DLL",
                                          "OLE32.DLL",    "SHELL32.DLL",  "USER32.DLL"};
    const std::vector<std::string> imported = ImportedDlls(ReadFileBytes(QuilletExePath()));
    ASSERT_GE(imported.size(), 4u) << "the import table was not read";
    for (const std::string& dll : imported) {
        EXPECT_EQ(system.count(dll), 1u) << dll << " can be loaded from beside the exe";
    }
}

using SecondCopy = QuilletTest;

TEST_F(SecondCopy, BringsTheRunningWindowForwardAndEndsWithoutTouchingAFileOrTheFoldedNote) {
    ASSERT_TRUE(SeedNotes({{KeyOf(Today()), "Stored note"}}, "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    // Tab moves the keys to the notes box, wherever the start left them.
    for (int tabs = 0; tabs < 3 && FocusedWindow(m_app.Main()) != m_app.Notes(); ++tabs) {
        ASSERT_TRUE(PressKeys(m_app.Main(), {VK_TAB}));
        WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Notes(); }, Millis(1000));
    }
    ASSERT_EQ(FocusedWindow(m_app.Main()), m_app.Notes());
    ASSERT_TRUE(m_app.SendCommand(351)); // Compact
    ASSERT_LT(ShownHeight(m_app.Main()), 30);
    // Stale backups would be refreshed by any start that reads the files.
    ASSERT_TRUE(WriteFileBytes(m_paths.notesBackup, "stale"));
    ASSERT_TRUE(WriteFileBytes(m_paths.settingsBackup, "stale"));
    const std::vector<std::string> before = FolderEntries(m_paths.folder);
    // Keys typed while folded reach no hidden box.
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_TAB}));
    ASSERT_TRUE(PressKeys(m_app.Main(), {'X'}));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(m_app.NotesText(), "Stored note");
    EXPECT_EQ(FocusedWindow(m_app.Main()), m_app.Main());

    // A window of another program that carries the running copy's mark is not woken.
    const HWND decoy = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         nullptr, nullptr);
    ::SetPropA(decoy, "Quillet.MainWindow", reinterpret_cast<HANDLE>(1));

    CQuilletApp second;
    ASSERT_FALSE(second.Start(QuilletExePath())) << "a second window opened";
    EXPECT_TRUE(second.WaitForExit()) << "the second copy did not end";
    MSG woken{};
    const UINT activate = ::RegisterWindowMessageA("Quillet.Activate");
    EXPECT_FALSE(::PeekMessageA(&woken, decoy, activate, activate, PM_REMOVE));
    ::DestroyWindow(decoy);
    EXPECT_TRUE(WaitUntil([&] { return ShownHeight(m_app.Main()) > 100; }))
        << "the running window stayed Compact";
    EXPECT_TRUE(WaitUntil([&] { return FocusedWindow(m_app.Main()) == m_app.Notes(); }))
        << "the notes box did not get the keys back";
    EXPECT_EQ(ReadFileBytes(m_paths.notesBackup), "stale");
    EXPECT_EQ(ReadFileBytes(m_paths.settingsBackup), "stale");
    EXPECT_EQ(FolderEntries(m_paths.folder), before);
    EXPECT_TRUE(m_app.IsRunning());
}

// One copy per data folder: a portable copy keeps a folder of its own and runs beside the
// installed one, and a second start of the portable folder wakes the portable window. What it
// keeps on this computer when its folder takes nothing at log-off comes back to it alone.
TEST_F(SecondCopy, APortableCopyRunsBesideTheInstalledOneWithItsOwnNotes) {
    ASSERT_TRUE(Launch());
    const std::string folder = BesideTests("portable-beside") + "\\";
    const std::string data = folder + "Data\\";
    const std::string local = LocalFolderOfCopy(data);
    ASSERT_FALSE(local.empty());
    RemoveFolderTree(folder);
    RemoveFolderTree(local);
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileA(QuilletExePath().c_str(), (folder + "Quillet.exe").c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(folder + "Quillet.portable", ""));
    CQuilletApp portable;
    ASSERT_TRUE(portable.Start(folder + "Quillet.exe")) << "the portable copy did not come up";
    EXPECT_NE(portable.Main(), m_app.Main());
    // Both would open in the middle of the screen: the second opens beside the first.
    const SRect installedRect = WindowRectOf(m_app.Main());
    const SRect portableRect = WindowRectOf(portable.Main());
    EXPECT_GT(portableRect.left, installedRect.left);
    EXPECT_GT(portableRect.top, installedRect.top);
    ASSERT_TRUE(portable.SetNotesText("On the stick"));
    ASSERT_TRUE(m_app.SetNotesText("Installed"));
    CQuilletApp again;
    EXPECT_FALSE(again.Start(folder + "Quillet.exe")) << "a second portable window opened";
    EXPECT_TRUE(again.WaitForExit());
    ASSERT_TRUE(portable.PostCommand(kCmdExit));
    ASSERT_TRUE(portable.WaitForExit());
    EXPECT_EQ(ReadNotesFile(SDataPaths::InFolder(data).notes).days,
              (DayArray{{KeyOf(Today()), "On the stick"}}));
    EXPECT_TRUE(m_app.IsRunning());
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).days, (DayArray{{KeyOf(Today()), "Installed"}}));

    // Log-off while Data\ takes nothing: the notes wait on this computer for this copy alone.
    ASSERT_TRUE(portable.Start(folder + "Quillet.exe"));
    ASSERT_TRUE(portable.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(m_immutable.Apply(data));
    ASSERT_TRUE(portable.SetNotesText("Typed before the stick was pulled"));
    DWORD_PTR mayEnd = FALSE;
    ASSERT_TRUE(::SendMessageTimeoutW(portable.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                      SMTO_ABORTIFHUNG, 15000, &mayEnd));
    ASSERT_TRUE(portable.Post(portable.Main(), WM_ENDSESSION, TRUE, 0));
    ASSERT_TRUE(portable.WaitForExit());
    const std::string recovery = EntryStartingWith(local, "qlt_notes.recovered-");
    EXPECT_FALSE(recovery.empty()) << "no recovery file in " << local;
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "Installed");
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(EntryStartingWith(local, "qlt_notes.recovered-"), recovery)
        << "the installed copy took it";
    ASSERT_TRUE(m_immutable.Release());
    ASSERT_TRUE(portable.Start(folder + "Quillet.exe"));
    EXPECT_EQ(portable.NotesText(), "Typed before the stick was pulled");
    ASSERT_TRUE(portable.PostCommand(kCmdExit));
    ASSERT_TRUE(portable.WaitForExit());
    RemoveFolderTree(folder);
    RemoveFolderTree(local);
}

using AutoSave = QuilletTest;

TEST_F(AutoSave, TypedTextReachesTheMainFilesAfterAPauseAndNothingIsWrittenWithoutAChange) {
    ASSERT_TRUE(Launch());
    // A first run that only looks writes nothing, even after the pause.
    EXPECT_FALSE(WaitUntil([&] { return !FolderEntries(m_paths.folder).empty(); }, Millis(4000)));

    // Keys typed into the box, as the keyboard gives them; the caret stands at the note's end.
    for (char c : std::string(" typed")) {
        ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_CHAR, static_cast<WPARAM>(c), 0));
    }
    const std::string expected =
        SerializeNotes({{KeyOf(Today()), "My first note... typed"}}, FirstRunEveryDay());
    EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(m_paths.notes) == expected; }, Millis(8000)));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(FolderEntries(m_paths.folder),
              (std::vector<std::string>{"qlt_info.dat", "qlt_notes.dat"}))
        << "only Save All and the start write the backups";

    ASSERT_TRUE(WriteFileBytes(m_paths.notes, "moved on"));
    EXPECT_FALSE(
        WaitUntil([&] { return ReadFileBytes(m_paths.notes) != "moved on"; }, Millis(4000)))
        << "written again without a change";
}

TEST_F(AutoSave, LosingActivationOrSuspendingSavesAtOnce) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    ASSERT_TRUE(m_app.SetNotesText("Every day, typed"));
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_ACTIVATE, WA_INACTIVE, 0));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).everyDay, "Every day, typed");

    ASSERT_TRUE(m_app.SetNotesText("Before sleep"));
    ASSERT_TRUE(m_app.Post(m_app.Main(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(ReadNotesFile(m_paths.notes).everyDay, "Before sleep");
}

using Browsing = QuilletTest;

// Notes the edit box cannot hold exactly (a zero byte) keep their bytes while the user only looks.
TEST_F(Browsing, AnExitAfterOnlyLookingWritesTheNotesAsTheyWereLoaded) {
    const SDate other = OtherDayThisMonth();
    DayArray days{{KeyOf(Today()), std::string("before\0after", 12)},
                  {KeyOf(other), std::string("other\0day", 9)}};
    if (other.day < Today().day) {
        std::swap(days[0], days[1]);
    }
    ASSERT_TRUE(SeedNotes(days, std::string("every\0day", 9), m_paths.notes));
    const std::string loaded = ReadFileBytes(m_paths.notes);
    ASSERT_TRUE(Launch());
    EXPECT_EQ(m_app.NotesText(), "before");
    ASSERT_TRUE(m_app.SelectDay(other));
    ASSERT_TRUE(m_app.SelectDay(Today()));
    for (int room : {kRoomStatic, kRoomSearch, kRoomDynamic, kRoomStatic}) {
        ASSERT_TRUE(m_app.ClickTab(room));
    }
    ASSERT_TRUE(ExitQuillet());
    EXPECT_EQ(ReadFileBytes(m_paths.notes), loaded);
}

using SaveKey = QuilletTest;

// AltGr is Ctrl+Alt: AltGr+S types a letter on some keyboards and must not save.
TEST_F(SaveKey, CtrlSSavesButNotWithAltDown) {
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_CONTROL, VK_MENU, 'S'}));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(FolderEntries(m_paths.folder).empty()) << "AltGr+S saved";
    ASSERT_TRUE(m_app.PressCtrlS());
    EXPECT_TRUE(WaitUntil([&] { return FileExists(m_paths.notesBackup); }));
}

} // namespace
} // namespace e2e
