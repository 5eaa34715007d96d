#include "notes/result_view_win.h"

#include "win/system_dll_win.h"

#include <usp10.h>
#include <windowsx.h>

#include <algorithm>

namespace {

// A slice of layout between two looks at the message queue: well under a millisecond.
constexpr size_t kLayoutSliceBytes = 128 * 1024;
constexpr UINT_PTR kDragTimer = 0x5153;
constexpr UINT kDragTimerMs = 100;
// Moves up to this many lines are counted in laid-out lines.
constexpr long long kCountedReach = 1024;

bool KeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

// The system's text engine, from the system folder only: it is no DLL that Windows always loads
// from there, so an import of it could be taken from beside the exe.
struct STextEngine {
    decltype(&::ScriptStringAnalyse) analyse = nullptr;
    decltype(&::ScriptStringOut) out = nullptr;
    decltype(&::ScriptStringFree) free = nullptr;
};

const STextEngine& TextEngine() {
    static const STextEngine engine = [] {
        STextEngine loaded;
        const HMODULE dll = LoadSystemDll(L"usp10.dll");
        loaded.analyse = SystemFunction<decltype(loaded.analyse)>(dll, "ScriptStringAnalyse");
        loaded.out = SystemFunction<decltype(loaded.out)>(dll, "ScriptStringOut");
        loaded.free = SystemFunction<decltype(loaded.free)>(dll, "ScriptStringFree");
        if (loaded.analyse == nullptr || loaded.out == nullptr || loaded.free == nullptr) {
            loaded = STextEngine();
        }
        return loaded;
    }();
    return engine;
}

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
    Measure(!m_fontMeasured);
    m_text.Reset(std::move(text), m_measure, m_format.right - m_format.left);
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
        DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        return;
    }
    // Unseen: the box sets its own bar for the text it had, and the view's own comes back.
    const CUndrawn undrawn(m_hWnd);
    DefaultProc(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
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
    m_text.Reset(std::string(), STextMeasure(), 0);
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

void CResultView::Measure(bool withFont) {
    DefaultProc(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&m_format));
    if (!withFont) {
        return;
    }
    const HFONT font = reinterpret_cast<HFONT>(DefaultProc(WM_GETFONT, 0, 0));
    const HDC dc = ::GetDC(m_hWnd);
    const HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    STextMeasure& measure = m_measure;
    INT widths[128] = {};
    ::GetCharWidth32W(dc, 0, 127, widths);
    std::copy(std::begin(widths), std::end(widths), std::begin(measure.ascii));
    measure.aveWidth = metrics.tmAveCharWidth;
    // The box draws through the system's text engine, whose default tab stops lie every eight
    // average characters, the average taken over the alphabet.
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    SIZE alphabet{};
    ::GetTextExtentPoint32A(dc, kAlphabet, 52, &alphabet);
    m_tabScale = std::max<int>(1, (alphabet.cx / 26 + 1) / 2);
    measure.tabStop = 8 * m_tabScale;
    measure.fromGuess = RunsOnWine();
    const HWND window = m_hWnd;
    measure.width = [window, font](const char16_t* units, size_t count) {
        const HDC measuring = ::GetDC(window);
        const HGDIOBJ was = font != nullptr ? ::SelectObject(measuring, font) : nullptr;
        SIZE size{};
        ::GetTextExtentPoint32W(measuring, reinterpret_cast<const wchar_t*>(units),
                                static_cast<int>(count), &size);
        if (was != nullptr) {
            ::SelectObject(measuring, was);
        }
        ::ReleaseDC(window, measuring);
        return static_cast<int>(size.cx);
    };
    if (old != nullptr) {
        ::SelectObject(dc, old);
    }
    ::ReleaseDC(m_hWnd, dc);
    m_lineHeight = std::max<int>(1, metrics.tmHeight);
    m_fontMeasured = true;
}

