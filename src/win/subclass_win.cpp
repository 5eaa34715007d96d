#include "win/subclass_win.h"

#include "win/dialog_win.h"

#include <windowsx.h>

namespace {

const wchar_t* const kOwnerProperty = L"Quillet.CSubclassWnd";

} // namespace

CSubclassWnd::~CSubclassWnd() {
    Unsubclass();
}

bool CSubclassWnd::SubclassDlgItem(int id, HWND dialog) {
    const HWND control = ::GetDlgItem(dialog, id);
    if (control == nullptr) {
        return false;
    }
    Attach(control);
    PreSubclassWindow();
    ::SetPropW(control, kOwnerProperty, this);
    m_oldProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::SubclassProc)));
    return m_oldProc != nullptr;
}

void CSubclassWnd::Unsubclass() {
    if (m_oldProc == nullptr || !::IsWindow(m_hWnd)) {
        return;
    }
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    ::RemovePropW(m_hWnd, kOwnerProperty);
    m_oldProc = nullptr;
}

CSubclassWnd* CSubclassWnd::FromHandle(HWND window) {
    return window != nullptr ? static_cast<CSubclassWnd*>(::GetPropW(window, kOwnerProperty))
                             : nullptr;
}

LRESULT CALLBACK CSubclassWnd::SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CSubclassWnd* self = FromHandle(wnd);
    if (self == nullptr) {
        return ::DefWindowProcW(wnd, msg, wParam, lParam);
    }
    if (msg == WM_NCDESTROY) {
        // The window goes first: give it back its own procedure for its last message.
        const WNDPROC old = self->m_oldProc;
        self->Unsubclass();
        self->m_hWnd = nullptr;
        return ::CallWindowProcW(old, wnd, msg, wParam, lParam);
    }
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (...) {
        CDialog::HandleUnexpectedError(wnd);
        return 0;
    }
}

LRESULT CSubclassWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(msg, wParam, lParam, result)) {
        return result;
    }
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const UINT flags = static_cast<UINT>(wParam);
    bool handled = false;
    switch (msg) {
    case WM_MOUSEMOVE:
        handled = OnMouseMove(flags, point);
        break;
    case WM_LBUTTONUP:
        handled = OnLButtonUp(flags, point);
        break;
    case WM_TIMER:
        handled = OnTimer(wParam);
        break;
    case WM_SETCURSOR:
        // Answered without the default, so the class cursor does not come back.
        handled = OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), HIWORD(lParam));
        break;
    default:
        break;
    }
    return handled ? 0 : ::CallWindowProcW(m_oldProc, m_hWnd, msg, wParam, lParam);
}
