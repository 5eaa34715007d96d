#include "ui/window_drag_win.h"

void CWindowDrag::Begin(HWND window, POINT anchor) {
    m_ptDragAnchor = anchor;
    m_bDragging = true;
    ::SetCapture(window);
}

void CWindowDrag::Move(HWND window, bool locked, SIZE size) const {
    if (!m_bDragging || locked) {
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::MoveWindow(window, cursor.x - m_ptDragAnchor.x, cursor.y - m_ptDragAnchor.y, size.cx, size.cy,
                 TRUE);
}

void CWindowDrag::End() {
    m_bDragging = false;
    ::ReleaseCapture();
}
