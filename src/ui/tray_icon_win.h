#pragma once

#include <windows.h>
#include <shellapi.h>

// The icon in the notification area: it reports clicks to its owner window with the tray message
// and greets a first run with a balloon.
class CTrayIcon {
public:
    void Add(HWND owner, HICON icon, bool showBalloon);
    void Remove();

private:
    NOTIFYICONDATAA m_nid{};
};
