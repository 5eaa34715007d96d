// The calendar's selected day and its bold noted days.
#include "app/quillet_dlg_win.h"

std::string CQuilletDlg::GetSelDayKey() const {
    SYSTEMTIME date{};
    if (!m_calendar.GetCurSel(date)) {
        return FormatTime(0, "%d%m%y");
    }
    return DayKeyFromDate(date.wYear, date.wMonth, date.wDay);
}

void CQuilletDlg::MarkNotedDays() {
    const int months = m_calendar.GetMonthRangeWithDayStates();
    if (months <= 0) {
        return;
    }
    std::vector<MONTHDAYSTATE> states(static_cast<size_t>(months), 0);
    const std::string key = GetSelDayKey();
    const std::string base = key.size() > 4 ? key.substr(key.size() - 4) : key;
    // The range starts with the partly shown month before the selected one; a range of a single
    // month holds only the selected month, and nothing may be written past the range.
    const size_t selected = states.size() >= 2 ? 1 : 0;
    states[selected] = NotedDaysMask(base, m_arrDays);
    m_calendar.SetDayState(states);
}
