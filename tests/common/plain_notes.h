#pragma once

// The store's rules written the plain way (linear lookups, quadratic sort), for tests, fuzz targets
// and benchmarks to hold the fast paths against.

#include "notes/day_notes.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace plain {

inline std::string SortText(const SDay& day) {
    const std::string& k = day.strDate;
    auto part = [&k](size_t from) { return from < k.size() ? k.substr(from, 2) : std::string(); };
    return part(4) + part(2) + part(0);
}

// The 31 lookups of one calendar refresh.
inline uint32_t NotedDays(const std::string& monthYear, const DayArray& days) {
    uint32_t mask = 0;
    for (int d = 1; d <= 31; ++d) {
        const std::string key = (d <= 9 ? "0" : "") + std::to_string(d) + monthYear;
        if (!IsBlankNote(GetDayNote(key, days))) {
            mask |= 1u << (d - 1);
        }
    }
    return mask;
}

// Selection sort with a strict comparison: the earliest best entry is swapped into place.
inline void SelectionSort(DayArray& days, bool ascending) {
    std::vector<std::string> keys;
    for (const SDay& day : days) {
        keys.push_back(SortText(day));
    }
    for (size_t i = 0; i + 1 < days.size(); ++i) {
        size_t b = i;
        for (size_t j = i + 1; j < days.size(); ++j) {
            if (ascending ? keys[b] > keys[j] : keys[b] < keys[j]) {
                b = j;
            }
        }
        if (b != i) {
            std::swap(days[i], days[b]);
            std::swap(keys[i], keys[b]);
        }
    }
}

inline size_t InsertPos(const SDay& day, const DayArray& days, bool ascending) {
    const size_t n = days.size();
    if (n == 0) {
        return 0;
    }
    const std::string key = SortText(day);
    if (ascending && key < SortText(days[0])) {
        return 0;
    }
    if (ascending && key > SortText(days[n - 1])) {
        return n;
    }
    if (!ascending && key > SortText(days[0])) {
        return 0;
    }
    if (!ascending && key < SortText(days[n - 1])) {
        return n;
    }
    for (size_t i = 1; i < n; ++i) {
        const std::string before = SortText(days[i - 1]);
        const std::string at = SortText(days[i]);
        if (ascending && before < key && key <= at) {
            return i;
        }
        if (!ascending && before > key && key >= at) {
            return i;
        }
    }
    return n;
}

// Removes the entries of the key one at a time, then inserts where InsertPos says.
inline void SetDayNote(const SDay& day, DayArray& days, bool ascending) {
    SDay stored = day;
    for (size_t i = 0; i < days.size();) {
        if (days[i].strDate == stored.strDate) {
            days.erase(days.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    if (!IsBlankNote(stored.strNote)) {
        days.insert(days.begin() + static_cast<std::ptrdiff_t>(InsertPos(stored, days, ascending)),
                    stored);
    }
}

} // namespace plain
