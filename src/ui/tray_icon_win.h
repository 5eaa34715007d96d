// The program's icon in the notification area, and its balloons.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

// The icon in the notification area: it reports clicks to its owner window with the tray message
// and greets a first run with a balloon. It comes back when the taskbar is created anew (Explorer
// restarted), and an add that fails because there is no notification area yet (early at log-on)
// is tried again on a timer of the owner window.
class CTrayIcon {
public:
    // The program's icon at the small size, in the notification area of the owner's desktop.
    void Add(HWND owner, bool showBalloon);
    // The tip the icon shows from the next Add on; "Quillet" until set.
    void SetTip(const std::string& tip) { m_tip = tip; }
    void Remove();
    // Removes the icon from a thread of its own: the notification area may answer late (under
    // Wine it waits for a window manager when its own window goes). The caller ends the process
    // after WaitRemoved, and the removal asked for is carried out even if no answer came.
    void RemoveWithoutWaiting();
    void WaitRemoved(DWORD ms) const;
    // A balloon that tells what went wrong, or what was done; shown as soon as the icon is there.
    void ShowWarning(const std::string& title, const std::string& text) {
        ShowBalloon(title, text, NIIF_WARNING);
    }
    void ShowInfo(const std::string& title, const std::string& text) {
        ShowBalloon(title, text, NIIF_INFO);
    }

    // The broadcast of a new taskbar.
    static UINT TaskbarCreatedMessage();
    void OnTaskbarCreated();
    void OnRetryTimer();

private:
    std::string m_tip = "Quillet";
    HANDLE m_removing = nullptr;
    void ShowBalloon(const std::string& title, const std::string& text, DWORD icon);
    void ShowBalloon(const wchar_t* title, const wchar_t* text, DWORD icon);
    bool AddNow();
    // Adds the icon, or tries again on the owner's timer until it is added.
    void AddOrRetry();

    NOTIFYICONDATAW m_nid{};
    NOTIFYICONDATAW m_pendingBalloon{};
    bool m_bBalloonPending = false;
    int m_nRetries = 0;
};
