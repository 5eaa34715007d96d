#include "ui/links.h"

std::string HelpTarget(const std::string& exePath,
                       const std::function<bool(const std::string&)>& isFile) {
    // Without a folder the name would be looked up in whatever folder is current.
    const size_t slash = exePath.find_last_of("\\/");
    if (slash == std::string::npos) {
        return kHelpPageUrl;
    }
    const std::string page = exePath.substr(0, slash + 1) + kHelpPageFileName;
    return isFile(page) ? page : kHelpPageUrl;
}
