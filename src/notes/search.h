#pragma once

#include "notes/day_notes.h"

#include <string>
#include <vector>

// Where a listed note starts in the text shown, and its day.
struct SResultEntry {
    size_t offset;
    std::string key;
};

// Every entry whose "date note" line contains the search text, case-insensitively, each line
// followed by an empty line; "Empty" when nothing matches. Entries, when asked for, get where
// each listed note starts.
std::string SearchNotes(const std::string& searchText, const DayArray& days, int dateOrder = 0,
                        std::vector<SResultEntry>* entries = nullptr);

// A count with a comma between each three digits: 1,234.
std::string WithThousands(size_t n);
