#include "ui/commands.h"

namespace {

bool InRange(unsigned id, unsigned first, unsigned last) {
    return id >= first && id <= last;
}

} // namespace

ECommandRoute RouteCommand(unsigned id, unsigned notifyCode, bool hasHandlerInfo) {
    if (notifyCode != 0 || hasHandlerInfo) {
        return ECommandRoute::Platform;
    }
    if (id == ID_COLOR_RANDOM) {
        return ECommandRoute::RandomColor;
    }
    if (InRange(id, ID_COLOR_FIRST, 328)) {
        return ECommandRoute::ColorTheme;
    }
    if (InRange(id, ID_SHAPE_FIRST, ID_SHAPE_LAST)) {
        return ECommandRoute::Shape;
    }
    if (id == ID_TIME_CUSTOM) {
        return ECommandRoute::CustomClockFormat;
    }
    if (InRange(id, ID_TIME_FIRST, ID_TIME_FIXED_LAST)) {
        return ECommandRoute::ClockFormat;
    }
    if (InRange(id, ID_GRADIENT_FIRST, ID_GRADIENT_LAST)) {
        return ECommandRoute::Gradient;
    }
    switch (id) {
    case ID_LOCK_MOVING:
        return ECommandRoute::LockMoving;
    case ID_ALWAYS_TOP:
        return ECommandRoute::AlwaysTop;
    case ID_MONDAY_FIRST:
        return ECommandRoute::MondayFirst;
    case ID_WEEK_NUMBERS:
        return ECommandRoute::WeekNumbers;
    case ID_FONT_TITLE:
    case ID_FONT_NOTES:
    case ID_FONT_CALENDAR:
        return ECommandRoute::Font;
    case ID_SAVE_DATA:
        return ECommandRoute::SaveData;
    case ID_LOAD_DATA:
        return ECommandRoute::LoadData;
    case ID_HELP_TOPICS:
        return ECommandRoute::HelpPage;
    case ID_HOME_PAGE:
        return ECommandRoute::HomePage;
    case ID_CONTACT:
        return ECommandRoute::ContactPage;
    case ID_ABOUT:
        return ECommandRoute::About;
    case ID_EXIT:
        return ECommandRoute::Exit;
    case ID_FULL_COMPACT:
        return ECommandRoute::FullCompact;
    case ID_SAVE_ALL:
        return ECommandRoute::SaveAll;
    default:
        return ECommandRoute::Absorb;
    }
}
