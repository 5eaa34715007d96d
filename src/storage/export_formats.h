// What Save Data writes: the types of file, their names, and the notes as iCalendar or text.
#pragma once

#include "base/day_note.h"
#include "base/time_format.h"

#include <string>

// What Save Data... writes: the program's own file, or one for reading elsewhere.
enum class EExportType { Quillet, Calendar, Text };

// The type of the dialog's filter (1: Quillet File, 2: Calendar, 3: Text, 4: All Files); a name
// typed with ".ics" or ".md" decides over the filter, as does ".qlt".
EExportType ExportTypeFor(int filterIndex, const std::string& path);
// A name typed without an extension gets the one of the type chosen (".qlt" for All Files);
// true when one was added.
bool AddExportExtension(int filterIndex, std::string& path);

// An iCalendar file (RFC 5545): one all-day event per day note, in date order, whose summary is
// the note's first line and whose description is the whole note; the every-day note describes
// the calendar. UTF-8, CRLF, lines folded at 75 octets. Stamped with the time given (UTC).
std::string ExportCalendar(const SNotebook& notes, QTime stamp);

// A text file: a heading, the every-day note, then each day in date order under a heading with
// its date written out ("## Wednesday, 9 December 2026"). UTF-8 with a byte-order mark; what
// the notes hold is escaped so that Markdown shows it as text.
std::string ExportText(const SNotebook& notes);

// Pieces of the above, for the tests.
// A note as iCalendar text: backslash, semicolon, comma and line breaks escaped.
std::string EscapeCalendarText(const std::string& utf8);
// One content line folded so that no line holds more than 75 octets, never inside a character.
std::string FoldCalendarLine(const std::string& utf8);
// The stable identifier of the event of a day.
std::string CalendarUid(int year, int month, int day);
