// The result view's keys, mouse, scrolling and clipboard.
#include "notes/result_view_win.h"

#include "base/utf8.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr UINT_PTR kDragTimer = 0x5153;
constexpr UINT kDragTimerMs = 100;
// Moves up to this many lines are counted in laid-out lines.
constexpr long long kCountedReach = 1024;

bool KeyDown(int key) {
    return ::GetKeyState(key) < 0;
}

} // namespace

void CResultView::Relayout(bool newFont) {
    // The view keeps the text at its top in place, laying out only what is around it.
    if (newFont) {
        m_text.Relayout(m_measure, m_format.right - m_format.left);
    } else {
        m_text.Rewrap(m_format.right - m_format.left);
    }
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
    return POINT{m_format.left + XOf(line, offset),
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
    m_caret = m_text.CharacterStart(std::min(offset, m_text.Text().size()));
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
    return OffsetAt(static_cast<size_t>(line), point.x - m_format.left);
}

void CResultView::MoveCaretByLines(long long lines, bool extend) {
    const size_t line = LinesAround(m_caret, lines);
    if (m_goalX < 0) {
        m_goalX = XOf(line, m_caret);
    }
    const int goal = m_goalX;
    const long long target = std::clamp<long long>(static_cast<long long>(line) + lines, 0,
                                                   static_cast<long long>(m_text.Lines()) - 1);
    MoveCaret(OffsetAt(static_cast<size_t>(target), goal), extend);
    m_goalX = goal;
}

void CResultView::OnKeyDown(WPARAM key) {
    const bool shift = KeyDown(VK_SHIFT);
    const bool ctrl = KeyDown(VK_CONTROL);
    const long long page = VisibleLines();
    if (key == VK_UP || key == VK_DOWN) {
        MoveCaretByLines(key == VK_UP ? -1 : 1, shift);
        return;
    }
    if (key == VK_PRIOR || key == VK_NEXT) {
        ScrollBy(key == VK_PRIOR ? -page : page);
        MoveCaretByLines(key == VK_PRIOR ? -page : page, shift);
        return;
    }
    m_goalX = -1;
    const size_t line = m_text.LineOf(m_caret);
    const bool collapse = m_anchor != m_caret && !shift && !ctrl;
    switch (key) {
    case VK_LEFT:
        MoveCaret(collapse ? SelStart()
                  : ctrl   ? m_text.WordStart(m_text.Prior(m_caret))
                           : m_text.Prior(m_caret),
                  shift && !collapse);
        break;
    case VK_RIGHT:
        MoveCaret(collapse ? SelEnd()
                  : ctrl   ? m_text.WordEnd(m_caret)
                           : m_text.Next(m_caret),
                  shift && !collapse);
        break;
    case VK_HOME:
        MoveCaret(ctrl ? 0 : m_text.LineStart(line), shift);
        break;
    case VK_END:
        MoveCaret(ctrl ? m_text.Text().size() : m_text.LineEnd(line), shift);
        break;
    case 'A':
        m_anchor = 0;
        MoveCaret(m_text.Text().size(), true);
        break;
    case 'C':
    case VK_INSERT:
        Copy();
        break;
    default:
        break;
    }
}

bool CResultView::OnInput(UINT msg, WPARAM wParam, LPARAM lParam) {
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
    case WM_CONTEXTMENU:
        ShowContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return true;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
        return OnScrollInput(msg, wParam);
    default:
        return OnMouse(msg, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    }
}

bool CResultView::OnMouse(UINT msg, WPARAM wParam, POINT point) {
    switch (msg) {
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
    default:
        return false;
    }
}

bool CResultView::OnScrollInput(UINT msg, WPARAM wParam) {
    const long long page = VisibleLines();
    if (msg == WM_MOUSEWHEEL) {
        UINT perNotch = 3;
        ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
        m_wheel += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = m_wheel / WHEEL_DELTA;
        m_wheel -= notches * WHEEL_DELTA;
        ScrollBy(-notches * (perNotch == WHEEL_PAGESCROLL ? page : perNotch));
        return true;
    }
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
    case SB_LINEDOWN:
        ScrollBy(LOWORD(wParam) == SB_LINEUP ? -1 : 1);
        break;
    case SB_PAGEUP:
    case SB_PAGEDOWN:
        ScrollBy(LOWORD(wParam) == SB_PAGEUP ? -page : page);
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

void CResultView::Copy() const {
    const size_t start = SelStart();
    const size_t end = SelEnd();
    if (end == start) {
        return;
    }
    // Another program may hold the clipboard for a moment (a clipboard manager reading it).
    bool open = ::OpenClipboard(m_hWnd) != FALSE;
    for (int retry = 0; !open && retry < 5; ++retry) {
        ::Sleep(5);
        open = ::OpenClipboard(m_hWnd) != FALSE;
    }
    if (!open) {
        return;
    }
    ::EmptyClipboard();
    const std::string& text = m_text.Text();
    const size_t units = Utf16Length(text.data() + start, end - start);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (units + 1) * sizeof(wchar_t));
    wchar_t* wide = memory != nullptr ? static_cast<wchar_t*>(::GlobalLock(memory)) : nullptr;
    if (wide != nullptr) {
        wide[CopyUnits(text, start, end, wide, units)] = L'\0';
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
    const HMODULE user = ::GetModuleHandleW(L"user32.dll");
    HMENU menu = user != nullptr ? ::LoadMenuW(user, L"EDITMENU") : nullptr;
    if (menu == nullptr && user != nullptr) {
        menu = ::LoadMenuW(user, MAKEINTRESOURCEW(1));
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
