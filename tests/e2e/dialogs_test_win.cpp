// The dialogs of the program: the About box and its links, the help page, the custom clock
// format, the fonts, export and import of the notes, and the menu's flag marks.
#include "stored_files.h"
#include "quillet_test_win.h"

#include <shlobj.h>

#include "base/utf8_win.h"
#include "storage/export_formats.h"
#include "ui/links.h"

#include <algorithm>
#include <utility>

namespace e2e {
namespace {

constexpr UINT kCmdCustomClock = ID_TIME_CUSTOM;
constexpr UINT kCmdAlwaysTop = ID_ALWAYS_TOP;
constexpr UINT kCmdLockMoving = ID_LOCK_MOVING;
constexpr UINT kCmdFontNotes = ID_FONT_NOTES;
constexpr UINT kCmdSaveData = ID_SAVE_DATA;
constexpr UINT kCmdLoadData = ID_LOAD_DATA;
constexpr UINT kCmdHelpTopics = ID_HELP_TOPICS;
constexpr UINT kCmdAbout = ID_ABOUT;
constexpr int kLinkHome = IDC_LINK_HOME;
constexpr int kLinkSupport = IDC_LINK_SUPPORT;

bool Contains(const std::vector<std::string>& texts, const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Whether a link is drawn underlined: one row of its text colour runs across most of the text.
bool Underlined(HWND link) {
    RECT client{};
    ::GetClientRect(link, &client);
    const CScreenShot shot(link, client);
    int left = shot.Width();
    int right = 0;
    std::vector<int> perRow(static_cast<size_t>(shot.Height()), 0);
    for (int y = 0; y < shot.Height(); ++y) {
        for (int x = 0; x < shot.Width(); ++x) {
            if (shot.At(x, y) == RGB(50, 50, 250)) {
                left = std::min(left, x);
                right = std::max(right, x);
                ++perRow[static_cast<size_t>(y)];
            }
        }
    }
    const int widest = perRow.empty() ? 0 : *std::max_element(perRow.begin(), perRow.end());
    return right > left && widest * 10 > (right - left) * 8;
}

using AboutBox = QuilletTest;

TEST_F(AboutBox, OpensFromTheMenuAndTheSystemMenuAndClosesWithOkEnterAndEscape) {
    ASSERT_TRUE(Launch());
    HWND about = m_app.OpenDialog(kCmdAbout, "About Quillet");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(::GetWindow(about, GW_OWNER), m_app.Main());
    EXPECT_FALSE(::IsWindowEnabled(m_app.Main())) << "the About box is not modal";
    const std::string texts = m_app.ReadMessageBox(about).text;
    for (const char* text : {"Quillet 1.70", "Home page:", "Support e-mail:"}) {
        EXPECT_NE(texts.find(text), std::string::npos) << text;
    }
    const std::string home = m_app.Text(::GetDlgItem(about, kLinkHome));
    const std::string support = m_app.Text(::GetDlgItem(about, kLinkSupport));
    EXPECT_EQ(home.rfind("https://", 0), 0u) << home;
    EXPECT_NE(support.find('@'), std::string::npos) << support;
    const std::vector<std::string> tips = m_app.ToolTips();
    EXPECT_TRUE(Contains(tips, "Go to " + home)) << ::testing::PrintToString(tips);
    EXPECT_TRUE(Contains(tips, "Send email to support")) << ::testing::PrintToString(tips);

    ASSERT_TRUE(m_app.Post(about, WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(about); }));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(m_app.Main()) != FALSE; }));

    for (WORD key : {VK_RETURN, VK_ESCAPE}) {
        ASSERT_TRUE(m_app.Post(m_app.Main(), WM_SYSCOMMAND, kSysCommandAbout, 0));
        about = m_app.WaitForDialog("About Quillet");
        ASSERT_NE(about, nullptr) << "the system menu item opened nothing";
        ASSERT_TRUE(PressKeys(about, {key}));
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); })) << "key " << key;
    }
    EXPECT_TRUE(m_app.IsRunning());
}

