#pragma once

#include "win/window_win.h"

// A dialog from a template, run modally by its own message loop so that PreTranslateMessage sees
// every message first. Each message reaches one virtual handler named after it; a handler that
// returns false leaves the message to the platform's default processing.
class CDialog : public CWnd {
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

    // Every window procedure of the framework hands an exception that escaped a handler here
    // instead of letting it unwind through the system: the nearest dialog up the chain of
    // parents and owners that takes it deals with it; when none does, the process ends.
    static void HandleUnexpectedError(HWND window) noexcept;

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
    // An exception escaped a handler of this dialog or of a window it owns; true when handled.
    virtual bool OnUnexpectedError() { return false; }

    // Window messages; each returns true when it handled the message.
    virtual bool OnPaint() { return false; }
    virtual bool OnEraseBkgnd(HDC dc) {
        (void)dc;
        return false;
    }
    virtual bool OnTimer(UINT_PTR id) {
        (void)id;
        return false;
    }
    virtual bool OnSysCommand(UINT id, LPARAM lParam) {
        (void)id;
        (void)lParam;
        return false;
    }
    virtual bool OnLButtonDown(UINT flags, POINT point) { return Ignore(flags, point); }
    virtual bool OnLButtonUp(UINT flags, POINT point) { return Ignore(flags, point); }
    virtual bool OnLButtonDblClk(UINT flags, POINT point) { return Ignore(flags, point); }
    virtual bool OnMouseMove(UINT flags, POINT point) { return Ignore(flags, point); }
    virtual HICON OnQueryDragIcon() { return nullptr; }
    virtual bool OnHelp(HELPINFO* info) {
        (void)info;
        return false;
    }
    virtual bool OnEndSession(bool ending) {
        (void)ending;
        return false;
    }
    virtual bool OnHotKey(int id) {
        (void)id;
        return false;
    }
    // state: WA_INACTIVE, WA_ACTIVE or WA_CLICKACTIVE.
    virtual bool OnActivate(UINT state) {
        (void)state;
        return false;
    }
    virtual bool OnSetFocus() { return false; }
    virtual bool OnEnable(bool enabled) {
        (void)enabled;
        return false;
    }
    virtual bool OnPowerBroadcast(WPARAM event) {
        (void)event;
        return false;
    }
    virtual bool OnSysColorChange() { return false; }
    virtual bool OnSettingChange(WPARAM flag) {
        (void)flag;
        return false;
    }
    virtual bool OnDisplayChange() { return false; }
    virtual bool OnDpiChanged(int dpi, const RECT& suggested) {
        (void)dpi;
        (void)suggested;
        return false;
    }
    virtual bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT& result) {
        (void)flags;
        (void)objectId;
        (void)result;
        return false;
    }
    // Sets result to TRUE when the session may end.
    virtual bool OnQueryEndSession(LRESULT& result) {
        (void)result;
        return false;
    }
    // Messages without a handler of their own (for example private notification messages).
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        (void)msg;
        (void)wParam;
        (void)lParam;
        (void)result;
        return false;
    }

private:
    static bool Ignore(UINT, POINT) { return false; }
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
