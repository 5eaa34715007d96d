// Settling the temporary files that interrupted saves left beside a data file.
#include "storage/temp_files.h"

#include "base/path.h"

#include <algorithm>
#include <vector>

void SettleTempFilesOf(IFileSystem& files, const std::string& path,
                       const std::vector<std::string>& folderEntries,
                       const std::function<bool(const std::string&)>& loads,
                       const std::function<EFileError(const std::string&)>& keepAside) {
    const std::string folder = FolderOf(path);
    const std::string name = NameOf(path);
    std::vector<std::string> temps;
    for (const std::string& entry : folderEntries) {
        if (IsTempFileOf(entry, name)) {
            temps.push_back(folder + entry);
        }
    }
    if (temps.empty()) {
        return;
    }
    std::string target;
    const EFileError targetError = files.Read(path, target, kDataFileReadLimit);
    if (targetError == EFileError::Busy) {
        return;
    }
    bool settled = targetError == EFileError::None && loads(target);
    std::vector<std::string> complete;
    for (const std::string& temp : temps) {
        std::string bytes;
        const EFileError error = files.Read(temp, bytes, kDataFileReadLimit);
        if (error == EFileError::None && loads(bytes)) {
            complete.push_back(temp);
        } else if (error != EFileError::Busy) {
            files.Remove(temp); // an interrupted write: nothing in it to keep
        }
    }
    if (!settled && !complete.empty()) {
        const auto newest = std::max_element(
            complete.begin(), complete.end(), [&](const std::string& a, const std::string& b) {
                return files.Stamp(a).writeTicks < files.Stamp(b).writeTicks;
            });
        std::string bytes;
        const bool missing =
            targetError == EFileError::Missing || targetError == EFileError::NoFolder;
        settled = files.Read(*newest, bytes, kDataFileReadLimit) == EFileError::None &&
                  (missing || keepAside(path) == EFileError::None) &&
                  files.Replace(path, bytes) == EFileError::None;
    }
    if (settled) {
        for (const std::string& temp : complete) {
            files.Remove(temp);
        }
    }
}
