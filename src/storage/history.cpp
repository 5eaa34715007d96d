#include "storage/history.h"

#include "storage/archive.h"
#include "storage/file_io.h"
#include "storage/notes_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
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

void RemoveOldCopies(const std::string& folder) {
    std::vector<std::string> copies;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
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
    std::ifstream in(paths.notes, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    DayArray days;
    std::string everyDay;
    CMemoryReader reader(bytes);
    if (!in || !ReadNotes(days, everyDay, reader) || !CreateFolder(folder)) {
        return false;
    }
    const bool copied = ReplaceFileContents(copy, bytes) == EReplaceResult::Replaced;
    RemoveOldCopies(folder + separator);
    return copied;
}
