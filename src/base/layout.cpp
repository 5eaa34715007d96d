// The main window's pixel arithmetic: DPI scaling, the window's size, the parts' places.
#include "base/layout.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kTabWidth = 60;
constexpr int kTabHeight = 15;
constexpr int kTabGap = 2;
constexpr int kSearchBoxHeight = 22;
// The band along the right and lower edges that sizes the window, and the corner's square.
constexpr int kSizingBand = 4;
constexpr int kSizeGrip = 12;

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

SRect NotesHomeBelowCalendar(const SRect& baseHome, SPoint calendarGrowth, SPoint extra) {
    return SRect{baseHome.left, baseHome.top + calendarGrowth.y,
                 baseHome.right + calendarGrowth.x + std::max(0, extra.x),
                 baseHome.bottom + calendarGrowth.y + std::max(0, extra.y)};
}

SPoint ChosenWindowSize(SPoint chosen, SPoint least, SPoint room, int dpi) {
    const auto fit = [dpi](int chosenSide, int leastSide, int roomSide) {
        int side = std::max(ScaleToDpi(chosenSide, dpi), leastSide);
        if (roomSide > 0) {
            side = std::max(std::min(side, roomSide), leastSide);
        }
        return side;
    };
    return SPoint{fit(chosen.x, least.x, room.x), fit(chosen.y, least.y, room.y)};
}

SPoint LogicalSize(SPoint pixels, int dpi) {
    const auto side = [dpi](int v) { return static_cast<int>((int64_t(v) * 96 + dpi / 2) / dpi); };
    return SPoint{side(pixels.x), side(pixels.y)};
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

ESizingEdge SizingEdgeAt(const SLayout& layout, SPoint point) {
    const SRect& client = layout.rcClient;
    if (!client.Contains(point)) {
        return ESizingEdge::None;
    }
    if (SizeGripRect(layout).Contains(point)) {
        return ESizingEdge::Corner;
    }
    const int band = ScaleToDpi(kSizingBand, layout.dpi);
    if (point.x >= client.right - band) {
        return ESizingEdge::Right;
    }
    // The tabs reach down into the band; a press on one stays a press on the tab.
    if (point.y >= client.bottom - band && RoomTabAt(layout, point, -1) < 0) {
        return ESizingEdge::Bottom;
    }
    return ESizingEdge::None;
}

SRect SizeGripRect(const SLayout& layout) {
    const SRect& client = layout.rcClient;
    const int grip = ScaleToDpi(kSizeGrip, layout.dpi);
    return SRect{client.right - grip, client.bottom - grip, client.right, client.bottom};
}

int CalcTitleTextTop(int fontHeight, int titleHeight) {
    return -fontHeight < titleHeight ? (titleHeight + fontHeight) / 3 : 0;
}