TEST_F(AboutBox, LinksUnderlineWhileTheMouseIsOverThem) {
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    ASSERT_TRUE(Launch());
    const HWND about = m_app.OpenDialog(kCmdAbout, "About Quillet");
    ASSERT_NE(about, nullptr);
    const HWND link = ::GetDlgItem(about, kLinkSupport);
    RECT rect{};
    ::GetWindowRect(link, &rect);
    ASSERT_TRUE(m_app.Drain());
    EXPECT_FALSE(Underlined(link));
    ::SetForegroundWindow(about);
    ::SetCursorPos(rect.left + 3, (rect.top + rect.bottom) / 2);
    ASSERT_TRUE(m_app.Post(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 2)));
    EXPECT_TRUE(WaitUntil([&] { return Underlined(link); }, Millis(3000)))
        << "the hovered link is not underlined";

    // The 100 ms poll notices that the mouse has left.
    ::SetCursorPos(rect.right + 40, rect.bottom + 40);
    EXPECT_TRUE(WaitUntil([&] { return !Underlined(link); }, Millis(3000)))
        << "the underline stays after the mouse left";
}

// Makes the shell open .html files and web addresses with a command that writes what it was given
// into a file. Wine reads the shell's classes from the machine's part of the registry only, not
// from HKCU\Software\Classes.
class CShellOpenRecorder {
public:
    explicit CShellOpenRecorder(std::string record) : m_record(std::move(record)) {}

    bool Apply() {
        wchar_t system[MAX_PATH] = {};
        std::wstring record;
        if (::GetSystemDirectoryW(system, MAX_PATH) == 0 || !Utf8ToWide(m_record, record)) {
            return false;
        }
        const std::wstring command =
            std::wstring(system) + L"\\cmd.exe /c echo %1>\"" + record + L"\"";
        const std::wstring classes = L"Software\\Classes\\";
        const std::wstring open = L"\\shell\\open\\command";
        return m_values[0].Set(HKEY_LOCAL_MACHINE, classes + L"Quillet.TestPage" + open, L"",
                               REG_SZ, command) &&
               m_values[1].Set(HKEY_LOCAL_MACHINE, classes + L".html", L"", REG_SZ,
                               L"Quillet.TestPage") &&
               m_values[2].Set(HKEY_LOCAL_MACHINE, classes + L"http" + open, L"", REG_SZ,
                               command) &&
               m_values[3].Set(HKEY_LOCAL_MACHINE, classes + L"https" + open, L"", REG_SZ, command);
    }

    // What the last open was given; empty when nothing was opened. The record goes, for the next.
    std::string TakeOpened() const {
        std::string line;
        WaitUntil([&] {
            line = ReadFileBytes(m_record);
            return line.find('\n') != std::string::npos;
        });
        std::wstring record;
        Utf8ToWide(m_record, record);
        WaitUntil([&] { return ::DeleteFileW(record.c_str()) || !FileExists(m_record); });
        const size_t first = line.find_first_not_of(" \"\r\n");
        const size_t last = line.find_last_not_of(" \"\r\n");
        return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
    }

private:
    std::string m_record;
    CRegistryValue m_values[4];
};

// A file moved aside for a while, and back.
class CMovedAside {
public:
    explicit CMovedAside(const std::string& path) {
        Utf8ToWide(path, m_path);
        m_moved = ::MoveFileW(m_path.c_str(), (m_path + L".aside").c_str()) != FALSE;
    }
    ~CMovedAside() {
        if (m_moved) {
            ::MoveFileW((m_path + L".aside").c_str(), m_path.c_str());
        }
    }
    CMovedAside(const CMovedAside&) = delete;
    CMovedAside& operator=(const CMovedAside&) = delete;

