#pragma once

#include "base/geometry.h"
#include "base/time_format.h"
#include "base/day_note.h"
#include "storage/settings.h"

#include <string>
#include <vector>

// Names of the storage folder and its files relative to the application-data folder.
extern const char* const kStorageFolderName; // "Quillet\"
extern const char* const kSettingsFileName;  // "Quillet\qlt_info.dat"
extern const char* const kNotesFileName;     // "Quillet\qlt_notes.dat"
extern const char* const kSettingsBackupName;
extern const char* const kNotesBackupName;

// The application-data folder, a separator and the relative name, whose backslashes become that
// separator.
std::string GetDataPath(const std::string& appData, const char* relative, char separator = '\\');

// Full paths of the storage folder and the four data files.
struct SDataPaths {
    std::string folder;
    std::string settings;
    std::string notes;
    std::string settingsBackup;
    std::string notesBackup;

    static SDataPaths In(const std::string& appData, char separator = '\\');
};

// Everything the data files hold, owned by the main window.
struct SStoredData {
    SSettings& settings;
    DayArray& days;
    std::string& everyDay;
};

// The window's place at the moment of a load or save, for the stored position.
struct SWindowPlace {
    SRect window;
    SRect desktop;
};

void SetDefaultNotes(DayArray& days, std::string& everyDay, const SDataPaths& paths, QTime now);

// Data files that were there at start-up but could not be loaded (damaged, or held by another
// program past the wait). Their bytes are never lost: before the first write over one of them, it
// is copied aside in its folder as "<file name>.unreadable-YYYYMMDD-HHMMSS" (local time).
class CUnreadableFiles {
public:
    void Add(const std::string& path);
    // Copies path aside when it is one of them; false when that copy could not be made.
    bool KeepAside(const std::string& path, QTime now);

private:
    std::vector<std::string> m_paths;
};

// Reads settings and notes, each from its main file, else its backup, else defaults; a main file
// that loads refreshes its backup at once. Files that are there but do not load go into
// unreadable. Returns true when the settings had to be defaulted (a first run).
bool LoadAtStartup(SStoredData data, const SDataPaths& paths, const SWindowPlace& place, QTime now,
                   CUnreadableFiles& unreadable);

// Both main files, then both backups; stops at the first failure.
bool SaveAllFiles(SStoredData data, const SDataPaths& paths, const SWindowPlace& place,
                  CUnreadableFiles& unreadable, QTime now);

// Both main files, each tried whatever the other did. True when both were written.
bool SaveMainFiles(SStoredData data, const SDataPaths& paths, const SWindowPlace& place,
                   CUnreadableFiles& unreadable, QTime now);

// Temporary files that an interrupted save left behind. A complete one takes the place of a
// target that is missing or does not load (which is copied aside first); others are removed.
void SettleLeftoverTempFiles(const SDataPaths& paths, QTime now);
