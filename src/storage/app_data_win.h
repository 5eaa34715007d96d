#pragma once

#include <string>

// The current user's application-data folder as the shell reports it; empty when it cannot.
std::string AppDataFolder();

// The current user's local (not roaming) application-data folder; empty when it cannot.
std::string LocalAppDataFolder();
