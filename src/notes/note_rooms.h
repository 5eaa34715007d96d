// The notes in memory and the rules of the three rooms between them and the notes box.
#pragma once

#include "base/layout.h"
#include "notes/day_notes.h"
#include "notes/search.h"

#include <string>

// Where the caret goes when the notes edit gets a new text; Keep leaves caret and view where
// they were.
enum class ECaret { End, Start, Keep };

// What the room rules need from the window: the notes edit, the search box, the calendar.
class INoteAreaView {
public:
    virtual ~INoteAreaView() = default;
    virtual std::string GetNotesText() const = 0;
    // Sets the notes edit's text, places the caret and scrolls it into view.
    virtual void SetNotesText(const std::string& text, ECaret caret) = 0;
    // Shows search results, whole, in place of the box's text.
    virtual void ShowSearchResults(std::string text) = 0;
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
// change, a save and exit, and only when its text differs from what was put into it, so that a
// note the box cannot hold exactly keeps its bytes while the user only browses. A text always
// goes back to the room and day it was put into the box for, whatever the calendar or the clock
// say meanwhile.
class CNoteRooms {
public:
    explicit CNoteRooms(INoteAreaView& view) : m_view(view) {}

    const SNotebook& Notes() const { return m_notes; }

    // The notes read at start-up, before any room shows.
    void SetNotes(SNotebook notes) { m_notes = std::move(notes); }

    void StoreEditNote();
    void CommitNoteArea(int room);
    void CommitEveryDay();
    // A selection change of the calendar; ignored outside the Dynamic room.
    void OnSelChangeCalendar(int room);
    void SwitchRoom(int room);
    // Opens the stored room at start-up; a stored Search room opens as the Dynamic room. The
    // room to store from now on.
    int RestoreRoom(int room);
    // A change of the search box marks the search as due; it runs when RunDueSearch is called,
    // once the input waiting has been handled, so that a burst of keys costs one search.
    void OnChangeSearch();
    bool SearchDue() const { return m_bSearchDue; }
    void RunDueSearch();
    // The day of the search result that holds the character at offset of the box; empty when the
    // box shows no results there.
    std::string ResultDayAt(size_t offset) const;
    // An import: the notes are replaced without committing the edit box, the marks follow, and
    // the box shows the shown room's new text with the caret at its end; in the Search room the
    // search runs again.
    void ReplaceNotes(SNotebook notes, int room);
    // Notes that took in changes made elsewhere, after the box was committed: the marks follow,
    // and the box takes its room's new text only where that text changed, the caret staying
    // where it was; shown search results are searched again.
    void AdoptNotes(SNotebook notes);

private:
    // Puts the note of a room (and day) into the edit box and remembers the text as the box
    // holds it.
    void FillNote(const std::string& text, ECaret caret, int room, const std::string& day);
    void RememberFilled(std::string text, int room, const std::string& day);
    void ShowSearch();
    // Reads the edit box; true when it holds the room's text and that text is not what was put
    // there. Text the box holds for another room (search results among them) is never an edit.
    bool EditedText(int room, std::string& text) const;

    INoteAreaView& m_view;
    SNotebook m_notes;
    // The day the box was filled for in the Dynamic room.
    std::string m_strCurDay;
    int m_nShownRoom = -1;
    bool m_bAscending = true;
    int m_nDateOrder = 0;
    // What the box was last given, read back, and for which room.
    int m_nFilledRoom = -1;
    std::string m_strFilled;
    bool m_bSearchDue = false;
    std::vector<SResultEntry> m_results;
};
