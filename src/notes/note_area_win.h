// The note area of the main window: the notes box, the search box and the notes in memory.
#pragma once

#include "base/layout.h"
#include "base/log_font.h"
#include "notes/note_rooms.h"
#include "notes/result_view_win.h"
#include "win/controls_win.h"
#include "win/handles_win.h"

// The note area of the main window: the notes edit, the search box, the notes in memory and the
// room rules between them. It shows and hides the window's calendar with the rooms and reads the
// selected day from it.
class CNoteArea : private INoteAreaView {
public:
    explicit CNoteArea(CMonthCalCtrl& calendar) : m_calendar(calendar), m_rooms(*this) {}

    // Binds the two edits of the dialog; the layout belongs to the dialog and outlives this.
    void Attach(HWND dialog, const SLayout& layout);
    // The notes edit's place as the dialog template gives it, in client coordinates.
    SRect NotesHomeRect() const;
    void PlaceSearchBox();

    CNoteRooms& Rooms() { return m_rooms; }
    const CNoteRooms& Rooms() const { return m_rooms; }

    // Builds the notes font and hands it to both edits before the old one is released.
    // The stored description holds its size at 96 DPI.
    void SetFont(const SLogFont& font, int dpi);
    void FocusNotes() const { m_editNotes.SetFocus(); }
    // Held, the notes box has no input method: its first set-up, when the box first takes the
    // keys, cost the start several milliseconds under Wine. It joins a moment after the window
    // shows.
    void HoldInputMethod(bool held) const;
    void MarkNotedDays() override;
    // While a note is put in the box: its change is no typing.
    bool Filling() const { return m_filling; }

    // A long search result is laid out a slice at a time while nothing else waits; true while
    // some remains.
    bool LayOutMoreResults() { return m_results.LayOutMore(); }
    // Where the selection of shown results starts, in bytes of the result.
    size_t ResultSelectionStart() const { return m_results.SelectionStart(); }

private:
    std::string GetNotesText() const override;
    void SetNotesText(const std::string& text, ECaret caret) override;
    void ShowSearchResults(std::string text) override;
    std::string GetSearchText() const override;
    void LayoutRoom(int room) override;
    void ShowSearchBox(bool show, bool focus) override;
    std::string GetSelDayKey() const override;
    void RedrawWindow() override;
    void ReplaceNotesText(const std::wstring& text, LRESULT firstLine);
    // Scrolled so that the last line rests at the bottom of the box.
    void ScrollToEnd();

    CMonthCalCtrl& m_calendar;
    CNoteRooms m_rooms;
    HWND m_dialog = nullptr;
    const SLayout* m_layout = nullptr;
    CEdit m_editNotes;
    CEdit m_editSearch;
    CFontHandle m_fontNotes;
    CResultView m_results;
    int m_lineHeight = 0;
    bool m_filling = false;
};
