// Subclassing a dialog's control, and passing what it leaves to the control's own procedure.
#include "win/subclass_win.h"

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
    Bind(control);
    m_oldProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassWnd::SubclassProc)));
    return m_oldProc != nullptr;
}

void CSubclassWnd::Unsubclass() {
    if (m_oldProc == nullptr || !::IsWindow(m_hWnd)) {
        return;
    }
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_oldProc));
    Unbind(m_hWnd);
    m_oldProc = nullptr;
}

CSubclassWnd* CSubclassWnd::FromHandle(HWND window) {
    return dynamic_cast<CSubclassWnd*>(CRoutedWnd::FromHandle(window));
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
        HandleUnexpectedError(wnd);
        return 0;
    }
}

LRESULT CSubclassWnd::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    return Route(msg, wParam, lParam, result)
               ? result
               : ::CallWindowProcW(m_oldProc, m_hWnd, msg, wParam, lParam);
}
