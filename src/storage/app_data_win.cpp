// The shell's folders and the program's own folder, asked of the system, in UTF-8.
#include "storage/app_data_win.h"

#include "base/utf8_win.h"
#include "storage/storage.h"

#include <windows.h>
#include <shlobj.h>

namespace {

std::string ShellFolder(int id) {
    wchar_t folder[MAX_PATH] = {};
    std::string path;
    if (FAILED(::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, folder)) ||
        !WideToUtf8(folder, path) || !IsFullWindowsPath(path)) {
        return std::string();
    }
    return path;
}

} // namespace

std::string AppDataFolder() {
    return ShellFolder(CSIDL_APPDATA);
}

std::string LocalAppDataFolder() {
    return ShellFolder(CSIDL_LOCAL_APPDATA);
}

std::string DocumentsFolder() {
    return ShellFolder(CSIDL_PERSONAL);
}

std::string ProgramFolder() {
    std::wstring path(32768, L'\0');
    const DWORD size = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    const size_t end = path.find_last_of(L'\\', size);
    std::string folder;
    if (size == 0 || size >= path.size() || end == std::wstring::npos ||
        !WideToUtf8(path.substr(0, end + 1), folder)) {
        return std::string();
    }
    return folder;
}

std::string DataFolderIdentity(const std::string& folder) {
    std::wstring wide;
    std::string folded;
    if (!Utf8ToWide(folder, wide)) {
        return FolderIdentity(folder);
    }
    if (!wide.empty()) {
        ::CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    }
    return FolderIdentity(WideToUtf8(wide, folded) ? folded : folder);
}
