// Date keys and day notes: checking keys, sorting days, and joining days stored twice.
#include "base/day_note.h"

#include "base/stored_text.h"

#include <string_view>
#include <unordered_map>
#include <utility>

int DaysInMonth(int year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) {
        return 0;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool DateOfDayKey(std::string_view key, int& year, int& month, int& day) {
    if (key.size() != 6) {
        return false;
    }
    int parts[3] = {};
    for (size_t i = 0; i < 6; ++i) {
        if (key[i] < '0' || key[i] > '9') {
            return false;
        }
        parts[i / 2] = parts[i / 2] * 10 + (key[i] - '0');
    }
    year = parts[2] + (parts[2] >= kFirstKeyYear % 100 ? 1900 : 2000);
    month = parts[1];
    day = parts[0];
    return day >= 1 && day <= DaysInMonth(year, month);
}

bool IsBlankNote(const std::string& text) {
    for (const char c : text) {
        if (c != ' ' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
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

namespace {

// Whether the text is the piece or has it as one of its lines-joined pieces.
bool HoldsPiece(const std::string& text, const std::string& piece) {
    const std::string inner = "\r\n" + piece + "\r\n";
    const std::string wrapped = "\r\n" + text + "\r\n";
    return wrapped.find(inner) != std::string::npos;
}

} // namespace

bool MergeDuplicateDays(DayArray& days) {
    // In strict date order, as the program writes a file, no day can be there twice; the check
    // costs no allocation, the map below one for every day.
    bool strict = true;
    for (size_t i = 1; i < days.size() && strict; ++i) {
        strict = CSortKey(days[i - 1].strDate).Compare(CSortKey(days[i].strDate)) < 0;
    }
    if (strict) {
        return false;
    }
    std::unordered_map<std::string_view, size_t> first;
    first.reserve(days.size());
    std::vector<bool> gone(days.size(), false);
    bool merged = false;
    for (size_t i = 0; i < days.size(); ++i) {
        const auto [at, isNew] = first.emplace(days[i].strDate, i);
        if (isNew) {
            continue;
        }
        merged = gone[i] = true;
        std::string& kept = days[at->second].strNote;
        const std::string& more = days[i].strNote;
        if (IsBlankNote(more) || HoldsPiece(kept, more)) {
            continue;
        }
        // Bytes kept as read join as they show.
        kept = IsBlankNote(kept) ? more : ShownText(kept) + "\r\n" + ShownText(more);
    }
    if (merged) {
        size_t out = 0;
        for (size_t i = 0; i < days.size(); ++i) {
            if (!gone[i]) {
                if (out != i) {
                    days[out] = std::move(days[i]);
                }
                ++out;
            }
        }
        days.resize(out);
    }
    return merged;
}
