#pragma once

// The data files as the tests read and write them: the program itself goes through its saving
// policy, never through these.

#include "base/path.h"
#include "base/time_format.h"
#include "storage/file_io.h"
#include "storage/settings.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A file's bytes; empty for one that cannot be read. Paths are UTF-8.
inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

inline bool SaveSettings(SSettings& settings, const std::string& path, const SRect& window,
                         const SRect& desktop) {
    RefreshStoredPosition(settings, window, desktop);
    return ReplaceFileContents(path, SerializeSettings(settings)) == EReplaceResult::Replaced;
}

inline bool LoadSettings(SSettings& settings, const std::string& path) {
    CReadFile file;
    return file.Open(path) && ReadSettings(settings, file);
}

// What interrupted saves of the file left beside it, in name order.
inline std::vector<std::string> LeftoverTempFiles(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    std::vector<std::string> found;
    for (const std::string& entry : FileNamesIn(folder.empty() ? "." : folder)) {
        if (IsTempFileOf(entry, name)) {
            found.push_back(folder + entry);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

inline QTime LocalMidnight(int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
#ifdef _WIN32
    return static_cast<QTime>(_mktime64(&tm));
#else
    return static_cast<QTime>(mktime(&tm));
#endif
}
