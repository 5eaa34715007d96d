// The result view's state, and the box's messages for text, selection, lines and scrolling.
#include "notes/result_view_win.h"

#include "base/utf8.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

// A slice of layout between two looks at the message queue: well under a millisecond.
constexpr size_t kLayoutSliceBytes = 128 * 1024;

} // namespace

CResultView::~CResultView() = default;

void CResultView::Show(std::string text) {
    if (!m_showing) {
        // A result is never typed into. The box's own text is not needed meanwhile: it is
        // emptied once the result shows, as under Wine that takes milliseconds.
        DefaultProc(EM_SETREADONLY, TRUE, 0);
        m_showing = true;
        m_boxTextDue = true;
    }
    // As a new text does, the result leaves the box unmodified.
    DefaultProc(EM_SETMODIFY, FALSE, 0);
    m_anchor = m_caret = 0;
    m_topOffset = 0;
    m_goalX = -1;
    m_wheel = 0;
    // The widths of the characters shown before stay while the font does.
    if (m_fontMeasured) {
        Measure(false);
        m_text.Reset(std::move(text), m_format.right - m_format.left);
    } else {
        Measure(true);
        m_text.Reset(std::move(text), m_measure, m_format.right - m_format.left);
    }
    // The bar is drawn with the rest of the box, not before the box can answer.
    {
        const CUndrawn undrawn(m_hWnd);
        UpdateScrollBar(false);
    }
    UpdateCaret();
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void CResultView::EmptyBox() {
    if (!m_boxTextDue) {
        return;
    }
    m_boxTextDue = false;
    if (!m_showing) {
        DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        return;
    }
    // Unseen: the box sets its own bar for the text it had, and the view's own comes back.
    const CUndrawn undrawn(m_hWnd);
    DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    UpdateScrollBar(false);
}

void CResultView::Leave() {
    if (!m_showing) {
        return;
    }
    m_showing = false;
    EmptyBox();
    if (m_dragging) {
        ::ReleaseCapture();
    }
    m_text.Reset(std::string(), 0);
    m_measuring.reset();
    DefaultProc(EM_SETREADONLY, FALSE, 0);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CResultView::LayOutMore() {
    if (m_showing && m_boxTextDue) {
        EmptyBox();
        return true;
    }
    if (!m_showing || m_text.Complete()) {
        return false;
    }
    const bool more = m_text.LayOutMore(kLayoutSliceBytes);
    // The thumb follows the estimate only when it moves noticeably: drawing the bar costs more
    // than a slice.
    const size_t lines = m_text.Lines();
    const size_t top = Top();
    const size_t slack = m_barLines / 64;
    if (!more || lines > m_barLines + slack || lines + slack < m_barLines ||
        top > m_barTop + slack || top + slack < m_barTop) {
        UpdateScrollBar();
    }
    return more;
}

size_t CResultView::CopyUnits(const std::string& text, size_t from, size_t to, wchar_t* out,
                              size_t room) {
    size_t written = 0;
    for (size_t at = from; at < to && written < room;) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c < 0x80) {
            out[written++] = static_cast<wchar_t>(c);
            ++at;
            continue;
        }
        size_t next = at;
        const char32_t code = DecodeUtf8(text.data(), to, next);
        if (code >= 0x10000) {
            if (written + 2 > room) {
                break;
            }
            out[written++] = static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            out[written++] = static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            out[written++] = static_cast<wchar_t>(code);
        }
        at = next;
    }
    return written;
}

bool CResultView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_SETFONT) {
        // Before the old font can go: the measuring context lets go of it.
        m_measuring.reset();
        m_fontMeasured = false;
    }
    if (!m_showing) {
        return false;
    }
    if (OnViewMessage(msg, wParam, lParam, result) || OnTextMessage(msg, wParam, lParam, result) ||
        OnSelectionMessage(msg, wParam, lParam, result) ||
        OnLineMessage(msg, wParam, lParam, result) ||
        OnScrollMessage(msg, wParam, lParam, result)) {
        return true;
    }
    if (OnInput(msg, wParam, lParam)) {
        result = 0;
        return true;
    }
    return false;
}

bool CResultView::OnViewMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_SETTEXT:
        Leave();
        return false;
    case WM_PAINT: {
        const CPaintDc dc(m_hWnd);
        Paint(dc.Get());
        result = 0;
        return true;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SIZE:
    case WM_SETFONT: {
        result = DefaultProc(msg, wParam, lParam);
        const LONG width = m_format.right - m_format.left;
        Measure(!m_fontMeasured);
        if (msg == WM_SETFONT || m_format.right - m_format.left != width) {
            Relayout(msg == WM_SETFONT);
        } else {
            const size_t last = LastTop();
            if (Top() > last) {
                m_topOffset = m_text.LineStart(last);
            }
            UpdateScrollBar();
            UpdateCaret();
        }
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return true;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        result = DefaultProc(msg, wParam, lParam);
        UpdateCaret();
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        return true;
    default:
        return false;
    }
}

