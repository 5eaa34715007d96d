// The main window's layout as arithmetic: the rooms, DPI scaling, sizes and where each part goes.
#pragma once

#include "base/geometry.h"

// The three rooms of the note area.
enum ENoteRoom { kRoomDynamic = 0, kRoomStatic = 1, kRoomSearch = 2 };

inline bool IsKnownRoom(int room) {
    return room >= kRoomDynamic && room <= kRoomSearch;
}

// The one place where a measure of the 96-DPI layout becomes pixels of a window at dpi: rounded
// to the nearest pixel, a negative measure (a font's character height) like its positive.
int ScaleToDpi(int measure, int dpi);
// A rectangle of a window at one DPI as it stands at another, each edge rounded to the nearest
// pixel, halves away from zero (as the system's MulDiv rounds).
SRect RescaleRect(const SRect& rect, int fromDpi, int toDpi);
// Where the notes edit's home goes when the calendar above it grows by calendarGrowth and the
// window is extra pixels wider and taller than the least it can be: all of the extra is the
// notes'.
SRect NotesHomeBelowCalendar(const SRect& baseHome, SPoint calendarGrowth, SPoint extra = SPoint{});

// A window's size at dpi for the size the user chose, in 96-DPI pixels (zero: none chosen): never
// below least, and shrunk to the room on its monitor (zero: no limit) as far as least allows.
SPoint ChosenWindowSize(SPoint chosen, SPoint least, SPoint room, int dpi);
// A window's size at dpi in 96-DPI pixels, the unit ChosenWindowSize takes.
SPoint LogicalSize(SPoint pixels, int dpi);

// Pixel layout of the main window, derived from the client rectangle, the place the dialog
// template gives the notes edit, and the window's DPI.
struct SLayout {
    // At 96 DPI; ScaleToDpi gives the window's own.
    static constexpr int kTitleHeight = 23;

    int dpi = 96;
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

SLayout ComputeLayout(const SRect& client, const SRect& notesHome, int dpi = 96);

// Where the notes edit stands in a room; a room outside 0-2 keeps the home place.
const SRect& RoomNotesRect(const SLayout& layout, int room);
// The tab of a room 0-2.
const SRect& RoomTabRect(const SLayout& layout, int room);
// The tab under a point, tested in room order, unless it is the room already chosen; -1 if none.
int RoomTabAt(const SLayout& layout, SPoint point, int chosenRoom);

// Where a client point lies for sizing the window from its right and lower edges.
enum class ESizingEdge { None, Right, Bottom, Corner };
ESizingEdge SizingEdgeAt(const SLayout& layout, SPoint point);
// The square in the lower-right corner where the size grip is drawn and the corner is taken.
SRect SizeGripRect(const SLayout& layout);

// Top of the header text box for a title font height (negative: character height).
int CalcTitleTextTop(int fontHeight, int titleHeight);
