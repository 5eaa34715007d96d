// The main window's life: start-up, the keyboard filter, the clock, the ways it ends.
#include "app/quillet_dlg_win.h"

#include "app/resource.h"
#include "notes/search.h"
#include "render/clock_format.h"
#include "render/fonts_win.h"
#include "ui/commands.h"
#include "ui/links.h"
#include "win/convert_win.h"

CQuilletDlg* g_pMainDlg = nullptr;

CQuilletDlg::CQuilletDlg()
    : CDialog(IDD_QUILLET_DIALOG, nullptr), CNoteRooms(static_cast<INoteAreaView&>(*this)) {
    m_hIcon =
        static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLET),
                                        IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    g_pMainDlg = this;
}

CQuilletDlg::~CQuilletDlg() {
    if (g_pMainDlg == this) {
        g_pMainDlg = nullptr;
    }
}

BOOL CQuilletDlg::OnInitDialog() {
    BindControl(m_calendar, IDC_CALENDAR);
    BindControl(m_editNotes, IDC_NOTES);
    BindControl(m_editSearch, IDC_SEARCH);

    HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    char about[128] = {};
    if (systemMenu != nullptr &&
        ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof about) > 0) {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, kSysCommandAbout, about);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));

    m_settings.nRadius = 15;
    m_nTitleHeight = SLayout::kTitleHeight;
    m_settings.nRoom = kRoomDynamic;
    m_bDragging = false;
    m_nDateOrder = 0;
    m_bAscending = true;

    RECT notes{};
    ::GetWindowRect(m_editNotes.GetSafeHwnd(), &notes);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&notes), 2);
    const SLayout layout = ComputeLayout(GetClientRect(), ToSRect(notes));
    m_rcClient = layout.rcClient;
    m_rcTitle = layout.rcTitle;
    m_rcMenuButton = layout.rcMenuButton;
    m_rcNotesHome = layout.rcNotesHome;
    m_rcNotesStatic = layout.rcNotesStatic;
    m_rcNotesSearch = layout.rcNotesSearch;
    m_rcSearchBox = layout.rcSearchBox;
    m_editSearch.MoveWindow(m_rcSearchBox, true);
    m_rcTabDynamic = layout.rcTabDynamic;
    m_rcTabStatic = layout.rcTabStatic;
    m_rcTabSearch = layout.rcTabSearch;

    m_toolTip.Create(m_hWnd, 0);
    m_toolTip.AddTool(m_hWnd, "Menu Button", m_rcMenuButton, 1);
    m_toolTip.AddTool(m_hWnd, "Dynamic room (Selected day)", m_rcTabDynamic, 2);
    m_toolTip.AddTool(m_hWnd, "Static room (Every day)", m_rcTabStatic, 3);
    m_toolTip.AddTool(m_hWnd, "Search notes", m_rcTabSearch, 4);

    LoadAtStartup();
    m_nShownRoom = -1;
    BuildPopupMenu();
    ApplySettings();

    m_timeShown = CurrentTime();
    m_strCurDay = FormatTime(m_timeShown, "%d%m%y");
    ::SetTimer(m_hWnd, kClockTimerId, 100, nullptr);
    AddTrayIcon(m_bFirstRun);
    MarkNotedDays();
    m_pFontTab = CreateTahomaFont(0);
    m_pFontTabBold = CreateTahomaFont(2);
    m_editNotes.SetFocus();
    if (!IsDaysSorted(m_arrDays, m_bAscending)) {
        SortDays(m_arrDays, m_bAscending);
    }
    return FALSE;
}

void CQuilletDlg::OnOK() {
    SaveAndClose(false);
}

void CQuilletDlg::SaveAndClose(bool askOnFailure) {
    RemoveTrayIcon();
    if (!SaveOnExit() && askOnFailure) {
        const int answer =
            ::MessageBoxA(m_hWnd,
                          "Quillet could not save your notes.\r\nExit anyway and "
                          "lose the changes made since the last save?",
                          "Unsuccessful saving data", MB_ICONERROR | MB_YESNO | MB_DEFBUTTON2);
        if (answer != IDYES) {
            AddTrayIcon(false);
            return;
        }
    }
    EndDialog(IDOK);
}

