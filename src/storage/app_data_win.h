// The folders the system knows for the user and the program: where a data folder can be.
#pragma once

#include <string>

// The current user's application-data folder as the shell reports it, in UTF-8; empty when the
// shell cannot tell, or tells no full path.
std::string AppDataFolder();

// The current user's local (not roaming) application-data folder, the same way.
std::string LocalAppDataFolder();

// The current user's Documents folder, the same way.
std::string DocumentsFolder();

// The folder of the running program's file, with its separator at the end, in UTF-8; empty when
// it cannot be told.
std::string ProgramFolder();

// The identity of a data folder (see FolderIdentity), its case folded as Windows compares paths.
std::string DataFolderIdentity(const std::string& folder);
