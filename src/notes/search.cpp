// The search over all notes, building the whole result text in one pass.
#include "notes/search.h"

#include "base/stored_text.h"
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

// A kept note's bytes cannot be searched or shown as they are; every other note can.
const std::string& NoteText(const SDay& day, std::string& shown) {
    if (!IsKeptBytes(day.strNote)) {
        return day.strNote;
    }
    shown = ShownText(day.strNote);
    return shown;
}

size_t ResultSizeBound(const DayArray& days) {
    size_t size = 0;
    for (const SDay& day : days) {
        // Kept bytes are shown as UTF-8, at most three bytes for each.
        const size_t note = day.strNote.size() * (IsKeptBytes(day.strNote) ? 3 : 1);
        size += 9 + note + 4;
    }
    return size;
}

// Calls match(day, note text) for every entry whose line holds the search text, in array order,
// until match returns false.
template <typename Match>
void ForEachMatch(const std::string& searchText, const DayArray& days, int dateOrder, Match match) {
    const CTextFinder finder(searchText);
    std::string shown;
    for (const SDay& day : days) {
        const std::string& note = NoteText(day, shown);
        // A match lies in the note or starts in the head, so the whole line need not be made.
        bool ascii = false;
        bool hit = finder.InText(note.data(), note.size(), &ascii);
        if (!hit && finder.MayStartInHead(day.strDate)) {
            char head[9];
            hit = finder.InHead(head, WriteHead(head, day, dateOrder), note.data(), note.size(),
                                ascii);
        }
        if (hit && !match(day, note)) {
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
    ForEachMatch(searchText, days, dateOrder, [&](const SDay& day, const std::string& note) {
        const size_t needed = 9 + note.size() + 4;
        if (size + needed > result.size()) {
            // Grown in steps, so that a short result never clears room for a long one.
            if (result.empty()) {
                result.reserve(ResultSizeBound(days));
                if (entries != nullptr) {
                    entries->reserve(days.size()); // growing it moved every entry again and again
                }
            }
            result.resize(
                std::max(size + needed, std::min(result.capacity(), 2 * size + 64 * 1024)));
        }
        if (entries != nullptr) {
            entries->push_back(SResultEntry{size, day.strDate});
        }
        char* out = &result[0];
        size += WriteHead(out + size, day, dateOrder);
        CopyBytes(out + size, note.data(), note.size());
        size += note.size();
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
