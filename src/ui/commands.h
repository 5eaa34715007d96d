// The routes of the main window's commands, by table, so they can be tested without a window.
#pragma once

#include "base/ids.h"

#include <cstddef>

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

// One row of the dispatcher: the ids from first to last go to the route.
struct SCommandRange {
    unsigned first;
    unsigned last;
    ECommandRoute route;
};

// A notification (notifyCode not 0) is the platform's; a command the rows do not hold is absorbed.
ECommandRoute RouteCommand(unsigned id, unsigned notifyCode);
