#pragma once

// The store's rules written the plain way (linear lookups, quadratic sort), for tests, fuzz targets
// and benchmarks to hold the fast paths against.

#include "base/stored_text.h"
#include "base/unicode.h"
#include "base/utf8.h"
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

// The search's rule: each line and the search text folded into code points (FoldCharacter), the
// needle tried from every one of them. A Latin, Greek or Cyrillic letter of the needle takes the
// marks after it in the line when it has none, else exactly its own in canonical order.
struct SFoldedCode {
    char32_t code;
    unsigned combiningClass;
    bool isMark;
    bool accentable;
};

inline std::vector<SFoldedCode> FoldedCodes(const std::string& text) {
    std::vector<SFoldedCode> codes;
    for (size_t at = 0; at < text.size();) {
        const SFoldedChar c = FoldCharacter(DecodeUtf8(text.data(), text.size(), at));
        codes.push_back({c.first, c.combiningClass, c.isMark, c.accentable});
        for (unsigned i = 0; i < c.markCount; ++i) {
            codes.push_back({c.marks[i], FoldCharacter(c.marks[i]).combiningClass, true, false});
        }
    }
    return codes;
}

// The marks from `at` on, moving past them, in canonical order.
inline std::vector<char32_t> MarksFrom(const std::vector<SFoldedCode>& codes, size_t& at) {
    std::vector<SFoldedCode> marks;
    while (at < codes.size() && codes[at].isMark) {
        marks.push_back(codes[at++]);
    }
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t i = 1; i < marks.size(); ++i) {
            if (marks[i].combiningClass != 0 &&
                marks[i - 1].combiningClass > marks[i].combiningClass) {
                std::swap(marks[i - 1], marks[i]);
                swapped = true;
            }
        }
    }
    std::vector<char32_t> out;
    for (const SFoldedCode& mark : marks) {
        out.push_back(mark.code);
    }
    return out;
}

inline bool FoldedMatchAt(const std::vector<SFoldedCode>& line, size_t at,
                          const std::vector<SFoldedCode>& needle) {
    for (size_t k = 0; k < needle.size();) {
        if (at >= line.size() || line[at].code != needle[k].code) {
            return false;
        }
        const bool accentable = needle[k++].accentable;
        ++at;
        if (accentable) {
            const std::vector<char32_t> want = MarksFrom(needle, k);
            const std::vector<char32_t> got = MarksFrom(line, at);
            if (!want.empty() && want != got) {
                return false;
            }
        }
    }
    return true;
}

inline std::string SearchNotes(const std::string& searchText, const DayArray& days,
                               int dateOrder = 0) {
    const std::vector<SFoldedCode> needle = FoldedCodes(searchText);
    std::string result;
    for (const SDay& day : days) {
        const std::string line = FormatDayDate(day, dateOrder, ".") + " " + ShownText(day.strNote);
        const std::vector<SFoldedCode> codes = FoldedCodes(line);
        bool hit = needle.empty();
        for (size_t at = 0; at < codes.size() && !hit; ++at) {
            hit = FoldedMatchAt(codes, at, needle);
        }
        if (hit) {
            result += line + "\r\n\r\n";
        }
    }
    return result.empty() ? "Empty" : result;
}

} // namespace plain
