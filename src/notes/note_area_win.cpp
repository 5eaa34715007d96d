// The note area's two edits: notes and results put in, text read back, each room's place.
#include "notes/note_area_win.h"

#include "base/ids.h"
#include "notes/calendar_win.h"
#include "win/convert_win.h"
#include "win/system_dll_win.h"

#include <imm.h>

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

void CNoteArea::HoldInputMethod(bool held) const {
    using AssociateContextEx = BOOL(WINAPI*)(HWND, HIMC, DWORD);
    static const auto associate =
        SystemFunction<AssociateContextEx>(LoadSystemDll(L"imm32.dll"), "ImmAssociateContextEx");
    if (associate != nullptr) {
        associate(m_editNotes.GetSafeHwnd(), nullptr, held ? 0 : IACE_DEFAULT);
    }
}

void CNoteArea::PlaceSearchBox() {
    m_editSearch.MoveWindow(m_layout->rcSearchBox, true);
}

void CNoteArea::SetFont(const SLogFont& font, int dpi) {
    CFontHandle built = CreateStoredFont(font, dpi);
    // The box's lines are as high as its font.
    if (HDC dc = ::GetDC(m_editNotes.GetSafeHwnd())) {
        const HGDIOBJ old = ::SelectObject(dc, built.Get());
        TEXTMETRICW metrics{};
        m_lineHeight = ::GetTextMetricsW(dc, &metrics) ? std::max<int>(metrics.tmHeight, 1) : 0;
        ::SelectObject(dc, old);
        ::ReleaseDC(m_editNotes.GetSafeHwnd(), dc);
    }
    m_editNotes.SetFont(built.Get(), true);
    m_editSearch.SetFont(built.Get(), true);
    m_fontNotes = std::move(built);
}

void CNoteArea::MarkNotedDays() {
    ::MarkNotedDays(m_calendar, m_rooms.Notes().days);
}

std::string CNoteArea::GetNotesText() const {
    bool replaced = false;
    std::string text = m_editNotes.GetWindowText(&replaced);
    if (replaced) {
        // Half a surrogate pair cannot be kept: the box shows what is kept before it is saved.
        // Each half became one unit, so the caret stays where it was.
        DWORD start = 0;
        DWORD end = 0;
        m_editNotes.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                reinterpret_cast<LPARAM>(&end));
        m_editNotes.SetWindowText(text);
        m_editNotes.SetSel(static_cast<int>(start), static_cast<int>(end));
    }
    return text;
}

void CNoteArea::SetNotesText(const std::string& text, ECaret caret) {
    m_results.Leave();
    DWORD selStart = 0;
    DWORD selEnd = 0;
    m_editNotes.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                            reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = m_editNotes.SendMessage(EM_GETFIRSTVISIBLELINE);
    const std::wstring wide = WideOf(text);
    // A window not yet on screen draws nothing: the plain way in is the cheapest (the start).
    if (caret == ECaret::End && m_lineHeight > 0 && ::IsWindowVisible(m_editNotes.GetSafeHwnd())) {
        ReplaceNotesText(wide, firstLine);
        return;
    }
    ::SetWindowTextW(m_editNotes.GetSafeHwnd(), wide.c_str());
    if (caret == ECaret::Keep) {
        // The box's own clamping keeps a selection past the new end inside the text.
        m_editNotes.SetSel(static_cast<int>(selStart), static_cast<int>(selEnd));
        m_editNotes.SendMessage(EM_LINESCROLL, 0, firstLine);
        return;
    }
    const int at = caret == ECaret::End ? static_cast<int>(wide.size()) : 0;
    m_editNotes.SetSel(at, at);
    m_editNotes.ScrollCaret();
}

void CNoteArea::ReplaceNotesText(const std::wstring& text, LRESULT firstLine) {
    // Replacing all of the text leaves the caret at its end, in view, in one step. Under Wine
    // each update of the box's scroll bar is drawn at once and costs about a millisecond: the box
    // and its bar are drawn once instead, when the window paints.
    {
        const CUndrawn undrawn(m_editNotes.GetSafeHwnd());
        m_filling = true;
        m_editNotes.SetSel(0, -1);
        m_editNotes.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
        m_filling = false;
        m_editNotes.SendMessage(EM_EMPTYUNDOBUFFER);
        m_editNotes.SendMessage(EM_SETMODIFY, FALSE);
        // From a scrolled view the end may rest higher than a new text shows it: at the bottom.
        if (firstLine != 0) {
            ScrollToEnd();
        }
    }
    ::RedrawWindow(m_editNotes.GetSafeHwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void CNoteArea::ScrollToEnd() {
    RECT format{};
    m_editNotes.SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const LRESULT shown = std::max<LRESULT>((format.bottom - format.top) / m_lineHeight, 1);
    const LRESULT lines = m_editNotes.SendMessage(EM_GETLINECOUNT);
    const LRESULT wanted = std::max<LRESULT>(lines - shown, 0);
    const LRESULT first = m_editNotes.SendMessage(EM_GETFIRSTVISIBLELINE);
    if (first != wanted) {
        m_editNotes.SendMessage(EM_LINESCROLL, 0, wanted - first);
    }
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
    // The box and the window around it are drawn again once the room shows.
    {
        const CUndrawn undrawn(m_editNotes.GetSafeHwnd());
        m_editNotes.MoveWindow(RoomNotesRect(*m_layout, room), false);
    }
    ::RedrawWindow(m_editNotes.GetSafeHwnd(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
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
