#include "notes/note_area_win.h"

#include "base/ids.h"
#include "notes/calendar_win.h"
#include "win/convert_win.h"

#include <algorithm>

void CNoteArea::Attach(HWND dialog, const SLayout& layout) {
    m_dialog = dialog;
    m_layout = &layout;
    m_editNotes.Attach(::GetDlgItem(dialog, IDC_NOTES));
    m_editSearch.Attach(::GetDlgItem(dialog, IDC_SEARCH));
    m_results.SubclassDlgItem(IDC_NOTES, dialog);
    // The box's default limit stops typing at 32 KB, far below what a note may hold.
    m_editNotes.SendMessage(EM_SETLIMITTEXT, 0);
}

SRect CNoteArea::NotesHomeRect() const {
    RECT rect = ToRECT(m_editNotes.GetWindowRect());
    ::MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&rect), 2);
    return ToSRect(rect);
}

void CNoteArea::PlaceSearchBox() {
    m_editSearch.MoveWindow(m_layout->rcSearchBox, true);
}

void CNoteArea::SetFont(const SLogFont& font, int dpi) {
    CFontHandle built = CreateStoredFont(font, dpi);
    m_editNotes.SetFont(built.Get(), true);
    m_editSearch.SetFont(built.Get(), true);
    m_fontNotes = std::move(built);
}

void CNoteArea::MarkNotedDays() {
    ::MarkNotedDays(m_calendar, m_rooms.Notes().days);
}

std::string CNoteArea::GetNotesText() const {
    return m_editNotes.GetWindowText();
}

void CNoteArea::SetNotesText(const std::string& text, ECaret caret) {
    m_results.Leave();
    DWORD selStart = 0;
    DWORD selEnd = 0;
    m_editNotes.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                            reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = m_editNotes.SendMessage(EM_GETFIRSTVISIBLELINE);
    m_editNotes.SetWindowText(text);
    if (caret == ECaret::Keep) {
        // The box's own clamping keeps a selection past the new end inside the text.
        m_editNotes.SetSel(static_cast<int>(selStart), static_cast<int>(selEnd));
        m_editNotes.SendMessage(EM_LINESCROLL, 0, firstLine);
        return;
    }
    const int at = caret == ECaret::End ? static_cast<int>(text.size()) : 0;
    m_editNotes.SetSel(at, at);
    m_editNotes.ScrollCaret();
}

void CNoteArea::ShowSearchResults(std::string text) {
    m_results.Show(std::move(text));
}

std::string CNoteArea::GetSearchText() const {
    return m_editSearch.GetWindowText();
}

void CNoteArea::LayoutRoom(int room) {
    if (room != kRoomSearch) {
        m_results.Leave(); // before the box moves: the result is not laid out again for nothing
    }
    if (!IsKnownRoom(room)) {
        m_editSearch.ShowWindow(SW_HIDE);
    }
    m_calendar.ShowWindow(room == kRoomStatic || room == kRoomSearch ? SW_HIDE : SW_SHOW);
    m_editNotes.MoveWindow(RoomNotesRect(*m_layout, room), true);
}

void CNoteArea::ShowSearchBox(bool show, bool focus) {
    m_editSearch.ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (focus) {
        m_editSearch.SetFocus();
    }
}

std::string CNoteArea::GetSelDayKey() const {
    return ::GetSelDayKey(m_calendar);
}

void CNoteArea::RedrawWindow() {
    ::InvalidateRect(m_dialog, nullptr, TRUE);
    ::UpdateWindow(m_dialog);
}
