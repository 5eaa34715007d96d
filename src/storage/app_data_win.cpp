#include "storage/app_data_win.h"

#include <windows.h>
#include <shlobj.h>

std::string AppDataFolder() {
    char folder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}
