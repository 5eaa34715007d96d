#pragma once

#include "base/time_format.h"
#include "storage/storage.h"

#include <string>

// How many daily copies of the notes file the history folder keeps.
constexpr size_t kHistoryCopies = 14;

// The history folder inside the storage folder.
std::string HistoryFolder(const SDataPaths& paths);

// At the first start of a day, copies the notes file, when it loads, to
// "history\qlt_notes-YYYY-MM-DD.dat" and removes all but the newest copies. Returns whether the
// day's copy exists afterwards.
bool KeepDailyCopy(const SDataPaths& paths, QTime now);
