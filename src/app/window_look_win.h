// The main window's look: colours, shape, fonts, flags, folding, sizing, tips and the clock.
#pragma once

#include "app/main_window_win.h"
#include "base/time_format.h"
#include "storage/storage.h"
#include "win/controls_win.h"

#include <string>

// The settings turned into the window's look: colours, shape, fonts, the flags and the folded
// view; the layout kept up as fonts, DPI, monitors and the system's colours change; the tips
// over the menu button and the tabs, and the title bar's clock.
class CWindowLook {
public:
    explicit CWindowLook(SMainWindow& w) : m_w(w) {}
    CWindowLook(const CWindowLook&) = delete;
    CWindowLook& operator=(const CWindowLook&) = delete;

    // The layout of the template at the window's DPI.
    void LayOutTemplate();
    // The tips over the menu button and the tabs: made once the window shows, as a tip waits for
    // the pointer to rest and the window's first paint does not.
    void CreateTips();
    // Where the stored corner puts the window at start: on a desktop, and beside the window of
    // another copy of ours that stands there.
    SPoint StartPlace() const;
    // Every stored setting applied to a built menu and the window.
    void ApplyAll();
    void Redraw() const;
    void ApplyColorTheme();
    void ApplyWindowShape();
    void ApplyFonts();
    // id: ID_FONT_TITLE, ID_FONT_NOTES or ID_FONT_CALENDAR.
    void ApplyFont(unsigned id);
    void SetCalendarFont();
    // Each flag has one apply, which start-up and the menu command (after turning the flag over)
    // both call.
    void ApplyLockMoving();
    void ApplyAlwaysTop();
    void ApplyMondayFirst();
    void ApplyWeekNumbers();
    // Folded to the title strip or back, as the settings say.
    void ApplyFullView();
    // A high-contrast scheme turned on or off, or its colours changed: followed at once.
    void FollowSystemColours();
    // A monitor taken away may have taken the window with it.
    void KeepOnAMonitor();
    // Moved to a monitor of another DPI, or its scale changed: the window takes the suggested
    // place and everything in it the new pixels.
    void ScaleTo(int dpi, const RECT& suggested);

    // The user makes the window larger from its right and lower edges, never smaller than its
    // parts need; the note area takes the room. Folded to the title strip, it keeps its size.
    // The hit-test code of a sizing edge under a screen point; 0 where none is.
    LRESULT SizingHitTest(POINT screen) const;
    // The least window for the calendar's growth.
    SPoint LeastSize() const;
    void BeginSizing();
    // The window's size changed: the parts follow it, unless the change is the look's own.
    void FollowSize();
    // A size the user gave the window is kept for the next start, on this computer only.
    void EndSizing();

    // The tips' tools where the layout has them (shown), or nowhere; off while a menu or a
    // dialog of ours is over the window.
    void ShowTips(bool shown);
    void RelayToTips(MSG* msg) const { m_toolTip.RelayEvent(msg); }

    SWindowPlace WindowPlace() const;
    // What the title bar's clock shows now: painted, and told to screen readers.
    std::string ClockText() const;
    // The title's clock is painted again when the text it shows changes.
    void OnClockTick();
    void Paint() const;

private:
    // The calendar gets the room it needs for its font, first day, week numbers and DPI: it
    // grows from its place in the template, the window with it, and the note area moves down;
    // it shrinks back as far as the template's place.
    void FitCalendar();
    // The size the window takes: the one the user chose, as far as it fits its monitor.
    SPoint WantedSize() const;
    // The window takes its wanted size and the parts their places in it.
    void FitWindow();
    // The same, only when the wanted size is not the window's.
    void FitChosenSize();
    // The parts take their places in the window's client area: the note area has what the
    // window has beyond its least size.
    void LayOutInClient();
    // Lays out what hangs on the layout after it changed.
    void PlaceByLayout();
    void PlaceToolTips(bool shown);

    SMainWindow& m_w;
    // A high-contrast scheme is on: the system's colours replace the stored theme's.
    bool m_highContrast = false;
    // The template's places at the window's DPI, and how much the calendar outgrew its own.
    SRect m_baseNotesHome;
    SRect m_baseClient;
    SPoint m_calendarGrowth;
    // The size the user gave the window in 96-DPI pixels (zero: none), kept on this computer.
    SPoint m_chosenSize;
    SPoint m_sizeAtBegin;
    // The look sizes the window itself: its own size changes need no following.
    bool m_resizing = false;
    CToolTipCtrl m_toolTip;
    QTime m_timeShown = 0;
};
