#pragma once

#include "base/layout.h"
#include "notes/day_notes.h"

#include <string>

// Where the caret goes when the notes edit gets a new text.
enum class ECaret { End, Start, Keep };

// What the room rules need from the window: the notes edit, the search box, the calendar.
class INoteAreaView {
public:
    virtual ~INoteAreaView() = default;
    virtual std::string GetNotesText() const = 0;
    // Sets the notes edit's text, places the caret and scrolls it into view.
    virtual void SetNotesText(const std::string& text, ECaret caret) = 0;
    virtual std::string GetSearchText() const = 0;
    // Shows or hides the calendar and moves the notes edit to the room's place; rooms outside
    // 0-2 also hide the search box.
    virtual void LayoutRoom(int room) = 0;
    virtual void ShowSearchBox(bool show, bool focus) = 0;
    // Date key of the day selected in the calendar.
    virtual std::string GetSelDayKey() const = 0;
    virtual void MarkNotedDays() = 0;
    virtual void RedrawWindow() = 0;
};

// The notes in memory and the rules that move text between the notes edit and the store. The
// edit box is the working copy of the shown room; it is committed on a day change, a room
// change, a full save and exit.
class CNoteRooms {
public:
    explicit CNoteRooms(INoteAreaView& view) : m_view(view) {}

    void StoreEditNote();
    void CommitNoteArea(int room);
    // A selection change of the calendar; ignored outside the Dynamic room.
    void OnSelChangeCalendar(int room);
    void SwitchRoom(int room);
    // Opens the stored room at start-up; a stored Search room opens as the Dynamic room.
    void RestoreRoom(int& room);
    void OnChangeSearch();
    // An import: the notes are replaced without committing the edit box, the marks follow, and
    // the box shows the shown room's new text with the caret at its end.
    void ReplaceNotes(DayArray days, std::string everyDay, int room);

    DayArray m_arrDays;
    std::string m_strEveryDay;
    std::string m_strCurDay;
    int m_nShownRoom = -1;
    bool m_bAscending = true;
    int m_nDateOrder = 0;

private:
    INoteAreaView& m_view;
};
