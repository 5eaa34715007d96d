#pragma once

#include "base/day_note.h"
#include "base/geometry.h"
#include "base/time_format.h"

#include <string>
#include <vector>

// Names of the storage folder and its files relative to the application-data folder.
extern const char* const kStorageFolderName; // "Quillet\"
extern const char* const kSettingsFileName;  // "Quillet\qlt_info.dat"
extern const char* const kNotesFileName;     // "Quillet\qlt_notes.dat"
extern const char* const kSettingsBackupName;
extern const char* const kNotesBackupName;
extern const char* const kLockFileName;

// The application-data folder, a separator and the relative name, whose backslashes become that
// separator.
std::string GetDataPath(const std::string& appData, const char* relative, char separator = '\\');

// Whether a folder the shell reported names one place whatever folder is current: a drive's
// ("C:\...") or a share's ("\\server\share..."). A relative one would spread the files there.
bool IsFullWindowsPath(const std::string& path);

// Full paths of the storage folder (with its separator at the end) and its files.
struct SDataPaths {
    std::string folder;
    std::string settings;
    std::string notes;
    std::string settingsBackup;
    std::string notesBackup;
    // Held open while a copy of the program works on the folder.
    std::string lock;

    static SDataPaths In(const std::string& appData, char separator = '\\');
};

// The window's place at the moment of a load or save, for the stored position.
struct SWindowPlace {
    SRect window;
    SRect desktop;
    // With several monitors, the work area of each, and the height of the title bar that must
    // stay on one of them.
    std::vector<SRect> workAreas;
    int titleHeight = 0;
};

// The notes of a first run, for the day of now.
SNotebook DefaultNotes(QTime now);
