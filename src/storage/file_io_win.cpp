// Data files on Windows: reads that share the file, and saves that never leave a damaged file
// behind.
#include "storage/file_io.h"
#include "storage/file_io_platform.h"

#include <windows.h>

namespace {

using platform::kLockedOpenAttempts;
using platform::kLockedOpenDelayMs;

HANDLE OpenShared(const std::string& path) {
    for (int attempt = 1;; ++attempt) {
        const HANDLE file = CreateFileA(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return file;
        }
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) ||
            attempt == kLockedOpenAttempts) {
            return INVALID_HANDLE_VALUE;
        }
        Sleep(kLockedOpenDelayMs);
    }
}

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

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
    const HANDLE file = OpenShared(path);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) {
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

bool COutFile::Create(const std::string& path, bool mustBeNew) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, mustBeNew ? CREATE_NEW : CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    m_handle = reinterpret_cast<intptr_t>(file);
    return file != INVALID_HANDLE_VALUE;
}

bool COutFile::Write(const char* p, size_t size) {
    while (size != 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(AsHandle(m_handle), p, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        p += done;
        size -= done;
    }
    return true;
}

bool COutFile::Flush() {
    return FlushFileBuffers(AsHandle(m_handle)) != 0;
}

bool COutFile::Close() {
    if (AsHandle(m_handle) == INVALID_HANDLE_VALUE) {
        return true;
    }
    const bool ok = CloseHandle(AsHandle(m_handle)) != 0;
    m_handle = reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE);
    return ok;
}

bool TargetAcceptsWrite(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    // Readers that share the file (backup agents, indexers) do not stop a save; a program that
    // keeps others from writing does.
    const HANDLE probe = CreateFileA(path.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(probe);
    return true;
}

bool SwapIn(const std::string& temp, const std::string& path) {
    if (Exists(path)) {
        return ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                            nullptr, nullptr) != 0;
    }
    return MoveFileExA(temp.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool MoveIntoPlace(const std::string& temp, const std::string& path) {
    return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
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
    if (CreateDirectoryA(path.c_str(), nullptr)) {
        return true;
    }
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveFile(const std::string& path) {
    DeleteFileA(path.c_str());
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    const bool endsInSeparator = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
    const HANDLE find = FindFirstFileA((folder + (endsInSeparator ? "*" : "\\*")).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return names;
}
