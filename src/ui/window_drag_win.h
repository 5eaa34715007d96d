// Moving the captionless main window by mouse, and sizing it from its right and lower edges.
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

// Sizing a window that has no frame from its right edge, its lower edge or the corner between
// them: a press there starts it, every mouse move sizes the window to the cursor, never below the
// least size, and the release ends it.
class CWindowSizing {
public:
    // hitTest: HTRIGHT, HTBOTTOM or HTBOTTOMRIGHT; false (nothing started) for any other. The
    // points are the screen points the mouse messages carry: the cursor may be further already.
    bool Begin(HWND window, UINT hitTest, POINT press, SIZE least);
    bool Active() const { return m_hitTest != 0; }
    void Move(HWND window, POINT cursor) const;
    void End();

private:
    UINT m_hitTest = 0;
    POINT m_start{};
    SIZE m_startSize{};
    SIZE m_least{};
};