    bool Moved() const { return m_moved; }

private:
    std::wstring m_path;
    bool m_moved = false;
};

using Help = QuilletTest;

TEST_F(Help, OpensTheGuideBesideTheProgramAndTheWebPageWithoutIt) {
    const std::string exe = QuilletExePath();
    const std::string page = exe.substr(0, exe.find_last_of('\\') + 1) + kHelpPageFileName;
    ASSERT_TRUE(FileExists(page)) << "the build puts the guide beside Quillet.exe";
    CShellOpenRecorder shell(m_paths.folder + "opened.txt");
    ASSERT_TRUE(shell.Apply());
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_F1}));
    EXPECT_EQ(shell.TakeOpened(), page);

    {
        const CMovedAside aside(page);
        ASSERT_TRUE(aside.Moved());
        ASSERT_TRUE(PressKeys(m_app.Main(), {VK_F1}));
        EXPECT_EQ(shell.TakeOpened(), kHelpPageUrl);
        ASSERT_TRUE(m_app.PostCommand(kCmdHelpTopics));
        EXPECT_EQ(shell.TakeOpened(), kHelpPageUrl);
    }

    // With no program for .html files, the user is told where the guide is.
    CRegistryValue noHandler;
    ASSERT_TRUE(noHandler.Set(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.html", L"", REG_SZ,
                              L"Quillet.NoProgram"));
    ASSERT_TRUE(PressKeys(m_app.Main(), {VK_F1}));
    const HWND box = m_app.WaitForDialog("Quillet");
    ASSERT_NE(box, nullptr) << "F1 did nothing";
    EXPECT_NE(m_app.ReadMessageBox(box).text.find(page), std::string::npos);
    m_app.Post(box, WM_COMMAND, IDOK, 0);
}

// Positions of the submenus among the main menu's items, and of items in them.
constexpr int kFlagsMenu = 3;
constexpr int kTimeMenu = 5;
constexpr size_t kLockMovingItem = 0;
constexpr size_t kAlwaysTopItem = 1;
constexpr size_t kCustomClockItem = 9;

TEST_F(AboutBox, NoTooltipStaysOverTheMenuOrADialog) {
    ASSERT_TRUE(Launch());
    // A click before the button's tip had time to show: its timer runs on into the menu.
    ASSERT_TRUE(m_app.MouseAt(POINT{8, 12}, true));
    ASSERT_TRUE(WaitUntil([&] { return m_app.Menus().size() == 1; }));
    ::Sleep(1500);
    EXPECT_FALSE(m_app.ToolTipShown()) << "a tooltip covers the menu";
    ASSERT_TRUE(m_app.CloseMenus());
}

using ClockFormat = QuilletTest;

TEST_F(ClockFormat, CustomPatternIsStoredMarkedAndShownWhileEscapeKeepsTheOldOne) {
    ASSERT_TRUE(Launch());
    HWND dialog = m_app.OpenDialog(kCmdCustomClock, "Time format...");
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(m_app.ReadMessageBox(dialog).text.find("Type time's format"), std::string::npos);
    EXPECT_EQ(m_app.Text(::GetDlgItem(dialog, 1001)), "%d %B");
    ASSERT_TRUE(PressKeys(dialog, {VK_ESCAPE}));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(m_app.MenuMarks(kTimeMenu), std::vector<bool>(10, false));

    dialog = m_app.OpenDialog(kCmdCustomClock, "Time format...");
    ASSERT_NE(dialog, nullptr);
    // A pattern that shows nothing is refused with a word, and the dialog stays.
    ASSERT_TRUE(m_app.SetText(::GetDlgItem(dialog, 1001), "%Q"));
    ASSERT_TRUE(m_app.Post(dialog, WM_COMMAND, IDOK, 0));
    HWND refusal = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        refusal = ::GetLastActivePopup(dialog);
        return refusal != dialog &&
               m_app.ReadMessageBox(refusal).text.find("shows nothing") != std::string::npos;
    }));
    ASSERT_TRUE(m_app.Post(refusal, WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(refusal); }));
    EXPECT_TRUE(::IsWindow(dialog));
    ASSERT_TRUE(m_app.SetText(::GetDlgItem(dialog, 1001), "%H:%M:%S"));
    ASSERT_TRUE(m_app.Post(dialog, WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    ASSERT_TRUE(m_app.Drain());
    std::vector<bool> marked(10, false);
    marked[kCustomClockItem] = true;
    EXPECT_EQ(m_app.MenuMarks(kTimeMenu), marked);

    // A header with seconds is painted anew every second.
    RECT title{30, 0, 200, 22};
    const CScreenShot before(m_app.Main(), title);
    EXPECT_TRUE(WaitUntil(
        [&] { return CScreenShot(m_app.Main(), title).DifferentPixels(before.Pixels()) > 0; },
        Millis(2500)))
        << "the header does not show the seconds";

    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    SSettings saved;
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.strCustomFormat, "%H:%M:%S");
    EXPECT_EQ(saved.nTimeFormat, 9);
}

