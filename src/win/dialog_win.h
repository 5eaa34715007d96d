// Dialogs of the framework: made from a template, run modally by a loop of their own.
#pragma once

#include "win/routed_wnd_win.h"

// A dialog from a template, run modally by its own message loop so that PreTranslateMessage sees
// every message first.
class CDialog : public CRoutedWnd {
public:
    CDialog(UINT templateId, HWND owner) : m_templateId(templateId), m_owner(owner) {}
    // A template built in memory instead of one from the resources.
    CDialog(const DLGTEMPLATE* dialogTemplate, HWND owner)
        : m_templateId(0), m_template(dialogTemplate), m_owner(owner) {}

    // Creates the dialog, disables the owner and runs the loop until EndDialog. Without an
    // explicit owner the dialog belongs to the innermost modal dialog running, or else to the
    // application's main window.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);

    // The owner of the first modal dialog: the application's hidden main window.
    static HWND s_appMainWnd;

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Commands: true when handled. The default sends IDOK and IDCANCEL to OnOK and OnCancel.
    virtual bool OnCmdMsg(UINT id, UINT notifyCode, HWND control);
    // Notifications; set result and return true when handled.
    virtual bool OnNotify(NMHDR* header, LRESULT& result) {
        (void)header;
        (void)result;
        return false;
    }
    virtual bool PreTranslateMessage(MSG* msg);
    // Work done while no message waits; true while more remains.
    virtual bool OnIdle() { return false; }
    virtual HICON OnQueryDragIcon() { return nullptr; }

private:
    template <class Step> bool Guarded(Step step);
    INT_PTR Handled(bool handled, LRESULT result = 0);
    static INT_PTR CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    const DLGTEMPLATE* m_template = nullptr;
    HWND m_owner;
    bool m_running = false;
    INT_PTR m_result = IDCANCEL;

    // The modal dialog whose loop runs now.
    static HWND s_activeModal;
};
