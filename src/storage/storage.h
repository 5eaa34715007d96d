// Where the data lives: the data folder, its files' names and paths, and the local folder.
#pragma once

#include "base/day_note.h"
#include "base/geometry.h"
#include "base/time_format.h"

#include <string>
#include <vector>

class IFileSystem;

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
    // This computer's own folder for this data folder (with its separator at the end), which
    // no sync program copies and no copy with another data folder reads: the record of
    // versions, notes that the data folder cannot take. Empty when there is none.
    std::string local;
    // The copy keeps its data beside the program (a portable copy), not in the user's profile.
    bool portable = false;

    static SDataPaths In(const std::string& appData, char separator = '\\');
    // The files in a storage folder given with its separator at the end.
    static SDataPaths InFolder(const std::string& folder);
};

// The storage folder of a program in programFolder: the portable folder beside it when the marker
// stands there, so the notes travel with the program; else the one in the application-data
// folder. Either folder may end in a separator. Empty when the one taken is no full path.
std::string ChooseDataFolder(const std::string& programFolder, bool portableMarker,
                             const std::string& appData);

// A data folder as Windows tells folders apart, from its path with the case of its letters
// already folded as the system folds them: one kind of separator, none at the end. Copies whose
// folders have one identity share one running copy and one folder of this computer's own.
std::string FolderIdentity(const std::string& caseFolded);

// The folder of this computer's own for the data folder of an identity, in the local root (both
// end in their separator): the data folder's last two names, readable, and a hash of the
// identity. Files kept there are found by later versions only while this name stays the same.
std::string LocalFolderFor(const std::string& localRoot, const std::string& identity);

// Earlier versions kept this computer's files (recovery files, the record of versions) in the
// local root for whichever copy ran. They are moved into local; one that cannot be moved now
// stays for the next start.
void AdoptRootLocalFiles(IFileSystem& files, const std::string& localRoot,
                         const std::string& local);

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
