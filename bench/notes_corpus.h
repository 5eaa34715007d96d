#pragma once

#include "notes/day_notes.h"

#include <cstdint>
#include <string>

// A hundred years of day notes as a long-time user would have them: one note a day from 1926 to
// 2025, 20 to 400 bytes of words, some on several lines, held in sort-key order, and a 4 KB
// every-day note. The same seed always gives the same notes.
struct SNotesCorpus {
    DayArray days;
    std::string everyDay;
};

SNotesCorpus MakeNotesCorpus(uint32_t seed);

// "%d%m%y" without the C library's local time, which does not reach back before 1970.
std::string DayKey(int year, int month, int day);
