#pragma once

#include "base/layout.h"
#include "base/time_format.h"
#include "notes/note_area_win.h"
#include "render/painter_win.h"
#include "storage/settings.h"
#include "storage/storage.h"
#include "ui/popup_menu_win.h"
#include "ui/tray_icon_win.h"
#include "ui/window_drag_win.h"
#include "win/controls_win.h"
#include "win/dialog_win.h"

// The one main window: a borderless dialog that paints itself. It holds the settings, the layout
// and the controls it binds, and composes the parts that own the rest: the note area, the
// painter, the popup menu, the tray icon and the drag.
class CQuilletDlg : public CDialog {
public:
    CQuilletDlg();
    ~CQuilletDlg() override;

    // The window property that marks the main window, and the message that a second start
    // sends it to bring it forward.
    static constexpr const char* kMainWindowProperty = "Quillet.MainWindow";
    static UINT ActivateMessage();

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
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // Start-up and saving.
    SDataPaths DataPaths() const;
    SStoredData StoredData();
    SWindowPlace WindowPlace() const;
    void LoadAtStartup();
    bool SaveAll();
    bool SaveOnExit();
    // The OK path; the Exit command asks before losing unsaved notes, a log-off cannot wait.
    void SaveAndClose(bool askOnFailure);
    // What tells whether the main files would change: a hash of the settings file's bytes and
    // the count of changes of the notes.
    std::pair<uint64_t, unsigned> SavedState();
    // Writes the two main files when something changed since they were last read or written.
    void AutoSave();
    // Remembers what a successful save wrote.
    bool Saved(bool saved);

    // Appearance.
    void ApplySettings();
    void ApplyColorTheme(int color);
    void ApplyWindowShape(int shape);
    void ApplyFonts();
    void SetCalendarFont();
    void OnClockTick();

    // The popup menu.
    void BuildPopupMenu();
    int RadioIndex(EMenu menu) const;
    void RefreshTimeMenu();
    void OnTrayNotify(LPARAM mouseMessage);
    void BringForward();

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
    void ToggleLockMoving();
    void ToggleAlwaysTop();
    void ToggleMondayFirst();
    void ToggleWeekNumbers();
    void ToggleFullView();

    HICON m_hIcon = nullptr;
    bool m_bFirstRun = false;
    bool m_bFailing = false;
    CMonthCalCtrl m_calendar;
    SSettings m_settings;
    CUnreadableFiles m_unreadableFiles;
    SLayout m_layout;
    std::pair<uint64_t, unsigned> m_savedState;
    CToolTipCtrl m_toolTip;
    QTime m_timeShown = 0;
    CFontHandle m_fontCalendar;
    CNoteArea m_noteArea{m_calendar};
    CWindowPainter m_painter;
    CPopupMenu m_menu;
    CTrayIcon m_tray;
    CWindowDrag m_drag;
};

// The one main window of the process.
extern CQuilletDlg* g_pMainDlg;
