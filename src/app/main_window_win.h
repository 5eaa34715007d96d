// The references the main window's look and commands share: window, settings, layout, parts.
#pragma once

#include "app/save_cycle_win.h"
#include "base/layout.h"
#include "notes/calendar_part_win.h"
#include "notes/note_area_win.h"
#include "render/painter_win.h"
#include "storage/settings.h"
#include "ui/popup_menu_win.h"
#include "win/dialog_win.h"

// What the main window's parts share: the window, what it stores and how it is laid out, and
// the parts that show and keep them. The window owns each of them.
struct SMainWindow {
    CDialog& window;
    // Changed only through CSettingsChanges.
    const SSettings& settings;
    SLayout& layout;
    CCalendarPart& calendar;
    CNoteArea& noteArea;
    CWindowPainter& painter;
    CPopupMenu& menu;
    CSaveCycle& saves;

    HWND Wnd() const { return window.GetSafeHwnd(); }
};
