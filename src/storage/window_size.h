// The size the user gave the main window, kept in this computer's local folder.
#pragma once

#include "base/geometry.h"

#include <string>

class IFileSystem;

// The size the user gave the main window is this computer's own (its monitors are), so it lives
// in the local folder of the data folder, never in the settings file that travels.
extern const char* const kWindowSizeName; // "qlt_window.size"

// The kept size in 96-DPI pixels; zero when none is kept or the file holds no size.
SPoint ReadWindowSize(IFileSystem& files, const std::string& localFolder);
bool KeepWindowSize(IFileSystem& files, const std::string& localFolder, SPoint size);

// The file's text: width and height in decimal, and the reader of it.
std::string SerializeWindowSize(SPoint size);
bool ParseWindowSize(const std::string& text, SPoint& size);
