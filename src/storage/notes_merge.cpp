#include "storage/notes_merge.h"

#include <algorithm>
#include <unordered_map>

namespace {

// The first note of each day, as GetDayNote finds it; blank notes count as none.
using DayIndex = std::unordered_map<std::string, const std::string*>;

DayIndex IndexOf(const DayArray& days) {
    DayIndex index;
    index.reserve(days.size());
    for (const SDay& day : days) {
        index.emplace(day.strDate, &day.strNote);
    }
    return index;
}

const std::string& NoteIn(const DayIndex& index, const std::string& key) {
    static const std::string none;
    const auto it = index.find(key);
    return it == index.end() || IsBlankNote(*it->second) ? none : *it->second;
}

std::string MergeText(const std::string& base, const std::string& mine, const std::string& theirs,
                      const std::string& line) {
    if (mine == theirs || theirs == base) {
        return mine;
    }
    if (mine == base) {
        return theirs;
    }
    if (IsBlankNote(mine)) {
        return theirs;
    }
    if (IsBlankNote(theirs)) {
        return mine;
    }
    return mine + "\r\n" + line + "\r\n" + theirs;
}

} // namespace

std::string ElsewhereLine(QTime savedElsewhere) {
    return "----- also saved elsewhere, " + FormatTime(savedElsewhere, "%d.%m.%Y %H:%M") + " -----";
}

SNotebook MergeNotebooks(const SNotebook& base, const SNotebook& mine, const SNotebook& theirs,
                         const std::string& elsewhereLine) {
    const DayIndex baseIndex = IndexOf(base.days);
    const DayIndex mineIndex = IndexOf(mine.days);
    const DayIndex theirIndex = IndexOf(theirs.days);

    std::vector<std::string> keys;
    keys.reserve(mineIndex.size() + theirIndex.size());
    for (const DayIndex* index : {&mineIndex, &theirIndex}) {
        for (const auto& entry : *index) {
            keys.push_back(entry.first);
        }
    }
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        const int c = CSortKey(a).Compare(CSortKey(b));
        return c != 0 ? c < 0 : a < b;
    });
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

    SNotebook merged;
    merged.everyDay = MergeText(base.everyDay, mine.everyDay, theirs.everyDay, elsewhereLine);
    merged.days.reserve(keys.size());
    for (std::string& key : keys) {
        std::string text = MergeText(NoteIn(baseIndex, key), NoteIn(mineIndex, key),
                                     NoteIn(theirIndex, key), elsewhereLine);
        if (!IsBlankNote(text)) {
            merged.days.push_back(SDay{std::move(key), std::move(text)});
        }
    }
    return merged;
}
