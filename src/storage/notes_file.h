#pragma once

#include "base/day_note.h"

#include <string>

class IArchiveReader;

std::string SerializeNotes(const DayArray& days, const std::string& everyDay);
// Appends the records to days. False when the stream ends early; what was read stays.
bool ReadNotes(DayArray& days, std::string& everyDay, IArchiveReader& stream);

// Replaces the file with the every-day note and the day notes in array order. On false the
// previous file is in place, unless a failing replace lost it (see ReplaceFileContents).
bool SaveNotes(const DayArray& days, const std::string& everyDay, const std::string& path);
// Empties days, then reads the file. Records stay in file order, unchecked.
bool LoadNotes(DayArray& days, std::string& everyDay, const std::string& path);
// Whether ReadNotes would read the stream, or LoadNotes the file, found without keeping any of
// its texts.
bool NotesReadable(IArchiveReader& stream);
bool NotesFileLoads(const std::string& path);
