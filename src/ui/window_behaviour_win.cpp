// The borderless window's own behaviour: room tabs, dragging, Full/Compact by double click.
#include "app/quillet_dlg_win.h"

#include "ui/commands.h"

namespace {

bool Contains(const SRect& rect, POINT p) {
    return rect.Contains(SPoint{p.x, p.y});
}

} // namespace

bool CQuilletDlg::OnLButtonDown(UINT flags, POINT point) {
    (void)flags;
    if (Contains(m_rcMenuButton, point)) {
        // The menu opens just below the button; a press on the button never starts a drag.
        POINT corner{0, m_rcMenuButton.bottom};
        ::ClientToScreen(m_hWnd, &corner);
        RefreshTimeMenu();
        ShowPopupMenu(corner);
        return true;
    }
    if (Contains(m_rcTabDynamic, point) && m_settings.nRoom != kRoomDynamic) {
        m_settings.nRoom = kRoomDynamic;
        SwitchRoom(kRoomDynamic);
    } else if (Contains(m_rcTabStatic, point) && m_settings.nRoom != kRoomStatic) {
        m_settings.nRoom = kRoomStatic;
        SwitchRoom(kRoomStatic);
    } else if (Contains(m_rcTabSearch, point) && m_settings.nRoom != kRoomSearch) {
        m_settings.nRoom = kRoomSearch;
        SwitchRoom(kRoomSearch);
    }
    m_ptDragAnchor = point;
    m_bDragging = true;
    ::SetCapture(m_hWnd);
    return false;
}

bool CQuilletDlg::OnMouseMove(UINT flags, POINT point) {
    (void)flags;
    (void)point;
    if (m_bDragging && !m_settings.bLockMoving) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::MoveWindow(m_hWnd, cursor.x - m_ptDragAnchor.x, cursor.y - m_ptDragAnchor.y,
                     m_rcClient.Width(), m_rcClient.Height(), TRUE);
    }
    return false;
}

bool CQuilletDlg::OnLButtonUp(UINT flags, POINT point) {
    (void)flags;
    (void)point;
    m_bDragging = false;
    ::ReleaseCapture();
    return false;
}

bool CQuilletDlg::OnLButtonDblClk(UINT flags, POINT point) {
    (void)flags;
    if (Contains(m_rcTitle, point)) {
        SendMessage(WM_COMMAND, ID_FULL_COMPACT, 0);
    }
    return false;
}