void CResultView::Relayout() {
    // The view keeps the text at its top in place, laying out only what is around it.
    m_text.Relayout(m_measure, m_format.right - m_format.left);
    const size_t top = m_text.LayOutAround(m_topOffset, 0, static_cast<size_t>(VisibleLines()));
    const size_t last = LastTop(); // the end's layout renumbers no line above it
    m_topOffset = m_text.LineStart(std::min(top, last));
    UpdateScrollBar();
    UpdateCaret();
}

int CResultView::VisibleLines() const {
    return std::max(1, static_cast<int>(m_format.bottom - m_format.top) / m_lineHeight);
}

size_t CResultView::LastTop() {
    const size_t visible = static_cast<size_t>(VisibleLines());
    m_text.LayOutEnd(visible);
    const size_t lines = m_text.Lines();
    return lines > visible ? lines - visible : 0;
}

void CResultView::ScrollTo(size_t top) {
    const size_t offset = m_text.LineStart(std::min(top, LastTop()));
    if (offset == m_topOffset) {
        return;
    }
    m_topOffset = offset;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    UpdateScrollBar();
    UpdateCaret();
}

size_t CResultView::LinesAround(size_t offset, long long lines) {
    // Counted from laid-out lines, so that a page up lands a page up; a longer move goes by
    // the estimate.
    const size_t reach = static_cast<size_t>(
        std::min<long long>(lines < 0 ? -lines : lines, static_cast<long long>(kCountedReach)));
    const size_t visible = static_cast<size_t>(VisibleLines());
    return m_text.LayOutAround(offset, lines < 0 ? reach : 0, (lines > 0 ? reach : 0) + visible);
}

void CResultView::ScrollBy(long long lines) {
    const long long top = static_cast<long long>(LinesAround(m_topOffset, lines)) + lines;
    ScrollTo(top < 0 ? 0 : static_cast<size_t>(top));
}

void CResultView::UpdateScrollBar(bool drawNow) {
    const size_t lines = m_text.Lines();
    const size_t top = Top();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_PAGE | SIF_POS | SIF_RANGE | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = static_cast<int>(std::max<size_t>(lines, 1) - 1);
    info.nPage = static_cast<UINT>(VisibleLines());
    info.nPos = static_cast<int>(top);
    ::SetScrollInfo(m_hWnd, SB_VERT, &info, drawNow ? TRUE : FALSE);
    m_barLines = lines;
    m_barTop = top;
}

POINT CResultView::PointOf(size_t offset) {
    const size_t line = m_text.LineOf(offset);
    const long long row = static_cast<long long>(line) - static_cast<long long>(Top());
    return POINT{m_format.left + m_text.XOf(line, offset),
                 m_format.top + static_cast<LONG>(row * m_lineHeight)};
}

void CResultView::UpdateCaret() {
    if (::GetFocus() == m_hWnd) {
        const POINT at = PointOf(m_caret);
        ::SetCaretPos(at.x, at.y);
    }
}

void CResultView::EnsureCaretVisible() {
    const size_t visible = static_cast<size_t>(VisibleLines());
    const size_t line = m_text.LayOutAround(m_caret, visible, visible);
    const size_t top = Top();
    if (line < top) {
        ScrollTo(line);
    } else if (line >= top + visible) {
        ScrollTo(line - visible + 1);
    }
}

void CResultView::MoveCaret(size_t offset, bool extend) {
    const bool hadSelection = m_anchor != m_caret;
    m_caret = std::min(offset, m_text.Text().size());
    if (!extend) {
        m_anchor = m_caret;
    }
    EnsureCaretVisible();
    if (hadSelection || m_anchor != m_caret) {
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
    }
    UpdateCaret();
}

size_t CResultView::OffsetAtPoint(POINT point) {
    long long row = point.y - m_format.top;
    row = row < 0 ? -1 - (-row - 1) / m_lineHeight : row / m_lineHeight;
    long long line = static_cast<long long>(LinesAround(m_topOffset, row)) + row;
    line = std::clamp<long long>(line, 0, static_cast<long long>(m_text.Lines()) - 1);
    return m_text.OffsetAt(static_cast<size_t>(line), point.x - m_format.left);
}

