#pragma once

#include "notes/day_notes.h"

#include <cstdint>
#include <string>

// Day notes as a long-time user would have them: one note a day from the first year to the last
// (by default a hundred years, 1926 to 2025), 20 to 400 bytes of words, some on several lines,
// held in sort-key order, and a 4 KB every-day note. The same seed and years always give the same
// notes. Keys hold two-digit years, so a range longer than a hundred years repeats keys.
struct SNotesCorpus {
    DayArray days;
    std::string everyDay;
};

SNotesCorpus MakeNotesCorpus(uint32_t seed, int firstYear = 1926, int lastYear = 2025);

// "%d%m%y" without the C library's local time, which does not reach back before 1970.
std::string DayKey(int year, int month, int day);