void CQuilletDlg::OnCancel() {
    RemoveTrayIcon();
    EndDialog(IDCANCEL);
}

bool CQuilletDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN) {
        if (msg->wParam == VK_ESCAPE) {
            return true;
        }
        if (msg->wParam == 'S' && ::GetKeyState(VK_CONTROL) < 0) {
            SaveAll();
            return true;
        }
    }
    m_toolTip.RelayEvent(msg);
    return CDialog::PreTranslateMessage(msg);
}

bool CQuilletDlg::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_CALENDAR && header->code == MCN_SELCHANGE) {
        OnSelChangeCalendar(m_settings.nRoom);
        result = 0;
        return true;
    }
    return false;
}

bool CQuilletDlg::OnTimer(UINT_PTR id) {
    if (id == kClockTimerId) {
        OnClockTick();
    }
    return false;
}

void CQuilletDlg::OnClockTick() {
    const QTime now = CurrentTime();
    const std::string pattern =
        FormatHeaderText(m_settings.nTimeFormat, false, m_settings.strCustomFormat, now);
    if (FormatTime(now, pattern) != FormatTime(m_timeShown, pattern)) {
        m_timeShown = now;
        const RECT title = ToRECT(m_rcTitle);
        ::InvalidateRect(m_hWnd, &title, FALSE);
    }
}

bool CQuilletDlg::OnSysCommand(UINT id, LPARAM lParam) {
    (void)lParam;
    if ((id & 0xFFF0) == kSysCommandAbout) {
        // The About box joins with its own dialog; until then the item does nothing.
        return true;
    }
    return false;
}

bool CQuilletDlg::OnEraseBkgnd(HDC dc) {
    (void)dc;
    return true;
}

bool CQuilletDlg::OnHelp(HELPINFO* info) {
    (void)info;
    OpenWebPage(kHelpPageUrl);
    return true;
}

bool CQuilletDlg::OnEndSession(bool ending) {
    (void)ending;
    OnOK();
    return false;
}

bool CQuilletDlg::OnHotKey(int id) {
    if (id == 1) {
        SaveAll();
    }
    return true;
}

bool CQuilletDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    (void)wParam;
    if (msg == WM_TRAY_NOTIFY) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        if (lParam == WM_RBUTTONUP) {
            ::SetForegroundWindow(m_hWnd);
            ShowPopupMenu(cursor);
        } else if (lParam == WM_LBUTTONDOWN) {
            ::SetForegroundWindow(m_hWnd);
        }
        result = 0;
        return true;
    }
    return false;
}

void CQuilletDlg::OpenWebPage(const char* url) const {
    ::ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

void CQuilletDlg::AddTrayIcon(bool showBalloon) {
    m_nid = NOTIFYICONDATAA{};
    m_nid.cbSize = NOTIFYICONDATAA_V3_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = kTrayIconId;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAY_NOTIFY;
    m_nid.hIcon = m_hIcon;
    lstrcpynA(m_nid.szTip, "Quillet", sizeof m_nid.szTip);
    if (showBalloon) {
        m_nid.uFlags |= NIF_INFO;
        lstrcpynA(m_nid.szInfo,
                  "Right mouse click - show menu\r\nLeft click - set calendar foreground",
                  sizeof m_nid.szInfo);
        lstrcpynA(m_nid.szInfoTitle, "Quillet is here!", sizeof m_nid.szInfoTitle);
        m_nid.uTimeout = 300;
        m_nid.dwInfoFlags = NIIF_INFO;
    }
    NOTIFYICONDATAA old = m_nid;
    ::Shell_NotifyIconA(NIM_DELETE, &old);
    ::Shell_NotifyIconA(NIM_ADD, &m_nid);
}

void CQuilletDlg::RemoveTrayIcon() {
    ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
}
