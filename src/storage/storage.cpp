#include "storage/storage.h"

const char* const kStorageFolderName = "Quillet\\";
const char* const kSettingsFileName = "qlt_info.dat";
const char* const kNotesFileName = "qlt_notes.dat";
const char* const kSettingsBackupName = "prevInfo.dat";
const char* const kNotesBackupName = "prevNotes.dat";
const char* const kLockFileName = "Quillet.lock";
const char* const kPortableMarkerName = "Quillet.portable";
const char* const kPortableFolderName = "Data\\";

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
    return InFolder(GetDataPath(appData, kStorageFolderName, separator));
}

SDataPaths SDataPaths::InFolder(const std::string& folder) {
    SDataPaths paths;
    paths.folder = folder;
    paths.settings = folder + kSettingsFileName;
    paths.notes = folder + kNotesFileName;
    paths.settingsBackup = folder + kSettingsBackupName;
    paths.notesBackup = folder + kNotesBackupName;
    paths.lock = folder + kLockFileName;
    return paths;
}

std::string ChooseDataFolder(const std::string& programFolder, bool portableMarker,
                             const std::string& appData) {
    std::string parent = portableMarker ? programFolder : appData;
    if (!IsFullWindowsPath(parent)) {
        return std::string();
    }
    if (parent.back() == '\\' || parent.back() == '/') {
        parent.pop_back();
    }
    return GetDataPath(parent, portableMarker ? kPortableFolderName : kStorageFolderName);
}

SNotebook DefaultNotes(QTime now) {
    SNotebook notes;
    notes.days.push_back(SDay{FormatTime(now, kDayKeyPattern), "My first note..."});
    notes.everyDay = "Every day area...";
    return notes;
}
