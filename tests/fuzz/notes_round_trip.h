#pragma once

#include "fuzz_check.h"

#include "storage/archive.h"
#include "storage/notes_file.h"

#include <string>

// The notes written out and read back are the same notes, and write out to the same bytes.
// Returns those bytes.
inline std::string CheckNotesRoundTrip(const DayArray& days, const std::string& everyDay) {
    const std::string bytes = SerializeNotes(days, everyDay);
    DayArray daysAgain;
    std::string everyDayAgain;
    CMemoryReader again(bytes);
    FUZZ_CHECK(ReadNotes(daysAgain, everyDayAgain, again));
    FUZZ_CHECK(daysAgain == days);
    FUZZ_CHECK(everyDayAgain == everyDay);
    FUZZ_CHECK(SerializeNotes(daysAgain, everyDayAgain) == bytes);
    return bytes;
}
