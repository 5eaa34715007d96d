// The calendar's bold days for its display range, worked out without the control.
#include "notes/calendar_marks.h"

std::vector<uint32_t> MakeDayStates(int months, const std::string& selectedKey,
                                    const DayArray& days) {
    if (months <= 0) {
        return {};
    }
    std::vector<uint32_t> states(static_cast<size_t>(months), 0);
    // Month and year of the selected day: the last four characters of its key.
    const std::string base =
        selectedKey.size() > 4 ? selectedKey.substr(selectedKey.size() - 4) : selectedKey;
    states[states.size() >= 2 ? 1 : 0] = NotedDaysMask(base, days);
    return states;
}
