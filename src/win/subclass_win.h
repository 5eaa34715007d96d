// A control of a dialog whose messages reach an object of the program first.
#pragma once

#include "win/routed_wnd_win.h"

// A control of a dialog whose messages reach this object first: bound by SubclassDlgItem, it
// answers the messages it handles and leaves the rest to the control's own procedure.
class CSubclassWnd : public CRoutedWnd {
public:
    ~CSubclassWnd() override;

    // Binds the dialog's control: PreSubclassWindow runs first, then messages come here.
    bool SubclassDlgItem(int id, HWND dialog);
    // The object bound to a window, or nullptr.
    static CSubclassWnd* FromHandle(HWND window);

    // Sees each message of the dialog's loop meant for this control before it is dispatched;
    // true when it took the message.
    virtual bool PreTranslateMessage(MSG* msg) {
        (void)msg;
        return false;
    }
    // The colour request of a static control, reflected from its dialog; a brush when answered.
    virtual HBRUSH OnCtlColorReflect(HDC dc) {
        (void)dc;
        return nullptr;
    }

protected:
    virtual void PreSubclassWindow() {}
    // The control's own procedure.
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) const {
        return ::CallWindowProcW(m_oldProc, m_hWnd, msg, wParam, lParam);
    }

private:
    static LRESULT CALLBACK SubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void Unsubclass();

    WNDPROC m_oldProc = nullptr;
};
