#include "storage/history.h"

#include "storage/file_io.h"
#include "storage/notes_file.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kCopyPrefix = "qlt_notes-";
const char* const kCopySuffix = ".dat";

// "qlt_notes-YYYY-MM-DD.dat": the names sort in date order.
bool IsDailyCopy(const std::string& name) {
    const std::string prefix = kCopyPrefix;
    return name.size() == prefix.size() + 10 + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - 4, 4, kCopySuffix) == 0;
}

// The whole file, read as the notes are: sharing it with other readers and writers.
bool ReadWholeFile(const std::string& path, std::string& bytes) {
    CReadFile in;
    if (!in.Open(path)) {
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(in.Remaining()));
        return in.Read(&bytes[0], bytes.size()) == bytes.size();
    } catch (const CArchiveError&) {
        return false;
    }
}

void RemoveOldCopies(const std::string& folder) {
    std::vector<std::string> copies;
    for (const std::string& name : FileNamesIn(folder)) {
        if (IsDailyCopy(name)) {
            copies.push_back(name);
        }
    }
    std::sort(copies.begin(), copies.end());
    for (size_t i = 0; i + kHistoryCopies < copies.size(); ++i) {
        RemoveFile(folder + copies[i]);
    }
}

} // namespace

std::string HistoryFolder(const SDataPaths& paths) {
    return paths.folder + "history";
}

bool KeepDailyCopy(const SDataPaths& paths, QTime now) {
    const std::string folder = HistoryFolder(paths);
    const std::string separator =
        paths.folder.empty() ? "\\" : paths.folder.substr(paths.folder.size() - 1);
    const std::string copy =
        folder + separator + kCopyPrefix + FormatTime(now, "%Y-%m-%d") + kCopySuffix;
    if (!FileIsMissing(copy)) {
        return true;
    }
    // A copy that cannot be made never stops a start.
    try {
        // Read once, checked in memory: the copy holds exactly the bytes that were checked.
        std::string bytes;
        if (!ReadWholeFile(paths.notes, bytes)) {
            return false;
        }
        CMemoryReader check(bytes);
        if (!NotesReadable(check) || !CreateFolder(folder)) {
            return false;
        }
        const bool copied = ReplaceFileContents(copy, bytes) == EReplaceResult::Replaced;
        RemoveOldCopies(folder + separator);
        return copied;
    } catch (const std::exception&) {
        return false;
    }
}
