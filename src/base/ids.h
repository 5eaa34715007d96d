// Ids that several parts share: resources, controls, commands, messages and timers.
// The resource script includes this file too, so the resource ids are plain macros.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_QUILLET_DIALOG 102
#define IDD_PARENT 131
#define IDD_TIME_FORMAT 133

// Icons, cursors and strings.
#define IDI_QUILLET 128
#define IDC_HAND_CURSOR 130
#define IDS_ABOUTBOX 101

// Controls.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDC_CALENDAR 1000
#define IDC_NOTES 1001
#define IDC_LINK_HOME 1002
#define IDC_LINK_SUPPORT 1005
#define IDC_SEARCH 1014
#define IDC_TIME_PATTERN 1001

#ifndef RC_INVOKED

// Commands of the popup menu and those the window sends itself. A range runs from its _FIRST to
// its _LAST id; _MARK_LAST ends the range of a radio mark where it differs.
enum ECommand : unsigned {
    ID_COLOR_FIRST = 320, // "Blue"; 320 + theme index
    ID_COLOR_LAST = 327,
    ID_COLOR_ROUTE_LAST = 328, // the dispatcher takes one id past the themes as a theme
    ID_COLOR_RANDOM = 329,
    ID_SHAPE_FIRST = 330, // "Rectangle"; 330 + shape index
    ID_SHAPE_LAST = 334,
    ID_SHAPE_MARK_LAST = 335,
    ID_TIME_FIRST = 340, // 340 + clock format
    ID_TIME_FIXED_LAST = 348,
    ID_TIME_CUSTOM = 349,
    ID_FULL_COMPACT = 351,
    ID_SAVE_ALL = 353,
    ID_EXIT = 356,
    ID_GRADIENT_FIRST = 360, // "Gradient A"; 360 + gradient index
    ID_GRADIENT_MARK_LAST = 365,
    ID_GRADIENT_LAST = 368,
    ID_LOCK_MOVING = 370,
    ID_ALWAYS_TOP = 371,
    ID_MONDAY_FIRST = 372,
    ID_WEEK_NUMBERS = 373,
    ID_FONT_TITLE = 380,
    ID_FONT_NOTES = 381,
    ID_FONT_CALENDAR = 382,
    ID_SAVE_DATA = 385,
    ID_LOAD_DATA = 386,
    ID_HELP_TOPICS = 390,
    ID_HOME_PAGE = 391,
    ID_CONTACT = 392,
    ID_ABOUT = 394,
};

// System-menu item of the About box.
constexpr unsigned kSysCommandAbout = 16;

// The tray icon's callback message (a plain message number) and its icon id.
constexpr unsigned kTrayNotifyMessage = 117;
constexpr unsigned kTrayIconId = 118;

// A message a long test run sends to read the handles the program holds: wParam 0 for GDI
// objects, 1 for menus, 2 for windows.
constexpr const char* kLiveHandlesMessageName = "Quillet.LiveHandles";

// A message the folder watch posts: files in the data folder changed.
constexpr unsigned kDataFolderChangedMessage = 0x8000 + 2; // WM_APP + 2
// The main window posts itself: open the search result at the notes box's caret.
constexpr unsigned kOpenResultMessage = 0x8000 + 3; // WM_APP + 3
// The main window posts itself: open the menu as from the keyboard (a screen reader pressed it).
constexpr unsigned kOpenMenuMessage = 0x8000 + 4; // WM_APP + 4

// Timers: the main window's clock, the tray icon's retry, the save after typing stops (and its
// retries), the look at the data folder once its changes settle, the rest of the start, and a
// link's hover poll.
constexpr unsigned kClockTimerId = 1;
constexpr unsigned kTrayRetryTimerId = 2;
constexpr unsigned kAutoSaveTimerId = 3;
constexpr unsigned kDataFolderTimerId = 4;
// What is left of the start once the window shows.
constexpr unsigned kShownTimerId = 5;
constexpr unsigned kShownDelayMs = 100;
constexpr unsigned kLinkHoverTimerId = 11;

#endif
