// Gives the main window the outline of its shape.
#pragma once

#include "render/themes.h"

#include <windows.h>

// Gives the window the region of its shape; the window owns the region from then on.
void ApplyWindowRegion(HWND window, const SWindowRegion& region, int radius);
