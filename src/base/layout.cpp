#include "base/layout.h"

#include <cstdint>

namespace {

constexpr int kTabWidth = 60;
constexpr int kTabHeight = 15;
constexpr int kTabGap = 2;
constexpr int kSearchBoxHeight = 22;

} // namespace

int ScaleToDpi(int measure, int dpi) {
    const int64_t scaled = (int64_t(measure < 0 ? -measure : measure) * dpi + 48) / 96;
    return static_cast<int>(measure < 0 ? -scaled : scaled);
}

SRect RescaleRect(const SRect& rect, int fromDpi, int toDpi) {
    const auto edge = [&](int v) {
        const int64_t product = int64_t(v) * toDpi;
        const int64_t half = fromDpi / 2;
        return static_cast<int>(product >= 0 ? (product + half) / fromDpi
                                             : (product - half) / fromDpi);
    };
    return SRect{edge(rect.left), edge(rect.top), edge(rect.right), edge(rect.bottom)};
}

SRect NotesHomeBelowCalendar(const SRect& baseHome, SPoint calendarGrowth) {
    return SRect{baseHome.left, baseHome.top + calendarGrowth.y, baseHome.right + calendarGrowth.x,
                 baseHome.bottom + calendarGrowth.y};
}

SLayout ComputeLayout(const SRect& client, const SRect& notesHome, int dpi) {
    const auto px = [dpi](int measure) { return ScaleToDpi(measure, dpi); };
    SLayout l;
    l.dpi = dpi;
    const int title = px(SLayout::kTitleHeight);
    const int staticTop = title + px(6);
    const int searchTop = staticTop + px(30);
    l.rcClient = client;
    l.rcTitle = SRect{0, 0, client.right, title};
    l.rcMenuButton = SRect{0, 0, px(17), title + px(1)};
    l.rcNotesHome = notesHome;
    l.rcNotesStatic = SRect{notesHome.left, staticTop, notesHome.right, notesHome.bottom};
    l.rcNotesSearch = SRect{notesHome.left, searchTop, notesHome.right, notesHome.bottom};
    l.rcSearchBox = SRect{notesHome.left, staticTop, notesHome.left + notesHome.Width(),
                          staticTop + px(kSearchBoxHeight)};
    const auto tab = [&](int index) {
        const int left = notesHome.left + index * px(kTabWidth + kTabGap);
        return SRect{left, notesHome.bottom, left + px(kTabWidth),
                     notesHome.bottom + px(kTabHeight)};
    };
    l.rcTabDynamic = tab(0);
    l.rcTabStatic = tab(1);
    l.rcTabSearch = tab(2);
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