void CResultView::OnKeyDown(WPARAM key) {
    const bool shift = KeyDown(VK_SHIFT);
    const bool ctrl = KeyDown(VK_CONTROL);
    const size_t size = m_text.Text().size();
    const size_t page = static_cast<size_t>(VisibleLines());
    const auto byLines = [&](long long lines) {
        const size_t line = LinesAround(m_caret, lines);
        if (m_goalX < 0) {
            m_goalX = m_text.XOf(line, m_caret);
        }
        const int goal = m_goalX;
        const long long target = std::clamp<long long>(static_cast<long long>(line) + lines, 0,
                                                       static_cast<long long>(m_text.Lines()) - 1);
        MoveCaret(m_text.OffsetAt(static_cast<size_t>(target), goal), shift);
        m_goalX = goal;
    };
    switch (key) {
    case VK_UP:
        byLines(-1);
        return;
    case VK_DOWN:
        byLines(1);
        return;
    case VK_PRIOR:
        ScrollBy(-static_cast<long long>(page));
        byLines(-static_cast<long long>(page));
        return;
    case VK_NEXT:
        ScrollBy(static_cast<long long>(page));
        byLines(static_cast<long long>(page));
        return;
    default:
        break;
    }
    m_goalX = -1;
    const size_t line = m_text.LineOf(m_caret);
    switch (key) {
    case VK_LEFT:
        if (m_anchor != m_caret && !shift && !ctrl) {
            MoveCaret(SelStart(), false);
        } else {
            MoveCaret(ctrl ? m_text.WordStart(m_text.Prior(m_caret)) : m_text.Prior(m_caret),
                      shift);
        }
        break;
    case VK_RIGHT:
        if (m_anchor != m_caret && !shift && !ctrl) {
            MoveCaret(SelEnd(), false);
        } else {
            MoveCaret(ctrl ? m_text.WordEnd(m_caret) : m_text.Next(m_caret), shift);
        }
        break;
    case VK_HOME:
        MoveCaret(ctrl ? 0 : m_text.LineStart(line), shift);
        break;
    case VK_END:
        MoveCaret(ctrl ? size : m_text.LineEnd(line), shift);
        break;
    case 'A':
        if (ctrl) {
            m_anchor = 0;
            MoveCaret(size, true);
        }
        break;
    case 'C':
    case VK_INSERT:
        if (ctrl) {
            Copy();
        }
        break;
    default:
        break;
    }
}

void CResultView::Copy() const {
    const size_t start = SelStart();
    const size_t count = SelEnd() - start;
    if (count == 0 || !::OpenClipboard(m_hWnd)) {
        return;
    }
    ::EmptyClipboard();
    const char* text = m_text.Text().data() + start;
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(count), nullptr, 0);
    const HGLOBAL memory =
        units > 0 ? ::GlobalAlloc(GMEM_MOVEABLE, (static_cast<size_t>(units) + 1) * sizeof(wchar_t))
                  : nullptr;
    wchar_t* wide = memory != nullptr ? static_cast<wchar_t*>(::GlobalLock(memory)) : nullptr;
    if (wide != nullptr) {
        ::MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(count), wide, units);
        wide[units] = L'\0';
        ::GlobalUnlock(memory);
        if (::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
            ::GlobalFree(memory);
        }
    } else if (memory != nullptr) {
        ::GlobalFree(memory);
    }
    ::CloseClipboard();
}

