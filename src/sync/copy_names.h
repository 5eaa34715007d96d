// Tells a sync program's conflict copy by its name, and names recovery files.
#pragma once

#include "base/time_format.h"

#include <string>

// The name of the sync client that leaves a conflict copy of the notes file by this name, or
// nullptr when the name is no such copy (a copy a user made, "qlt_notes (1).dat", is none).
const char* ConflictClientOf(const std::string& name);

// "qlt_notes.recovered-YYYYMMDD-HHMMSS.dat", with "-N" before ".dat" when the name was taken.
std::string RecoveryName(QTime now, int n = 1);
bool IsRecoveryName(const std::string& name);
