// What the user asks of the window: commands, keys, tabs, tray clicks, screen-reader presses.
#include "app/window_commands_win.h"

#include "app/settings_changes_win.h"
#include "app/single_copy_win.h"
#include "app/window_life_win.h"
#include "app/window_look_win.h"
#include "base/ids.h"
#include "base/path.h"
#include "notes/search.h"
#include "render/clock_format.h"
#include "render/themes.h"
#include "ui/about_dlg_win.h"
#include "ui/commands.h"
#include "ui/keys.h"
#include "ui/links.h"
#include "ui/time_dlg_win.h"
#include "win/fonts_win.h"
#include "win/handles_win.h"

#include <cstdlib>
#include <utility>

bool CWindowCommands::Run(UINT id, UINT notifyCode, bool& handled) {
    using EFlag = CSettingsChanges::EFlag;
    const SSettings& settings = m_w.settings;
    handled = true;
    switch (RouteCommand(id, notifyCode)) {
    case ECommandRoute::Platform:
        if (id == IDC_NOTES && notifyCode == EN_CHANGE) {
            // A few seconds after typing stops, what was typed is saved.
            if (!m_w.noteArea.Filling()) {
                m_w.saves.OnTyped();
            }
            return false;
        }
        if (id == IDC_SEARCH && notifyCode == EN_CHANGE) {
            // Keys still waiting make the search wait for them (a burst costs one search); the
            // release of the key just typed does not.
            m_w.noteArea.Rooms().OnChangeSearch();
            MSG next;
            if (!::PeekMessageW(&next, nullptr, WM_KEYDOWN, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) ||
                next.message == WM_KEYUP) {
                m_w.noteArea.Rooms().RunDueSearch();
            }
            return true;
        }
        return false;
    case ECommandRoute::ColorTheme:
        ChooseColorTheme(static_cast<int>(id - ID_COLOR_FIRST));
        return true;
    case ECommandRoute::RandomColor:
        ChooseRandomColor();
        return true;
    case ECommandRoute::Shape:
        m_changes.ChooseShape(static_cast<int>(id - ID_SHAPE_FIRST));
        ShowChosen(EMenu::Style, settings.nShape);
        return true;
    case ECommandRoute::ClockFormat:
        m_changes.ChooseClock(static_cast<int>(id - ID_TIME_FIRST));
        ShowChosen(EMenu::Time, settings.nTimeFormat);
        return true;
    case ECommandRoute::Gradient:
        m_changes.ChooseGradient(static_cast<int>(id - ID_GRADIENT_FIRST));
        ShowChosen(EMenu::Title, settings.nGradient);
        return true;
    case ECommandRoute::LockMoving:
        m_changes.Flip(EFlag::LockMoving);
        return true;
    case ECommandRoute::AlwaysTop:
        m_changes.Flip(EFlag::AlwaysTop);
        return true;
    case ECommandRoute::MondayFirst:
        m_changes.Flip(EFlag::MondayFirst);
        return true;
    case ECommandRoute::WeekNumbers:
        m_changes.Flip(EFlag::WeekNumbers);
        return true;
    case ECommandRoute::HelpPage:
        OpenHelp();
        return true;
    case ECommandRoute::HomePage:
        ShellOpen(kHomePageUrl);
        return true;
    case ECommandRoute::ContactPage:
        ShellOpen(kContactPageUrl);
        return true;
    case ECommandRoute::Exit:
        m_life.CloseAfterExitSave();
        return true;
    case ECommandRoute::FullCompact:
        m_changes.ToggleFullView();
        return true;
    case ECommandRoute::SaveAll:
        m_w.saves.SaveEverything();
        return true;
    case ECommandRoute::CustomClockFormat:
        handled = ChooseCustomClockFormat();
        return true;
    case ECommandRoute::Font:
        ChooseFont(id);
        return true;
    case ECommandRoute::SaveData:
        SaveData();
        return true;
    case ECommandRoute::LoadData:
        LoadData();
        return true;
    case ECommandRoute::About:
        RunAboutBox();
        return true;
    case ECommandRoute::Absorb:
        // Every command without a case is absorbed: Enter, Escape and close requests never end
        // the window.
        return true;
    }
    return true;
}

