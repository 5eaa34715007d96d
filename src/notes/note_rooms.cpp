// The room rules: what the notes box shows, and when its text goes back into the notes.
#include "notes/note_rooms.h"

#include "base/stored_text.h"
#include "notes/search.h"

#include <algorithm>
#include <iterator>

void CNoteRooms::FillNote(const std::string& text, ECaret caret, int room, const std::string& day) {
    m_view.SetNotesText(text, caret);
    // Read back, not the text given: the box may not hold it exactly.
    RememberFilled(m_view.GetNotesText(), room, day);
}

void CNoteRooms::RememberFilled(std::string text, int room, const std::string& day) {
    m_strFilled = std::move(text);
    m_nFilledRoom = room;
    if (room == kRoomDynamic) {
        m_strCurDay = day;
    }
}

void CNoteRooms::ShowSearch() {
    m_bSearchDue = false;
    m_nFilledRoom = kRoomSearch;
    m_view.ShowSearchResults(
        SearchNotes(m_view.GetSearchText(), m_notes.days, m_nDateOrder, &m_results));
}

std::string CNoteRooms::ResultDayAt(size_t offset) const {
    if (m_nFilledRoom != kRoomSearch || m_results.empty() || offset < m_results.front().offset) {
        return std::string();
    }
    const auto after =
        std::upper_bound(m_results.begin(), m_results.end(), offset,
                         [](size_t at, const SResultEntry& entry) { return at < entry.offset; });
    return std::prev(after)->key;
}

bool CNoteRooms::EditedText(int room, std::string& text) const {
    if (room != m_nFilledRoom) {
        return false;
    }
    text = m_view.GetNotesText();
    return text != m_strFilled;
}

void CNoteRooms::StoreEditNote() {
    std::string text;
    if (EditedText(kRoomDynamic, text)) {
        SetDayNote(SDay{m_strCurDay, text}, m_notes.days, m_bAscending);
        m_strFilled = std::move(text);
    }
    m_view.MarkNotedDays();
}

void CNoteRooms::CommitNoteArea(int room) {
    if (room == kRoomDynamic) {
        StoreEditNote();
    } else if (room == kRoomStatic) {
        CommitEveryDay();
    }
}

void CNoteRooms::CommitEveryDay() {
    std::string text;
    if (EditedText(kRoomStatic, text)) {
        m_notes.everyDay = text;
        m_strFilled = std::move(text);
    }
}

void CNoteRooms::OnSelChangeCalendar(int room) {
    if (room != kRoomDynamic) {
        return;
    }
    StoreEditNote();
    const std::string key = m_view.GetSelDayKey();
    FillNote(GetDayNote(key, m_notes.days), ECaret::End, kRoomDynamic, key);
}

void CNoteRooms::SwitchRoom(int room) {
    m_view.LayoutRoom(room);
    if (IsKnownRoom(room) && room != m_nShownRoom) {
        const int leaving = m_nShownRoom;
        m_view.ShowSearchBox(room == kRoomSearch, room == kRoomSearch);
        // Leaving a room commits its text; leaving the Search room drops the edited results.
        if (leaving == kRoomDynamic) {
            StoreEditNote();
        } else if (leaving == kRoomStatic) {
            CommitEveryDay();
        }
        if (room == kRoomDynamic) {
            const std::string key = m_view.GetSelDayKey();
            FillNote(GetDayNote(key, m_notes.days), ECaret::End, kRoomDynamic, key);
        } else if (room == kRoomStatic) {
            FillNote(m_notes.everyDay, ECaret::Start, kRoomStatic, std::string());
        } else {
            ShowSearch();
        }
    }
    m_view.RedrawWindow();
    m_nShownRoom = room;
}

int CNoteRooms::RestoreRoom(int room) {
    if (room == kRoomStatic) {
        SwitchRoom(kRoomStatic);
    } else if (room == kRoomDynamic || room == kRoomSearch) {
        room = kRoomDynamic;
        SwitchRoom(kRoomDynamic);
    }
    m_view.RedrawWindow();
    return room;
}

void CNoteRooms::OnChangeSearch() {
    // The box shows only in the Search room; results never replace a note being edited.
    if (m_nShownRoom == kRoomSearch) {
        m_bSearchDue = true;
    }
}

void CNoteRooms::RunDueSearch() {
    if (m_bSearchDue) {
        ShowSearch();
    }
}

void CNoteRooms::ReplaceNotes(SNotebook notes, int room) {
    m_notes = std::move(notes);
    m_view.MarkNotedDays();
    if (room == kRoomSearch) {
        // The old result's entries would lead to days of the notes just replaced.
        ShowSearch();
        return;
    }
    std::string shown;
    std::string day;
    if (room == kRoomDynamic) {
        day = m_view.GetSelDayKey();
        shown = GetDayNote(day, m_notes.days);
    } else if (room == kRoomStatic) {
        shown = m_notes.everyDay;
    }
    FillNote(shown, ECaret::End, room, day);
}

void CNoteRooms::AdoptNotes(SNotebook notes) {
    m_notes = std::move(notes);
    m_view.MarkNotedDays();
    if (m_nFilledRoom == kRoomSearch) {
        m_bSearchDue = true;
        return;
    }
    if (m_nFilledRoom != kRoomDynamic && m_nFilledRoom != kRoomStatic) {
        return;
    }
    const std::string& text =
        m_nFilledRoom == kRoomDynamic ? GetDayNote(m_strCurDay, m_notes.days) : m_notes.everyDay;
    std::string shown;
    if (EditedText(m_nFilledRoom, shown) || ShownText(text) == m_strFilled) {
        return; // typed meanwhile, or nothing new for this room
    }
    FillNote(text, ECaret::Keep, m_nFilledRoom, m_strCurDay);
}
