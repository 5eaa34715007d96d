// A daily copy of the notes file, the newest fourteen kept in the history folder.
#pragma once

#include "base/time_format.h"
#include "storage/file_system.h"
#include "storage/storage.h"

#include <string>

// How many daily copies of the notes file the history folder keeps.
constexpr size_t kHistoryCopies = 14;

// The history folder inside the storage folder.
std::string HistoryFolder(const SDataPaths& paths);

// Whether a name is a daily copy: "qlt_notes-YYYY-MM-DD.dat" of a real date.
bool IsDailyCopy(const std::string& name);

// At the first start of a day, keeps the bytes of a notes file that loaded as
// "history\qlt_notes-YYYY-MM-DD.dat" and removes all but the newest copies, never the day's own
// (a clock set back makes it sort before older ones). Returns whether the day's copy exists.
bool KeepDailyCopy(IFileSystem& files, const SDataPaths& paths, const std::string& notesBytes,
                   QTime now);
