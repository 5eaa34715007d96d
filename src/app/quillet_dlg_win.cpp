// The main window: each message goes to the part it concerns.
#include "app/quillet_dlg_win.h"

#include "app/single_copy_win.h"
#include "base/ids.h"

CQuilletDlg::CQuilletDlg(const SDataPaths& paths)
    : CDialog(IDD_QUILLET_DIALOG, nullptr), m_saves(paths, m_settings) {}

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
    wchar_t about[128] = {};
    if (systemMenu != nullptr &&
        ::LoadStringW(::GetModuleHandleW(nullptr), IDS_ABOUTBOX, about, ARRAYSIZE(about)) > 0) {
        ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuW(systemMenu, MF_STRING, kSysCommandAbout, about);
    }

    m_changes.Begin();
    m_saves.Attach(m_hWnd, m_life);
    m_look.LayOutTemplate();
    if (!m_life.Load()) {
        CSingleCopy::UnmarkMainWindow(m_hWnd);
        EndDialog(IDCANCEL);
        return FALSE;
    }
    m_commands.BuildMenu();
    m_changes.ApplyAll();

    ::SetTimer(m_hWnd, kClockTimerId, 100, nullptr);
    // The window answers first; what is left of the start follows a moment after it shows.
    ::SetTimer(m_hWnd, kShownTimerId, kShownDelayMs, nullptr);
    m_noteArea.MarkNotedDays();
    m_painter.CreateTabFonts(m_layout.dpi);
    m_noteArea.HoldInputMethod(true);
    // What the window applied (a position brought onto the desktop, a Search room opened as the
    // day's room) is no change of the user's to save.
    m_saves.TakeSettingsAsSaved();
    return FALSE;
}

void CQuilletDlg::OnOK() {
    m_life.CloseAtSessionEnd();
}

void CQuilletDlg::OnCancel() {
    m_tray.Remove();
    m_life.Close(IDCANCEL);
}

bool CQuilletDlg::OnCmdMsg(UINT id, UINT notifyCode, HWND control) {
    bool handled = false;
    return m_commands.Run(id, notifyCode, handled) ? handled
                                                   : CDialog::OnCmdMsg(id, notifyCode, control);
}

bool CQuilletDlg::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_CALENDAR && header->code == MCN_SELCHANGE) {
        m_noteArea.Rooms().OnSelChangeCalendar(m_settings.nRoom);
        result = 0;
        return true;
    }
    return false;
}

bool CQuilletDlg::PreTranslateMessage(MSG* msg) {
    if (m_commands.OnKey(*msg)) {
        return true;
    }
    m_look.RelayToTips(msg);
    return CDialog::PreTranslateMessage(msg);
}

bool CQuilletDlg::OnIdle() {
    // Backups and the day's history copy, a step at a time while nothing else waits.
    if (m_life.Shown() && m_saves.FinishStartStep()) {
        return true;
    }
    CNoteRooms& rooms = m_noteArea.Rooms();
    if (rooms.SearchDue()) {
        rooms.RunDueSearch();
        return true;
    }
    return m_noteArea.LayOutMoreResults();
}

bool CQuilletDlg::OnUnexpectedError() {
    m_life.Fail();
}

bool CQuilletDlg::OnPaint() {
    m_look.Paint();
    return true;
}

bool CQuilletDlg::OnEraseBkgnd(HDC dc) {
    (void)dc;
    return true;
}

bool CQuilletDlg::OnTimer(UINT_PTR id) {
    if (id == kClockTimerId) {
        m_look.OnClockTick();
    } else if (id == kTrayRetryTimerId) {
        m_tray.OnRetryTimer();
    } else if (m_saves.OnTimer(id)) {
    } else if (id == kShownTimerId) {
        ::KillTimer(m_hWnd, kShownTimerId);
        // Seen only in the task switcher; set before the first paint it delayed that by a
        // millisecond.
        m_hIcon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                  MAKEINTRESOURCEA(IDI_QUILLET), IMAGE_ICON, 0, 0,
                                                  LR_DEFAULTSIZE | LR_SHARED));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
        m_life.FinishShowing();
    }
    return false;
}

bool CQuilletDlg::OnSysCommand(UINT id, LPARAM lParam) {
    (void)lParam;
    if ((id & 0xFFF0) == kSysCommandAbout) {
        m_commands.RunAboutBox();
        return true;
    }
    return false;
}

