// The main window's life: start-up, the keyboard filter, the clock, the mouse, the ways it ends.
#include "app/quillet_dlg_win.h"

#include "app/messages.h"
#include "app/single_copy_win.h"

#include "base/utf8_win.h"

#include "base/ids.h"
#include "base/path.h"
#include "render/clock_format.h"
#include "ui/keys.h"
#include "ui/links.h"
#include "win/convert_win.h"
#include "win/handles_win.h"

namespace {

// The tools of the window's tooltip: the menu button and the room tabs.
constexpr UINT_PTR kMenuButtonTipId = 1;
constexpr UINT_PTR RoomTabTipId(int room) {
    return 2 + static_cast<UINT_PTR>(room);
}

} // namespace

CQuilletDlg::CQuilletDlg(const SDataPaths& paths)
    : CDialog(IDD_QUILLET_DIALOG, nullptr), m_saves(paths, m_settings, *this) {
    m_hIcon =
        static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLET),
                                        IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

CQuilletDlg::~CQuilletDlg() {
    if (m_accessible != nullptr) {
        m_accessible->Disconnect();
        m_accessible->Release();
    }
}

BOOL CQuilletDlg::OnInitDialog() {
    CSingleCopy::MarkMainWindow(m_hWnd, m_saves.Paths().folder);
    m_calendar.Attach(m_hWnd, IDC_CALENDAR);
    m_noteArea.Attach(m_hWnd, m_layout);

    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    char about[128] = {};
    if (systemMenu != nullptr &&
        ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof about) > 0) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, kSysCommandAbout, about);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));

    m_settings.nRadius = kCornerRadius;
    m_settings.nRoom = kRoomDynamic;

    // The platform's own rescaling of dialogs would move the children a second time.
    using DialogDpiBehavior = BOOL(WINAPI*)(HWND, int, int);
    const auto dialogDpiBehavior = reinterpret_cast<DialogDpiBehavior>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "SetDialogDpiChangeBehavior")));
    if (dialogDpiBehavior != nullptr) {
        constexpr int kDisableAll = 1;
        dialogDpiBehavior(m_hWnd, kDisableAll, kDisableAll);
    }
    m_layout = ComputeLayout(GetClientRect(), m_noteArea.NotesHomeRect(), WindowDpi(m_hWnd));
    m_baseClient = m_layout.rcClient;
    m_baseNotesHome = m_layout.rcNotesHome;
    m_noteArea.PlaceSearchBox();

    m_saves.Attach(m_hWnd);
    m_toolTip.Create(m_hWnd, 0);
    m_toolTip.AddTool(m_hWnd, "Menu Button", m_layout.rcMenuButton, kMenuButtonTipId);
    for (int room = kRoomDynamic; room <= kRoomSearch; ++room) {
        m_toolTip.AddTool(m_hWnd, RoomTabName(room), RoomTabRect(m_layout, room),
                          RoomTabTipId(room));
    }

    if (!LoadAtStartup()) {
        CSingleCopy::UnmarkMainWindow(m_hWnd);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    BuildPopupMenu();
    ApplySettings();

    m_timeShown = CurrentTime();
    ::SetTimer(m_hWnd, kClockTimerId, 100, nullptr);
    // The window answers first; what is left of the start follows a moment after it shows.
    ::SetTimer(m_hWnd, kShownTimerId, kShownDelayMs, nullptr);
    m_noteArea.MarkNotedDays();
    m_painter.CreateTabFonts(m_layout.dpi);
    m_noteArea.FocusNotes();
    // What the window applied (a position brought onto the desktop, a Search room opened as the
    // day's room) is no change of the user's to save.
    m_saves.TakeSettingsAsSaved();
    return FALSE;
}

