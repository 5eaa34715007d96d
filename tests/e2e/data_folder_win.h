#pragma once

#include "stored_files.h"

// The storage folder of Quillet inside the Wine prefix, the faults a test can put into it, and the
// registry values a test changes for a while. Paths are UTF-8, as in the program.

#include "storage/storage.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// %APPDATA% as the shell reports it to every program of the prefix.
std::string AppDataFolder();
// The folder and the four data files, as Quillet names them.
SDataPaths QuilletPaths();

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Every byte of a file; empty when it cannot be read.

// Opening for writing is what every save of Quillet needs first.
bool CanOpenForWriting(const std::string& path);

// Removes a folder with everything in it, immutable files included.
bool RemoveFolderTree(const std::string& folder);
// The folder of this computer's own that the copy of a data folder keeps.
std::string LocalFolderOfCopy(const std::string& dataFolder);

// Names of the entries of a folder, sorted, without the lock file of a running Quillet.
std::vector<std::string> FolderEntries(const std::string& folder);
// The first of those names that begins with the prefix; empty when none does.
std::string EntryStartingWith(const std::string& folder, const std::string& prefix);

// A registry value set for a test and put back as it was: the old value, or no value and none of
// the keys made for it. Undone by Release or the destructor.
class CRegistryValue {
public:
    CRegistryValue() = default;
    ~CRegistryValue() { Release(); }
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

    // An empty name sets the key's default value.
    bool Set(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type,
             const std::wstring& text);
    bool Release();

private:
    HKEY m_root = nullptr;
    std::wstring m_key;
    std::wstring m_name;
    // The outermost key that Set made, removed with everything in it.
    std::wstring m_madeKey;
    bool m_applied = false;
    bool m_hadValue = false;
    DWORD m_type = 0;
    std::vector<BYTE> m_value;
};

// Points the application-data folder of every program of the prefix (as the shell reports it) at
// another folder, made if missing, as a profile elsewhere would. The environment does not move it
// under Wine; the registry does. Undone by Release or the destructor.
class CAppDataRedirect {
public:
    bool Apply(const std::string& folder);
    bool Release() { return m_value.Release(); }

private:
    CRegistryValue m_value;
};

// Makes a file or a folder immutable on the Linux side (chattr +i): Wine then fails every write,
// replace and delete of it, even for root. Apply and Release return once the change is in effect.
// Undone by Release or the destructor.
class CImmutableFile {
public:
    CImmutableFile() = default;
    ~CImmutableFile() { Release(); }
    CImmutableFile(const CImmutableFile&) = delete;
    CImmutableFile& operator=(const CImmutableFile&) = delete;

    bool Apply(const std::string& windowsPath);
    bool Release();

private:
    std::string m_windowsPath;
    std::string m_unixPath;
};

} // namespace e2e
