#pragma once

#include "base/day_note.h"
#include "base/geometry.h"
#include "base/time_format.h"

#include <string>
#include <vector>

// The storage folder's name in the application-data folder, and its files.
extern const char* const kStorageFolderName; // "Quillet\"
extern const char* const kSettingsFileName;  // "qlt_info.dat"
extern const char* const kNotesFileName;     // "qlt_notes.dat"
extern const char* const kSettingsBackupName;
extern const char* const kNotesBackupName;
extern const char* const kLockFileName;
// A file of the marker's name beside the program keeps the data in the folder beside it.
extern const char* const kPortableMarkerName; // "Quillet.portable"
extern const char* const kPortableFolderName; // "Data\"

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
    // A folder of this computer's own (with its separator at the end) for notes that the data
    // folder cannot take; empty when there is none.
    std::string local;

    static SDataPaths In(const std::string& appData, char separator = '\\');
    // The files in a storage folder given with its separator at the end.
    static SDataPaths InFolder(const std::string& folder);
};

// The storage folder of a program in programFolder: the portable folder beside it when the marker
// stands there, so the notes travel with the program; else the one in the application-data
// folder. Either folder may end in a separator. Empty when the one taken is no full path.
std::string ChooseDataFolder(const std::string& programFolder, bool portableMarker,
                             const std::string& appData);

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
