// The base of the framework's windows: each message routed to a handler named after it.
#pragma once

#include "win/window_win.h"

// What the framework's dialogs and subclassed controls share: the handlers a message can reach,
// one routing of messages to them, and where an exception that escaped a handler goes. Each
// handler returns true when it handled its message; what none handles goes to the platform.
class CRoutedWnd : public CWnd {
public:
    // Every window procedure of the framework hands an exception that escaped a handler here
    // instead of letting it unwind through the system: the nearest window up the chain of
    // parents and owners whose object takes it deals with it; when none does, the process ends.
    static void HandleUnexpectedError(HWND window) noexcept;

protected:
    // The object bound to a window of ours, or nullptr. Any program can send a message naming
    // any window: ask only of our own.
    static CRoutedWnd* FromHandle(HWND window);
    // While bound, FromHandle finds this object for the window.
    void Bind(HWND window);
    static void Unbind(HWND window);

    // Sends the message to its handler; true when handled, with its result.
    bool Route(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // An exception escaped a handler of this window or of one it owns; true when handled.
    virtual bool OnUnexpectedError() { return false; }
    // Messages without a handler of their own, and those whose handler left them.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        (void)msg;
        (void)wParam;
        (void)lParam;
        (void)result;
        return false;
    }
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
    // point in screen coordinates; sets result to a hit-test code when handled.
    virtual bool OnNcHitTest(POINT point, LRESULT& result) {
        (void)point;
        (void)result;
        return false;
    }
    // hitTest: where the press was, as WM_NCHITTEST told; point in screen coordinates.
    virtual bool OnNcLButtonDown(UINT hitTest, POINT point) { return Ignore(hitTest, point); }
    virtual bool OnSize(UINT type, int width, int height) {
        (void)type;
        (void)width;
        (void)height;
        return false;
    }
    // Answered without the default, so the class cursor does not come back.
    virtual bool OnSetCursor(HWND window, UINT hitTest, UINT message) {
        (void)window;
        (void)hitTest;
        (void)message;
        return false;
    }
    virtual bool OnHelp(HELPINFO* info) {
        (void)info;
        return false;
    }
    virtual bool OnEndSession(bool ending) {
        (void)ending;
        return false;
    }
    // Sets result to TRUE when the session may end.
    virtual bool OnQueryEndSession(LRESULT& result) {
        (void)result;
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

private:
    static bool Ignore(UINT, POINT) { return false; }
    // The handler a message has its own: true when it has one, handled when that took it.
    bool RouteNamed(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result, bool& handled);
};
