// The tray icon's adds and retries, balloons and removal, and its return after Explorer restarts.
#include "ui/tray_icon_win.h"

#include "base/ids.h"
#include "win/window_win.h"

namespace {

constexpr UINT kRetryPeriodMs = 2000;
constexpr int kMaxRetries = 60;

} // namespace

void CTrayIcon::Add(HWND owner, bool showBalloon) {
    static const HICON icon = static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLET), IMAGE_ICON,
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
    m_nid = NOTIFYICONDATAW{};
    // The pre-Vista record form: balloons without the later fields.
    m_nid.cbSize = NOTIFYICONDATAW_V3_SIZE;
    m_nid.hWnd = owner;
    m_nid.uID = kTrayIconId;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = kTrayNotifyMessage;
    m_nid.hIcon = icon;
    lstrcpynW(m_nid.szTip, WideOf(m_tip).c_str(), ARRAYSIZE(m_nid.szTip));
    if (showBalloon) {
        m_nid.uFlags |= NIF_INFO;
        lstrcpynW(m_nid.szInfo,
                  L"Right mouse click - show menu\r\nLeft click - set calendar foreground",
                  ARRAYSIZE(m_nid.szInfo));
        lstrcpynW(m_nid.szInfoTitle, L"Quillet is here!", ARRAYSIZE(m_nid.szInfoTitle));
        m_nid.uTimeout = 300;
        m_nid.dwInfoFlags = NIIF_INFO;
    }
    NOTIFYICONDATAW old = m_nid;
    ::Shell_NotifyIconW(NIM_DELETE, &old);
    AddOrRetry();
}

bool CTrayIcon::AddNow() {
    if (!::Shell_NotifyIconW(NIM_ADD, &m_nid)) {
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
    ShowBalloon(WideOf(title).c_str(), WideOf(text).c_str(), icon);
}

void CTrayIcon::ShowBalloon(const wchar_t* title, const wchar_t* text, DWORD icon) {
    m_nid.uFlags |= NIF_INFO;
    lstrcpynW(m_nid.szInfo, text, ARRAYSIZE(m_nid.szInfo));
    lstrcpynW(m_nid.szInfoTitle, title, ARRAYSIZE(m_nid.szInfoTitle));
    m_nid.uTimeout = 15000;
    m_nid.dwInfoFlags = icon;
    // Without an icon yet (a retry is pending) the balloon comes with it.
    if (m_nid.hWnd != nullptr && ::Shell_NotifyIconW(NIM_MODIFY, &m_nid)) {
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
    ::Shell_NotifyIconW(NIM_DELETE, &m_nid);
}

void CTrayIcon::RemoveWithoutWaiting() {
    ::KillTimer(m_nid.hWnd, kTrayRetryTimerId);
    auto* icon = new NOTIFYICONDATAW(m_nid);
    m_removing = ::CreateThread(
        nullptr, 0,
        [](LPVOID data) -> DWORD {
            NOTIFYICONDATAW* removed = static_cast<NOTIFYICONDATAW*>(data);
            ::Shell_NotifyIconW(NIM_DELETE, removed);
            delete removed;
            return 0;
        },
        icon, 0, nullptr);
    if (m_removing == nullptr) {
        delete icon;
        ::Shell_NotifyIconW(NIM_DELETE, &m_nid);
    }
}

void CTrayIcon::WaitRemoved(DWORD ms) const {
    if (m_removing != nullptr) {
        ::WaitForSingleObject(m_removing, ms);
    }
}

UINT CTrayIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
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
