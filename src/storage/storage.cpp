#include "storage/storage.h"

const char* const kStorageFolderName = "Quillet\\";
const char* const kSettingsFileName = "Quillet\\qlt_info.dat";
const char* const kNotesFileName = "Quillet\\qlt_notes.dat";
const char* const kSettingsBackupName = "Quillet\\prevInfo.dat";
const char* const kNotesBackupName = "Quillet\\prevNotes.dat";
const char* const kLockFileName = "Quillet\\Quillet.lock";

std::string GetDataPath(const std::string& appData, const char* relative, char separator) {
    std::string path = appData + separator + relative;
    for (size_t i = appData.size(); i < path.size(); ++i) {
        if (path[i] == '\\') {
            path[i] = separator;
        }
    }
    return path;
}

bool IsFullWindowsPath(const std::string& path) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() < 3) {
        return false;
    }
    const char drive = static_cast<char>(path[0] | 0x20);
    return (drive >= 'a' && drive <= 'z' && path[1] == ':' && separator(path[2])) ||
           (separator(path[0]) && separator(path[1]) && !separator(path[2]));
}

SDataPaths SDataPaths::In(const std::string& appData, char separator) {
    SDataPaths paths;
    paths.folder = GetDataPath(appData, kStorageFolderName, separator);
    paths.settings = GetDataPath(appData, kSettingsFileName, separator);
    paths.notes = GetDataPath(appData, kNotesFileName, separator);
    paths.settingsBackup = GetDataPath(appData, kSettingsBackupName, separator);
    paths.notesBackup = GetDataPath(appData, kNotesBackupName, separator);
    paths.lock = GetDataPath(appData, kLockFileName, separator);
    return paths;
}

SNotebook DefaultNotes(QTime now) {
    SNotebook notes;
    notes.days.push_back(SDay{FormatTime(now, kDayKeyPattern), "My first note..."});
    notes.everyDay = "Every day area...";
    return notes;
}