void CResultView::ShowContextMenu(POINT screen) {
    // The system's own menu of an edit box, with what a read-only box offers.
    const HMODULE user = ::GetModuleHandleA("user32.dll");
    HMENU menu = user != nullptr ? ::LoadMenuA(user, "EDITMENU") : nullptr;
    if (menu == nullptr && user != nullptr) {
        menu = ::LoadMenuA(user, MAKEINTRESOURCEA(1));
    }
    if (menu == nullptr) {
        return;
    }
    const HMENU popup = ::GetSubMenu(menu, 0);
    if (popup != nullptr) {
        const int count = ::GetMenuItemCount(popup);
        for (int i = 0; i < count; ++i) {
            const UINT id = ::GetMenuItemID(popup, i);
            const bool on = (id == WM_COPY && m_anchor != m_caret) ||
                            (id == EM_SETSEL && SelEnd() - SelStart() < m_text.Text().size());
            ::EnableMenuItem(popup, static_cast<UINT>(i),
                             MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
        }
        if (screen.x == -1 && screen.y == -1) {
            screen = PointOf(m_caret);
            ::ClientToScreen(m_hWnd, &screen);
        }
        const UINT chosen = static_cast<UINT>(
            ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x,
                             screen.y, 0, m_hWnd, nullptr));
        if (chosen == WM_COPY) {
            Copy();
        } else if (chosen == EM_SETSEL) {
            m_anchor = 0;
            MoveCaret(m_text.Text().size(), true);
        }
    }
    ::DestroyMenu(menu);
}

