// The calendar's selected day and its bold noted days.
#include "app/quillet_dlg_win.h"

#include "notes/calendar_marks.h"

std::string CQuilletDlg::GetSelDayKey() const {
    SYSTEMTIME date{};
    if (!m_calendar.GetCurSel(date)) {
        return FormatTime(0, "%d%m%y");
    }
    return DayKeyFromDate(date.wYear, date.wMonth, date.wDay);
}

void CQuilletDlg::MarkNotedDays() {
    const std::vector<uint32_t> marks =
        MakeDayStates(m_calendar.GetMonthRangeWithDayStates(), GetSelDayKey(), m_arrDays);
    if (marks.empty()) {
        return;
    }
    std::vector<MONTHDAYSTATE> states(marks.begin(), marks.end());
    m_calendar.SetDayState(states);
}
