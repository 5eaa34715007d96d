// The calendar control's selected day as a date key, and its noted days made bold.
#include "notes/calendar_win.h"

#include "base/time_format.h"
#include "notes/calendar_marks.h"

std::string GetSelDayKey(const CMonthCalCtrl& calendar) {
    SYSTEMTIME date{};
    if (!calendar.GetCurSel(date)) {
        return FormatTime(0, kDayKeyPattern);
    }
    return DayKeyFromDate(date.wYear, date.wMonth, date.wDay);
}

void MarkNotedDays(const CMonthCalCtrl& calendar, const DayArray& days) {
    const std::vector<uint32_t> marks =
        MakeDayStates(calendar.GetMonthRangeWithDayStates(), GetSelDayKey(calendar), days);
    if (marks.empty()) {
        return;
    }
    std::vector<MONTHDAYSTATE> states(marks.begin(), marks.end());
    calendar.SetDayState(states);
}
