#include "storage/storage.h"

#include "storage/file_io.h"
#include "storage/notes_file.h"

#include <algorithm>
#include <utility>

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

namespace {

// Copies the file at path aside as "<path>.unreadable-YYYYMMDD-HHMMSS"; true when it is copied or
// there is nothing to keep.
bool KeepBytesAside(const std::string& path, QTime now) {
    return FileIsMissing(path) ||
           CopyFileBytes(path, path + ".unreadable-" + FormatTime(now, "%Y%m%d-%H%M%S"));
}

enum class EFileKind { Settings, Notes };

// Whether the file at path loads as its kind, read into a scratch record.
bool Loads(EFileKind kind, const std::string& path) {
    if (kind == EFileKind::Settings) {
        SSettings settings;
        return LoadSettings(settings, path);
    }
    return NotesFileLoads(path);
}

// A failed load of a file that is there marks it, so that its bytes are kept before a write.
bool Loaded(bool loaded, const std::string& path, CUnreadableFiles& unreadable) {
    if (!loaded && !FileIsMissing(path)) {
        unreadable.Add(path);
    }
    return loaded;
}

bool WriteDataFile(const std::string& path, const std::string& bytes, CUnreadableFiles& unreadable,
                   QTime now) {
    return unreadable.KeepAside(path, now) &&
           ReplaceFileContents(path, bytes) == EReplaceResult::Replaced;
}

// A start-up refreshes the backup of a main file that loaded. Nothing else reads that backup, so
// one that is there but would not load is kept before it is written over.
void RefreshBackup(EFileKind kind, const std::string& path, const std::string& bytes,
                   CUnreadableFiles& unreadable, QTime now) {
    if (!FileIsMissing(path) && !Loads(kind, path)) {
        unreadable.Add(path);
    }
    WriteDataFile(path, bytes, unreadable, now);
}

} // namespace

void CUnreadableFiles::Add(const std::string& path) {
    if (std::find(m_paths.begin(), m_paths.end(), path) == m_paths.end()) {
        m_paths.push_back(path);
    }
}

bool CUnreadableFiles::KeepAside(const std::string& path, QTime now) {
    const auto it = std::find(m_paths.begin(), m_paths.end(), path);
    if (it == m_paths.end()) {
        return true;
    }
    if (!KeepBytesAside(path, now)) {
        return false;
    }
    m_paths.erase(it);
    return true;
}

bool LoadAtStartup(SStoredData data, const SDataPaths& paths, const SWindowPlace& place, QTime now,
                   CUnreadableFiles& unreadable) {
    bool firstRun = false;
    if (Loaded(LoadSettings(data.settings, paths.settings), paths.settings, unreadable)) {
        RefreshStoredPosition(data.settings, place.window, place.desktop);
        RefreshBackup(EFileKind::Settings, paths.settingsBackup, SerializeSettings(data.settings),
                      unreadable, now);
    } else if (!Loaded(LoadSettings(data.settings, paths.settingsBackup), paths.settingsBackup,
                       unreadable)) {
        CreateFolder(paths.folder);
        SetDefaultSettings(data.settings, place.window, place.desktop);
        firstRun = true;
    }
    if (Loaded(LoadNotes(data.days, data.everyDay, paths.notes), paths.notes, unreadable)) {
        RefreshBackup(EFileKind::Notes, paths.notesBackup, SerializeNotes(data.days, data.everyDay),
                      unreadable, now);
    } else if (!Loaded(LoadNotes(data.days, data.everyDay, paths.notesBackup), paths.notesBackup,
                       unreadable)) {
        SetDefaultNotes(data.days, data.everyDay, paths, now);
    }
    return firstRun;
}

bool SaveAllFiles(SStoredData data, const SDataPaths& paths, const SWindowPlace& place,
                  CUnreadableFiles& unreadable, QTime now) {
    // Each record is serialized once and written to its main file, then to its backup.
    RefreshStoredPosition(data.settings, place.window, place.desktop);
    const std::string settings = SerializeSettings(data.settings);
    const std::string notes = SerializeNotes(data.days, data.everyDay);
    return WriteDataFile(paths.settings, settings, unreadable, now) &&
           WriteDataFile(paths.notes, notes, unreadable, now) &&
           WriteDataFile(paths.settingsBackup, settings, unreadable, now) &&
           WriteDataFile(paths.notesBackup, notes, unreadable, now);
}

bool SaveMainFiles(SStoredData data, const SDataPaths& paths, const SWindowPlace& place,
                   CUnreadableFiles& unreadable, QTime now) {
    RefreshStoredPosition(data.settings, place.window, place.desktop);
    const bool settingsSaved =
        WriteDataFile(paths.settings, SerializeSettings(data.settings), unreadable, now);
    const bool notesSaved =
        WriteDataFile(paths.notes, SerializeNotes(data.days, data.everyDay), unreadable, now);
    return settingsSaved && notesSaved;
}

void SettleLeftoverTempFiles(const SDataPaths& paths, QTime now) {
    const std::pair<const std::string*, EFileKind> files[] = {
        {&paths.settings, EFileKind::Settings},
        {&paths.notes, EFileKind::Notes},
        {&paths.settingsBackup, EFileKind::Settings},
        {&paths.notesBackup, EFileKind::Notes},
    };
    for (const auto& [path, kind] : files) {
        const std::string temp = TempPathFor(*path);
        if (FileIsMissing(temp)) {
            continue;
        }
        // A leftover that loads is the newest complete copy; it only gives way to a good target.
        if (!Loads(kind, temp) || Loads(kind, *path)) {
            RemoveFile(temp);
            continue;
        }
        if (KeepBytesAside(*path, now)) {
            PromoteTempFile(*path);
        }
    }
}
