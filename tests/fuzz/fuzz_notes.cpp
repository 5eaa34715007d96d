// Notes reader: any file it accepts must survive a write and a second read unchanged. The array it
// yields then drives the store's fast paths against plain versions of the same rules.
#include "fuzz_check.h"
#include "notes_round_trip.h"
#include "plain_notes.h"

#include "notes/day_notes.h"
#include "notes/search.h"
#include "storage/archive.h"
#include "storage/notes_file.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace {

void CheckStore(const DayArray& days, const std::string& everyDay) {
    // Probes come from the input itself so the fuzzer can steer them.
    std::vector<std::string> months{everyDay.substr(0, 4)};
    std::vector<SDay> probes{SDay{everyDay.substr(0, 6), everyDay}};
    for (size_t i = 0; i < days.size() && i < 4; ++i) {
        const std::string& key = days[i].strDate;
        months.push_back(key.size() >= 2 ? key.substr(2) : key);
        probes.push_back(SDay{key, days[days.size() - 1 - i].strNote});
    }
    // The plain mask costs 31 scans of the array; a month twice checks nothing new.
    std::sort(months.begin(), months.end());
    months.erase(std::unique(months.begin(), months.end()), months.end());
    for (const std::string& month : months) {
        FUZZ_CHECK(NotedDaysMask(month, days) == plain::NotedDays(month, days));
    }

    const std::string needle = everyDay.substr(0, 8);
    FUZZ_CHECK(SearchNotes(needle, days) == plain::SearchNotes(needle, days));

    // The plain sort is quadratic; larger arrays only check that the result is ordered.
    for (const bool ascending : {true, false}) {
        for (const SDay& probe : probes) {
            FUZZ_CHECK(FindInsertPos(probe, days, ascending) ==
                       plain::InsertPos(probe, days, ascending));
        }
        DayArray sorted = days;
        SortDays(sorted, ascending);
        FUZZ_CHECK(IsDaysSorted(sorted, ascending));
        if (days.size() <= 256) {
            DayArray expected = days;
            plain::SelectionSort(expected, ascending);
            FUZZ_CHECK(sorted == expected);
        }
        std::vector<std::string> sortKeys;
        sortKeys.reserve(sorted.size());
        for (const SDay& day : sorted) {
            sortKeys.push_back(std::string(CSortKey(day.strDate).View()));
        }
        for (const SDay& probe : probes) {
            // The insert rule only keeps the order when no other key has the same sort key
            // (keys from a file may be longer than six bytes).
            const std::string probeKey = std::string(CSortKey(probe.strDate).View());
            bool sharesSortKey = false;
            for (size_t i = 0; i < sorted.size() && !sharesSortKey; ++i) {
                sharesSortKey = sortKeys[i] == probeKey && sorted[i].strDate != probe.strDate;
            }
            DayArray changed = sorted;
            SetDayNote(probe, changed, ascending);
            FUZZ_CHECK(sharesSortKey || IsDaysSorted(changed, ascending));
            FUZZ_CHECK(GetDayNote(probe.strDate, changed) ==
                       (IsBlankNote(probe.strNote) ? std::string() : probe.strNote));
            const size_t same = static_cast<size_t>(
                std::count_if(changed.begin(), changed.end(),
                              [&probe](const SDay& d) { return d.strDate == probe.strDate; }));
            FUZZ_CHECK(same == (IsBlankNote(probe.strNote) ? 0u : 1u));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DayArray days;
    std::string everyDay;
    CMemoryReader input(data, size);
    if (!ReadNotes(days, everyDay, input)) {
        return 0;
    }
    // A wide string comes back as UTF-8 behind a mark: at most half as long again, plus the mark.
    FUZZ_CHECK(CheckNotesRoundTrip(days, everyDay).size() <= 2 * size);

    CheckStore(days, everyDay);
    return 0;
}