void CQuilletDlg::FinishShowing() {
    m_tray.Add(m_hWnd, m_bFirstRun);
    // Showing the window places it above its hidden owner, which some systems take as leaving
    // the topmost band, and so may a new icon in the notification area: a stored "Always top"
    // is placed again now.
    if (m_settings.bAlwaysTop) {
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    m_saves.StartWatching();
}

SWindowPlace CQuilletDlg::WindowPlace() const {
    return SWindowPlace{GetWindowRect(), DesktopRect(), MonitorWorkAreas(),
                        m_layout.rcTitle.bottom};
}

bool CQuilletDlg::LoadAtStartup() {
    SNotebook notes;
    if (!m_saves.Load(notes, m_bFirstRun)) {
        return false;
    }
    m_noteArea.Rooms().SetNotes(std::move(notes));
    return true;
}

const SNotebook& CQuilletDlg::CommittedNotes() {
    CNoteRooms& rooms = m_noteArea.Rooms();
    rooms.CommitNoteArea(m_settings.nRoom);
    return rooms.Notes();
}

void CQuilletDlg::AdoptNotes(SNotebook notes) {
    m_noteArea.Rooms().AdoptNotes(std::move(notes));
}

void CQuilletDlg::TellUser(const std::string& title, const std::string& text, bool warning) {
    if (warning) {
        m_tray.ShowWarning(title, text);
    } else {
        m_tray.ShowInfo(title, text);
    }
}

bool CQuilletDlg::OnSaveData() {
    return m_export.SaveData(
        m_hWnd,
        [this]() -> const SNotebook& {
            m_saves.SaveEverything();
            return m_noteArea.Rooms().Notes();
        },
        m_tray);
}

bool CQuilletDlg::OnLoadData() {
    SNotebook notes;
    const CNotesExport::ELoad load = m_export.LoadData(m_hWnd, notes);
    if (load != CNotesExport::ELoad::Replaced) {
        return load == CNotesExport::ELoad::Kept;
    }
    const size_t count = notes.days.size();
    m_noteArea.Rooms().ReplaceNotes(std::move(notes), m_settings.nRoom);
    m_tray.ShowInfo("Quillet",
                    "Imported " + WithThousands(count) + (count == 1 ? " note." : " notes."));
    return true;
}

void CQuilletDlg::OnOK() {
    CloseAtSessionEnd();
}

void CQuilletDlg::CloseAfterExitSave() {
    LeaveScreen();
    if (!m_saves.SaveForExit()) {
        // The question comes with the window it is about.
        ApplyWindowShape(m_settings.nShape);
        if (!m_saves.AskExitAnyway()) {
            CSingleCopy::MarkMainWindow(m_hWnd, m_saves.Paths().folder);
            m_tray.Add(m_hWnd, false);
            ::SetTimer(m_hWnd, kClockTimerId, 100, nullptr);
            return;
        }
    }
    EndProcess();
}

void CQuilletDlg::CloseAtSessionEnd() {
    LeaveScreen();
    m_saves.SaveForSessionEnd();
    EndProcess();
}

namespace {
// Long enough for the removal to reach the notification area, which then carries it out.
constexpr DWORD kTrayRemovalWaitMs = 200;
} // namespace

void CQuilletDlg::EndProcess() {
    // The files are written and the window is out of sight: the process ends here rather than
    // take its windows down one by one, which may wait for a window manager (under Wine,
    // seconds without one). The folder's lock goes with the process.
    m_saves.StopWatching();
    m_tray.WaitRemoved(kTrayRemovalWaitMs);
    ::ExitProcess(0);
}

void CQuilletDlg::LeaveScreen() {
    // Gone from sight at once, by an empty shape: hiding a window may wait for the window
    // manager (under Wine, seconds without one), and the files are written first. A start
    // meanwhile waits for this copy to end.
    ::KillTimer(m_hWnd, kShownTimerId);
    ::KillTimer(m_hWnd, kClockTimerId);
    CSingleCopy::UnmarkMainWindow(m_hWnd);
    ::SetWindowRgn(m_hWnd, ::CreateRectRgn(0, 0, 0, 0), TRUE);
    m_tray.RemoveWithoutWaiting();
}

void CQuilletDlg::Close(int result) {
    ::ShowWindow(m_hWnd, SW_HIDE);
    m_saves.StopWatching();
    CSingleCopy::UnmarkMainWindow(m_hWnd);
    EndDialog(result);
}

bool CQuilletDlg::OnUnexpectedError() {
    // Saved once: an error in the save itself must not loop back here.
    if (m_bFailing) {
        ::ExitProcess(3);
    }
    m_bFailing = true;
    m_tray.Remove();
    bool saved = false;
    std::string recovered;
    try {
        saved = m_saves.SaveAfterError(recovered);
    } catch (...) {
    }
    MessageBoxUtf8(m_hWnd, UnexpectedErrorText(m_saves.IsLoaded(), saved, recovered), "Quillet",
                   MB_OK | MB_ICONERROR);
    ::ExitProcess(3);
}

void CQuilletDlg::OnCancel() {
    m_tray.Remove();
    Close(IDCANCEL);
}

bool CQuilletDlg::PreTranslateMessage(MSG* msg) {
    if (OnWindowKey(*msg)) {
        return true;
    }
    m_toolTip.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

bool CQuilletDlg::OnIdle() {
    // Backups and the day's history copy, a step at a time while nothing else waits.
    if (m_bShown && m_saves.FinishStartStep()) {
        return true;
    }
    CNoteRooms& rooms = m_noteArea.Rooms();
    if (rooms.SearchDue()) {
        rooms.RunDueSearch();
        return true;
    }
    return m_noteArea.LayOutMoreResults();
}

bool CQuilletDlg::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_CALENDAR && header->code == MCN_SELCHANGE) {
        m_noteArea.Rooms().OnSelChangeCalendar(m_settings.nRoom);
        result = 0;
        return true;
    }
    return false;
}

