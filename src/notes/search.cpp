#include "notes/search.h"

#include "notes/text_finder.h"

#include <algorithm>
#include <cstring>

namespace {

// Writes FormatDayDate(day, order, ".") + " " (at most 9 bytes) and returns its size.
size_t WriteHead(char* head, const SDay& day, int order) {
    static const size_t kParts[3][3] = {{0, 2, 4}, {2, 0, 4}, {4, 2, 0}};
    const std::string& key = day.strDate;
    size_t size = 0;
    if (order >= 0 && order <= 2) {
        for (int i = 0; i < 3; ++i) {
            if (i != 0) {
                head[size++] = '.';
            }
            for (size_t at = kParts[order][i]; at < kParts[order][i] + 2 && at < key.size(); ++at) {
                head[size++] = key[at];
            }
        }
    }
    head[size++] = ' ';
    return size;
}

void AppendHead(std::string& out, const SDay& day, int order) {
    char head[9];
    out.append(head, WriteHead(head, day, order));
}

// The C runtimes of Windows copy a byte at a time; sixteen at a time here.
void CopyBytes(char* to, const char* from, size_t size) {
    size_t at = 0;
    for (; at + 16 <= size; at += 16) {
        std::memcpy(to + at, from + at, 16);
    }
    for (; at < size; ++at) {
        to[at] = from[at];
    }
}

// Whether a match could start in the head "dd.mm.yy ", which holds only the key's bytes, points
// and a blank.
bool CouldStartInHead(const SDay& day, char first) {
    if (first == '.' || first == ' ') {
        return true;
    }
    const unsigned char* lower = SystemCodePageTables().lower;
    for (const char c : day.strDate) {
        if (static_cast<char>(lower[static_cast<unsigned char>(c)]) == first) {
            return true;
        }
    }
    return false;
}

size_t ResultSizeBound(const DayArray& days) {
    size_t size = 0;
    for (const SDay& day : days) {
        size += 9 + day.strNote.size() + 4;
    }
    return size;
}

// Calls match(day) for every entry whose line holds the search text, in array order, until match
// returns false.
template <typename Match>
void ForEachMatch(const std::string& searchText, const DayArray& days, int dateOrder, Match match) {
    const CLoweredFinder finder(LowerAnsi(searchText));
    const size_t reach = finder.Needle().empty() ? 0 : finder.Needle().size() - 1;
    const bool singleByte = !SystemCodePageTables().doubleByte;
    std::string line;
    const char first = finder.Needle().empty() ? ' ' : finder.Needle()[0];
    for (const SDay& day : days) {
        bool hit;
        if (singleByte) {
            // A match lies in the head (perhaps running into the note's first bytes) or wholly in
            // the note, so the whole line need not be built to test it.
            hit = finder.In(day.strNote);
            if (!hit && CouldStartInHead(day, first)) {
                line.clear();
                AppendHead(line, day, dateOrder);
                line.append(day.strNote, 0, std::min(reach, day.strNote.size()));
                hit = finder.In(line);
            }
        } else {
            line.clear();
            AppendHead(line, day, dateOrder);
            line.append(day.strNote);
            hit = finder.In(line);
        }
        if (hit && !match(day)) {
            return;
        }
    }
}

} // namespace

std::string WithThousands(size_t n) {
    std::string digits = std::to_string(n);
    for (size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

std::string SearchNotes(const std::string& searchText, const DayArray& days, int dateOrder,
                        std::vector<SResultEntry>* entries) {
    std::string result;
    if (entries != nullptr) {
        entries->clear();
    }
    size_t size = 0;
    ForEachMatch(searchText, days, dateOrder, [&](const SDay& day) {
        const size_t needed = 9 + day.strNote.size() + 4;
        if (size + needed > result.size()) {
            // Grown in steps, so that a short result never clears room for a long one.
            if (result.empty()) {
                result.reserve(ResultSizeBound(days));
                if (entries != nullptr) {
                    entries->reserve(days.size()); // growing it moved every entry again and again
                }
            }
            result.resize(
                std::min(result.capacity(), std::max(size + needed, 2 * size + 64 * 1024)));
        }
        if (entries != nullptr) {
            entries->push_back(SResultEntry{size, day.strDate});
        }
        char* out = &result[0];
        size += WriteHead(out + size, day, dateOrder);
        CopyBytes(out + size, day.strNote.data(), day.strNote.size());
        size += day.strNote.size();
        std::memcpy(out + size, "\r\n\r\n", 4);
        size += 4;
        return true;
    });
    if (size == 0) {
        return "Empty";
    }
    result.resize(size);
    return result;
}
