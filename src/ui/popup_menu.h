// The popup menu tree as data, walked by the window to build the real menus.
#pragma once

#include <cstddef>

// The popup menu tree as data: one table per menu, walked by the window to build real menus.
enum class EMenu { Main, Backup, Flags, Color, Time, Title, Style, Font, Help, Count };

struct SMenuEntry {
    enum class EKind {
        Command, // text and command id
        Separator,
        Submenu,     // text and the submenu
        Theme,       // the name of colour theme `id - 320`
        TimeFormat,  // the current time in clock format `id - 340`
        FullCompact, // "Compact" while Full, "Full" while Compact
    };
    EKind kind;
    const char* text;
    unsigned id;
    EMenu submenu;

    // Entries whose text the owner of the menu supplies.
    bool HasOwnerText() const {
        return kind == EKind::Theme || kind == EKind::TimeFormat || kind == EKind::FullCompact;
    }
};

struct SMenuTable {
    const SMenuEntry* entries;
    size_t count;
};

SMenuTable MenuTable(EMenu menu);

// The order in which the menus are created; the main menu comes last, after its submenus.
extern const EMenu kMenuBuildOrder[static_cast<size_t>(EMenu::Count)];

// A group of items of which one carries a radio mark: the item first + the stored index, when it
// lies in first..last.
struct SRadioGroup {
    EMenu menu;
    unsigned first;
    unsigned last;
};

// The radio group of a menu; nullptr for menus without one.
const SRadioGroup* RadioGroupOf(EMenu menu);
