// The routing of messages to named handlers, and where escaped exceptions end up.
#include "win/routed_wnd_win.h"

#include <windowsx.h>

namespace {

const wchar_t* const kObjectProperty = L"Quillet.CRoutedWnd";

} // namespace

CRoutedWnd* CRoutedWnd::FromHandle(HWND window) {
    return window != nullptr ? static_cast<CRoutedWnd*>(::GetPropW(window, kObjectProperty))
                             : nullptr;
}

void CRoutedWnd::Bind(HWND window) {
    ::SetPropW(window, kObjectProperty, this);
}

void CRoutedWnd::Unbind(HWND window) {
    ::RemovePropW(window, kObjectProperty);
}

void CRoutedWnd::HandleUnexpectedError(HWND window) noexcept {
    for (HWND at = window; at != nullptr;) {
        CRoutedWnd* object = FromHandle(at);
        try {
            if (object != nullptr && object->OnUnexpectedError()) {
                return;
            }
        } catch (...) {
            break;
        }
        at = (::GetWindowLongW(at, GWL_STYLE) & WS_CHILD) ? ::GetParent(at)
                                                          : ::GetWindow(at, GW_OWNER);
    }
    ::ExitProcess(3);
}

bool CRoutedWnd::Route(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    bool handled = false;
    if (RouteNamed(msg, wParam, lParam, result, handled) && handled) {
        return true;
    }
    result = 0;
    return OnMessage(msg, wParam, lParam, result);
}

bool CRoutedWnd::RouteNamed(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result,
                            bool& handled) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const UINT flags = static_cast<UINT>(wParam);
    switch (msg) {
    case WM_PAINT:
        handled = OnPaint();
        break;
    case WM_ERASEBKGND:
        handled = OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
        result = 1;
        break;
    case WM_TIMER:
        handled = OnTimer(wParam);
        break;
    case WM_SYSCOMMAND:
        handled = OnSysCommand(static_cast<UINT>(wParam), lParam);
        break;
    case WM_LBUTTONDOWN:
        handled = OnLButtonDown(flags, point);
        break;
    case WM_LBUTTONUP:
        handled = OnLButtonUp(flags, point);
        break;
    case WM_LBUTTONDBLCLK:
        handled = OnLButtonDblClk(flags, point);
        break;
    case WM_MOUSEMOVE:
        handled = OnMouseMove(flags, point);
        break;
    case WM_NCHITTEST:
        handled = OnNcHitTest(point, result);
        break;
    case WM_NCLBUTTONDOWN:
        handled = OnNcLButtonDown(flags, point);
        break;
    case WM_SIZE:
        handled = OnSize(flags, LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_SETCURSOR:
        handled = OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    case WM_HELP:
        handled = OnHelp(reinterpret_cast<HELPINFO*>(lParam));
        result = TRUE;
        break;
    case WM_ENDSESSION:
        handled = OnEndSession(wParam != FALSE);
        break;
    case WM_QUERYENDSESSION:
        handled = OnQueryEndSession(result);
        break;
    case WM_HOTKEY:
        handled = OnHotKey(static_cast<int>(wParam));
        break;
    case WM_ACTIVATE:
        handled = OnActivate(LOWORD(wParam));
        break;
    case WM_SETFOCUS:
        handled = OnSetFocus();
        break;
    case WM_ENABLE:
        handled = OnEnable(wParam != FALSE);
        break;
    case WM_POWERBROADCAST:
        handled = OnPowerBroadcast(wParam);
        break;
    case WM_SYSCOLORCHANGE:
        handled = OnSysColorChange();
        break;
    case WM_SETTINGCHANGE:
        handled = OnSettingChange(wParam);
        break;
    case WM_DISPLAYCHANGE:
        handled = OnDisplayChange();
        break;
    case WM_DPICHANGED:
        handled = OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        break;
    case WM_GETOBJECT:
        handled = OnGetObject(wParam, lParam, result);
        break;
    default:
        return false;
    }
    return true;
}
