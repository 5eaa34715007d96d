#include "storage/storage.h"

#include "storage/file_io.h"
#include "storage/notes_file.h"

const char* const kStorageFolderName = "Quillet\\";
const char* const kSettingsFileName = "Quillet\\qlt_info.dat";
const char* const kNotesFileName = "Quillet\\qlt_notes.dat";
const char* const kSettingsBackupName = "Quillet\\prevInfo.dat";
const char* const kNotesBackupName = "Quillet\\prevNotes.dat";

std::string GetDataPath(const std::string& appData, const char* relative, char separator) {
    std::string path = appData + separator + relative;
    for (size_t i = appData.size(); i < path.size(); ++i) {
        if (path[i] == '\\') {
            path[i] = separator;
        }
    }
    return path;
}

SDataPaths SDataPaths::In(const std::string& appData, char separator) {
    SDataPaths paths;
    paths.folder = GetDataPath(appData, kStorageFolderName, separator);
    paths.settings = GetDataPath(appData, kSettingsFileName, separator);
    paths.notes = GetDataPath(appData, kNotesFileName, separator);
    paths.settingsBackup = GetDataPath(appData, kSettingsBackupName, separator);
    paths.notesBackup = GetDataPath(appData, kNotesBackupName, separator);
    return paths;
}

void SetDefaultNotes(DayArray& days, std::string& everyDay, const SDataPaths& paths, QTime now) {
    CreateFolder(paths.folder);
    days.clear();
    days.push_back(SDay{FormatTime(now, kDayKeyPattern), "My first note..."});
    everyDay = "Every day area...";
}

bool LoadAtStartup(SStoredData data, const SDataPaths& paths, const SWindowPlace& place,
                   QTime now) {
    bool firstRun = false;
    if (LoadSettings(data.settings, paths.settings)) {
        SaveSettings(data.settings, paths.settingsBackup, place.window, place.desktop);
    } else if (!LoadSettings(data.settings, paths.settingsBackup)) {
        CreateFolder(paths.folder);
        SetDefaultSettings(data.settings, place.window, place.desktop);
        firstRun = true;
    }
    if (LoadNotes(data.days, data.everyDay, paths.notes)) {
        SaveNotes(data.days, data.everyDay, paths.notesBackup);
    } else if (!LoadNotes(data.days, data.everyDay, paths.notesBackup)) {
        SetDefaultNotes(data.days, data.everyDay, paths, now);
    }
    return firstRun;
}

bool SaveAllFiles(SStoredData data, const SDataPaths& paths, const SWindowPlace& place) {
    // Each record is serialized once and written to its main file, then to its backup.
    RefreshStoredPosition(data.settings, place.window, place.desktop);
    const std::string settings = SerializeSettings(data.settings);
    const std::string notes = SerializeNotes(data.days, data.everyDay);
    return ReplaceFileContents(paths.settings, settings) &&
           ReplaceFileContents(paths.notes, notes) &&
           ReplaceFileContents(paths.settingsBackup, settings) &&
           ReplaceFileContents(paths.notesBackup, notes);
}

bool SaveMainFiles(SStoredData data, const SDataPaths& paths, const SWindowPlace& place) {
    const bool settingsSaved =
        SaveSettings(data.settings, paths.settings, place.window, place.desktop);
    const bool notesSaved = SaveNotes(data.days, data.everyDay, paths.notes);
    return settingsSaved && notesSaved;
}

void RemoveLeftoverTempFiles(const SDataPaths& paths) {
    for (const std::string* path :
         {&paths.settings, &paths.notes, &paths.settingsBackup, &paths.notesBackup}) {
        RemoveFile(TempPathFor(*path));
    }
}
