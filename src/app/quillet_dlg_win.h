#pragma once

#include "base/layout.h"
#include "base/time_format.h"
#include "notes/calendar_part_win.h"
#include "notes/note_area_win.h"
#include "render/painter_win.h"
#include "app/notes_export_win.h"
#include "app/save_cycle_win.h"
#include "storage/settings.h"
#include "storage/storage.h"
#include "ui/popup_menu_win.h"
#include "ui/accessible_win.h"
#include "ui/tray_icon_win.h"
#include "ui/window_drag_win.h"
#include "win/controls_win.h"
#include "win/dialog_win.h"

// The one main window: a borderless dialog that paints itself. It holds the settings, the layout
// and the controls it binds, and composes the parts that own the rest: the note area, the
// painter, the popup menu, the tray icon and the drag.
class CQuilletDlg : public CDialog, private IPaintedPartsOwner, private ISaveCycleOwner {
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
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Start-up and saving.
    void FinishShowing();
    SWindowPlace WindowPlace() const override;
    const SNotebook& CommittedNotes() override;
    void AdoptNotes(SNotebook notes) override;
    void TellUser(const std::string& title, const std::string& text, bool warning) override;
    // Reads the data files; false when a file stayed busy and the user chose to end.
    bool LoadAtStartup();
    // Exit: the notes are saved, and a failure asks before the changes are lost.
    void CloseAfterExitSave();
    // The session ends: no question; what cannot be saved goes to a recovery file.
    void CloseAtSessionEnd();
    // Off the screen and out of the notification area, before the last save.
    void LeaveScreen();
    [[noreturn]] void EndProcess();
    void Close(int result);

    // The guide beside the program, or the web page when the guide is not there.
    void OpenHelp() const;

    // Appearance.
    void ApplySettings();
    void ApplyColorTheme(int color);
    void ApplyWindowShape(int shape);
    void ApplyFonts();
    // Moved to a monitor of another DPI, or its scale changed: the window takes the suggested
    // place and everything in it the new pixels.
    void FollowSystemColours();
    void KeepOnAMonitor();
    bool OnRegisteredMessage(UINT msg, WPARAM wParam, LRESULT& result);
    LRESULT OnWake(WPARAM);
    LRESULT OnTaskbarCreated(WPARAM);
    LRESULT OnLiveHandles(WPARAM kind);
    // The calendar gets the room it needs for its font, first day, week numbers and DPI: it
    // grows from its place in the template, the window with it, and the note area moves down;
    // it shrinks back as far as the template's place.
    void FitCalendar();
    // Lays out what hangs on the layout after it changed.
    void PlaceByLayout();
    void SetCalendarFont();
    void OnClockTick();

    // The popup menu.
    void BuildPopupMenu();
    int RadioIndex(EMenu menu) const;
    void RefreshTimeMenu();
    void OnTrayNotify(LPARAM mouseMessage);
    void BringForward();
    // The popup menu just below the menu button; from the keyboard with its first item selected.
    void ShowMainMenu(bool fromKeyboard);
    void ShowMenuAt(POINT screenPoint);
    // The tips' tools where the layout has them, or nowhere.
    void PlaceToolTips(bool shown);
    // What a click on a room's tab does.
    void ShowRoom(int room);
    // Keys of the window itself; true when the key was taken.
    bool OnWindowKey(const MSG& msg);
    // The search result at the notes box's caret: its day in the Dynamic room.
    void OpenResultAtCaret();
    // Save Data... and Load Data... start in Documents, then where the last one was.
    // What the title bar's clock shows now: painted, and told to screen readers.
    std::string ClockText() const;
    std::vector<SPaintedPart> PaintedPartsNow() const override;
    void PressPaintedPart(int index) override;

    // Export and import of the notes.
    bool OnSaveData();
    bool OnLoadData();

    // Commands.
    void RunAboutBox();
    // False when the user cancelled.
    bool ChooseCustomClockFormat();
    void ChooseFont(unsigned id);
    void ChooseColorTheme(int color);
    void ChooseRandomColor();
    // Each flag has one apply, which start-up and the menu command (after turning the flag over)
    // both call.
    void ApplyLockMoving();
    void ApplyAlwaysTop();
    void ApplyMondayFirst();
    void ApplyWeekNumbers();
    void ToggleFullView();

    HICON m_hIcon = nullptr;
    // The notification area shows small icons, at the size the system asks for.
    bool m_bFirstRun = false;
    bool m_bFailing = false;
    // The tray icon, the watch of the data folder, the backups and the history copy wait until
    // the window has shown and answers: under Wine the notification area alone takes tens of
    // milliseconds to answer, and the backups of a large notebook more.
    bool m_bShown = false;
    // A high-contrast scheme is on: the system's colours replace the stored theme's.
    bool m_bHighContrast = false;
    // The template's places at the window's DPI, and how much the calendar outgrew its own.
    SRect m_baseNotesHome;
    SRect m_baseClient;
    SPoint m_calendarGrowth;
    // What screen readers were given for the client area, once one asked.
    CPaintedAccessible* m_accessible = nullptr;
    CNotesExport m_export;
    CCalendarPart m_calendar;
    SSettings m_settings;
    CSaveCycle m_saves;
    SLayout m_layout;
    CToolTipCtrl m_toolTip;
    QTime m_timeShown = 0;
    CNoteArea m_noteArea{m_calendar.Control()};
    CWindowPainter m_painter;
    CPopupMenu m_menu;
    CTrayIcon m_tray;
    CWindowDrag m_drag;
};
