// Where Help goes, the guide beside the program or the web page, and what to say if it fails.
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

std::string HelpNotOpenedText(const std::string& target) {
    const bool page = target.rfind("https://", 0) == 0 || target.rfind("http://", 0) == 0;
    return std::string("Quillet could not open its help: no program on this computer opens ") +
           (page ? "web pages" : "pages of the .html kind") +
           ".\r\n\r\nOpen it yourself: " + target;
}
