#pragma once

#include <string>
#include <vector>

// The strftime pattern of a date key: two-digit day, month and year in local time.
constexpr const char* kDayKeyPattern = "%d%m%y";

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
