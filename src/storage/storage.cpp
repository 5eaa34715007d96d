// The data folder: its paths, the portable choice, this computer's local folder, first-run notes.
#include "storage/storage.h"

#include "storage/file_system.h"

#include <cstdint>
#include <cstdio>

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

std::string FolderIdentity(const std::string& caseFolded) {
    std::string identity = caseFolded;
    for (char& c : identity) {
        if (c == '/') {
            c = '\\';
        }
    }
    while (identity.size() > 3 && identity.back() == '\\') {
        identity.pop_back();
    }
    return identity;
}

namespace {

// FNV-1a, written out here: the name it gives must never change.
uint32_t StableHash(const std::string& bytes) {
    uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return hash;
}

// A name of the path, short and in small letters where they are ASCII; never cut inside a
// character.
std::string ReadablePart(std::string name) {
    constexpr size_t kLongest = 24;
    if (name.size() > kLongest) {
        size_t cut = kLongest;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        name.resize(cut);
    }
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return name;
}

} // namespace

std::string LocalFolderFor(const std::string& localRoot, const std::string& identity) {
    // The drive ("C:") and the prefix of long paths ("\\?\") are no names a folder may take.
    std::vector<std::string> names;
    for (size_t at = 0; at <= identity.size();) {
        size_t end = identity.find('\\', at);
        if (end == std::string::npos) {
            end = identity.size();
        }
        const std::string name = identity.substr(at, end - at);
        if (!name.empty() && name.find_first_of(":?") == std::string::npos) {
            names.push_back(name);
        }
        at = end + 1;
    }
    std::string folder;
    for (size_t i = names.size() > 2 ? names.size() - 2 : 0; i < names.size(); ++i) {
        folder += ReadablePart(names[i]) + '-';
    }
    char hash[9];
    std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(StableHash(identity)));
    const char separator = localRoot.empty() ? '\\' : localRoot.back();
    return localRoot + folder + hash + separator;
}

void AdoptRootLocalFiles(IFileSystem& files, const std::string& localRoot,
                         const std::string& local) {
    const std::vector<std::string> names = files.List(localRoot);
    if (names.empty() || !files.MakeFolder(local)) {
        return;
    }
    for (const std::string& name : names) {
        files.Move(localRoot + name, local + name);
    }
}