bool CQuilletDlg::OnPaint() {
    // High contrast draws no gradient.
    m_painter.Paint(m_hWnd, SPaintScene{m_layout, m_settings.nRoom,
                                        m_bHighContrast ? -1 : m_settings.nGradient, ClockText(),
                                        m_settings.lfTitle.lfHeight});
    return true;
}

bool CQuilletDlg::OnEraseBkgnd(HDC dc) {
    (void)dc;
    return true;
}

bool CQuilletDlg::OnTimer(UINT_PTR id) {
    if (id == kClockTimerId) {
        OnClockTick();
    } else if (id == kTrayRetryTimerId) {
        m_tray.OnRetryTimer();
    } else if (m_saves.OnTimer(id)) {
    } else if (id == kShownTimerId) {
        ::KillTimer(m_hWnd, kShownTimerId);
        FinishShowing();
        m_bShown = true;
    }
    return false;
}

void CQuilletDlg::OnClockTick() {
    const QTime now = CurrentTime();
    const std::string pattern =
        FormatHeaderText(m_settings.nTimeFormat, false, m_settings.strCustomFormat, now);
    if (FormatTime(now, pattern) != FormatTime(m_timeShown, pattern)) {
        m_timeShown = now;
        const RECT title = ToRECT(m_layout.rcTitle);
        ::InvalidateRect(m_hWnd, &title, FALSE);
    }
}

bool CQuilletDlg::OnSysCommand(UINT id, LPARAM lParam) {
    (void)lParam;
    if ((id & 0xFFF0) == kSysCommandAbout) {
        RunAboutBox();
        return true;
    }
    return false;
}

bool CQuilletDlg::OnLButtonDown(UINT flags, POINT point) {
    (void)flags;
    const SPoint at{point.x, point.y};
    if (m_layout.rcMenuButton.Contains(at)) {
        // A press on the button never starts a drag.
        ShowMainMenu(false);
        return true;
    }
    const int room = RoomTabAt(m_layout, at, m_settings.nRoom);
    if (room >= 0) {
        ShowRoom(room);
    }
    m_drag.Begin(m_hWnd, point);
    return false;
}

void CQuilletDlg::ShowMainMenu(bool fromKeyboard) {
    POINT corner{0, m_layout.rcMenuButton.bottom};
    ::ClientToScreen(m_hWnd, &corner);
    RefreshTimeMenu();
    if (fromKeyboard) {
        // The menu's own loop takes the key from the queue and selects the first item.
        ::PostMessageA(m_hWnd, WM_KEYDOWN, VK_DOWN, 0);
    }
    ShowMenuAt(corner);
}

void CQuilletDlg::ShowMenuAt(POINT screenPoint) {
    // No tip comes over the menu's first items: a tip whose delay began before the click finds
    // no tool under the cursor.
    m_toolTip.Activate(false);
    PlaceToolTips(false);
    m_menu.Show(m_hWnd, screenPoint);
    PlaceToolTips(true);
    m_toolTip.Activate(true);
}

void CQuilletDlg::PlaceToolTips(bool shown) {
    m_toolTip.SetToolRect(m_hWnd, shown ? m_layout.rcMenuButton : SRect{}, kMenuButtonTipId);
    for (int room = kRoomDynamic; room <= kRoomSearch; ++room) {
        m_toolTip.SetToolRect(m_hWnd, shown ? RoomTabRect(m_layout, room) : SRect{},
                              RoomTabTipId(room));
    }
}

void CQuilletDlg::ShowRoom(int room) {
    m_settings.nRoom = room;
    m_noteArea.Rooms().SwitchRoom(room);
    // The tabs follow the menu button among the accessible children.
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, m_hWnd, OBJID_CLIENT, room + 2);
}

