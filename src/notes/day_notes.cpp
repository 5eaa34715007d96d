#include "notes/day_notes.h"

#include "base/time_format.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// yymmdd of a key: each part is at most two bytes, so the key fits in six.
class CSortKey {
public:
    explicit CSortKey(const std::string& key) {
        Append(key, 4);
        Append(key, 2);
        Append(key, 0);
    }
    std::string_view View() const { return std::string_view(m_bytes, m_size); }
    int Compare(const CSortKey& other) const { return View().compare(other.View()); }

private:
    void Append(const std::string& key, size_t from) {
        for (size_t i = from; i < from + 2 && i < key.size(); ++i) {
            m_bytes[m_size++] = key[i];
        }
    }
    char m_bytes[6];
    size_t m_size = 0;
};

std::string Part(const std::string& key, size_t from) {
    return from < key.size() ? key.substr(from, 2) : std::string();
}

} // namespace

std::string DayKeyFromDate(int year, int month, int day) {
    const QTime midnight = LocalMidnight(year, month, day);
    if (midnight == -1) {
        return std::string();
    }
    return FormatTime(midnight, kDayKeyPattern);
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

std::string SortKey(const SDay& day) {
    return std::string(CSortKey(day.strDate).View());
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

bool IsBlankNote(const std::string& text) {
    for (const char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
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

bool IsDaysSorted(const DayArray& days, bool ascending) {
    for (size_t i = 1; i < days.size(); ++i) {
        const int c = CSortKey(days[i - 1].strDate).Compare(CSortKey(days[i].strDate));
        if ((ascending && c > 0) || (!ascending && c < 0)) {
            return false;
        }
    }
    return true;
}

namespace {

// A tournament tree over the positions not yet placed. Each node holds the position that a
// selection-sort scan of its range would pick: the best key, and among equal keys the lowest
// position. Swapping updates two leaves, so every step of the sort costs O(log n).
class CSelectionTree {
public:
    CSelectionTree(const std::vector<CSortKey>& keys, bool ascending)
        : m_keys(keys), m_ascending(ascending) {
        m_size = 1;
        while (m_size < keys.size()) {
            m_size *= 2;
        }
        m_nodes.assign(2 * m_size, kNone);
        for (size_t i = 0; i < keys.size(); ++i) {
            m_nodes[m_size + i] = i;
        }
        for (size_t node = m_size - 1; node >= 1; --node) {
            m_nodes[node] = Pick(m_nodes[2 * node], m_nodes[2 * node + 1]);
        }
    }

    size_t Best() const { return m_nodes[1]; }

    // Position pos now holds another key (or, with placed set, leaves the contest).
    void Update(size_t pos, bool placed) {
        size_t node = m_size + pos;
        m_nodes[node] = placed ? kNone : pos;
        for (node /= 2; node >= 1; node /= 2) {
            m_nodes[node] = Pick(m_nodes[2 * node], m_nodes[2 * node + 1]);
        }
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    size_t Pick(size_t a, size_t b) const {
        if (a == kNone) {
            return b;
        }
        if (b == kNone) {
            return a;
        }
        const int c = m_keys[a].Compare(m_keys[b]);
        const bool bWins = m_ascending ? c > 0 : c < 0;
        if (bWins) {
            return b;
        }
        if (c == 0) {
            return a < b ? a : b;
        }
        return a;
    }

    const std::vector<CSortKey>& m_keys;
    bool m_ascending;
    size_t m_size = 0;
    std::vector<size_t> m_nodes;
};

} // namespace

void SortDays(DayArray& days, bool ascending) {
    const size_t n = days.size();
    if (n < 2) {
        return;
    }
    std::vector<CSortKey> keys;
    keys.reserve(n);
    for (const SDay& day : days) {
        keys.emplace_back(day.strDate);
    }
    CSelectionTree tree(keys, ascending);
    for (size_t i = 0; i + 1 < n; ++i) {
        const size_t b = tree.Best();
        if (b != i) {
            std::swap(days[i], days[b]);
            std::swap(keys[i], keys[b]);
            tree.Update(b, false);
        }
        tree.Update(i, true);
    }
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
