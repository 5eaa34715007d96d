// The three-way merge of notebooks by day against the version both were made from.
#pragma once

#include "base/day_note.h"
#include "base/time_format.h"

#include <string>
#include <vector>

// The line that parts two texts of a day kept from two places; it names the time the text
// after it was saved.
std::string ElsewhereLine(QTime saved);

// The texts of a day kept from several places, cut at their ElsewhereLine lines; one for a text
// without them.
std::vector<std::string> PiecesOfText(const std::string& text);

// Merges one day's text (or the every-day note) three ways. A side that alone changed it wins,
// deletions included. Both changed: a side that only added to the base and whose text the other
// holds whole gives way to the other; otherwise both are kept, as pieces parted by
// ElsewhereLine: each piece once, a piece that one side removed and the other left as it was
// left out, in the order of the times the pieces were saved (their lines' times; a piece
// without a line has its side's time), equal times by their bytes. So both computers make the
// same text of the same two, whichever they call theirs.
std::string MergeText(const std::string& base, const std::string& mine, const std::string& theirs,
                      QTime mineSaved, QTime theirsSaved);

// Merges by day what was saved elsewhere (theirs) into the notes in memory (mine); base is what
// both started from. The result holds each day once, in date order, none blank.
// saved: the version the file held as mine was last written, of savedTime; a day's text of mine
// that it holds counts as saved then, so that both computers order the same pieces alike.
SNotebook MergeNotebooks(const SNotebook& base, const SNotebook& mine, const SNotebook& theirs,
                         QTime mineSaved, QTime theirsSaved, const SNotebook* saved = nullptr,
                         QTime savedTime = 0);
