#pragma once

// Command identifiers of the popup menu and of the commands the window sends itself.
enum ECommand {
    ID_COLOR_FIRST = 320, // "Blue"; 320 + theme index
    ID_COLOR_LAST = 327,
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

// What the dispatcher does with a command.
enum class ECommandRoute {
    Platform, // a control notification or a platform query: the dialog's own routing
    ColorTheme,
    RandomColor,
    Shape,
    ClockFormat,
    CustomClockFormat,
    Gradient,
    LockMoving,
    AlwaysTop,
    MondayFirst,
    WeekNumbers,
    Font,
    SaveData,
    LoadData,
    HelpPage,
    HomePage,
    ContactPage,
    About,
    Exit,
    FullCompact,
    SaveAll,
    Absorb, // no case: handled by doing nothing, so no command can end the window by accident
};

ECommandRoute RouteCommand(unsigned id, unsigned notifyCode, bool hasHandlerInfo);