using Fonts = QuilletTest;

// The pixels of a control's client area.
std::vector<COLORREF> Picture(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    return CScreenShot(control, client).Pixels();
}

// The picture once a paint still to come has reached the screen: two in a row agree.
std::vector<COLORREF> SteadyPicture(HWND control) {
    std::vector<COLORREF> last = Picture(control);
    for (int look = 0; look < 20; ++look) {
        ::Sleep(100);
        std::vector<COLORREF> now = Picture(control);
        if (now == last) {
            break;
        }
        last = std::move(now);
    }
    return last;
}

TEST_F(Fonts, NotesFontChosenInTheDialogReachesBothEditsAndTheSettingsWhileCancelKeepsIt) {
    ASSERT_TRUE(Launch());
    // Both edits show in the search room; what they show stays while the font changes.
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "Sample"));
    ASSERT_TRUE(m_app.Drain());
    // The result ("Empty") is pictured once it is there, not before.
    ASSERT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Empty"; }));
    ASSERT_TRUE(m_app.Drain());
    const std::vector<COLORREF> notesBefore = SteadyPicture(m_app.Notes());
    const std::vector<COLORREF> searchBefore = SteadyPicture(m_app.Search());
    SSettings saved;
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    const std::string storedFace = saved.lfNotes.Face();

    // Browses to the second face and closes the dialog with the button given.
    wchar_t face[LF_FACESIZE] = {};
    const auto browse = [&](WPARAM button) {
        const HWND dialog = m_app.OpenDialog(kCmdFontNotes, "Font");
        ASSERT_NE(dialog, nullptr);
        // Wine answers the ANSI combo box messages of another process with one character only.
        const HWND faces = ::GetDlgItem(dialog, 1136);
        ASSERT_GT(::SendMessageW(faces, CB_GETCOUNT, 0, 0), 1);
        ::SendMessageW(faces, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(face));
        ::SendMessageW(faces, CB_SETCURSEL, 1, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(1136, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(faces));
        ASSERT_TRUE(m_app.Post(dialog, WM_COMMAND, button, 0));
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
        ASSERT_TRUE(m_app.Drain());
    };

    browse(IDCANCEL);
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.lfNotes.Face(), storedFace) << "Cancel stored the face browsed to";
    // What the dialog covered is painted anew after it goes, and a caret may blink: wait for it.
    EXPECT_TRUE(WaitUntil([&] { return Picture(m_app.Notes()) == notesBefore; }, Millis(3000)))
        << "Cancel changed the notes font";

    browse(IDOK);
    EXPECT_TRUE(WaitUntil([&] { return Picture(m_app.Notes()) != notesBefore; }, Millis(3000)))
        << "the notes edit kept its font";
    EXPECT_TRUE(WaitUntil([&] { return Picture(m_app.Search()) != searchBefore; }, Millis(3000)))
        << "the search box kept its font";
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    char chosen[LF_FACESIZE] = {};
    ::WideCharToMultiByte(CP_ACP, 0, face, -1, chosen, sizeof chosen, nullptr, nullptr);
    EXPECT_EQ(saved.lfNotes.Face(), chosen);
}