bool CQuilletDlg::OnLButtonDown(UINT flags, POINT point) {
    (void)flags;
    const SPoint at{point.x, point.y};
    if (m_layout.rcMenuButton.Contains(at)) {
        // A press on the button never starts a drag.
        m_commands.ShowMainMenu(false);
        return true;
    }
    EndSizing(); // one whose release went elsewhere
    const int room = RoomTabAt(m_layout, at, m_settings.nRoom);
    if (room >= 0) {
        m_commands.ShowRoom(room);
    }
    m_drag.Begin(m_hWnd, point);
    return false;
}

bool CQuilletDlg::OnLButtonUp(UINT flags, POINT point) {
    (void)flags;
    if (m_sizing.Active()) {
        ::ClientToScreen(m_hWnd, &point);
        m_sizing.Move(m_hWnd, point); // to where the button went up, moved there or not
        EndSizing();
        return true;
    }
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

bool CQuilletDlg::OnMouseMove(UINT flags, POINT point) {
    (void)flags;
    if (m_sizing.Active()) {
        ::ClientToScreen(m_hWnd, &point);
        m_sizing.Move(m_hWnd, point);
        return true;
    }
    m_drag.Move(m_hWnd, m_settings.bLockMoving,
                SIZE{m_layout.rcClient.Width(), m_layout.rcClient.Height()});
    return false;
}

bool CQuilletDlg::OnHelp(HELPINFO* info) {
    (void)info;
    m_commands.OpenHelp();
    return true;
}

bool CQuilletDlg::OnEndSession(bool ending) {
    if (ending) {
        m_life.CloseAtSessionEnd();
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
    // Back from another program, or another computer: notes saved elsewhere show. The start's
    // own activation has just read the folder, and its watch looks again once the window shows.
    if (m_life.Shown()) {
        m_saves.LookAtFolder();
    }
    // The notes take the keys with the window's first activation, as it shows: focused while it
    // was hidden, the box activated the window a step before showing it, which cost the start
    // a few milliseconds under Wine. Later ones give back what had the keys.
    const bool first = !m_activated;
    m_activated = true;
    if (m_settings.nFullView == 0) {
        ::SetFocus(m_hWnd);
        return true;
    }
    if (first) {
        m_noteArea.FocusNotes();
        return true;
    }
    return false;
}

bool CQuilletDlg::OnSetFocus() {
    // Folded to the title strip, the window keeps the keys: the dialog would hand them to the
    // hidden notes box.
    return m_settings.nFullView == 0;
}

bool CQuilletDlg::OnEnable(bool enabled) {
    // Disabled while a dialog of ours is open: no tip over it.
    m_look.ShowTips(enabled);
    return false;
}

bool CQuilletDlg::OnPowerBroadcast(WPARAM event) {
    if (event == PBT_APMSUSPEND) {
        m_saves.SaveChanges(); // before the machine sleeps
    }
    return false;
}

bool CQuilletDlg::OnSysColorChange() {
    m_look.FollowSystemColours();
    return false;
}

bool CQuilletDlg::OnSettingChange(WPARAM flag) {
    if (flag == SPI_SETHIGHCONTRAST) {
        m_look.FollowSystemColours();
    }
    return false;
}

bool CQuilletDlg::OnDisplayChange() {
    m_look.KeepOnAMonitor();
    return false;
}

bool CQuilletDlg::OnDpiChanged(int dpi, const RECT& suggested) {
    m_look.ScaleTo(dpi, suggested);
    return true;
}

bool CQuilletDlg::OnGetObject(WPARAM flags, LPARAM objectId, LRESULT& result) {
    result = AnswerGetObject(m_hWnd, flags, objectId, m_commands, m_accessible);
    return result != 0;
}

bool CQuilletDlg::OnQueryEndSession(LRESULT& result) {
    m_saves.SaveForSessionEnd();
    result = TRUE;
    return true;
}

bool CQuilletDlg::OnNcHitTest(POINT point, LRESULT& result) {
    result = m_look.SizingHitTest(point);
    return result != 0;
}

bool CQuilletDlg::OnNcLButtonDown(UINT hitTest, POINT point) {
    const SPoint least = m_look.LeastSize();
    if (!m_sizing.Begin(m_hWnd, hitTest, point, SIZE{least.x, least.y})) {
        return false;
    }
    m_look.BeginSizing();
    return true;
}

bool CQuilletDlg::OnSize(UINT type, int width, int height) {
    (void)width;
    (void)height;
    if (type == SIZE_RESTORED) {
        m_look.FollowSize();
    }
    return false;
}

void CQuilletDlg::EndSizing() {
    if (m_sizing.Active()) {
        m_sizing.End();
        m_look.EndSizing();
    }
}

bool CQuilletDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return m_commands.OnMessage(msg, wParam, lParam, result);
}
