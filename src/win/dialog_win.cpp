// The dialog's modal loop, and its dispatch of messages to the handlers.
#include "win/dialog_win.h"

#include "win/subclass_win.h"

#include <utility>

HWND CDialog::s_appMainWnd = nullptr;
HWND CDialog::s_activeModal = nullptr;

INT_PTR CDialog::DoModal() {
    HWND owner = m_owner;
    if (owner == nullptr) {
        owner = s_activeModal != nullptr ? s_activeModal : s_appMainWnd;
    }
    m_running = true;
    m_result = IDCANCEL;
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    const LPARAM self = reinterpret_cast<LPARAM>(this);
    HWND wnd = m_template != nullptr ? ::CreateDialogIndirectParamW(module, m_template, owner,
                                                                    &CDialog::DialogProc, self)
                                     : ::CreateDialogParamW(module, MAKEINTRESOURCEW(m_templateId),
                                                            owner, &CDialog::DialogProc, self);
    if (wnd == nullptr) {
        m_running = false;
        return -1;
    }
    const bool ownerWasEnabled = owner != nullptr && ::IsWindowEnabled(owner);
    if (ownerWasEnabled) {
        ::EnableWindow(owner, FALSE);
    }
    // A modal dialog shows itself even when its template does not say visible, unless it ended
    // while it started (the hidden owner of the main window does).
    if (m_running && !::IsWindowVisible(wnd)) {
        ::ShowWindow(wnd, SW_SHOWNORMAL);
    }
    const HWND outerModal = std::exchange(s_activeModal, wnd);
    MSG msg;
    bool quit = false;
    while (m_running) {
        while (m_running && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) &&
               Guarded([this] { return OnIdle(); })) {
        }
        if (!m_running) {
            break;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            break;
        }
        if (!Guarded([this, &msg] { return PreTranslateMessage(&msg); })) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    s_activeModal = outerModal;
    if (ownerWasEnabled) {
        ::EnableWindow(owner, TRUE);
        if (::GetActiveWindow() == m_hWnd) {
            ::SetActiveWindow(owner);
        }
    }
    ::DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    if (quit) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
    }
    return m_result;
}

void CDialog::EndDialog(INT_PTR result) {
    m_result = result;
    m_running = false;
    // Wakes the loop if it is waiting.
    ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

bool CDialog::PreTranslateMessage(MSG* msg) {
    CSubclassWnd* control = CSubclassWnd::FromHandle(msg->hwnd);
    if (control != nullptr && control->PreTranslateMessage(msg)) {
        return true;
    }
    return m_hWnd != nullptr && ::IsDialogMessageW(m_hWnd, msg) != FALSE;
}

bool CDialog::OnCmdMsg(UINT id, UINT notifyCode, HWND control) {
    (void)control;
    if (notifyCode != 0 && notifyCode != 1) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = wnd;
        self->Bind(wnd);
    } else {
        self = dynamic_cast<CDialog*>(FromHandle(wnd));
    }
    if (self == nullptr) {
        return FALSE;
    }
    if (msg == WM_NCDESTROY) {
        Unbind(wnd);
    }
    try {
        return self->Dispatch(msg, wParam, lParam);
    } catch (...) {
        HandleUnexpectedError(wnd);
        return FALSE;
    }
}

template <class Step> bool CDialog::Guarded(Step step) {
    // The loop's own calls reach the same handler as the window procedure's.
    try {
        return step();
    } catch (...) {
        HandleUnexpectedError(m_hWnd);
        return false;
    }
}

INT_PTR CDialog::Handled(bool handled, LRESULT result) {
    if (!handled) {
        return FALSE;
    }
    ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                        : FALSE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        const bool handled = OnNotify(reinterpret_cast<NMHDR*>(lParam), result);
        return Handled(handled, result);
    }
    case WM_QUERYDRAGICON:
        // The icon is the return value itself, not a message result.
        return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_WINDOWPOSCHANGING:
        // A dialog that ended while it started never shows.
        if (!m_running) {
            reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~SWP_SHOWWINDOW;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC: {
        // The brush is the return value itself, not a message result. Any program may send
        // this message naming any window: only our own children carry our objects.
        const HWND from = reinterpret_cast<HWND>(lParam);
        CSubclassWnd* control = ::IsChild(m_hWnd, from) ? CSubclassWnd::FromHandle(from) : nullptr;
        const HBRUSH brush = control != nullptr
                                 ? control->OnCtlColorReflect(reinterpret_cast<HDC>(wParam))
                                 : nullptr;
        return reinterpret_cast<INT_PTR>(brush);
    }
    default: {
        LRESULT result = 0;
        const bool handled = Route(msg, wParam, lParam, result);
        return Handled(handled, result);
    }
    }
}
