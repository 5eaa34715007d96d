// Looks as data: colours, the eight themes, title gradients and the window's region.
#pragma once

#include "base/geometry.h"

#include <cstdint>

// Colours as the platform's COLORREF: red in the low byte.
using QColor = uint32_t;

constexpr QColor MakeColor(int r, int g, int b) {
    return static_cast<QColor>(r) | (static_cast<QColor>(g) << 8) | (static_cast<QColor>(b) << 16);
}
constexpr int ColorRed(QColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int ColorGreen(QColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int ColorBlue(QColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

constexpr int kThemeCount = 8;

struct STheme {
    const char* name;
    QColor crBack;
    QColor crFrame;
    QColor crText;
};

// The theme of a colour index; an index outside the table gives "Blue".
const STheme& ThemeFor(int color);

// What the window paints with while a high-contrast scheme is on: the system's own colours, so
// that the user's scheme decides, whatever theme is stored.
STheme HighContrastTheme(QColor window, QColor windowText, QColor highlight);

// Vertex colours and direction of the title gradient; false when the index draws none.
struct SGradient {
    bool vertical;
    QColor first;
    QColor second;
};
bool GradientFor(int gradient, const STheme& theme, SGradient& out);

// The window region: a plain rectangle, or one rounded by an ellipse of radius x radius.
struct SWindowRegion {
    bool rounded;
    SRect rect;
};
// The radius and the Compact strip are 96-DPI measures, scaled to dpi.
SWindowRegion RegionFor(int shape, int fullView, int width, int height, int radius, int dpi = 96);
