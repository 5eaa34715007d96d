// The daily copies of the notes file in the history folder, and their pruning.
#include "storage/history.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kCopyPrefix = "qlt_notes-";
const char* const kCopySuffix = ".dat";

int Digits(const std::string& text, size_t from, size_t count) {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool IsRealDate(int year, int month, int day) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

void RemoveOldCopies(IFileSystem& files, const std::string& folder, const std::string& kept) {
    std::vector<std::string> copies;
    for (const std::string& name : files.List(folder)) {
        if (IsDailyCopy(name) && name != kept) {
            copies.push_back(name);
        }
    }
    // The names sort in date order; the day's own copy counts among the newest.
    std::sort(copies.begin(), copies.end());
    for (size_t i = 0; i + kHistoryCopies - 1 < copies.size(); ++i) {
        files.Remove(folder + copies[i]);
    }
}

} // namespace

std::string HistoryFolder(const SDataPaths& paths) {
    return paths.folder + "history";
}

bool IsDailyCopy(const std::string& name) {
    const std::string prefix = kCopyPrefix;
    const size_t at = prefix.size();
    if (name.size() != at + 10 + 4 || name.compare(0, at, prefix) != 0 ||
        name.compare(name.size() - 4, 4, kCopySuffix) != 0 || name[at + 4] != '-' ||
        name[at + 7] != '-') {
        return false;
    }
    return IsRealDate(Digits(name, at, 4), Digits(name, at + 5, 2), Digits(name, at + 8, 2));
}

bool KeepDailyCopy(IFileSystem& files, const SDataPaths& paths, const std::string& notesBytes,
                   QTime now) {
    const std::string folder = HistoryFolder(paths);
    const std::string separator =
        paths.folder.empty() ? "\\" : paths.folder.substr(paths.folder.size() - 1);
    const std::string name = kCopyPrefix + FormatTime(now, "%Y-%m-%d") + kCopySuffix;
    const std::string copy = folder + separator + name;
    if (files.Stamp(copy).exists) {
        return true;
    }
    if (!files.MakeFolder(folder) || files.Replace(copy, notesBytes) != EFileError::None) {
        return false;
    }
    RemoveOldCopies(files, folder + separator, name);
    return true;
}
