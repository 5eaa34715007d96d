// The notes edit, the search box and the calendar as the room rules see them.
#include "app/quillet_dlg_win.h"

std::string CQuilletDlg::GetNotesText() const {
    return m_editNotes.GetWindowText();
}

void CQuilletDlg::SetNotesText(const std::string& text, ECaret caret) {
    m_editNotes.SetWindowText(text);
    if (caret == ECaret::Keep) {
        return;
    }
    const int at = caret == ECaret::End ? static_cast<int>(text.size()) : 0;
    m_editNotes.SetSel(at, at);
    m_editNotes.ScrollCaret();
}

std::string CQuilletDlg::GetSearchText() const {
    return m_editSearch.GetWindowText();
}

void CQuilletDlg::LayoutRoom(int room) {
    if (room == kRoomDynamic) {
        m_calendar.ShowWindow(SW_SHOW);
        m_editNotes.MoveWindow(m_rcNotesHome, true);
    } else if (room == kRoomStatic) {
        m_calendar.ShowWindow(SW_HIDE);
        m_editNotes.MoveWindow(m_rcNotesStatic, true);
    } else if (room == kRoomSearch) {
        m_calendar.ShowWindow(SW_HIDE);
        m_editNotes.MoveWindow(m_rcNotesSearch, true);
    } else {
        m_editSearch.ShowWindow(SW_HIDE);
        m_calendar.ShowWindow(SW_SHOW);
        m_editNotes.MoveWindow(m_rcNotesHome, true);
    }
}

void CQuilletDlg::ShowSearchBox(bool show, bool focus) {
    m_editSearch.ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (focus) {
        m_editSearch.SetFocus();
    }
}

void CQuilletDlg::RedrawWindow() {
    RedrawNow();
}
