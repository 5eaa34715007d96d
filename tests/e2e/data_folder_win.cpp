#include "data_folder_win.h"

#include <cwchar>

#include "wait_win.h"

#include "base/utf8_win.h"

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

constexpr const wchar_t* kUserShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Paths are UTF-8, as in the program; empty for one that is not.
std::wstring Wide(const std::string& path) {
    std::wstring wide;
    Utf8ToWide(path, wide);
    return wide;
}

std::string UnixPathOf(const std::string& windowsPath) {
    using ToUnix = char*(CDECL*)(const WCHAR*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return std::string();
    }
    std::wstring wide;
    if (!Utf8ToWide(windowsPath, wide)) {
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
    std::wstring commandLine = Wide(std::string(kChattr) + " " + flag + " \"" + unixPath + "\"");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (commandLine.empty() || !::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                                                 0, nullptr, nullptr, &startup, &process)) {
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
    wchar_t folder[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    std::string path;
    WideToUtf8(folder, path);
    return path;
}

// Its path folded as Windows compares paths.
std::string LocalFolderOfCopy(const std::string& dataFolder) {
    wchar_t local[MAX_PATH] = {};
    std::wstring folded;
    std::string root;
    std::string identity;
    if (FAILED(
            ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, local)) ||
        !WideToUtf8(local, root) || !Utf8ToWide(dataFolder, folded)) {
        return std::string();
    }
    ::CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    WideToUtf8(folded, identity);
    return LocalFolderFor(root + "\\Quillet\\", FolderIdentity(identity));
}

SDataPaths QuilletPaths() {
    return SDataPaths::In(AppDataFolder());
}

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::u8path(folder), ec)) {
        // Held while Quillet runs and gone when it ends; its own case checks it.
        if (entry.path().filename() != "Quillet.lock") {
            names.push_back(entry.path().filename().u8string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string EntryStartingWith(const std::string& folder, const std::string& prefix) {
    for (const std::string& name : FolderEntries(folder)) {
        if (name.rfind(prefix, 0) == 0) {
            return name;
        }
    }
    return std::string();
}

bool CanOpenForWriting(const std::string& path) {
    const HANDLE file = ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
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
        std::filesystem::remove_all(std::filesystem::u8path(folder), ec);
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
    ::DeleteFileW(Wide(ProbeIn(path)).c_str());
    const HANDLE probe =
        ::CreateFileW(Wide(ProbeIn(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(probe);
    return true;
}

} // namespace

bool CRegistryValue::Set(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
                         const std::wstring& text) {
    if (!Release()) {
        return false;
    }
    m_root = root;
    m_key = key;
    m_name = name;
    m_madeKey.clear();
    for (size_t end = 0; end != std::wstring::npos && m_madeKey.empty();) {
        end = key.find(L'\\', end + 1);
        const std::wstring outer = key.substr(0, end);
        HKEY probe = nullptr;
        if (::RegOpenKeyExW(root, outer.c_str(), 0, KEY_READ, &probe) == ERROR_SUCCESS) {
            ::RegCloseKey(probe);
        } else {
            m_madeKey = outer;
        }
    }
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          nullptr, &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    m_hadValue =
        ::RegQueryValueExW(opened, name.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS;
    m_value.resize(size);
    m_hadValue = m_hadValue && ::RegQueryValueExW(opened, name.c_str(), nullptr, &m_type,
                                                  m_value.data(), &size) == ERROR_SUCCESS;
    // Remembered before the change, so that a value set only in part is undone too.
    m_applied = true;
    // A number is given as its decimal text.
    const DWORD number = type == REG_DWORD ? std::wcstoul(text.c_str(), nullptr, 10) : 0;
    const bool set =
        (type == REG_DWORD
             ? ::RegSetValueExW(opened, name.c_str(), 0, type,
                                reinterpret_cast<const BYTE*>(&number), sizeof number)
             : ::RegSetValueExW(
                   opened, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)))) == ERROR_SUCCESS;
    ::RegCloseKey(opened);
    return set;
}

bool CRegistryValue::Release() {
    if (!m_applied) {
        return true;
    }
    LONG result = ERROR_SUCCESS;
    if (!m_madeKey.empty()) {
        result = ::RegDeleteTreeW(m_root, m_madeKey.c_str());
    } else {
        HKEY key = nullptr;
        result = ::RegOpenKeyExW(m_root, m_key.c_str(), 0, KEY_SET_VALUE, &key);
        if (result == ERROR_SUCCESS) {
            result = m_hadValue ? ::RegSetValueExW(key, m_name.c_str(), 0, m_type, m_value.data(),
                                                   static_cast<DWORD>(m_value.size()))
                                : ::RegDeleteValueW(key, m_name.c_str());
            ::RegCloseKey(key);
        }
    }
    // Gone already is as good as put back.
    m_applied = result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND;
    return !m_applied;
}

bool CAppDataRedirect::Apply(const std::string& folder) {
    const std::wstring wide = Wide(folder);
    if (wide.empty()) {
        return false;
    }
    const int made = ::SHCreateDirectoryExW(nullptr, wide.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS) {
        return false;
    }
    return m_value.Set(HKEY_CURRENT_USER, kUserShellFolders, L"AppData", REG_EXPAND_SZ, wide);
}

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
