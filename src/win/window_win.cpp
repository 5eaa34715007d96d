#include "win/window_win.h"

#include "win/convert_win.h"

#include <shellapi.h>

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

SRect CWnd::GetClientRect() const {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return ToSRect(rc);
}

SRect CWnd::GetWindowRect() const {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return ToSRect(rc);
}

void CWnd::MoveWindow(const SRect& rect, bool repaint) const {
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.Width(), rect.Height(), repaint ? TRUE : FALSE);
}

void CWnd::RedrawNow() const {
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::UpdateWindow(m_hWnd);
}

SRect DesktopRect() {
    RECT rc{};
    ::GetWindowRect(::GetDesktopWindow(), &rc);
    return ToSRect(rc);
}

void ShellOpen(const std::string& target, int show) {
    ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, show);
}
