// The key table: which keys, with which modifiers and where, the main window takes.
#include "ui/keys.h"

#include "base/layout.h"

#include <initializer_list>

namespace {

// Virtual-key codes, as the system defines them.
constexpr unsigned kVkTab = 0x09;
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkApps = 0x5D;
constexpr unsigned kVkF10 = 0x79;

constexpr unsigned kDown = kKeyDown | kSysKeyDown;
constexpr unsigned kUp = kKeyUp | kSysKeyUp;

using H = EHeld;
using R = EKeyRoute;
using P = EKeyPlace;

// The context-menu key acts when it is released, as the system's own menus do, Shift+F10 when it
// is pressed; the other half is taken too, or it would open a box's own menu. AltGr is Ctrl+Alt:
// with Alt down a Ctrl key types a letter (Polish "s" with an accent).
const SKeyRow kKeys[] = {
    {kVkApps, kUp, H::Any, H::Any, H::Any, P::Anywhere, R::MainMenu, nullptr},
    {kVkApps, kDown, H::Any, H::Any, H::Any, P::Anywhere, R::Swallow, nullptr},
    {kVkF10, kDown, H::Up, H::Down, H::Any, P::Anywhere, R::MainMenu, "Shift+F10"},
    {kVkF10, kUp, H::Up, H::Down, H::Any, P::Anywhere, R::Swallow, nullptr},
    {kVkReturn, kKeyDown, H::Any, H::Any, H::Any, P::InResults, R::OpenResult, nullptr},
    {kVkEscape, kKeyDown, H::Any, H::Any, H::Any, P::Anywhere, R::Swallow, nullptr},
    // Folded, Tab would move the keys into a box nobody sees.
    {kVkTab, kKeyDown, H::Any, H::Any, H::Any, P::Folded, R::Swallow, nullptr},
    {'S', kKeyDown, H::Down, H::Any, H::Up, P::Anywhere, R::SaveAll, "Ctrl+S"},
    {'1', kKeyDown, H::Down, H::Up, H::Up, P::Anywhere, R::RoomDay, "Ctrl+1"},
    {'2', kKeyDown, H::Down, H::Up, H::Up, P::Anywhere, R::RoomEveryDay, "Ctrl+2"},
    {'3', kKeyDown, H::Down, H::Up, H::Up, P::Anywhere, R::RoomSearch, "Ctrl+3"},
    {'F', kKeyDown, H::Down, H::Up, H::Up, P::Anywhere, R::FindInNotes, "Ctrl+F"},
};

bool Holds(EHeld wanted, bool down) {
    return wanted == EHeld::Any || (wanted == EHeld::Down) == down;
}

} // namespace

SKeyTable KeyTable() {
    return SKeyTable{kKeys, sizeof kKeys / sizeof kKeys[0]};
}

bool KeyRowHolds(const SKeyRow& row, const SKeyPress& press) {
    return row.key == press.key && (row.messages & press.message) != 0 &&
           Holds(row.ctrl, press.ctrl) && Holds(row.shift, press.shift) &&
           Holds(row.alt, press.alt) &&
           (row.place == EKeyPlace::Anywhere ||
            (row.place == EKeyPlace::InResults ? press.inResults : press.folded));
}

EKeyRoute RouteKey(const SKeyPress& press) {
    for (const SKeyRow& row : KeyTable()) {
        if (KeyRowHolds(row, press)) {
            return row.route;
        }
    }
    return EKeyRoute::None;
}

const char* ShortcutOf(EKeyRoute route) {
    for (const SKeyRow& row : KeyTable()) {
        if (row.route == route && row.shortcut != nullptr) {
            return row.shortcut;
        }
    }
    return nullptr;
}

EKeyRoute RoomRoute(int room) {
    for (EKeyRoute route : {EKeyRoute::RoomDay, EKeyRoute::RoomEveryDay, EKeyRoute::RoomSearch}) {
        if (RoomOf(route) == room) {
            return route;
        }
    }
    return EKeyRoute::None;
}

int RoomOf(EKeyRoute route) {
    switch (route) {
    case EKeyRoute::RoomDay:
        return kRoomDynamic;
    case EKeyRoute::RoomEveryDay:
        return kRoomStatic;
    case EKeyRoute::RoomSearch:
    case EKeyRoute::FindInNotes:
        return kRoomSearch;
    default:
        return -1;
    }
}
