#include "notes/note_area_win.h"

#include "base/ids.h"
#include "notes/calendar_win.h"
#include "win/convert_win.h"

void CNoteArea::Attach(HWND dialog, const SLayout& layout) {
    m_dialog = dialog;
    m_layout = &layout;
    m_editNotes.Attach(::GetDlgItem(dialog, IDC_NOTES));
    m_editSearch.Attach(::GetDlgItem(dialog, IDC_SEARCH));
}

SRect CNoteArea::NotesHomeRect() const {
    RECT rect = ToRECT(m_editNotes.GetWindowRect());
    ::MapWindowPoints(nullptr, m_dialog, reinterpret_cast<POINT*>(&rect), 2);
    return ToSRect(rect);
}

void CNoteArea::PlaceSearchBox() {
    m_editSearch.MoveWindow(m_layout->rcSearchBox, true);
}

void CNoteArea::SetFont(const SLogFont& font) {
    CFontHandle built = CreateStoredFont(font);
    m_editNotes.SetFont(built.Get(), true);
    m_editSearch.SetFont(built.Get(), true);
    m_fontNotes = std::move(built);
}

void CNoteArea::MarkNotedDays() {
    ::MarkNotedDays(m_calendar, m_rooms.m_arrDays);
}

std::string CNoteArea::GetNotesText() const {
    return m_editNotes.GetWindowText();
}

void CNoteArea::SetNotesText(const std::string& text, ECaret caret) {
    m_editNotes.SetWindowText(text);
    if (caret == ECaret::Keep) {
        return;
    }
    const int at = caret == ECaret::End ? static_cast<int>(text.size()) : 0;
    m_editNotes.SetSel(at, at);
    m_editNotes.ScrollCaret();
}

std::string CNoteArea::GetSearchText() const {
    return m_editSearch.GetWindowText();
}

void CNoteArea::LayoutRoom(int room) {
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
