#pragma once

#include "base/geometry.h"

// The three rooms of the note area.
enum ENoteRoom { kRoomDynamic = 0, kRoomStatic = 1, kRoomSearch = 2 };

inline bool IsKnownRoom(int room) {
    return room >= kRoomDynamic && room <= kRoomSearch;
}

// Pixel layout of the main window, derived from the client rectangle and the place the dialog
// template gives the notes edit.
struct SLayout {
    static constexpr int kTitleHeight = 23;

    SRect rcClient;
    SRect rcTitle;
    SRect rcMenuButton;
    SRect rcNotesHome;
    SRect rcNotesStatic;
    SRect rcNotesSearch;
    SRect rcSearchBox;
    SRect rcTabDynamic;
    SRect rcTabStatic;
    SRect rcTabSearch;
};

SLayout ComputeLayout(const SRect& client, const SRect& notesHome);

// Where the notes edit stands in a room; a room outside 0-2 keeps the home place.
const SRect& RoomNotesRect(const SLayout& layout, int room);
// The tab of a room 0-2.
const SRect& RoomTabRect(const SLayout& layout, int room);
// The tab under a point, tested in room order, unless it is the room already chosen; -1 if none.
int RoomTabAt(const SLayout& layout, SPoint point, int chosenRoom);

// Top of the header text box for a title font height (negative: character height).
int CalcTitleTextTop(int fontHeight, int titleHeight);