bool CWindowCommands::OnKey(const MSG& msg) {
    const HWND wnd = m_w.Wnd();
    const bool inResults =
        msg.hwnd == ::GetDlgItem(wnd, IDC_NOTES) && m_w.settings.nRoom == kRoomSearch;
    if (inResults && msg.message == WM_LBUTTONDBLCLK) {
        // Once the box has put its caret where the click was.
        ::PostMessageW(wnd, kOpenResultMessage, 0, 0);
        return false;
    }
    SKeyPress press;
    switch (msg.message) {
    case WM_KEYDOWN:
        press.message = kKeyDown;
        break;
    case WM_SYSKEYDOWN:
        press.message = kSysKeyDown;
        break;
    case WM_KEYUP:
        press.message = kKeyUp;
        break;
    case WM_SYSKEYUP:
        press.message = kSysKeyUp;
        break;
    default:
        return false;
    }
    press.key = static_cast<unsigned>(msg.wParam);
    press.ctrl = ::GetKeyState(VK_CONTROL) < 0;
    press.shift = ::GetKeyState(VK_SHIFT) < 0;
    press.alt = ::GetKeyState(VK_MENU) < 0;
    press.inResults = inResults;
    press.folded = m_w.settings.nFullView == 0;
    const EKeyRoute route = RouteKey(press);
    switch (route) {
    case EKeyRoute::None:
        return false;
    case EKeyRoute::Swallow:
        return true;
    case EKeyRoute::MainMenu:
        ShowMainMenu(true);
        return true;
    case EKeyRoute::SaveAll:
        m_w.saves.SaveEverything();
        return true;
    case EKeyRoute::OpenResult:
        OpenResultAtCaret();
        return true;
    case EKeyRoute::FindInNotes: {
        ShowRoom(kRoomSearch);
        const HWND search = ::GetDlgItem(wnd, IDC_SEARCH);
        ::SetFocus(search);
        ::SendMessageW(search, EM_SETSEL, 0, -1);
        return true;
    }
    case EKeyRoute::RoomDay:
    case EKeyRoute::RoomEveryDay:
    case EKeyRoute::RoomSearch:
        ShowRoom(RoomOf(route));
        return true;
    }
    return false;
}

bool CWindowCommands::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (msg) {
    case kTrayNotifyMessage:
        OnTrayNotify(lParam);
        return true;
    case kDataFolderChangedMessage:
        m_w.saves.OnFolderChanged();
        return true;
    case kOpenResultMessage:
        OpenResultAtCaret();
        return true;
    case kOpenMenuMessage:
        ShowMainMenu(true);
        return true;
    default:
        return OnRegisteredMessage(msg, wParam, result);
    }
}

bool CWindowCommands::OnRegisteredMessage(UINT msg, WPARAM wParam, LRESULT& result) {
    // Their numbers are known only at run time.
    using Handler = LRESULT (CWindowCommands::*)(WPARAM);
    static const std::pair<UINT, Handler> handlers[] = {
        {CSingleCopy::WakeMessage(), &CWindowCommands::OnWake},
        {CTrayIcon::TaskbarCreatedMessage(), &CWindowCommands::OnTaskbarCreated},
        {::RegisterWindowMessageA(kLiveHandlesMessageName), &CWindowCommands::OnLiveHandles},
    };
    for (const auto& handler : handlers) {
        if (handler.first == msg && msg != 0) {
            result = (this->*handler.second)(wParam);
            return true;
        }
    }
    return false;
}

LRESULT CWindowCommands::OnWake(WPARAM) {
    BringForward();
    return 0;
}

LRESULT CWindowCommands::OnTaskbarCreated(WPARAM) {
    m_tray.OnTaskbarCreated();
    return 0;
}

LRESULT CWindowCommands::OnLiveHandles(WPARAM kind) {
    return static_cast<LRESULT>(kind == 0   ? SLiveHandles::gdi.load()
                                : kind == 1 ? SLiveHandles::menus.load()
                                            : SLiveHandles::Windows());
}

void CWindowCommands::BuildMenu() {
    const QTime now = CurrentTime();
    const SSettings& settings = m_w.settings;
    m_w.menu.Build(
        [&](const SMenuEntry& entry) -> std::string {
            switch (entry.kind) {
            case SMenuEntry::EKind::Theme:
                return ThemeFor(static_cast<int>(entry.id - ID_COLOR_FIRST)).name;
            case SMenuEntry::EKind::TimeFormat:
                return FormatHeaderText(static_cast<int>(entry.id - ID_TIME_FIRST), true,
                                        settings.strCustomFormat, now);
            default:
                return settings.nFullView != 0 ? "Compact" : "Full";
            }
        },
        [this](EMenu menu) { return RadioIndex(menu); });
}

int CWindowCommands::RadioIndex(EMenu menu) const {
    const SSettings& settings = m_w.settings;
    switch (menu) {
    case EMenu::Color:
        return settings.nColor;
    case EMenu::Style:
        return settings.nShape;
    case EMenu::Time:
        return settings.nTimeFormat;
    case EMenu::Title:
        return settings.nGradient;
    default:
        return -1;
    }
}

void CWindowCommands::RefreshTimeMenu() {
    const QTime now = CurrentTime();
    for (int i = 0; i < kClockFormatCount; ++i) {
        m_w.menu.SetText(EMenu::Time, ID_TIME_FIRST + i,
                         FormatHeaderText(i, true, m_w.settings.strCustomFormat, now));
    }
    m_w.menu.MarkRadio(EMenu::Time, m_w.settings.nTimeFormat);
}

void CWindowCommands::ShowMainMenu(bool fromKeyboard) {
    POINT corner{0, m_w.layout.rcMenuButton.bottom};
    ::ClientToScreen(m_w.Wnd(), &corner);
    RefreshTimeMenu();
    if (fromKeyboard) {
        // The menu's own loop takes the key from the queue and selects the first item.
        ::PostMessageW(m_w.Wnd(), WM_KEYDOWN, VK_DOWN, 0);
    }
    ShowMenuAt(corner);
}

