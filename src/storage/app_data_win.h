#pragma once

#include <string>

// The current user's application-data folder as the shell reports it, in UTF-8; empty when the
// shell cannot tell, or tells no full path.
std::string AppDataFolder();

// The current user's local (not roaming) application-data folder, the same way.
std::string LocalAppDataFolder();
