// The search over all day notes, and the text that lists what it found.
#pragma once

#include "notes/day_notes.h"

#include <string>
#include <vector>

// Where a listed note starts in the text shown, and its day.
struct SResultEntry {
    size_t offset;
    std::string key;
};

// Every entry whose "date note" line contains the search text by folded characters (any letter
// case; accents only where the search text has them, see CFoldedNeedle), each line followed by
// an empty line; kept bytes are searched and listed as their shown text. "Empty" when nothing
// matches. Entries, when asked for, get where each listed note starts (a byte offset).
std::string SearchNotes(const std::string& searchText, const DayArray& days, int dateOrder = 0,
                        std::vector<SResultEntry>* entries = nullptr);

// A count with a comma between each three digits: 1,234.
std::string WithThousands(size_t n);
