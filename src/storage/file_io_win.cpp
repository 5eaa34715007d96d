// Data files on Windows: exclusive access, and saves that never leave a damaged file behind.
#include "storage/file_io.h"

#include <windows.h>

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
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
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

namespace {

class CHandle {
public:
    explicit CHandle(HANDLE h) : m_h(h) {}
    ~CHandle() { Close(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    bool Valid() const { return m_h != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_h; }
    bool Close() {
        const bool ok = !Valid() || CloseHandle(m_h) != 0;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE m_h;
};

bool WriteAll(HANDLE file, const char* p, size_t size) {
    while (size != 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(file, p, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        p += done;
        size -= done;
    }
    return true;
}

// A save must fail where writing the file in place would: a read-only target, or one that
// another program holds open.
bool TargetAcceptsWrite(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    CHandle probe(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.Valid();
}

} // namespace

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    if (!TargetAcceptsWrite(path)) {
        return false;
    }
    const std::string temp = TempPathFor(path);
    bool ok;
    {
        CHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            return false;
        }
        ok = WriteAll(file.Get(), bytes.data(), bytes.size()) && FlushFileBuffers(file.Get());
        ok = file.Close() && ok;
    }
    if (ok) {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ok = ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr) != 0;
            // A replace that failed after moving the target away still has the new bytes in
            // the temporary file: put them in place rather than leave no file at all.
            if (!ok && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
                ok = MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
            }
        } else {
            ok = MoveFileExA(temp.c_str(), path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
        }
    }
    if (!ok) {
        DeleteFileA(temp.c_str());
    }
    return ok;
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