void CResultView::Paint(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const HWND parent = ::GetParent(m_hWnd);
    HBRUSH brush = reinterpret_cast<HBRUSH>(::SendMessageA(
        parent, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
    if (brush == nullptr) {
        brush = reinterpret_cast<HBRUSH>(::DefWindowProcA(parent, WM_CTLCOLOREDIT,
                                                          reinterpret_cast<WPARAM>(dc),
                                                          reinterpret_cast<LPARAM>(m_hWnd)));
    }
    ::FillRect(dc, &client, brush);
    const HFONT font = reinterpret_cast<HFONT>(DefaultProc(WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    ::IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    const size_t visible = static_cast<size_t>(VisibleLines());
    const size_t top = m_text.LayOutAround(m_topOffset, 0, visible + 1);
    const bool focused = ::GetFocus() == m_hWnd;
    const size_t selStart = focused ? SelStart() : 0;
    const size_t selEnd = focused ? SelEnd() : 0;
    for (size_t line = top; line <= top + visible && line < m_text.Lines(); ++line) {
        const int y = m_format.top + static_cast<int>(line - top) * m_lineHeight;
        const size_t start = m_text.LineStart(line);
        const size_t end = m_text.LineEnd(line);
        PaintLine(dc, y, start, end, std::clamp(selStart, start, end),
                  std::clamp(selEnd, start, end));
    }
    if (oldFont != nullptr) {
        ::SelectObject(dc, oldFont);
    }
}

void CResultView::PaintLine(HDC dc, int y, size_t start, size_t end, size_t from, size_t to) const {
    if (end == start) {
        return;
    }
    const char* text = m_text.Text().data() + start;
    const int bytes = static_cast<int>(end - start);
    std::wstring wide(static_cast<size_t>(bytes), L'\0');
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, bytes, &wide[0], bytes);
    const auto unitsBefore = [&](size_t offset) {
        return offset <= start ? 0
                               : ::MultiByteToWideChar(
                                     CP_ACP, 0, text, static_cast<int>(offset - start), nullptr, 0);
    };
    SCRIPT_TABDEF tabs{};
    tabs.iScale = m_tabScale;
    SCRIPT_STRING_ANALYSIS analysis = nullptr;
    const STextEngine& engine = TextEngine();
    // As the box draws its own lines, so that a result looks exactly like it.
    if (units > 0 && engine.analyse != nullptr &&
        SUCCEEDED(engine.analyse(dc, wide.data(), units, units * 3 / 2 + 16, -1,
                                 SSA_LINK | SSA_FALLBACK | SSA_GLYPHS | SSA_TAB, -1, nullptr,
                                 nullptr, nullptr, &tabs, nullptr, &analysis))) {
        engine.out(analysis, m_format.left, y, 0, &m_format, unitsBefore(from), unitsBefore(to),
                   FALSE);
        engine.free(&analysis);
        return;
    }
    ::TabbedTextOutA(dc, m_format.left, y, text, bytes, 0, nullptr, m_format.left);
}

bool CResultView::OnInput(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT || wParam == VK_RIGHT ||
            wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_HOME || wParam == VK_END ||
            ((wParam == 'A' || wParam == 'C' || wParam == VK_INSERT) && KeyDown(VK_CONTROL))) {
            OnKeyDown(wParam);
            return true;
        }
        return false; // the read-only box ignores the rest
    case WM_CHAR:
        return true;
    case WM_LBUTTONDOWN:
        if (::GetFocus() != m_hWnd) {
            ::SetFocus(m_hWnd);
        }
        m_goalX = -1;
        MoveCaret(OffsetAtPoint(point), (wParam & MK_SHIFT) != 0);
        ::SetCapture(m_hWnd);
        m_dragging = true;
        ::SetTimer(m_hWnd, kDragTimer, kDragTimerMs, nullptr);
        return true;
    case WM_LBUTTONDBLCLK: {
        const size_t at = OffsetAtPoint(point);
        m_anchor = m_text.WordStart(at);
        MoveCaret(m_text.WordEnd(at), true);
        return true;
    }
    case WM_MOUSEMOVE:
        if (m_dragging) {
            MoveCaret(OffsetAtPoint(point), true);
        }
        return m_dragging;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (m_dragging) {
            m_dragging = false;
            ::KillTimer(m_hWnd, kDragTimer);
            if (msg == WM_LBUTTONUP) {
                ::ReleaseCapture();
            }
        }
        return msg == WM_LBUTTONUP;
    case WM_TIMER:
        if (wParam != kDragTimer) {
            return false;
        }
        if (m_dragging) {
            POINT cursor{};
            ::GetCursorPos(&cursor);
            ::ScreenToClient(m_hWnd, &cursor);
            if (cursor.y < m_format.top) {
                ScrollBy(-1);
            } else if (cursor.y >= m_format.bottom) {
                ScrollBy(1);
            }
            MoveCaret(OffsetAtPoint(cursor), true);
        }
        return true;
    case WM_MOUSEWHEEL: {
        UINT perNotch = 3;
        ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
        m_wheel += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = m_wheel / WHEEL_DELTA;
        m_wheel -= notches * WHEEL_DELTA;
        const long long lines = perNotch == WHEEL_PAGESCROLL
                                    ? static_cast<long long>(VisibleLines())
                                    : static_cast<long long>(perNotch);
        ScrollBy(-notches * lines);
        return true;
    }
    case WM_VSCROLL: {
        const long long page = VisibleLines();
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            ScrollBy(-1);
            break;
        case SB_LINEDOWN:
            ScrollBy(1);
            break;
        case SB_PAGEUP:
            ScrollBy(-page);
            break;
        case SB_PAGEDOWN:
            ScrollBy(page);
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(LastTop());
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO info{};
            info.cbSize = sizeof info;
            info.fMask = SIF_TRACKPOS;
            ::GetScrollInfo(m_hWnd, SB_VERT, &info);
            ScrollTo(static_cast<size_t>(std::max(0, info.nTrackPos)));
            break;
        }
        default:
            break;
        }
        return true;
    }
    case WM_CONTEXTMENU:
        ShowContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    default:
        return false;
    }
}

