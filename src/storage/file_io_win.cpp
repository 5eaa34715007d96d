// Data files on Windows: reads that share the file, and saves that never leave a damaged file
// behind.
#include "storage/file_io.h"
#include "base/utf8_win.h"
#include "storage/file_io_platform.h"

#include <windows.h>

namespace {

using platform::kLockedOpenAttempts;
using platform::kLockedOpenDelayMs;

EFileError FromWin32(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return EFileError::None;
    case ERROR_FILE_NOT_FOUND:
        return EFileError::Missing;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return EFileError::NoFolder;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return EFileError::Busy;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case 1295: // ERROR_DISK_QUOTA_EXCEEDED, missing from some headers
        return EFileError::DiskFull;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EFileError::Denied;
    default:
        return EFileError::Other;
    }
}

EFileError LastError() {
    return FromWin32(::GetLastError());
}

bool IsBusy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A path that is not UTF-8 names no file: the call fails as it does for an invalid name.
bool ToWide(const std::string& path, std::wstring& wide) {
    if (Utf8ToWide(path, wide)) {
        return true;
    }
    SetLastError(ERROR_INVALID_NAME);
    return false;
}

DWORD AttributesOf(const std::string& path) {
    std::wstring wide;
    return ToWide(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

HANDLE OpenShared(const std::string& path, EFileError& error) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        error = LastError();
        return INVALID_HANDLE_VALUE;
    }
    for (int attempt = 1;; ++attempt) {
        const HANDLE file = CreateFileW(
            wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            error = EFileError::None;
            return file;
        }
        const DWORD code = GetLastError();
        if (!IsBusy(code) || attempt == kLockedOpenAttempts) {
            error = code == ERROR_PATH_NOT_FOUND ? EFileError::Missing : FromWin32(code);
            return INVALID_HANDLE_VALUE;
        }
        Sleep(kLockedOpenDelayMs);
    }
}

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool Exists(const std::string& path) {
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

SFileStamp FileStampOf(const std::string& path) {
    SFileStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    std::wstring wide;
    if (!ToWide(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return stamp;
    }
    stamp.exists = true;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.writeTicks =
        static_cast<int64_t>((static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                             data.ftLastWriteTime.dwLowDateTime);
    // 100 ns ticks since 1601.
    stamp.writeTime = stamp.writeTicks / 10000000 - 11644473600LL;
    return stamp;
}

struct CReadFile::Impl {
    HANDLE file = INVALID_HANDLE_VALUE;
};

CReadFile::CReadFile() : m_impl(new Impl) {}

CReadFile::~CReadFile() {
    if (m_impl->file != INVALID_HANDLE_VALUE) {
        CloseHandle(m_impl->file);
    }
}

bool CReadFile::Open(const std::string& path) {
    const HANDLE file = OpenShared(path, m_error);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) {
        m_error = LastError();
        CloseHandle(file);
        return false;
    }
    m_impl->file = file;
    m_size = static_cast<uint64_t>(size.QuadPart);
    m_pos = 0;
    return true;
}

size_t CReadFile::Read(void* data, size_t size) {
    // ReadFile takes 32-bit sizes.
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(m_impl->file, data, chunk, &got, nullptr)) {
        throw CArchiveError("read failed");
    }
    m_pos += got;
    return got;
}

namespace platform {

COutFile::~COutFile() {
    Close();
}

EFileError COutFile::Create(const std::string& path, bool mustBeNew) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        return LastError();
    }
    const HANDLE file =
        CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, mustBeNew ? CREATE_NEW : CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = reinterpret_cast<intptr_t>(file);
    return file != INVALID_HANDLE_VALUE ? EFileError::None : LastError();
}

EFileError COutFile::Write(const char* p, size_t size) {
    while (size != 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(AsHandle(m_handle), p, chunk, &done, nullptr)) {
            return LastError();
        }
        if (done == 0) {
            return EFileError::DiskFull;
        }
        p += done;
        size -= done;
    }
    return EFileError::None;
}