void CQuilletDlg::OpenResultAtCaret() {
    DWORD start = 0;
    DWORD end = 0;
    const HWND notes = ::GetDlgItem(m_hWnd, IDC_NOTES);
    ::SendMessageA(notes, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    int year = 0;
    int month = 0;
    int day = 0;
    if (!DateOfDayKey(m_noteArea.Rooms().ResultDayAt(start), year, month, day)) {
        return;
    }
    SYSTEMTIME date{};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    m_calendar.Control().SendMessage(MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    ShowRoom(kRoomDynamic);
    m_noteArea.MarkNotedDays();
    ::SetFocus(notes);
}

std::vector<SPaintedPart> CQuilletDlg::PaintedPartsNow() const {
    return PaintedParts(m_layout, m_settings.nRoom, ClockText());
}

std::string CQuilletDlg::ClockText() const {
    return FormatHeaderText(m_settings.nTimeFormat, true, m_settings.strCustomFormat,
                            CurrentTime());
}

void CQuilletDlg::PressPaintedPart(int index) {
    // A screen reader waits for its call to return: the menu's own loop comes after it.
    if (index == 0) {
        ::PostMessageA(m_hWnd, kOpenMenuMessage, 0, 0);
    } else if (IsKnownRoom(index - 1)) {
        ShowRoom(index - 1);
    }
}

bool CQuilletDlg::OnWindowKey(const MSG& msg) {
    const bool inResults =
        msg.hwnd == ::GetDlgItem(m_hWnd, IDC_NOTES) && m_settings.nRoom == kRoomSearch;
    if (inResults && msg.message == WM_LBUTTONDBLCLK) {
        // Once the box has put its caret where the click was.
        ::PostMessageA(m_hWnd, kOpenResultMessage, 0, 0);
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
    press.folded = m_settings.nFullView == 0;
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
        m_saves.SaveEverything();
        return true;
    case EKeyRoute::OpenResult:
        OpenResultAtCaret();
        return true;
    case EKeyRoute::FindInNotes: {
        ShowRoom(kRoomSearch);
        const HWND search = ::GetDlgItem(m_hWnd, IDC_SEARCH);
        ::SetFocus(search);
        ::SendMessageA(search, EM_SETSEL, 0, -1);
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

bool CQuilletDlg::OnMouseMove(UINT flags, POINT point) {
    (void)flags;
    (void)point;
    m_drag.Move(m_hWnd, m_settings.bLockMoving,
                SIZE{m_layout.rcClient.Width(), m_layout.rcClient.Height()});
    return false;
}

bool CQuilletDlg::OnLButtonUp(UINT flags, POINT point) {
    (void)flags;
    (void)point;
    m_drag.End();
    return false;
}

bool CQuilletDlg::OnLButtonDblClk(UINT flags, POINT point) {
    (void)flags;
    if (m_layout.rcTitle.Contains(SPoint{point.x, point.y})) {
        SendMessage(WM_COMMAND, ID_FULL_COMPACT, 0);
    }
    return false;
}

bool CQuilletDlg::OnHelp(HELPINFO* info) {
    (void)info;
    OpenHelp();
    return true;
}

void CQuilletDlg::OpenHelp() const {
    ShellOpen(HelpTarget(ProgramPath(),
                         [](const std::string& path) { return FileStampOf(path).exists; }));
}

bool CQuilletDlg::OnEndSession(bool ending) {
    if (ending) {
        CloseAtSessionEnd();
    } else {
        // Another program refused the log-off: the session goes on, and so does the window.
        m_saves.SaveChanges();
    }
    return false;
}

bool CQuilletDlg::OnHotKey(int id) {
    if (id == 1) {
        m_saves.SaveEverything();
    }
    return true;
}

bool CQuilletDlg::OnActivate(UINT state) {
    if (state == WA_INACTIVE) {
        // Typed text reaches the disk before the user turns away.
        m_saves.SaveChanges();
        return false;
    }
    // Back from another program, or another computer: notes saved elsewhere show.
    m_saves.LookAtFolder();
    if (m_settings.nFullView == 0) {
        ::SetFocus(m_hWnd);
        return true;
    }
    return false;
}

bool CQuilletDlg::OnSetFocus() {
    // Folded to the title strip, the window keeps the keys: the dialog would hand them to the
    // hidden notes box.
    return m_settings.nFullView == 0;
}

bool CQuilletDlg::OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMSUSPEND) {
        m_saves.SaveChanges(); // before the machine sleeps
    }
    return false;
}

bool CQuilletDlg::OnSysColorChange() {
    FollowSystemColours();
    return false;
}

bool CQuilletDlg::OnSettingChange(WPARAM flag) {
    if (flag == SPI_SETHIGHCONTRAST) {
        FollowSystemColours();
    }
    return false;
}

void CQuilletDlg::FollowSystemColours() {
    // A high-contrast scheme turned on or off, or its colours changed: follow at once.
    ApplyColorTheme(m_settings.nColor);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

bool CQuilletDlg::OnEnable(bool enabled) {
    // Disabled while a dialog of ours is open: no tip over it.
    m_toolTip.Activate(enabled);
    PlaceToolTips(enabled);
    return false;
}

bool CQuilletDlg::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT& result) {
    result = AnswerGetObject(m_hWnd, flags, objectId, *this, m_accessible);
    return result != 0;
}

bool CQuilletDlg::OnDisplayChange() {
    KeepOnAMonitor();
    return false;
}

void CQuilletDlg::KeepOnAMonitor() {
    // A monitor taken away may have taken the window with it.
    const SWindowPlace place = WindowPlace();
    const SPoint corner{place.window.left, place.window.top};
    const SPoint to =
        PlaceWindow(corner, place.window, place.desktop, place.workAreas, place.titleHeight);
    if (to != corner) {
        ::SetWindowPos(m_hWnd, nullptr, to.x, to.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool CQuilletDlg::OnQueryEndSession(LRESULT& result) {
    m_saves.SaveForSessionEnd();
    result = TRUE;
    return true;
}

bool CQuilletDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    // The program's own messages; the registered ones have numbers known only at run time.
    switch (msg) {
    case kTrayNotifyMessage:
        OnTrayNotify(lParam);
        result = 0;
        return true;
    case kDataFolderChangedMessage:
        m_saves.OnFolderChanged();
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

bool CQuilletDlg::OnRegisteredMessage(UINT msg, WPARAM wParam, LRESULT& result) {
    using Handler = LRESULT (CQuilletDlg::*)(WPARAM);
    static const std::pair<UINT, Handler> handlers[] = {
        {CSingleCopy::WakeMessage(), &CQuilletDlg::OnWake},
        {CTrayIcon::TaskbarCreatedMessage(), &CQuilletDlg::OnTaskbarCreated},
        {::RegisterWindowMessageA(kLiveHandlesMessageName), &CQuilletDlg::OnLiveHandles},
    };
    for (const auto& handler : handlers) {
        if (handler.first == msg && msg != 0) {
            result = (this->*handler.second)(wParam);
            return true;
        }
    }
    return false;
}

LRESULT CQuilletDlg::OnWake(WPARAM) {
    BringForward();
    return 0;
}

LRESULT CQuilletDlg::OnTaskbarCreated(WPARAM) {
    m_tray.OnTaskbarCreated();
    return 0;
}

LRESULT CQuilletDlg::OnLiveHandles(WPARAM kind) {
    return static_cast<LRESULT>(kind == 0   ? SLiveHandles::gdi.load()
                                : kind == 1 ? SLiveHandles::menus.load()
                                            : SLiveHandles::Windows());
}

bool CQuilletDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    const int old = m_layout.dpi;
    m_baseClient = RescaleRect(m_baseClient, old, dpi);
    m_baseNotesHome = RescaleRect(m_baseNotesHome, old, dpi);
    m_calendar.ScaleBase(old, dpi);
    m_calendarGrowth = SPoint{};
    ::SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, m_baseClient.Width(),
                   m_baseClient.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    m_layout = ComputeLayout(GetClientRect(), m_baseNotesHome, dpi);
    m_calendar.Place(m_calendarGrowth);
    m_painter.CreateTabFonts(dpi);
    ApplyFonts(); // fits the calendar, and places everything
    PlaceByLayout();
    return true;
}

void CQuilletDlg::FitCalendar() {
    const SPoint growth = m_calendar.Growth();
    if (growth == m_calendarGrowth) {
        return;
    }
    m_calendarGrowth = growth;
    const SRect notesHome = NotesHomeBelowCalendar(m_baseNotesHome, growth);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, m_baseClient.Width() + growth.x,
                   m_baseClient.Height() + growth.y, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_layout = ComputeLayout(GetClientRect(), notesHome, m_layout.dpi);
    m_calendar.Place(growth);
    PlaceByLayout();
}

void CQuilletDlg::PlaceByLayout() {
    m_noteArea.PlaceSearchBox();
    if (IsKnownRoom(m_settings.nRoom)) {
        m_noteArea.Rooms().SwitchRoom(m_settings.nRoom); // the shown room: laid out again only
    }
    PlaceToolTips(true);
    ApplyWindowShape(m_settings.nShape);
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CQuilletDlg::BringForward() {
    if (m_settings.nFullView == 0) {
        ToggleFullView();
    }
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
}

void CQuilletDlg::OnTrayNotify(LPARAM mouseMessage) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    if (mouseMessage == WM_RBUTTONUP) {
        ::SetForegroundWindow(m_hWnd);
        ShowMenuAt(cursor);
    } else if (mouseMessage == WM_LBUTTONDOWN) {
        ::SetForegroundWindow(m_hWnd);
    }
}
