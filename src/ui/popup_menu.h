#pragma once

#include <cstddef>

// The popup menu tree as data: one table per menu, walked by the window to build real menus.
enum class EMenu { Main, Backup, Flags, Color, Time, Title, Style, Font, Help, Count };

struct SMenuEntry {
    enum class EKind {
        Command, // text and command id
        Separator,
        Submenu,     // text and the submenu
        TimeFormat,  // the current time in clock format `id - 340`
        FullCompact, // "Compact" while Full, "Full" while Compact
    };
    EKind kind;
    const char* text;
    unsigned id;
    EMenu submenu;
};

struct SMenuTable {
    const SMenuEntry* entries;
    size_t count;
};

SMenuTable MenuTable(EMenu menu);

// The order in which the menus are created; the main menu comes last, after its submenus.
extern const EMenu kMenuBuildOrder[static_cast<size_t>(EMenu::Count)];
