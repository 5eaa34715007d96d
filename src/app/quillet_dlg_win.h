#pragma once

#include "base/time_format.h"
#include "notes/note_rooms.h"
#include "render/layout.h"
#include "storage/settings.h"
#include "storage/storage.h"
#include "ui/popup_menu.h"
#include "win/controls_win.h"
#include "win/dialog_win.h"
#include "win/handles_win.h"

#include <shellapi.h>

#include <memory>

// The tray callback message: a plain message number.
constexpr UINT WM_TRAY_NOTIFY = 117;
constexpr UINT kTrayIconId = 118;
constexpr UINT_PTR kClockTimerId = 1;

// The one main window: a borderless dialog that paints itself and holds every piece of state.
class CQuilletDlg : public CDialog, private INoteAreaView, public CNoteRooms {
public:
    CQuilletDlg();
    ~CQuilletDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCmdMsg(UINT id, UINT notifyCode, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    bool PreTranslateMessage(MSG* msg) override;

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
    SWindowPlace WindowPlace() const;
    void LoadAtStartup();
    bool SaveAll();
    bool SaveOnExit();
    // The OK path; the Exit command asks before losing unsaved notes, a log-off cannot wait.
    void SaveAndClose(bool askOnFailure);

    // Appearance.
    void ApplySettings();
    void ApplyColorTheme(int color);
    void ApplyWindowShape(int shape);
    void ApplyFonts();
    void DrawRoomTabs(HDC dc, int room);
    void OnClockTick();

    // Popup menu.
    void BuildPopupMenu();
    CMenuHandle& Menu(EMenu menu);
    void RefreshTimeMenu();
    void ShowPopupMenu(POINT screenPoint);
    // Moves the radio mark of the colour, style, time or title menu to the stored choice.
    void MarkRadioGroup(EMenu menu);
    void CheckFlag(unsigned id, bool checked);

    // Commands.
    void ChooseColorTheme(int color);
    void ChooseRandomColor();
    void ToggleLockMoving();
    void ToggleAlwaysTop();
    void ToggleMondayFirst();
    void ToggleWeekNumbers();
    void ToggleFullView();
    void OpenWebPage(const char* url) const;

    // Tray icon.
    void AddTrayIcon(bool showBalloon);
    void RemoveTrayIcon();

    // The note area as the room rules see it.
    std::string GetNotesText() const override;
    void SetNotesText(const std::string& text, ECaret caret) override;
    std::string GetSearchText() const override;
    void LayoutRoom(int room) override;
    void ShowSearchBox(bool show, bool focus) override;
    std::string GetSelDayKey() const override;
    void MarkNotedDays() override;
    void RedrawWindow() override;

    HICON m_hIcon = nullptr;
    int m_nTitleHeight = SLayout::kTitleHeight;
    bool m_bDragging = false;
    bool m_bFirstRun = false;
    CMonthCalCtrl m_calendar;
    SSettings m_settings;
    COLORREF m_crBack = 0;
    COLORREF m_crFrame = 0;
    COLORREF m_crText = 0;
    CToolTipCtrl m_toolTip;
    QTime m_timeShown = 0;
    CEdit m_editNotes;
    CEdit m_editSearch;
    CFontHandle m_fontTitle;
    CFontHandle m_fontNotes;
    CFontHandle m_fontCalendar;
    std::unique_ptr<CFontHandle> m_pFontTab;
    std::unique_ptr<CFontHandle> m_pFontTabBold;
    SRect m_rcNotesHome;
    SRect m_rcNotesStatic;
    SRect m_rcNotesSearch;
    SRect m_rcTabDynamic;
    SRect m_rcTabStatic;
    SRect m_rcTabSearch;
    SRect m_rcClient;
    SRect m_rcTitle;
    SRect m_rcMenuButton;
    SRect m_rcSearchBox;
    CMenuHandle m_menuMain;
    CMenuHandle m_menuTime;
    CMenuHandle m_menuColor;
    CMenuHandle m_menuStyle;
    CMenuHandle m_menuTitle;
    CMenuHandle m_menuFont;
    CMenuHandle m_menuFlags;
    CMenuHandle m_menuHelp;
    CMenuHandle m_menuBackup;
    POINT m_ptDragAnchor{};
    NOTIFYICONDATAA m_nid{};
};

// The one main window of the process.
extern CQuilletDlg* g_pMainDlg;
