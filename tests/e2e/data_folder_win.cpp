#include "data_folder_win.h"

#include "wait_win.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace e2e {

namespace {

// Wine runs a Linux program named by a Unix path directly.
constexpr const char* kChattr = "/usr/bin/chattr";

std::string UnixPathOf(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return std::string();
    }
    std::wstring wide(windowsPath.size() + 1, L'\0');
    const int n = ::MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, &wide[0],
                                        static_cast<int>(wide.size()));
    if (n <= 0) {
        return std::string();
    }
    char* unixPath = toUnix(wide.c_str());
    if (unixPath == nullptr) {
        return std::string();
    }
    std::string result(unixPath);
    ::HeapFree(::GetProcessHeap(), 0, unixPath);
    return result;
}

// Wine gives no process handle for a Linux program, so the caller waits for the effect instead.
bool StartChattr(const char* flag, const std::string& unixPath) {
    std::string commandLine = std::string(kChattr) + " " + flag + " \"" + unixPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return false;
    }
    for (HANDLE handle : {process.hThread, process.hProcess}) {
        if (handle != nullptr) {
            ::CloseHandle(handle);
        }
    }
    return true;
}

} // namespace

std::string AppDataFolder() {
    char folder[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

SDataPaths QuilletPaths() {
    return SDataPaths::In(AppDataFolder());
}

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        // Held while Quillet runs and gone when it ends; its own case checks it.
        if (entry.path().filename() != "Quillet.lock") {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool CanOpenForWriting(const std::string& path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file);
    return true;
}

bool RemoveFolderTree(const std::string& folder) {
    auto remove = [&] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
        return !DirectoryExists(folder) && !FileExists(folder);
    };
    if (remove()) {
        return true;
    }
    // A run that was cut short may have left an immutable file behind.
    const std::string unixPath = UnixPathOf(folder);
    return !unixPath.empty() && StartChattr("-R -i", unixPath) && WaitUntil(remove);
}

namespace {

std::string ProbeIn(const std::string& folder) {
    return folder + "\\probe.tmp";
}

// A file that can be opened for writing, or a folder in which a file can be made. A probe left
// by a flag that landed between its making and its deletion goes first.
bool CanModify(const std::string& path) {
    if (!DirectoryExists(path)) {
        return CanOpenForWriting(path);
    }
    ::DeleteFileA(ProbeIn(path).c_str());
    const HANDLE probe = ::CreateFileA(ProbeIn(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(probe);
    return true;
}

} // namespace

bool CImmutableFile::Apply(const std::string& windowsPath) {
    // A folder that kept a probe is released, which removes it, and made immutable again.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (!Release() || !CanModify(windowsPath)) {
            return false;
        }
        const std::string unixPath = UnixPathOf(windowsPath);
        if (unixPath.empty() || !StartChattr("+i", unixPath)) {
            return false;
        }
        // Remembered at once: the change may land after the wait gave up.
        m_windowsPath = windowsPath;
        m_unixPath = unixPath;
        if (!WaitUntil([&] { return !CanModify(windowsPath); })) {
            return false;
        }
        if (!DirectoryExists(windowsPath) || !FileExists(ProbeIn(windowsPath))) {
            return true;
        }
    }
    return false;
}

bool CImmutableFile::Release() {
    if (m_unixPath.empty()) {
        return true;
    }
    const bool ok =
        StartChattr("-i", m_unixPath) && WaitUntil([&] { return CanModify(m_windowsPath); });
    m_unixPath.clear();
    m_windowsPath.clear();
    return ok;
}

} // namespace e2e
