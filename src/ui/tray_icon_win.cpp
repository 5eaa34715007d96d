#include "ui/tray_icon_win.h"

#include "base/ids.h"

namespace {

constexpr UINT kRetryPeriodMs = 2000;
constexpr int kMaxRetries = 60;

} // namespace

void CTrayIcon::Add(HWND owner, bool showBalloon) {
    static const HICON icon = static_cast<HICON>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_QUILLET), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    // A removal still under way would take the new icon with it.
    if (m_removing != nullptr) {
        ::WaitForSingleObject(m_removing, INFINITE);
        ::CloseHandle(m_removing);
        m_removing = nullptr;
    }
    // A balloon asked for before the icon was there follows it.
    if ((m_nid.uFlags & NIF_INFO) != 0) {
        m_pendingBalloon = m_nid;
        m_bBalloonPending = true;
    }
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
    AddOrRetry();
}

bool CTrayIcon::AddNow() {
    if (!::Shell_NotifyIconA(NIM_ADD, &m_nid)) {
        return false;
    }
    m_nid.uFlags &= ~NIF_INFO; // a balloon shows once
    if (m_bBalloonPending) {
        m_bBalloonPending = false;
        ShowBalloon(m_pendingBalloon.szInfoTitle, m_pendingBalloon.szInfo,
                    m_pendingBalloon.dwInfoFlags);
    }
    return true;
}

void CTrayIcon::ShowBalloon(const std::string& title, const std::string& text, DWORD icon) {
    m_nid.uFlags |= NIF_INFO;
    lstrcpynA(m_nid.szInfo, text.c_str(), sizeof m_nid.szInfo);
    lstrcpynA(m_nid.szInfoTitle, title.c_str(), sizeof m_nid.szInfoTitle);
    m_nid.uTimeout = 15000;
    m_nid.dwInfoFlags = icon;
    // Without an icon yet (a retry is pending) the balloon comes with it.
    if (m_nid.hWnd != nullptr && ::Shell_NotifyIconA(NIM_MODIFY, &m_nid)) {
        m_nid.uFlags &= ~NIF_INFO;
    }
}

void CTrayIcon::AddOrRetry() {
    if (!AddNow()) {
        m_nRetries = 0;
        ::SetTimer(m_nid.hWnd, kTrayRetryTimerId, kRetryPeriodMs, nullptr);
    }
}

void CTrayIcon::Remove() {
    ::KillTimer(m_nid.hWnd, kTrayRetryTimerId);
    ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
}

void CTrayIcon::RemoveWithoutWaiting() {
    ::KillTimer(m_nid.hWnd, kTrayRetryTimerId);
    auto* icon = new NOTIFYICONDATAA(m_nid);
    m_removing = ::CreateThread(
        nullptr, 0,
        [](LPVOID data) -> DWORD {
            NOTIFYICONDATAA* removed = static_cast<NOTIFYICONDATAA*>(data);
            ::Shell_NotifyIconA(NIM_DELETE, removed);
            delete removed;
            return 0;
        },
        icon, 0, nullptr);
    if (m_removing == nullptr) {
        delete icon;
        ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
    }
}

void CTrayIcon::WaitRemoved(DWORD ms) const {
    if (m_removing != nullptr) {
        ::WaitForSingleObject(m_removing, ms);
    }
}

UINT CTrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

void CTrayIcon::OnTaskbarCreated() {
    if (m_nid.hWnd == nullptr) {
        return;
    }
    // The greeting belongs to the first start, not to a restarted taskbar.
    m_nid.uFlags &= ~NIF_INFO;
    AddOrRetry();
}

void CTrayIcon::OnRetryTimer() {
    if (AddNow() || ++m_nRetries >= kMaxRetries) {
        ::KillTimer(m_nid.hWnd, kTrayRetryTimerId);
    }
}
