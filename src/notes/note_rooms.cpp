#include "notes/note_rooms.h"

#include "notes/search.h"

void CNoteRooms::StoreEditNote() {
    SetDayNote(SDay{m_strCurDay, m_view.GetNotesText()}, m_arrDays, m_bAscending);
    m_view.MarkNotedDays();
}

void CNoteRooms::CommitNoteArea(int room) {
    if (room == kRoomDynamic) {
        StoreEditNote();
    } else if (room == kRoomStatic) {
        m_strEveryDay = m_view.GetNotesText();
    }
}

void CNoteRooms::OnSelChangeCalendar(int room) {
    if (room != kRoomDynamic) {
        return;
    }
    StoreEditNote();
    const std::string key = m_view.GetSelDayKey();
    m_view.SetNotesText(GetDayNote(key, m_arrDays), ECaret::End);
    m_strCurDay = key;
}

void CNoteRooms::SwitchRoom(int room) {
    m_view.LayoutRoom(room);
    const bool known = room == kRoomDynamic || room == kRoomStatic || room == kRoomSearch;
    if (known && room != m_nShownRoom) {
        const int leaving = m_nShownRoom;
        if (room != kRoomSearch) {
            m_view.ShowSearchBox(false, false);
        } else {
            m_view.ShowSearchBox(true, true);
        }
        // Leaving a room commits its text; leaving the Search room drops the edited results.
        if (leaving == kRoomDynamic && room != kRoomDynamic) {
            StoreEditNote();
        } else if (leaving == kRoomStatic && room != kRoomStatic) {
            m_strEveryDay = m_view.GetNotesText();
        }
        if (room == kRoomDynamic) {
            m_view.SetNotesText(GetDayNote(m_view.GetSelDayKey(), m_arrDays), ECaret::End);
        } else if (room == kRoomStatic) {
            m_view.SetNotesText(m_strEveryDay, ECaret::Start);
        } else {
            m_view.SetNotesText(SearchNotes(m_view.GetSearchText(), m_arrDays, m_nDateOrder),
                                ECaret::Keep);
        }
    }
    m_view.RedrawWindow();
    m_nShownRoom = room;
}

void CNoteRooms::RestoreRoom(int& room) {
    if (room == kRoomStatic) {
        SwitchRoom(kRoomStatic);
    } else if (room == kRoomDynamic || room == kRoomSearch) {
        room = kRoomDynamic;
        SwitchRoom(kRoomDynamic);
    }
    m_view.RedrawWindow();
}

void CNoteRooms::OnChangeSearch() {
    m_view.SetNotesText(SearchNotes(m_view.GetSearchText(), m_arrDays, m_nDateOrder), ECaret::Keep);
}

void CNoteRooms::ReplaceNotes(DayArray days, std::string everyDay, int room) {
    m_arrDays = std::move(days);
    m_strEveryDay = std::move(everyDay);
    m_view.MarkNotedDays();
    std::string shown;
    if (room == kRoomDynamic) {
        shown = GetDayNote(m_view.GetSelDayKey(), m_arrDays);
    } else if (room == kRoomStatic) {
        shown = m_strEveryDay;
    }
    m_view.SetNotesText(shown, ECaret::End);
}
