// The records of the notes: a day note under its date key, and the notebook that holds them all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The strftime pattern of a date key: two-digit day, month and year in local time.
constexpr const char* kDayKeyPattern = "%d%m%y";

// The years whose days have keys of their own: a two-digit year names one of these only.
constexpr int kFirstKeyYear = 1970;
constexpr int kLastKeyYear = 2069;

// Days in a month of the Gregorian calendar; 0 for a month that is not 1 to 12.
int DaysInMonth(int year, int month);
// The date a key names, when it is six digits naming a day that exists (year 70 to 99 as 19xx,
// else 20xx).
bool DateOfDayKey(std::string_view key, int& year, int& month, int& day);
inline bool IsRealDayKey(std::string_view key) {
    int year, month, day;
    return DateOfDayKey(key, year, month, day);
}

// One day note: the date key of the day, then the note text.
struct SDay {
    std::string strDate;
    std::string strNote;
};

inline bool operator==(const SDay& a, const SDay& b) {
    return a.strDate == b.strDate && a.strNote == b.strNote;
}
inline bool operator!=(const SDay& a, const SDay& b) {
    return !(a == b);
}

using DayArray = std::vector<SDay>;

// The two parts of all notes: the every-day note and the day notes.
struct SNotebook {
    DayArray days;
    std::string everyDay;
};

inline bool operator==(const SNotebook& a, const SNotebook& b) {
    return a.everyDay == b.everyDay && a.days == b.days;
}

// yymmdd of a key: each part is at most two bytes, so the key fits in six.
class CSortKey {
public:
    explicit CSortKey(std::string_view key) {
        Append(key, 4);
        Append(key, 2);
        Append(key, 0);
    }
    std::string_view View() const { return std::string_view(m_bytes, m_size); }
    int Compare(const CSortKey& other) const { return View().compare(other.View()); }

private:
    void Append(std::string_view key, size_t from) {
        for (size_t i = from; i < from + 2 && i < key.size(); ++i) {
            m_bytes[m_size++] = key[i];
        }
    }
    char m_bytes[6];
    size_t m_size = 0;
};

// Only blanks, carriage returns and line feeds, or nothing.
bool IsBlankNote(const std::string& text);

bool IsDaysSorted(const DayArray& days, bool ascending);

// Selection sort by sort key: among equal keys the earliest entry in array order is taken and
// swapped into place, so the result is exactly that of the plain O(n^2) selection sort.
void SortDays(DayArray& days, bool ascending);

// One entry per key, where the first of its records stood: the texts of the later records follow
// on lines of their own, blank and repeated texts left out. True when there were any.
bool MergeDuplicateDays(DayArray& days);
