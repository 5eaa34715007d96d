// Day notes by date key: the key of a date, its date as text, and getting and setting notes.
#pragma once

#include "base/day_note.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The date key of a calendar day; empty for a date that does not exist or lies outside the years
// that have keys of their own.
std::string DayKeyFromDate(int year, int month, int day);

// dd, mm and yy of the key joined with the separator: order 0 day-month-year, 1 month-day-year,
// 2 year-month-day; any other order gives the empty text. Parts beyond the key's end are short.
std::string FormatDayDate(const SDay& day, int order, const std::string& separator);

// Note of the first entry with the key; empty when there is none.
const std::string& GetDayNote(const std::string& key, const DayArray& days);

// Removes every entry of the day's key, then inserts the day in order unless its note is blank.
void SetDayNote(const SDay& day, DayArray& days, bool ascending);

size_t FindInsertPos(const SDay& day, const DayArray& days, bool ascending);

// Bit d-1 set when the day d (1 to 31) of the month "mmyy" has a note that is not blank, found
// the way GetDayNote finds it.
uint32_t NotedDaysMask(const std::string& monthYear, const DayArray& days);
