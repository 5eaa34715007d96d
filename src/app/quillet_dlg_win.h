// The main window: one borderless dialog that owns its parts and hands each message to one.
#pragma once

#include "app/main_window_win.h"
#include "app/settings_changes_win.h"
#include "app/window_commands_win.h"
#include "app/window_life_win.h"
#include "app/window_look_win.h"
#include "ui/accessible_win.h"
#include "ui/window_drag_win.h"

// The one main window: a borderless dialog that paints itself. It owns the settings, the layout
// and the parts that show them, and routes each message to the part it concerns: its look, its
// commands and keys, its life from start to end, the note area, the saves, the tray icon and the
// drag.
class CQuilletDlg : public CDialog {
public:
    explicit CQuilletDlg(const SDataPaths& paths);
    ~CQuilletDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCmdMsg(UINT id, UINT notifyCode, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool PreTranslateMessage(MSG* msg) override;
    bool OnIdle() override;
    bool OnUnexpectedError() override;

    bool OnPaint() override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnTimer(UINT_PTR id) override;
    bool OnSysCommand(UINT id, LPARAM lParam) override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    bool OnLButtonUp(UINT flags, POINT point) override;
    bool OnLButtonDblClk(UINT flags, POINT point) override;
    bool OnMouseMove(UINT flags, POINT point) override;
    HICON OnQueryDragIcon() override { return m_hIcon; }
    bool OnHelp(HELPINFO* info) override;
    bool OnEndSession(bool ending) override;
    bool OnHotKey(int id) override;
    bool OnActivate(UINT state) override;
    bool OnSetFocus() override;
    bool OnEnable(bool enabled) override;
    bool OnPowerBroadcast(WPARAM event) override;
    bool OnSysColorChange() override;
    bool OnSettingChange(WPARAM flag) override;
    bool OnDisplayChange() override;
    bool OnDpiChanged(int dpi, const RECT& suggested) override;
    bool OnGetObject(WPARAM flags, LPARAM objectId, LRESULT& result) override;
    bool OnQueryEndSession(LRESULT& result) override;
    bool OnNcHitTest(POINT point, LRESULT& result) override;
    bool OnNcLButtonDown(UINT hitTest, POINT point) override;
    bool OnSize(UINT type, int width, int height) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // A size the user gave the window by the mouse is taken when the button goes up.
    void EndSizing();

    HICON m_hIcon = nullptr;
    SSettings m_settings;
    SLayout m_layout;
    CCalendarPart m_calendar;
    CNoteArea m_noteArea{m_calendar.Control()};
    CWindowPainter m_painter;
    CPopupMenu m_menu;
    CTrayIcon m_tray;
    CWindowDrag m_drag;
    CWindowSizing m_sizing;
    CSaveCycle m_saves;
    SMainWindow m_parts{*this,      m_settings, m_layout, m_calendar,
                        m_noteArea, m_painter,  m_menu,   m_saves};
    CWindowLook m_look{m_parts};
    CSettingsChanges m_changes{m_settings, m_look, m_noteArea};
    CWindowLife m_life{*this, m_settings, m_noteArea, m_saves, m_tray, m_look};
    CWindowCommands m_commands{m_parts, m_tray, m_look, m_life, m_changes};
    // What screen readers were given for the client area, once one asked.
    CPaintedAccessible* m_accessible = nullptr;
    bool m_activated = false;
};
