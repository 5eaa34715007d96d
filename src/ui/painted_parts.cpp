// The painted parts of the main window with their names, roles and places.
#include "ui/painted_parts.h"

const char* RoomTabName(int room) {
    static const char* const kNames[3] = {"Dynamic room (Selected day)", "Static room (Every day)",
                                          "Search notes"};
    return IsKnownRoom(room) ? kNames[room] : "";
}

std::vector<SPaintedPart> PaintedParts(const SLayout& layout, int room, const std::string& clock) {
    std::vector<SPaintedPart> parts;
    parts.push_back({"Menu", EPartRole::Button, layout.rcMenuButton, false, EKeyRoute::MainMenu});
    for (int tab = kRoomDynamic; tab <= kRoomSearch; ++tab) {
        parts.push_back({RoomTabName(tab), EPartRole::PageTab, RoomTabRect(layout, tab),
                         tab == room, RoomRoute(tab)});
    }
    const SRect& title = layout.rcTitle;
    parts.push_back({clock, EPartRole::Text,
                     SRect{layout.rcMenuButton.right, 0, title.right, title.bottom}, false,
                     EKeyRoute::None});
    return parts;
}

int PaintedPartAt(const std::vector<SPaintedPart>& parts, SPoint point) {
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].rect.Contains(point)) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}
