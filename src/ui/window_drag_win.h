#pragma once

#include <windows.h>

// Dragging a window that has no caption: a left press starts it, every mouse move places the
// window under the cursor, the release ends it.
class CWindowDrag {
public:
    // Captures the mouse for the window; the anchor is the client point of the press.
    void Begin(HWND window, POINT anchor);
    // Moves the window unless the drag is locked; the press still captured the mouse.
    void Move(HWND window, bool locked, SIZE size) const;
    void End();

private:
    bool m_bDragging = false;
    POINT m_ptDragAnchor{};
};
