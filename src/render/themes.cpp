// The colour themes, the high-contrast theme, the title gradients and the window's shapes.
#include "render/themes.h"

#include "base/layout.h"

namespace {

const STheme kThemes[kThemeCount] = {
    {"Blue", MakeColor(200, 220, 250), MakeColor(100, 120, 190), MakeColor(50, 50, 100)},
    {"Green", MakeColor(200, 240, 210), MakeColor(100, 150, 120), MakeColor(35, 70, 50)},
    {"Red", MakeColor(250, 200, 200), MakeColor(170, 100, 100), MakeColor(100, 50, 50)},
    {"Yellow", MakeColor(240, 240, 150), MakeColor(170, 160, 60), MakeColor(60, 50, 0)},
    {"Gray", MakeColor(220, 220, 220), MakeColor(120, 120, 120), MakeColor(50, 50, 50)},
    {"Light Green", MakeColor(220, 250, 190), MakeColor(130, 160, 90), MakeColor(50, 70, 35)},
    {"Lilac", MakeColor(240, 200, 240), MakeColor(160, 110, 160), MakeColor(50, 20, 50)},
    {"Beige", MakeColor(240, 220, 160), MakeColor(180, 140, 50), MakeColor(90, 50, 0)},
};

} // namespace

const STheme& ThemeFor(int color) {
    return color >= 0 && color < kThemeCount ? kThemes[color] : kThemes[0];
}

STheme HighContrastTheme(QColor window, QColor windowText, QColor highlight) {
    return STheme{"High contrast", window, highlight, windowText};
}

bool GradientFor(int gradient, const STheme& theme, SGradient& out) {
    if (gradient < 0 || gradient > 3) {
        return false;
    }
    const bool backFirst = gradient % 2 == 0;
    out.vertical = gradient < 2;
    out.first = backFirst ? theme.crBack : theme.crFrame;
    out.second = backFirst ? theme.crFrame : theme.crBack;
    return true;
}

SWindowRegion RegionFor(int shape, int fullView, int width, int height, int radius, int dpi) {
    const bool roundShape = shape == 1 || shape == 2;
    if (fullView == 0) {
        const int strip = ScaleToDpi(24, dpi);
        return roundShape ? SWindowRegion{true, SRect{0, 0, width + 1, strip + 1}}
                          : SWindowRegion{false, SRect{0, 0, width, strip}};
    }
    if (shape == 1) {
        // The lower corners lie below the window, so only the top ones show rounded.
        return SWindowRegion{true, SRect{0, 0, width + 1, height + ScaleToDpi(radius, dpi)}};
    }
    if (shape == 2) {
        return SWindowRegion{true, SRect{0, 0, width + 1, height + 1}};
    }
    return SWindowRegion{false, SRect{0, 0, width, height}};
}
