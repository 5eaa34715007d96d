#include "base/layout.h"

namespace {

constexpr int kTabWidth = 60;
constexpr int kTabHeight = 15;
constexpr int kTabGap = 2;
constexpr int kSearchBoxHeight = 22;

SRect Tab(const SRect& home, int index) {
    const int left = home.left + index * (kTabWidth + kTabGap);
    return SRect{left, home.bottom, left + kTabWidth, home.bottom + kTabHeight};
}

} // namespace

SLayout ComputeLayout(const SRect& client, const SRect& notesHome) {
    SLayout l;
    const int staticTop = SLayout::kTitleHeight + 6;
    const int searchTop = staticTop + 30;
    l.rcClient = client;
    l.rcTitle = SRect{0, 0, client.right, SLayout::kTitleHeight};
    l.rcMenuButton = SRect{0, 0, 17, SLayout::kTitleHeight + 1};
    l.rcNotesHome = notesHome;
    l.rcNotesStatic = SRect{notesHome.left, staticTop, notesHome.right, notesHome.bottom};
    l.rcNotesSearch = SRect{notesHome.left, searchTop, notesHome.right, notesHome.bottom};
    l.rcSearchBox = SRect{notesHome.left, staticTop, notesHome.left + notesHome.Width(),
                          staticTop + kSearchBoxHeight};
    l.rcTabDynamic = Tab(notesHome, 0);
    l.rcTabStatic = Tab(notesHome, 1);
    l.rcTabSearch = Tab(notesHome, 2);
    return l;
}

const SRect& RoomNotesRect(const SLayout& layout, int room) {
    switch (room) {
    case kRoomStatic:
        return layout.rcNotesStatic;
    case kRoomSearch:
        return layout.rcNotesSearch;
    default:
        return layout.rcNotesHome;
    }
}

const SRect& RoomTabRect(const SLayout& layout, int room) {
    switch (room) {
    case kRoomStatic:
        return layout.rcTabStatic;
    case kRoomSearch:
        return layout.rcTabSearch;
    default:
        return layout.rcTabDynamic;
    }
}

int RoomTabAt(const SLayout& layout, SPoint point, int chosenRoom) {
    for (int room = kRoomDynamic; room <= kRoomSearch; ++room) {
        if (RoomTabRect(layout, room).Contains(point) && room != chosenRoom) {
            return room;
        }
    }
    return -1;
}

int CalcTitleTextTop(int fontHeight, int titleHeight) {
    return -fontHeight < titleHeight ? (titleHeight + fontHeight) / 3 : 0;
}
