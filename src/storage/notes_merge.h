#pragma once

#include "base/day_note.h"
#include "base/time_format.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

// The line that parts the two texts of a day that was changed in two places, with the time the
// other copy was saved.
std::string ElsewhereLine(QTime savedElsewhere);

// What the days of the notes file held before their present texts, lately: a program that read
// the file before a save and wrote its copy after it brings back such older texts, and those are
// no change of its own. The every-day note counts as a day of its own.
class CRecentDays {
public:
    // The file went from one canonical serialization to the other: each day that changed is
    // remembered with what it held before. Bytes that do not read as notes teach nothing.
    void Record(const std::string& before, const std::string& after);
    // Whether the day held this text (empty: no note) before its present one.
    bool HeldBefore(const std::string& key, const std::string& text) const;
    bool EveryDayHeldBefore(const std::string& text) const;

private:
    static constexpr size_t kRemembered = 4096;
    void Remember(std::string_view key, std::string_view text);

    std::deque<std::pair<std::string, uint64_t>> m_before;
};

// Merges by day what another program saved (theirs) into the notes in memory (mine); base is
// what both started from. A day changed on one side only takes that side; a day changed on both
// to different texts keeps both, mine first, then the line and theirs, unless one text holds the
// other whole (typing that went on from an older copy, a note emptied on one side): then that one
// alone. A text of theirs that the day held before (recent, when given) is a stale copy, not a
// change. The every-day note follows the same rule. The result holds each day once, in date
// order, none blank.
SNotebook MergeNotebooks(const SNotebook& base, const SNotebook& mine, const SNotebook& theirs,
                         const std::string& elsewhereLine, const CRecentDays* recent = nullptr);