bool CResultView::OnEditMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const std::string& text = m_text.Text();
    // Other programs get each line's exact number, counted from the top.
    const auto lineArg = [&](WPARAM value) {
        if (static_cast<int>(value) == -1) {
            return m_text.ExactLineOf(m_caret);
        }
        m_text.LayOutThrough(static_cast<size_t>(value));
        return static_cast<size_t>(value);
    };
    switch (msg) {
    case EM_GETSEL: {
        const size_t start = SelStart();
        const size_t end = SelEnd();
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
        const long long start = static_cast<int>(wParam);
        const long long end = static_cast<int>(lParam);
        const auto clampTo = [&](long long at) {
            return at < 0 || static_cast<size_t>(at) > text.size() ? text.size()
                                                                   : static_cast<size_t>(at);
        };
        if (start == -1) {
            m_anchor = m_caret;
        } else {
            m_anchor = clampTo(start);
            m_caret = clampTo(end);
        }
        m_goalX = -1;
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
        UpdateCaret();
        return true;
    }
    case EM_GETLINECOUNT:
        m_text.LayOutAll();
        result = static_cast<LRESULT>(m_text.Lines());
        return true;
    case EM_LINEINDEX: {
        const size_t line = lineArg(wParam);
        result = line < m_text.Lines() ? static_cast<LRESULT>(m_text.LineStart(line)) : -1;
        return true;
    }
    case EM_LINEFROMCHAR:
        result = static_cast<LRESULT>(m_text.ExactLineOf(
            static_cast<int>(wParam) == -1 ? SelStart() : static_cast<size_t>(wParam)));
        return true;
    case EM_LINELENGTH: {
        const size_t line =
            m_text.LineOf(static_cast<int>(wParam) == -1 ? m_caret : static_cast<size_t>(wParam));
        const size_t start = m_text.LineStart(line);
        result = static_cast<LRESULT>(m_text.LineEnd(line) - start);
        return true;
    }
    case EM_GETLINE: {
        const size_t line = lineArg(wParam);
        result = 0;
        if (line < m_text.Lines() && lParam != 0) {
            char* buffer = reinterpret_cast<char*>(lParam);
            const size_t room = *reinterpret_cast<const WORD*>(buffer);
            const size_t start = m_text.LineStart(line);
            const size_t count = std::min(room, m_text.LineEnd(line) - start);
            std::copy_n(text.data() + start, count, buffer);
            result = static_cast<LRESULT>(count);
        }
        return true;
    }
    case EM_POSFROMCHAR: {
        if (wParam > text.size()) {
            result = -1;
            return true;
        }
        const POINT at = PointOf(static_cast<size_t>(wParam));
        result = MAKELRESULT(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
        return true;
    }
    case EM_CHARFROMPOS: {
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const size_t at = OffsetAtPoint(point);
        const size_t line = m_text.ExactLineOf(at);
        result = MAKELRESULT(std::min<size_t>(at, 0xFFFF), std::min<size_t>(line, 0xFFFF));
        return true;
    }
    case EM_GETFIRSTVISIBLELINE:
        result = static_cast<LRESULT>(m_text.ExactLineOf(m_topOffset));
        return true;
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
    case EM_CANUNDO:
    case EM_REPLACESEL:
    case EM_UNDO:
    case WM_UNDO:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
        result = 0;
        return true;
    case WM_COPY:
        Copy();
        result = 0;
        return true;
    default:
        return false;
    }
}

bool CResultView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_SETFONT) {
        m_fontMeasured = false;
    }
    if (!m_showing) {
        return false;
    }
    switch (msg) {
    case WM_SETTEXT:
        Leave();
        return false;
    case WM_GETTEXT: {
        const size_t room = static_cast<size_t>(wParam);
        result = 0;
        if (room > 0 && lParam != 0) {
            const size_t count = std::min(room - 1, m_text.Text().size());
            char* buffer = reinterpret_cast<char*>(lParam);
            std::copy_n(m_text.Text().data(), count, buffer);
            buffer[count] = '\0';
            result = static_cast<LRESULT>(count);
        }
        return true;
    }
    case WM_GETTEXTLENGTH:
        result = static_cast<LRESULT>(m_text.Text().size());
        return true;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        const HDC dc = ::BeginPaint(m_hWnd, &paint);
        Paint(dc);
        ::EndPaint(m_hWnd, &paint);
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
            Relayout();
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
        break;
    }
    if (OnEditMessage(msg, wParam, lParam, result)) {
        return true;
    }
    if (OnInput(msg, wParam, lParam)) {
        result = 0;
        return true;
    }
    return false;
}
