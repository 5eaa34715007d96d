// Which days the calendar shows in bold, as the states the control takes.
#pragma once

#include "notes/day_notes.h"

#include <cstdint>
#include <string>
#include <vector>

// The bold-day states for a calendar whose display range holds `months` months: the selected
// month's noted days, all other months plain. The range starts with the partly shown month before
// the selected one; a range of one month holds only the selected month. Never more states than
// the range asks for.
std::vector<uint32_t> MakeDayStates(int months, const std::string& selectedKey,
                                    const DayArray& days);
