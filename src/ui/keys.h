// The main window's keys as a table of routes, so they can be tested without a window.
#pragma once

#include <cstddef>

// What the main window does with a key before the control that has the focus sees it.
enum class EKeyRoute {
    None,    // the control's own
    Swallow, // taken and dropped: the other half of a menu key, Escape, Tab while folded
    MainMenu,
    SaveAll,
    RoomDay,
    RoomEveryDay,
    RoomSearch,
    FindInNotes, // the Search room, its box focused with its text selected
    OpenResult,
};

// The window messages a key comes in, as bits a row may hold several of.
enum EKeyMessage : unsigned {
    kKeyDown = 1,
    kSysKeyDown = 2,
    kKeyUp = 4,
    kSysKeyUp = 8,
};

// A key as the window's message loop sees it.
struct SKeyPress {
    unsigned key = 0; // virtual-key code
    EKeyMessage message = kKeyDown;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    bool inResults = false; // the notes box has the key and holds the search results
    bool folded = false;    // the window shows only the calendar
};

enum class EHeld { Any, Up, Down };
enum class EKeyPlace { Anywhere, InResults, Folded };

// One row of the table: a key, the messages and modifiers it comes with, and where.
struct SKeyRow {
    unsigned key;
    unsigned messages; // EKeyMessage bits
    EHeld ctrl;
    EHeld shift;
    EHeld alt;
    EKeyPlace place;
    EKeyRoute route;
    const char* shortcut; // as a screen reader tells it; null for a row it does not tell
};

// The rows in the order they are tried: the first that holds a key takes it.
struct SKeyTable {
    const SKeyRow* rows;
    size_t count;
    const SKeyRow* begin() const { return rows; }
    const SKeyRow* end() const { return rows + count; }
};
SKeyTable KeyTable();

bool KeyRowHolds(const SKeyRow& row, const SKeyPress& press);
EKeyRoute RouteKey(const SKeyPress& press);
// The keys that do what the route does, as "Ctrl+1"; null when none are told.
const char* ShortcutOf(EKeyRoute route);
// The room a route shows; -1 for a route that shows none.
int RoomOf(EKeyRoute route);
// The route that shows a room 0-2 and nothing else.
EKeyRoute RoomRoute(int room);
