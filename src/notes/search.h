#pragma once

#include "notes/day_notes.h"

#include <string>
#include <vector>

// Every entry whose "date note" line contains the search text, case-insensitively, each line
// followed by an empty line; "Empty" when nothing matches.
std::string SearchNotes(const std::string& searchText, const DayArray& days, int dateOrder = 0);

// What the notes box shows for a search: the whole result while it holds at most `bound` bytes;
// past that, its first whole entries within the bound and then one line with the number of the
// further matching notes.
// A count with a comma between each three digits: 1,234.
std::string WithThousands(size_t n);

// Where a listed note starts in the text shown, and its day.
struct SResultEntry {
    size_t offset;
    std::string key;
};
std::string SearchNotesForDisplay(const std::string& searchText, const DayArray& days, size_t bound,
                                  int dateOrder = 0, std::vector<SResultEntry>* entries = nullptr);