void CWindowCommands::ShowMenuAt(POINT screenPoint) {
    // No tip comes over the menu's first items: a tip whose delay began before the click finds
    // no tool under the cursor.
    m_look.ShowTips(false);
    m_w.menu.Show(m_w.Wnd(), screenPoint);
    m_look.ShowTips(true);
}

void CWindowCommands::ShowRoom(int room) {
    m_changes.ChooseRoom(room);
    // The tabs follow the menu button among the accessible children.
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, m_w.Wnd(), OBJID_CLIENT, room + 2);
}

void CWindowCommands::OpenResultAtCaret() {
    const HWND notes = ::GetDlgItem(m_w.Wnd(), IDC_NOTES);
    const size_t start = m_w.noteArea.ResultSelectionStart();
    int year = 0;
    int month = 0;
    int day = 0;
    if (!DateOfDayKey(m_w.noteArea.Rooms().ResultDayAt(start), year, month, day)) {
        return;
    }
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    m_w.calendar.Control().SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    ShowRoom(kRoomDynamic);
    m_w.noteArea.MarkNotedDays();
    ::SetFocus(notes);
}

void CWindowCommands::OnTrayNotify(LPARAM mouseMessage) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (mouseMessage == WM_RBUTTONUP) {
        ::SetForegroundWindow(m_w.Wnd());
        ShowMenuAt(cursor);
    } else if (mouseMessage == WM_LBUTTONDOWN) {
        ::SetForegroundWindow(m_w.Wnd());
    }
}

void CWindowCommands::BringForward() {
    if (m_w.settings.nFullView == 0) {
        m_changes.ToggleFullView();
    }
    ::ShowWindow(m_w.Wnd(), SW_SHOW);
    ::SetForegroundWindow(m_w.Wnd());
}

std::vector<SPaintedPart> CWindowCommands::PaintedPartsNow() const {
    return PaintedParts(m_w.layout, m_w.settings.nRoom, m_look.ClockText());
}

void CWindowCommands::PressPaintedPart(int index) {
    // A screen reader waits for its call to return: the menu's own loop comes after it.
    if (index == 0) {
        ::PostMessageW(m_w.Wnd(), kOpenMenuMessage, 0, 0);
    } else if (IsKnownRoom(index - 1)) {
        ShowRoom(index - 1);
    }
}

void CWindowCommands::OpenHelp() const {
    const std::string target =
        HelpTarget(ProgramPath(), [](const std::string& path) { return FileStampOf(path).exists; });
    if (!ShellOpen(target)) {
        MessageBoxUtf8(m_w.Wnd(), HelpNotOpenedText(target), "Quillet", MB_OK | MB_ICONWARNING);
    }
}

void CWindowCommands::RunAboutBox() const {
    CAboutDlg about;
    about.DoModal();
}

bool CWindowCommands::ChooseCustomClockFormat() {
    CTimeDlg dialog(m_w.settings.strCustomFormat);
    if (dialog.DoModal() != IDOK) {
        return false;
    }
    m_changes.ChooseCustomClock(dialog.Pattern());
    ShowChosen(EMenu::Time, m_w.settings.nTimeFormat);
    return true;
}

void CWindowCommands::ChooseFont(unsigned id) {
    const SSettings& settings = m_w.settings;
    SLogFont font = id == ID_FONT_TITLE   ? settings.lfTitle
                    : id == ID_FONT_NOTES ? settings.lfNotes
                                          : settings.lfCalendar;
    if (ChooseStoredFont(m_w.Wnd(), font)) {
        m_changes.ChooseFont(id, font);
    }
}

void CWindowCommands::ChooseColorTheme(int color) {
    m_changes.ChooseTheme(color);
    ShowChosen(EMenu::Color, m_w.settings.nColor);
}

void CWindowCommands::ShowChosen(EMenu menu, int index) {
    m_w.menu.MarkRadio(menu, index);
    m_w.window.RedrawNow();
}

void CWindowCommands::ChooseRandomColor() {
    // Seeded at every use, as the command always was; the loop guarantees a visible change.
    std::srand(static_cast<unsigned>(CurrentTime()));
    int color;
    do {
        color = std::rand() % kThemeCount;
    } while (color == m_w.settings.nColor);
    ChooseColorTheme(color);
}

void CWindowCommands::SaveData() {
    m_export.SaveData(
        m_w.Wnd(),
        [this]() -> const SNotebook& {
            m_w.saves.SaveEverything();
            return m_w.noteArea.Rooms().Notes();
        },
        m_tray);
}

void CWindowCommands::LoadData() {
    SNotebook notes;
    if (m_export.LoadData(m_w.Wnd(), notes) != CNotesExport::ELoad::Replaced) {
        return;
    }
    const size_t count = notes.days.size();
    m_w.noteArea.Rooms().ReplaceNotes(std::move(notes), m_w.settings.nRoom);
    m_tray.ShowInfo("Quillet",
                    "Imported " + WithThousands(count) + (count == 1 ? " note." : " notes."));
}
