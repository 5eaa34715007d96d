// What the notes need of the calendar control: the selected day, and the noted days marked.
#pragma once

#include "base/day_note.h"
#include "win/controls_win.h"

#include <string>

// Date key of the day selected in the calendar; with no selection, that of time 0.
std::string GetSelDayKey(const CMonthCalCtrl& calendar);

// Shows the noted days of the selected month in bold.
void MarkNotedDays(const CMonthCalCtrl& calendar, const DayArray& days);