// A stored face that is not installed is drawn in another: the dialog opens on that one at the
// size in use, and OK without a change keeps the notes as they look.
TEST_F(Fonts, TheDialogOpensOnTheFaceDrawnWhenTheStoredOneIsNotInstalled) {
    SSettings settings = DefaultSettingsForMainWindow();
    settings.lfNotes.SetFace("No Such Face Here");
    settings.lfNotes.lfHeight = -16;
    ASSERT_TRUE(SeedSettings(settings, m_paths.settings));
    ASSERT_TRUE(Launch());
    // Pictured in the search room once its result shows: no caret blinks in the notes box.
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "Sample"));
    ASSERT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Empty"; }));
    ASSERT_TRUE(m_app.Drain());
    const std::vector<COLORREF> before = SteadyPicture(m_app.Notes());
    const HWND dialog = m_app.OpenDialog(kCmdFontNotes, "Font");
    ASSERT_NE(dialog, nullptr);
    const auto shown = [&](int id) {
        wchar_t text[LF_FACESIZE] = {};
        ::SendMessageW(::GetDlgItem(dialog, id), WM_GETTEXT, LF_FACESIZE,
                       reinterpret_cast<LPARAM>(text));
        char ansi[LF_FACESIZE] = {};
        ::WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
        return std::string(ansi);
    };
    const std::string face = shown(1136);
    EXPECT_FALSE(face.empty());
    EXPECT_NE(face[0], '@') << "a vertical face";
    EXPECT_NE(::SendMessageW(::GetDlgItem(dialog, 1136), CB_GETCURSEL, 0, 0), CB_ERR)
        << face << " is no face of the list";
    EXPECT_EQ(shown(1138), "12") << "16 pixels at 96 DPI";
    ASSERT_TRUE(m_app.Post(dialog, WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_TRUE(WaitUntil([&] { return Picture(m_app.Notes()) == before; }, Millis(3000)))
        << "OK changed how the notes look";
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    SSettings saved;
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.lfNotes.Face(), face);
    EXPECT_EQ(saved.lfNotes.lfHeight, -16);
}

