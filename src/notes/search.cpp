#include "notes/search.h"

#include "base/codepage.h"

#include <algorithm>

std::string SearchNotes(const std::string& searchText, const DayArray& days, int dateOrder) {
    const CLoweredFinder finder(LowerAnsi(searchText));
    const size_t reach = finder.Needle().empty() ? 0 : finder.Needle().size() - 1;
    const bool singleByte = !SystemCodePage().doubleByte;
    std::string result;
    std::string line;
    for (const SDay& day : days) {
        const std::string head = FormatDayDate(day, dateOrder, ".") + " ";
        bool hit;
        if (singleByte) {
            // The line is "date note": a match lies in the head (perhaps running into the note's
            // first bytes) or wholly in the note, so the whole line need not be built to test it.
            line.assign(head);
            line.append(day.strNote, 0, std::min(reach, day.strNote.size()));
            hit = finder.In(line) || finder.In(day.strNote);
        } else {
            line.assign(head).append(day.strNote);
            hit = finder.In(line);
        }
        if (hit) {
            result.append(head).append(day.strNote).append("\r\n\r\n");
        }
    }
    return result.empty() ? std::string("Empty") : result;
}