bool CResultView::OnTextMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const std::string& text = m_text.Text();
    switch (msg) {
    case WM_GETTEXT: {
        const size_t room = static_cast<size_t>(wParam);
        wchar_t* buffer = reinterpret_cast<wchar_t*>(lParam);
        result = 0;
        if (room > 0 && buffer != nullptr) {
            const size_t count = CopyUnits(text, 0, text.size(), buffer, room - 1);
            buffer[count] = L'\0';
            result = static_cast<LRESULT>(count);
        }
        return true;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(m_text.Units());
        return true;
    case EM_GETLINE: {
        const size_t line = LineArg(wParam);
        wchar_t* buffer = reinterpret_cast<wchar_t*>(lParam);
        result = 0;
        if (line < m_text.Lines() && buffer != nullptr) {
            WORD room = 0;
            std::memcpy(&room, buffer, sizeof room);
            result = static_cast<LRESULT>(
                CopyUnits(text, m_text.LineStart(line), m_text.LineEnd(line), buffer, room));
        }
        return true;
    }
    case WM_COPY:
        Copy();
        result = 0;
        return true;
    case EM_CANUNDO:
    case EM_REPLACESEL:
    case EM_UNDO:
    case WM_UNDO:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
        result = 0;
        return true;
    default:
        return false;
    }
}

size_t CResultView::LineArg(WPARAM value) {
    // Other programs get each line's exact number, counted from the top.
    if (static_cast<int>(value) == -1) {
        return m_text.ExactLineOf(m_caret);
    }
    m_text.LayOutThrough(static_cast<size_t>(value));
    return static_cast<size_t>(value);
}

size_t CResultView::OffsetArg(WPARAM value) {
    return static_cast<int>(value) == -1 ? SelStart()
                                         : m_text.OffsetOfUnits(static_cast<size_t>(value));
}

bool CResultView::OnSelectionMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case EM_GETSEL: {
        const size_t start = m_text.UnitsBefore(SelStart());
        const size_t end = m_text.UnitsBefore(SelEnd());
        if (wParam != 0) {
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
        }
        if (lParam != 0) {
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
        }
        result = start > 0xFFFF || end > 0xFFFF ? -1 : MAKELRESULT(start, end);
        return true;
    }
    case EM_SETSEL: {
        // A negative end, or one past the text, is the text's end.
        const auto offsetOf = [&](long long units) {
            return units < 0 ? m_text.Text().size()
                             : m_text.OffsetOfUnits(static_cast<size_t>(units));
        };
        const long long start = static_cast<int>(wParam);
        if (start == -1) {
            m_anchor = m_caret;
        } else {
            m_anchor = offsetOf(start);
            m_caret = offsetOf(static_cast<int>(lParam));
        }
        m_goalX = -1;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        UpdateCaret();
        return true;
    }
    case EM_POSFROMCHAR: {
        if (wParam > m_text.Units()) {
            result = -1;
            return true;
        }
        const POINT at = PointOf(m_text.OffsetOfUnits(static_cast<size_t>(wParam)));
        result = MAKELRESULT(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
        return true;
    }
    case EM_CHARFROMPOS: {
        const size_t at = OffsetAtPoint(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        const size_t line = m_text.ExactLineOf(at);
        result = MAKELRESULT(std::min<size_t>(m_text.UnitsBefore(at), 0xFFFF),
                             std::min<size_t>(line, 0xFFFF));
        return true;
    }
    default:
        return false;
    }
}

bool CResultView::OnLineMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
    case EM_GETLINECOUNT:
        m_text.LayOutAll();
        result = static_cast<LRESULT>(m_text.Lines());
        return true;
    case EM_LINEINDEX: {
        const size_t line = LineArg(wParam);
        result = line < m_text.Lines()
                     ? static_cast<LRESULT>(m_text.UnitsBefore(m_text.LineStart(line)))
                     : -1;
        return true;
    }
    case EM_LINEFROMCHAR:
        result = static_cast<LRESULT>(m_text.ExactLineOf(OffsetArg(wParam)));
        return true;
    case EM_LINELENGTH: {
        const size_t at = static_cast<int>(wParam) == -1 ? m_caret : OffsetArg(wParam);
        const size_t line = m_text.LineOf(at);
        const size_t start = m_text.LineStart(line);
        result = static_cast<LRESULT>(
            Utf16Length(m_text.Text().data() + start, m_text.LineEnd(line) - start));
        return true;
    }
    case EM_GETFIRSTVISIBLELINE:
        result = static_cast<LRESULT>(m_text.ExactLineOf(m_topOffset));
        return true;
    default:
        return false;
    }
}

bool CResultView::OnScrollMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case EM_LINESCROLL:
        ScrollBy(static_cast<long long>(lParam));
        result = TRUE;
        return true;
    case EM_SCROLL: {
        const long long page = VisibleLines();
        const long long lines = wParam == SB_LINEUP     ? -1
                                : wParam == SB_LINEDOWN ? 1
                                : wParam == SB_PAGEUP   ? -page
                                : wParam == SB_PAGEDOWN ? page
                                                        : 0;
        const size_t before = LinesAround(m_topOffset, lines);
        ScrollBy(lines);
        result = MAKELRESULT(
            static_cast<WORD>(static_cast<long long>(Top()) - static_cast<long long>(before)),
            TRUE);
        return true;
    }
    case EM_SCROLLCARET:
        EnsureCaretVisible();
        result = TRUE;
        return true;
    default:
        return false;
    }
}
