// The link's behaviour: underline while hovered, hand cursor, tooltip, and opening its target.
#include "ui/simple_link_win.h"

#include "base/ids.h"
#include "win/fonts_win.h"

void CSimpleLink::PreSubclassWindow() {
    m_bHover = false;
    SetLinkColors();
    m_strURL = GetWindowText();
    m_strTip = "Go to " + m_strURL;
    m_toolTip.Create(m_hWnd, 0);
    m_toolTip.AddWindowTool(m_hWnd, m_strTip);
    m_rcLink = GetClientRect();
    // Neither font shows yet: the link keeps the dialog's font until the mouse first leaves it.
    const int dpi = WindowDpi(m_hWnd);
    m_pFontNormal = CreateTahomaFont(0, dpi);
    m_pFontHover = CreateTahomaFont(3, dpi);
}

void CSimpleLink::SetTipText(const std::string& tip) {
    m_strTip = tip;
    m_toolTip.UpdateWindowTipText(m_hWnd, m_strTip);
}

void CSimpleLink::SetLinkColors() {
    m_crLinkText = RGB(50, 50, 250);
    m_crHoverText = RGB(50, 50, 250);
    m_crLinkBack = ::GetSysColor(COLOR_BTNFACE);
    m_crHoverBack = ::GetSysColor(COLOR_BTNFACE);
}

bool CSimpleLink::PreTranslateMessage(MSG* msg) {
    m_toolTip.RelayEvent(msg);
    return false;
}

HBRUSH CSimpleLink::OnCtlColorReflect(HDC dc) {
    ::SetTextColor(dc, m_bHover ? m_crHoverText : m_crLinkText);
    ::SetBkColor(dc, m_bHover ? m_crHoverBack : m_crLinkBack);
    return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
}

void CSimpleLink::ShowFont(const CFontHandle* font) const {
    SetFont(font != nullptr ? font->Get() : nullptr, true);
    RedrawNow();
}

bool CSimpleLink::OnMouseMove(UINT flags, POINT point) {
    (void)flags;
    (void)point;
    if (!m_bHover) {
        m_bHover = true;
        ShowFont(m_pFontHover.get());
        // The link learns that the mouse left it by looking every 100 ms.
        ::SetTimer(m_hWnd, kLinkHoverTimerId, 100, nullptr);
    }
    return false;
}

bool CSimpleLink::OnTimer(UINT_PTR id) {
    if (id != kLinkHoverTimerId) {
        return false;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::ScreenToClient(m_hWnd, &cursor);
    if (!m_rcLink.Contains(SPoint{cursor.x, cursor.y})) {
        m_bHover = false;
        ::KillTimer(m_hWnd, kLinkHoverTimerId);
        ShowFont(m_pFontNormal.get());
    }
    return false;
}

bool CSimpleLink::OnLButtonUp(UINT flags, POINT point) {
    (void)flags;
    (void)point;
    ShellOpen(m_strURL, SW_SHOWDEFAULT);
    return false;
}

bool CSimpleLink::OnSetCursor(HWND window, UINT hitTest, UINT message) {
    (void)window;
    (void)hitTest;
    (void)message;
    m_hCursor = ::LoadCursorA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    ::SetCursor(m_hCursor);
    return true;
}
