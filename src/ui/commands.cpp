// The command table: which ids of the menu and the window go to which route.
#include "ui/commands.h"

namespace {

using R = ECommandRoute;

constexpr SCommandRange One(unsigned id, ECommandRoute route) {
    return SCommandRange{id, id, route};
}

const SCommandRange kCommands[] = {
    One(ID_COLOR_RANDOM, R::RandomColor),
    {ID_COLOR_FIRST, ID_COLOR_ROUTE_LAST, R::ColorTheme},
    {ID_SHAPE_FIRST, ID_SHAPE_LAST, R::Shape},
    One(ID_TIME_CUSTOM, R::CustomClockFormat),
    {ID_TIME_FIRST, ID_TIME_FIXED_LAST, R::ClockFormat},
    {ID_GRADIENT_FIRST, ID_GRADIENT_LAST, R::Gradient},
    One(ID_LOCK_MOVING, R::LockMoving),
    One(ID_ALWAYS_TOP, R::AlwaysTop),
    One(ID_MONDAY_FIRST, R::MondayFirst),
    One(ID_WEEK_NUMBERS, R::WeekNumbers),
    {ID_FONT_TITLE, ID_FONT_CALENDAR, R::Font},
    One(ID_SAVE_DATA, R::SaveData),
    One(ID_LOAD_DATA, R::LoadData),
    One(ID_HELP_TOPICS, R::HelpPage),
    One(ID_HOME_PAGE, R::HomePage),
    One(ID_CONTACT, R::ContactPage),
    One(ID_ABOUT, R::About),
    One(ID_EXIT, R::Exit),
    One(ID_FULL_COMPACT, R::FullCompact),
    One(ID_SAVE_ALL, R::SaveAll),
};

} // namespace

ECommandRoute RouteCommand(unsigned id, unsigned notifyCode) {
    if (notifyCode != 0) {
        return ECommandRoute::Platform;
    }
    for (const SCommandRange& row : kCommands) {
        if (id >= row.first && id <= row.last) {
            return row.route;
        }
    }
    return ECommandRoute::Absorb;
}
