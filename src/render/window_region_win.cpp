// Makes the platform's region of a window's shape and hands it to the window.
#include "render/window_region_win.h"

#include "win/handles_win.h"

void ApplyWindowRegion(HWND window, const SWindowRegion& region, int radius) {
    const SRect& r = region.rect;
    CRegionHandle handle(
        region.rounded ? ::CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, radius, radius)
                       : ::CreateRectRgn(r.left, r.top, r.right, r.bottom));
    if (::SetWindowRgn(window, handle.Get(), TRUE) != 0) {
        handle.Release();
    }
}
