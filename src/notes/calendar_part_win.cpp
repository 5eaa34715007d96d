// The month calendar's control: its font, colours, first day, week numbers and room.
#include "notes/calendar_part_win.h"

#include "base/day_note.h"
#include "win/convert_win.h"

#include <algorithm>

void CCalendarPart::Attach(HWND dialog, int id) {
    m_dialog = dialog;
    m_control.Attach(::GetDlgItem(dialog, id));
    // A two-digit year names one day in each century: only one century is selectable.
    m_control.SetYearRange(kFirstKeyYear, kLastKeyYear);
    RECT place = ToRECT(m_control.GetWindowRect());
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    m_base = ToSRect(place);
}

void CCalendarPart::SetColors(uint32_t back, uint32_t frame, uint32_t text) const {
    m_control.SetColor(MCSC_BACKGROUND, back);
    m_control.SetColor(MCSC_MONTHBK, back);
    m_control.SetColor(MCSC_TEXT, text);
    m_control.SetColor(MCSC_TITLEBK, frame);
    m_control.SetColor(MCSC_TITLETEXT, back);
    m_control.SetColor(MCSC_TRAILINGTEXT, back);
}

void CCalendarPart::SetFont(const SLogFont& font, int dpi) {
    // The control takes the new font before the old one is released.
    CFontHandle built = CreateStoredFont(font, dpi);
    m_control.SetFont(built.Get(), true);
    m_font = std::move(built);
}

void CCalendarPart::SetMondayFirst(bool mondayFirst) const {
    m_control.SetFirstDayOfWeek(mondayFirst ? 0 : 6);
}

void CCalendarPart::SetWeekNumbers(bool weekNumbers) const {
    const HWND control = m_control.GetSafeHwnd();
    const LONG_PTR was = ::GetWindowLongPtrA(control, GWL_STYLE);
    const LONG_PTR style = weekNumbers ? (was | MCS_WEEKNUMBERS) : (was & ~MCS_WEEKNUMBERS);
    if (style == was) {
        return; // as at most starts: nothing to draw again
    }
    ::SetWindowLongPtrA(control, GWL_STYLE, style);
    // The column the week numbers took is drawn again.
    ::InvalidateRect(control, nullptr, TRUE);
}

SPoint CCalendarPart::Growth() const {
    RECT needed{};
    if (!m_control.SendMessage(MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&needed))) {
        return SPoint{};
    }
    return SPoint{std::max(0, static_cast<int>(needed.right - needed.left) - m_base.Width()),
                  std::max(0, static_cast<int>(needed.bottom - needed.top) - m_base.Height())};
}

void CCalendarPart::Place(SPoint growth) const {
    m_control.MoveWindow(
        SRect{m_base.left, m_base.top, m_base.right + growth.x, m_base.bottom + growth.y}, false);
}

void CCalendarPart::ScaleBase(int fromDpi, int toDpi) {
    m_base = SRect{::MulDiv(m_base.left, toDpi, fromDpi), ::MulDiv(m_base.top, toDpi, fromDpi),
                   ::MulDiv(m_base.right, toDpi, fromDpi), ::MulDiv(m_base.bottom, toDpi, fromDpi)};
}