EFileError COutFile::Flush() {
    return FlushFileBuffers(AsHandle(m_handle)) ? EFileError::None : LastError();
}

EFileError COutFile::Close() {
    if (AsHandle(m_handle) == INVALID_HANDLE_VALUE) {
        return EFileError::None;
    }
    const bool ok = CloseHandle(AsHandle(m_handle)) != 0;
    m_handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
    return ok ? EFileError::None : LastError();
}

EFileError TargetAcceptsWrite(const std::string& path) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        return LastError();
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? EFileError::None : FromWin32(error);
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        return EFileError::Denied;
    }
    // Readers that share the file (backup agents, indexers) do not stop a save; a program that
    // keeps others from writing does.
    const HANDLE probe = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return LastError();
    }
    CloseHandle(probe);
    return EFileError::None;
}

EFileError SwapIn(const std::string& temp, const std::string& path, const std::string& replacedAs) {
    std::wstring wideTemp;
    std::wstring widePath;
    std::wstring wideReplaced;
    if (!ToWide(temp, wideTemp) || !ToWide(path, widePath) || !ToWide(replacedAs, wideReplaced)) {
        return LastError();
    }
    if (GetFileAttributesW(widePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return ReplaceFileW(widePath.c_str(), wideTemp.c_str(),
                            replacedAs.empty() ? nullptr : wideReplaced.c_str(),
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                   ? EFileError::None
                   : LastError();
    }
    return MoveFileExW(wideTemp.c_str(), widePath.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? EFileError::None
               : LastError();
}

EFileError MoveIntoPlace(const std::string& temp, const std::string& path) {
    std::wstring wideTemp;
    std::wstring widePath;
    if (!ToWide(temp, wideTemp) || !ToWide(path, widePath)) {
        return LastError();
    }
    return MoveFileExW(wideTemp.c_str(), widePath.c_str(), MOVEFILE_WRITE_THROUGH)
               ? EFileError::None
               : LastError();
}

unsigned long ProcessId() {
    return GetCurrentProcessId();
}

} // namespace platform

bool FileIsMissing(const std::string& path) {
    if (Exists(path)) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool CreateFolder(const std::string& path) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        return false;
    }
    if (CreateDirectoryW(wide.c_str(), nullptr)) {
        return true;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFile(const std::string& path) {
    std::wstring wide;
    if (ToWide(path, wide)) {
        DeleteFileW(wide.c_str());
    }
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    std::wstring pattern;
    if (!ToWide(folder + (endsInSeparator ? "*" : "\\*"), pattern)) {
        return names;
    }
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        // A name that is no valid UTF-16 is none of the program's, and no path could reach it.
        std::string name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            WideToUtf8(found.cFileName, name)) {
            names.push_back(name);
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

CFolderLock::~CFolderLock() {
    if (AsHandle(m_handle) != INVALID_HANDLE_VALUE) {
        CloseHandle(AsHandle(m_handle));
    }
}

CFolderLock::EResult CFolderLock::Acquire(const std::string& path) {
    std::wstring wide;
    if (!ToWide(path, wide)) {
        return EResult::Unavailable;
    }
    // Shared with nobody and deleted on close: the file is there exactly while a holder runs,
    // even one that crashed leaves none behind.
    for (int attempt = 1;; ++attempt) {
        const HANDLE file = CreateFileW(
            wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_FLAG_DELETE_ON_CLOSE,
            nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            m_handle = reinterpret_cast<intptr_t>(file);
            m_path = path;
            return EResult::Held;
        }
        const DWORD error = GetLastError();
        if (IsBusy(error)) {
            return EResult::HeldElsewhere;
        }
        // A lock file that is there but cannot be opened belongs to another user, or is on its
        // way out as its holder ends: wait a moment for the latter.
        if (error != ERROR_ACCESS_DENIED || !Exists(path)) {
            return EResult::Unavailable;
        }
        if (attempt == kLockedOpenAttempts) {
            return EResult::HeldElsewhere;
        }
        Sleep(kLockedOpenDelayMs * 4);
    }
}
