// Finding, storing and dating day notes by their keys.
#include "notes/day_notes.h"

#include "base/time_format.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

std::string Part(const std::string& key, size_t from) {
    return from < key.size() ? key.substr(from, 2) : std::string();
}

} // namespace

std::string DayKeyFromDate(int year, int month, int day) {
    // From the date itself: a local midnight may not exist where daylight saving starts at 0:00.
    if (year < kFirstKeyYear || year > kLastKeyYear || day < 1 || day > DaysInMonth(year, month)) {
        return std::string();
    }
    const char key[6] = {char('0' + day / 10),   char('0' + day % 10),       char('0' + month / 10),
                         char('0' + month % 10), char('0' + year / 10 % 10), char('0' + year % 10)};
    return std::string(key, sizeof key);
}

std::string FormatDayDate(const SDay& day, int order, const std::string& separator) {
    const std::string dd = Part(day.strDate, 0);
    const std::string mm = Part(day.strDate, 2);
    const std::string yy = Part(day.strDate, 4);
    switch (order) {
    case 0:
        return dd + separator + mm + separator + yy;
    case 1:
        return mm + separator + dd + separator + yy;
    case 2:
        return yy + separator + mm + separator + dd;
    default:
        return std::string();
    }
}

const std::string& GetDayNote(const std::string& key, const DayArray& days) {
    static const std::string empty;
    for (const SDay& day : days) {
        if (day.strDate == key) {
            return day.strNote;
        }
    }
    return empty;
}

void SetDayNote(const SDay& day, DayArray& days, bool ascending) {
    // Copy first: day may be an element of days.
    SDay stored = day;
    days.erase(std::remove_if(days.begin(), days.end(),
                              [&stored](const SDay& d) { return d.strDate == stored.strDate; }),
               days.end());
    if (IsBlankNote(stored.strNote)) {
        return;
    }
    const size_t pos = FindInsertPos(stored, days, ascending);
    days.insert(days.begin() + static_cast<std::ptrdiff_t>(pos), std::move(stored));
}

size_t FindInsertPos(const SDay& day, const DayArray& days, bool ascending) {
    const size_t n = days.size();
    if (n == 0) {
        return 0;
    }
    const CSortKey key(day.strDate);
    const int vsFirst = key.Compare(CSortKey(days[0].strDate));
    const int vsLast = key.Compare(CSortKey(days[n - 1].strDate));
    if (ascending && vsFirst < 0) {
        return 0;
    }
    if (ascending && vsLast > 0) {
        return n;
    }
    if (!ascending && vsFirst > 0) {
        return 0;
    }
    if (!ascending && vsLast < 0) {
        return n;
    }
    CSortKey previous(days[0].strDate);
    for (size_t i = 1; i < n; ++i) {
        const CSortKey current(days[i].strDate);
        const int vsPrevious = key.Compare(previous);
        const int vsCurrent = key.Compare(current);
        if (ascending && vsPrevious > 0 && vsCurrent <= 0) {
            return i;
        }
        if (!ascending && vsPrevious < 0 && vsCurrent >= 0) {
            return i;
        }
        previous = current;
    }
    return n;
}

uint32_t NotedDaysMask(const std::string& monthYear, const DayArray& days) {
    // One pass over the array; the first entry of each day's key decides, as in GetDayNote.
    uint32_t seen = 0;
    uint32_t noted = 0;
    for (const SDay& day : days) {
        const std::string& key = day.strDate;
        if (key.size() != 2 + monthYear.size() ||
            key.compare(2, std::string::npos, monthYear) != 0) {
            continue;
        }
        if (key[0] < '0' || key[0] > '3' || key[1] < '0' || key[1] > '9') {
            continue;
        }
        const int d = (key[0] - '0') * 10 + (key[1] - '0');
        if (d < 1 || d > 31) {
            continue;
        }
        const uint32_t bit = 1u << (d - 1);
        if (seen & bit) {
            continue;
        }
        seen |= bit;
        if (!IsBlankNote(day.strNote)) {
            noted |= bit;
        }
    }
    return noted;
}
