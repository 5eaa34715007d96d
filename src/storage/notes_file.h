// The notes file: its bytes from the notes and back, its checks, and its canonical form.
#pragma once

#include "base/day_note.h"

#include <cstdint>
#include <memory>
#include <string>

class IArchiveReader;

// Far above a note a day for a century; a file that claims more is damaged.
constexpr int32_t kMaxNoteRecords = 1000000;

std::string SerializeNotes(const DayArray& days, const std::string& everyDay);
uint64_t SerializedNotesSize(const DayArray& days, const std::string& everyDay);
// Whether SerializeNotes would make exactly these bytes, told without making them: at 100 years
// the question of every deactivation.
bool SerializesTo(const DayArray& days, const std::string& everyDay, const std::string& bytes);
// Appends the records to days. False when the stream ends early, or claims more records or
// memory than a notes file of its size can hold; what was read stays. A file of the data folder
// is also false when it was torn: a record with neither key nor text, a text that ends in a zero
// byte, or only zero bytes after the last record (what a write cut off by a power cut leaves).
enum class ENotesOrigin { Any, DataFolder };
bool ReadNotes(DayArray& days, std::string& everyDay, IArchiveReader& stream,
               ENotesOrigin origin = ENotesOrigin::Any);
// The notes of a data-folder file's bytes, in file order, a day stored in several records made
// one; false when they do not load or the file was torn.
bool ParseDataFileNotes(const std::string& bytes, SNotebook& notes);

// Sorts the notes into date order and gives their bytes as SerializeNotes makes them: what
// versions of a data file are compared and merged by.
std::shared_ptr<const std::string> CanonicalNotes(SNotebook& notes);

// Replaces the file with the every-day note and the day notes in array order. On false the
// previous file is in place, unless a failing replace lost it (see ReplaceFileContents).
bool SaveNotes(const DayArray& days, const std::string& everyDay, const std::string& path);
// Empties days, then reads the file. Records stay in file order, unchecked.
bool LoadNotes(DayArray& days, std::string& everyDay, const std::string& path);
// A notes file the user brings in: false, leaving notes alone, when it does not load, a key is
// not a real date, or the data file it becomes would not load at the next start (torn, as
// ParseDataFileNotes tells, or too large); the notes of one day in several records become one.
bool LoadImport(SNotebook& notes, const std::string& path);
// The same, of a file's bytes.
bool ParseImport(const std::string& bytes, SNotebook& notes);
