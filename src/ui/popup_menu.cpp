// The menu tables: every entry of the popup menu, and its radio groups.
#include "ui/popup_menu.h"

#include "ui/commands.h"

namespace {

using K = SMenuEntry::EKind;

constexpr SMenuEntry Cmd(const char* text, unsigned id) {
    return SMenuEntry{K::Command, text, id, EMenu::Main};
}
constexpr SMenuEntry Sep() {
    return SMenuEntry{K::Separator, nullptr, 0, EMenu::Main};
}
constexpr SMenuEntry Sub(const char* text, EMenu menu) {
    return SMenuEntry{K::Submenu, text, 0, menu};
}
constexpr SMenuEntry Time(unsigned format) {
    return SMenuEntry{K::TimeFormat, nullptr, ID_TIME_FIRST + format, EMenu::Main};
}
constexpr SMenuEntry Theme(unsigned index) {
    return SMenuEntry{K::Theme, nullptr, ID_COLOR_FIRST + index, EMenu::Main};
}

const SMenuEntry kMain[] = {
    {K::FullCompact, nullptr, ID_FULL_COMPACT, EMenu::Main},
    Sep(),
    Cmd("Save All   Ctrl+S", ID_SAVE_ALL),
    Sub("Backup", EMenu::Backup),
    Sep(),
    Sub("Flags", EMenu::Flags),
    Sub("Color", EMenu::Color),
    Sub("Time", EMenu::Time),
    Sub("Title", EMenu::Title),
    Sub("Style", EMenu::Style),
    Sub("Font", EMenu::Font),
    Sep(),
    Sub("Help", EMenu::Help),
    Sep(),
    Cmd("Exit", ID_EXIT),
};

const SMenuEntry kBackup[] = {Cmd("Save Data...", ID_SAVE_DATA), Cmd("Load Data...", ID_LOAD_DATA)};

const SMenuEntry kFlags[] = {
    Cmd("Lock moving", ID_LOCK_MOVING),
    Cmd("Always top", ID_ALWAYS_TOP),
    Cmd("Monday first", ID_MONDAY_FIRST),
    Cmd("Week numbers", ID_WEEK_NUMBERS),
};

const SMenuEntry kColor[] = {
    Cmd("Random", ID_COLOR_RANDOM),
    Sep(),
    Theme(0),
    Theme(1),
    Theme(2),
    Theme(3),
    Theme(4),
    Theme(5),
    Theme(6),
    Theme(7),
};

const SMenuEntry kTime[] = {
    Time(0),
    Time(1),
    Time(2),
    Time(3),
    Time(4),
    Time(5),
    Time(6),
    Time(7),
    Time(8),
    Sep(),
    Cmd("Custom...", ID_TIME_CUSTOM),
};

const SMenuEntry kTitle[] = {
    Cmd("Gradient A", ID_GRADIENT_FIRST),
    Cmd("Gradient B", ID_GRADIENT_FIRST + 1),
};

const SMenuEntry kStyle[] = {
    Cmd("Rectangle", ID_SHAPE_FIRST),
    Cmd("Rounding top", ID_SHAPE_FIRST + 1),
    Cmd("Rounding all", ID_SHAPE_FIRST + 2),
};

const SMenuEntry kFont[] = {
    Cmd("Title...", ID_FONT_TITLE),
    Cmd("Notes...", ID_FONT_NOTES),
    Cmd("Calendar...", ID_FONT_CALENDAR),
};

const SMenuEntry kHelp[] = {
    Cmd("Help Topics             F1", ID_HELP_TOPICS),
    Cmd("Latest Version", ID_HOME_PAGE),
    Cmd("Home Page", ID_HOME_PAGE),
    Cmd("Contact Form", ID_CONTACT),
    Sep(),
    Cmd("About...", ID_ABOUT),
};

const SRadioGroup kRadioGroups[] = {
    {EMenu::Color, ID_COLOR_FIRST, ID_COLOR_LAST},
    {EMenu::Style, ID_SHAPE_FIRST, ID_SHAPE_MARK_LAST},
    {EMenu::Time, ID_TIME_FIRST, ID_TIME_CUSTOM},
    {EMenu::Title, ID_GRADIENT_FIRST, ID_GRADIENT_MARK_LAST},
};

template <size_t N> SMenuTable Table(const SMenuEntry (&entries)[N]) {
    return SMenuTable{entries, N};
}

} // namespace

const EMenu kMenuBuildOrder[static_cast<size_t>(EMenu::Count)] = {
    EMenu::Help,  EMenu::Font, EMenu::Backup, EMenu::Flags, EMenu::Color,
    EMenu::Style, EMenu::Time, EMenu::Title,  EMenu::Main,
};

SMenuTable MenuTable(EMenu menu) {
    switch (menu) {
    case EMenu::Main:
        return Table(kMain);
    case EMenu::Backup:
        return Table(kBackup);
    case EMenu::Flags:
        return Table(kFlags);
    case EMenu::Color:
        return Table(kColor);
    case EMenu::Time:
        return Table(kTime);
    case EMenu::Title:
        return Table(kTitle);
    case EMenu::Style:
        return Table(kStyle);
    case EMenu::Font:
        return Table(kFont);
    case EMenu::Help:
        return Table(kHelp);
    default:
        return SMenuTable{nullptr, 0};
    }
}

const SRadioGroup* RadioGroupOf(EMenu menu) {
    for (const SRadioGroup& group : kRadioGroups) {
        if (group.menu == menu) {
            return &group;
        }
    }
    return nullptr;
}
