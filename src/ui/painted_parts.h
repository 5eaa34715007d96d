// The painted parts of the main window as screen readers are told of them.
#pragma once

#include "base/layout.h"
#include "ui/keys.h"

#include <string>
#include <vector>

// What a screen reader is told of the parts of the main window that are painted, not controls.
enum class EPartRole { Button, PageTab, Text };

struct SPaintedPart {
    std::string name;
    EPartRole role;
    SRect rect; // client coordinates
    bool selected;
    EKeyRoute keys; // what a click on it does, done by keys
};

// The tooltips of the room tabs, which are also their names; a room outside 0-2 has none.
const char* RoomTabName(int room);

// The menu button, the three room tabs (the shown room's selected) and the clock, in that order.
std::vector<SPaintedPart> PaintedParts(const SLayout& layout, int room, const std::string& clock);

// The part at a client point, counted from 1 as accessible children are; 0 when none.
int PaintedPartAt(const std::vector<SPaintedPart>& parts, SPoint point);
