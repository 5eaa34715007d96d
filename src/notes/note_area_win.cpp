#include "notes/note_area_win.h"

#include "base/ids.h"
#include "notes/calendar_win.h"
#include "win/convert_win.h"

#include <algorithm>

namespace {

// What the box shows at once: more than a screenful, little enough to be shown within a frame
// (an edit box lays text out at a few milliseconds a kilobyte). The rest follows in pieces.
constexpr size_t kFirstPieceBytes = 1024;
// Pieces grow while they are quick and shrink when one takes long enough to be felt. Adding
// even a small piece costs more the more text the box holds, which is what bounds the results.
constexpr size_t kMinPieceBytes = 1024;
constexpr size_t kMaxPieceBytes = 64 * 1024;
constexpr double kQuickPieceMs = 10;
constexpr double kSlowPieceMs = 30;

double NowMs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

} // namespace

void CNoteArea::Attach(HWND dialog, const SLayout& layout) {
    m_dialog = dialog;
    m_layout = &layout;
    m_editNotes.Attach(::GetDlgItem(dialog, IDC_NOTES));
    m_editSearch.Attach(::GetDlgItem(dialog, IDC_SEARCH));
    // The box's default limit stops typing at 32 KB, far below what a note may hold.
    m_editNotes.SendMessage(EM_SETLIMITTEXT, 0);
    m_nTypingLimit = m_editNotes.SendMessage(EM_GETLIMITTEXT);
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
    m_fill.Clear();
    DWORD selStart = 0;
    DWORD selEnd = 0;
    m_editNotes.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                            reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = m_editNotes.SendMessage(EM_GETFIRSTVISIBLELINE);
    m_editNotes.SendMessage(EM_SETLIMITTEXT, static_cast<WPARAM>(m_nTypingLimit));
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

void CNoteArea::ShowSearchResults(const std::string& text) {
    m_fill.Clear();
    // Appended pieces count against the box's limit for typed text.
    m_editNotes.SendMessage(EM_SETLIMITTEXT,
                            static_cast<WPARAM>(std::max<size_t>(
                                text.size() + 1, static_cast<size_t>(m_nTypingLimit))));
    if (text.size() <= kFirstPieceBytes) {
        m_editNotes.SetWindowText(text);
        return;
    }
    m_fill.Start(text);
    m_editNotes.SetWindowText(m_fill.Next(kFirstPieceBytes));
    m_nPieceBytes = kFirstPieceBytes;
}

void CNoteArea::FillNextPiece() {
    if (!m_fill.Pending()) {
        return;
    }
    const double start = NowMs();
    const std::string piece = m_fill.Next(m_nPieceBytes);
    // The user's caret and view stay where they are while the text grows below them.
    DWORD selStart = 0;
    DWORD selEnd = 0;
    m_editNotes.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&selStart),
                            reinterpret_cast<LPARAM>(&selEnd));
    const LRESULT firstLine = m_editNotes.SendMessage(EM_GETFIRSTVISIBLELINE);
    m_editNotes.SendMessage(WM_SETREDRAW, FALSE);
    const int end = ::GetWindowTextLengthA(m_editNotes.GetSafeHwnd());
    m_editNotes.SetSel(end, end);
    m_editNotes.SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()));
    m_editNotes.SetSel(static_cast<int>(selStart), static_cast<int>(selEnd));
    const LRESULT nowFirst = m_editNotes.SendMessage(EM_GETFIRSTVISIBLELINE);
    m_editNotes.SendMessage(EM_LINESCROLL, 0, firstLine - nowFirst);
    m_editNotes.SendMessage(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_editNotes.GetSafeHwnd(), nullptr, FALSE);
    const double took = NowMs() - start;
    if (took < kQuickPieceMs) {
        m_nPieceBytes = std::min(m_nPieceBytes * 2, kMaxPieceBytes);
    } else if (took > kSlowPieceMs) {
        m_nPieceBytes = std::max(m_nPieceBytes / 2, kMinPieceBytes);
    }
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
