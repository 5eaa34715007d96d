#pragma once

#include "base/day_note.h"
#include "base/time_format.h"

#include <string>

// The line that parts the two texts of a day that was changed in two places, with the time the
// other copy was saved.
std::string ElsewhereLine(QTime savedElsewhere);

// Merges by day what another program saved (theirs) into the notes in memory (mine); base is
// what both started from. A day changed on one side only takes that side; a day changed on both
// to different texts keeps both, mine first, then the line and theirs; a day emptied on one side
// and changed on the other keeps the change. The every-day note follows the same rule. The
// result holds each day once, in date order, none blank.
SNotebook MergeNotebooks(const SNotebook& base, const SNotebook& mine, const SNotebook& theirs,
                         const std::string& elsewhereLine);
