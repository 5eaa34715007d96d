#include "ui/links.h"

#include "base/path.h"

std::string HelpTarget(const std::string& exePath,
                       const std::function<bool(const std::string&)>& isFile) {
    // Without a folder the name would be looked up in whatever folder is current.
    const std::string folder = FolderOf(exePath);
    if (folder.empty()) {
        return kHelpPageUrl;
    }
    const std::string page = folder + kHelpPageFileName;
    return isFile(page) ? page : kHelpPageUrl;
}
