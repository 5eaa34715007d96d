#include "storage/app_data_win.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::string ShellFolder(int id) {
    char folder[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder))) {
        return std::string();
    }
    return folder;
}

} // namespace

std::string AppDataFolder() {
    return ShellFolder(CSIDL_APPDATA);
}

std::string LocalAppDataFolder() {
    return ShellFolder(CSIDL_LOCAL_APPDATA);
}
