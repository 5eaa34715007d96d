// The window handle wrapper, and the few calls about screens, the shell and message boxes.
#pragma once

#include "base/geometry.h"

#include <windows.h>

#include <string>
#include <vector>

// A window handle with the few operations the program uses; owns nothing.
class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND wnd) { m_hWnd = wnd; }

    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    // The window's text in UTF-8. A lone half of a surrogate pair, which no text can hold, is
    // read as U+FFFD; replaced tells whether one was.
    std::string GetWindowText(bool* replaced = nullptr) const;
    void SetWindowText(const std::string& text) const;
    SRect GetClientRect() const;
    SRect GetWindowRect() const;
    void MoveWindow(const SRect& rect, bool repaint = true) const;
    void ShowWindow(int show) const { ::ShowWindow(m_hWnd, show); }
    void SetFont(HFONT font, bool redraw = true) const {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
    }
    void SetFocus() const { ::SetFocus(m_hWnd); }
    // Invalidate with erase and paint at once.
    void RedrawNow() const;

protected:
    HWND m_hWnd = nullptr;
};

// While it lives, a shown window's own updates of its text and scroll bar draw nothing: under
// Wine each scroll bar change draws the bar, a few milliseconds. The window is still drawn
// when it is next painted; who changes its look meanwhile has it painted.
class CUndrawn {
public:
    explicit CUndrawn(HWND wnd);
    ~CUndrawn();
    CUndrawn(const CUndrawn&) = delete;
    CUndrawn& operator=(const CUndrawn&) = delete;

private:
    HWND m_wnd;
    bool m_shown;
};

// The screen rectangle of the desktop window (the primary display).
SRect DesktopRect();
// The DPI of the monitor the window is on; the system's where the platform cannot tell.
int WindowDpi(HWND window);
// The work area of each monitor; none when there is only one.
std::vector<SRect> MonitorWorkAreas();
// The work area of the monitor the window is on, or nearest to; empty when it cannot be told.
SRect WorkAreaOf(HWND window);

// Opens a web address, a "mailto:" address or a file (UTF-8) with the shell's "open" verb; false
// when the shell could not (no program for it, among others).
bool ShellOpen(const std::string& target, int show = SW_SHOWNORMAL);

// The full path of the running program in UTF-8; empty when it cannot be told.
std::string ProgramPath();

// A message box whose text and caption are UTF-8.
int MessageBoxUtf8(HWND owner, const std::string& text, const std::string& caption, UINT type);

// A UTF-8 text for the system's wide calls, and back; kept bytes show as they read.
std::wstring WideOf(const std::string& text);
std::string TextOfWide(const wchar_t* units, size_t count, bool* replaced = nullptr);
inline std::string TextOfWide(const std::wstring& units, bool* replaced = nullptr) {
    return TextOfWide(units.data(), units.size(), replaced);
}
