#pragma once

#include "notes/day_notes.h"

#include <string>

// Every entry whose "date note" line contains the search text, case-insensitively, each line
// followed by an empty line; "Empty" when nothing matches.
std::string SearchNotes(const std::string& searchText, const DayArray& days, int dateOrder = 0);
