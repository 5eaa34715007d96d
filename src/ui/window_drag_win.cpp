// Moving and sizing the captionless, frameless window with the mouse.
#include "ui/window_drag_win.h"

#include <algorithm>

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

bool CWindowSizing::Begin(HWND window, UINT hitTest, POINT press, SIZE least) {
    if (hitTest != HTRIGHT && hitTest != HTBOTTOM && hitTest != HTBOTTOMRIGHT) {
        return false;
    }
    RECT rect{};
    ::GetWindowRect(window, &rect);
    m_start = press;
    m_startSize = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    m_least = least;
    m_hitTest = hitTest;
    ::SetCapture(window);
    return true;
}

void CWindowSizing::Move(HWND window, POINT cursor) const {
    // Capture taken by another window ends what the release would have ended.
    if (!Active() || ::GetCapture() != window) {
        return;
    }
    SIZE size = m_startSize;
    if (m_hitTest != HTBOTTOM) {
        size.cx = std::max(m_least.cx, m_startSize.cx + cursor.x - m_start.x);
    }
    if (m_hitTest != HTRIGHT) {
        size.cy = std::max(m_least.cy, m_startSize.cy + cursor.y - m_start.y);
    }
    ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowSizing::End() {
    m_hitTest = 0;
    ::ReleaseCapture();
}
