// The window wrapper's calls with text in UTF-8, and the screen, shell and message box helpers.
#include "win/window_win.h"

#include "base/stored_text.h"
#include "base/utf8.h"
#include "base/utf8_win.h"
#include "win/convert_win.h"

#include <shellapi.h>

std::wstring WideOf(const std::string& text) {
    const std::u16string units = Utf8ToUtf16(ShownText(text));
    return std::wstring(units.begin(), units.end());
}

std::string TextOfWide(const wchar_t* units, size_t count, bool* replaced) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 units");
    return Utf16ToUtf8(reinterpret_cast<const char16_t*>(units), count, replaced);
}

std::string CWnd::GetWindowText(bool* replaced) const {
    if (replaced != nullptr) {
        *replaced = false;
    }
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return std::string();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return TextOfWide(text, replaced);
}

void CWnd::SetWindowText(const std::string& text) const {
    ::SetWindowTextW(m_hWnd, WideOf(text).c_str());
}

CUndrawn::CUndrawn(HWND wnd)
    : m_wnd(wnd), m_shown((::GetWindowLongW(wnd, GWL_STYLE) & WS_VISIBLE) != 0) {
    // The default procedure, not the window's own: it only stops the drawing.
    if (m_shown) {
        ::DefWindowProcW(m_wnd, WM_SETREDRAW, FALSE, 0);
    }
}

CUndrawn::~CUndrawn() {
    if (m_shown) {
        ::DefWindowProcW(m_wnd, WM_SETREDRAW, TRUE, 0);
    }
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

int WindowDpi(HWND window) {
    // Looked up: Windows 7 and 8 know only the system's DPI.
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpi>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi != nullptr ? getDpi(window) : 0;
    if (dpi != 0) {
        return static_cast<int>(dpi);
    }
    const HDC dc = ::GetDC(window);
    const int system = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(window, dc);
    return system > 0 ? system : 96;
}

std::vector<SRect> MonitorWorkAreas() {
    std::vector<SRect> areas;
    // One monitor needs no list: the placing rules then use the desktop alone, and under Wine
    // each enumeration asks the X server.
    if (::GetSystemMetrics(SM_CMONITORS) < 2) {
        return areas;
    }
    const auto add = [](HMONITOR monitor, HDC, LPRECT, LPARAM found) -> BOOL {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (::GetMonitorInfoW(monitor, &info)) {
            reinterpret_cast<std::vector<SRect>*>(found)->push_back(ToSRect(info.rcWork));
        }
        return TRUE;
    };
    ::EnumDisplayMonitors(nullptr, nullptr, add, reinterpret_cast<LPARAM>(&areas));
    return areas;
}

SRect WorkAreaOf(HWND window) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    return monitor != nullptr && ::GetMonitorInfoW(monitor, &info) ? ToSRect(info.rcWork) : SRect{};
}

bool ShellOpen(const std::string& target, int show) {
    std::wstring wide;
    if (!Utf8ToWide(target, wide)) {
        return false;
    }
    const HINSTANCE result =
        ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, show);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::string ProgramPath() {
    std::wstring wide(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, &wide[0], static_cast<DWORD>(wide.size()));
    // A path cut short fills the whole buffer.
    if (length == 0 || length >= wide.size()) {
        return std::string();
    }
    wide.resize(length);
    std::string path;
    return WideToUtf8(wide, path) ? path : std::string();
}

int MessageBoxUtf8(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return ::MessageBoxW(owner, WideOf(text).c_str(), WideOf(caption).c_str(), type);
}
