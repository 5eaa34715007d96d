#include "ui/tray_icon_win.h"

#include "base/ids.h"

void CTrayIcon::Add(HWND owner, HICON icon, bool showBalloon) {
    m_nid = NOTIFYICONDATAA{};
    // The pre-Vista record form: balloons without the later fields.
    m_nid.cbSize = NOTIFYICONDATAA_V3_SIZE;
    m_nid.hWnd = owner;
    m_nid.uID = kTrayIconId;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = kTrayNotifyMessage;
    m_nid.hIcon = icon;
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

void CTrayIcon::Remove() {
    ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
}