class Backup : public QuilletTest {
protected:
    static DayArray Days() {
        // One note holds what no code page has: stored behind a mark, exported as it is.
        return {{"050125", "Dentist at 10"},
                {"170325", "Call MOM \xF0\x9F\x8E\x82 \xD0\x9C\xD0\xB0\xD0\xBC\xD0\xB0"},
                {"010426", "Spring"}};
    }
    // Runs Save Data... or Load Data... with the path typed into the file dialog.
    ::testing::AssertionResult ChooseFile(UINT command, const std::string& path) {
        const HWND dialog = m_app.OpenDialog(command, command == kCmdSaveData ? "Save As" : "Open");
        if (dialog == nullptr) {
            return ::testing::AssertionFailure() << "no file dialog";
        }
        m_startFolder = m_app.FileDialogFolder(dialog);
        if (!m_app.AnswerFileDialog(dialog, path)) {
            return ::testing::AssertionFailure() << "the file dialog took no name";
        }
        return ::testing::AssertionSuccess();
    }
    // The message box the program shows next, answered with the button; its icon is read
    // while it shows.
    SMessageBox Answer(int button) {
        const HWND box = m_app.WaitForDialog(m_expectedCaption);
        SMessageBox shown;
        m_shownIcon = nullptr;
        if (box != nullptr) {
            shown = m_app.ReadMessageBox(box);
            m_shownIcon = shown.icon != nullptr ? ShownSystemIcon(shown.icon) : nullptr;
            m_app.Post(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
            WaitUntil([&] { return !::IsWindow(box); });
            m_app.Drain();
        }
        return shown;
    }
    std::string m_expectedCaption;
    LPCSTR m_shownIcon = nullptr;
    // The folder the last file dialog started in.
    std::string m_startFolder;
};

TEST_F(Backup, ExportWritesTheSavedNotesAndImportBringsThemBackByRoom) {
    ASSERT_TRUE(SeedNotes(Days(), "Every day", m_paths.notes));
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(m_app.ClickTab(kRoomStatic));
    ASSERT_TRUE(m_app.SetNotesText("Every day, edited"));
    ASSERT_TRUE(ChooseFile(kCmdSaveData, m_paths.folder + "backup"));
    const std::string exported = m_paths.folder + "backup.qlt";
    ASSERT_TRUE(WaitUntil([&] { return FileExists(exported); }));
    ASSERT_TRUE(m_app.Drain());
    EXPECT_EQ(ReadFileBytes(exported), ReadFileBytes(m_paths.notes)) << "not what Save All wrote";
    EXPECT_EQ(ReadFileBytes(exported), SerializeNotes(Days(), "Every day, edited"));
    // Asked for before the tray icon was there (a quick first click), the balloon comes with it.
    EXPECT_TRUE(WaitUntil([] { return BalloonShown("The notes were saved to backup.qlt."); }));
    char documents[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    EXPECT_EQ(m_startFolder, documents) << "the first file dialog starts in Documents";

    // The Calendar type chosen in the dialog: the calendar file the readers of the unit tests
    // read, of the same notes, beside the first.
    const HWND saveAs = m_app.OpenDialog(kCmdSaveData, "Save As");
    ASSERT_NE(saveAs, nullptr);
    const HWND types = ::GetDlgItem(saveAs, 1136);
    EXPECT_EQ(::SendMessageW(types, CB_GETCOUNT, 0, 0), 4);
    ::SendMessageW(types, CB_SETCURSEL, 1, 0);
    for (const WORD code : {CBN_SELCHANGE, CBN_SELENDOK}) {
        ::SendMessageW(saveAs, WM_COMMAND, MAKEWPARAM(1136, code), reinterpret_cast<LPARAM>(types));
    }
    ASSERT_TRUE(m_app.AnswerFileDialog(saveAs, m_paths.folder + "backup"));
    const std::string calendar = m_paths.folder + "backup.ics";
    ASSERT_TRUE(WaitUntil([&] { return FileExists(calendar); }));
    ASSERT_TRUE(m_app.Drain());
    // The same but for the time it was written.
    const auto unstamped = [](std::string ics) {
        for (size_t at = 0; (at = ics.find("DTSTAMP:", at)) != std::string::npos; at += 8) {
            ics.erase(at + 8, ics.find("\r\n", at) - at - 8);
        }
        return ics;
    };
    EXPECT_EQ(unstamped(ReadFileBytes(calendar)),
              unstamped(ExportCalendar(SNotebook{Days(), "Every day, edited"}, 0)));
    EXPECT_TRUE(WaitUntil([] { return BalloonShown("The notes were saved to backup.ics."); }));
    EXPECT_EQ(ReadFileBytes(exported), SerializeNotes(Days(), "Every day, edited"));

    ASSERT_TRUE(m_app.SetNotesText("Changed after the export"));
    m_expectedCaption = "Load Data";
    ASSERT_TRUE(ChooseFile(kCmdLoadData, exported));
    EXPECT_EQ(m_startFolder + "\\", m_paths.folder) << "not where the last file went";
    const SMessageBox confirm = Answer(IDCANCEL);
    EXPECT_EQ(confirm.text, "All current info will be remove from calendar...");
    EXPECT_EQ(confirm.buttons, (std::vector<int>{IDOK, IDCANCEL}));
    EXPECT_TRUE(m_shownIcon == IDI_WARNING) << "not the exclamation icon";
    EXPECT_EQ(m_app.NotesText(), "Changed after the export") << "Cancel changed the screen";

    ASSERT_TRUE(ChooseFile(kCmdLoadData, exported));
    // The notes come from the read that was checked, whatever becomes of the file meanwhile.
    ASSERT_NE(m_app.WaitForDialog(m_expectedCaption), nullptr);
    const std::string exportedBytes = ReadFileBytes(exported);
    ASSERT_TRUE(WriteFileBytes(exported, exportedBytes.substr(0, 9)));
    EXPECT_EQ(Answer(IDOK).caption, "Load Data");
    EXPECT_EQ(m_app.NotesText(), "Every day, edited");
    EXPECT_TRUE(WaitUntil([] { return BalloonShown("Imported 3 notes."); }));
    DWORD_PTR selection = 0;
    ::SendMessageTimeoutW(m_app.Notes(), EM_GETSEL, 0, 0, SMTO_NORMAL, 5000, &selection);
    EXPECT_EQ(LOWORD(selection), 17) << "the caret is not at the end";
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), exportedBytes) << "not the same notes in order";

