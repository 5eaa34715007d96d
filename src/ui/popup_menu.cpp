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
    Cmd("Blue", 320),
    Cmd("Green", 321),
    Cmd("Red", 322),
    Cmd("Yellow", 323),
    Cmd("Gray", 324),
    Cmd("Light Green", 325),
    Cmd("Lilac", 326),
    Cmd("Beige", 327),
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

const SMenuEntry kTitle[] = {Cmd("Gradient A", 360), Cmd("Gradient B", 361)};

const SMenuEntry kStyle[] = {
    Cmd("Rectangle", 330),
    Cmd("Rounding top", 331),
    Cmd("Rounding all", 332),
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