    // In the search room the imported notes are searched, and a result leads to its day.
    ASSERT_TRUE(WriteFileBytes(exported, SerializeNotes({{"020426", "Spring again"}}, "")));
    ASSERT_TRUE(m_app.ClickTab(kRoomSearch));
    ASSERT_TRUE(m_app.SetText(m_app.Search(), "spring"));
    ASSERT_TRUE(WaitUntil([&] { return m_app.NotesText() == "01.04.26 Spring\r\n\r\n"; }));
    ASSERT_TRUE(ChooseFile(kCmdLoadData, exported));
    Answer(IDOK);
    EXPECT_EQ(m_app.NotesText(), "02.04.26 Spring again\r\n\r\n");
    ::SendMessageW(m_app.Notes(), EM_SETSEL, 0, 0);
    ASSERT_TRUE(m_app.Post(m_app.Notes(), WM_KEYDOWN, VK_RETURN, 0));
    EXPECT_TRUE(WaitUntil([&] { return m_app.NotesText() == "Spring again"; }))
        << m_app.NotesText();
}

TEST_F(Backup, TruncatedImportShowsItsMessageAndChangesNothing) {
    ASSERT_TRUE(Launch());
    const std::string file = SerializeNotes(Days(), "Every day");
    const std::string truncated = m_paths.folder + "truncated.qlt";
    ASSERT_TRUE(WriteFileBytes(truncated, file.substr(0, file.size() - 2)));
    m_expectedCaption = "Unsuccessful opening backup file";
    ASSERT_TRUE(ChooseFile(kCmdLoadData, truncated));
    const SMessageBox shown = Answer(IDOK);
    EXPECT_EQ(shown.text, "Program cann't open this file. File wrong or corrupted. Try again.");
    EXPECT_EQ(shown.buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(m_shownIcon == IDI_ERROR) << "not the error icon";
    EXPECT_EQ(m_app.NotesText(), "My first note...");
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    EXPECT_EQ(ReadFileBytes(m_paths.notes), SerializeNotes(FirstRunDays(), FirstRunEveryDay()));
}

TEST_F(Backup, ExportThatCannotBeWrittenShowsItsMessageAndLeavesNoFile) {
    ASSERT_TRUE(Launch());
    const std::string locked = m_paths.folder + "locked\\";
    ASSERT_TRUE(::CreateDirectoryA(locked.c_str(), nullptr));
    ASSERT_TRUE(m_immutable.Apply(locked.substr(0, locked.size() - 1)));
    m_expectedCaption = "Unsuccessful saving backup file";
    ASSERT_TRUE(ChooseFile(kCmdSaveData, locked + "backup.qlt"));
    const SMessageBox shown = Answer(IDOK);
    EXPECT_EQ(shown.text, "Program cann't save data to this file. Try again.");
    EXPECT_EQ(shown.buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(FolderEntries(locked).empty()) << ::testing::PrintToString(FolderEntries(locked));
    EXPECT_TRUE(FileExists(m_paths.notesBackup))
        << "Save All did not run first: "
        << ::testing::PrintToString(FolderEntries(m_paths.folder));
}

using HighContrast = QuilletTest;

// Turns the system's high-contrast scheme on or off, telling every window.
bool SetHighContrast(bool on) {
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
    return ::SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof contrast, &contrast,
                                   SPIF_SENDCHANGE) != FALSE;
}

TEST_F(HighContrast, PaintsWithTheSystemColoursAndGivesTheThemeBackWhenItEnds) {
    ASSERT_TRUE(Launch());
    const auto background = [&] {
        const RECT client{0, 30, 100, 100};
        return CScreenShot(m_app.Main(), client).MostFrequentColour();
    };
    const COLORREF blue = RGB(200, 220, 250);
    ASSERT_TRUE(WaitUntil([&] { return background() == blue; }));
    if (!SetHighContrast(true)) {
        GTEST_SKIP() << "the system refuses to turn high contrast on (Wine 8 does)";
    }
    EXPECT_TRUE(WaitUntil([&] { return background() == ::GetSysColor(COLOR_WINDOW); }));
    ASSERT_TRUE(SetHighContrast(false));
    EXPECT_TRUE(WaitUntil([&] { return background() == blue; }));
    ASSERT_TRUE(m_app.SendCommand(kCmdSaveAll));
    SSettings saved;
    ASSERT_TRUE(LoadSettings(saved, m_paths.settings));
    EXPECT_EQ(saved.nColor, 0) << "the stored theme changed";
}

using FlagMarks = QuilletTest;

TEST_F(FlagMarks, FollowTheStoredFlagsAtStartAndEveryCommandWithRoomForTheCalendar) {
    SSettings settings;
    SetDefaultSettings(settings, SRect{0, 0, 200, 200}, DesktopRect());
    settings.bLockMoving = true;
    settings.bAlwaysTop = true;
    ASSERT_TRUE(SeedSettings(settings, m_paths.settings));
    ASSERT_TRUE(Launch());
    auto topmost = [&] {
        return (::GetWindowLongA(m_app.Main(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    };
    auto flagMarks = [&] {
        const std::vector<bool> marks = m_app.MenuMarks(kFlagsMenu);
        return marks.size() == 4 ? std::make_pair(marks[kLockMovingItem], marks[kAlwaysTopItem])
                                 : std::make_pair(false, false);
    };
    EXPECT_EQ(flagMarks(), std::make_pair(true, true));
    EXPECT_TRUE(WaitUntil(topmost)) << "a stored Always top did not make the window topmost";

    for (bool expected : {false, true}) {
        ASSERT_TRUE(m_app.SendCommand(kCmdLockMoving));
        ASSERT_TRUE(m_app.SendCommand(kCmdAlwaysTop));
        EXPECT_EQ(flagMarks(), std::make_pair(expected, expected));
        EXPECT_EQ(topmost(), expected);
    }

    // Week numbers and Monday first: the calendar shows a whole month, the window makes room
    // for it and gives it back.
    const SRect window = WindowRectOf(m_app.Main());
    for (UINT command : {373u, 372u, 373u, 372u}) {
        ASSERT_TRUE(m_app.SendCommand(command));
        const SIZE needed = m_app.CalendarNeeds();
        EXPECT_GT(needed.cx, 0);
        EXPECT_LE(needed.cx, WindowRectOf(m_app.Calendar()).Width()) << command;
        EXPECT_LE(needed.cy, WindowRectOf(m_app.Calendar()).Height()) << command;
    }
    EXPECT_EQ(WindowRectOf(m_app.Main()), window);
}

} // namespace
} // namespace e2e
