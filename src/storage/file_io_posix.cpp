// Data files on the host build (POSIX). Advisory locks stand in for Windows sharing: a reader
// takes a shared lock, and a holder of an exclusive lock is one that shares nothing.
#include "storage/file_io.h"
#include "storage/file_io_platform.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

using platform::kLockedOpenAttempts;
using platform::kLockedOpenDelayMs;

void SleepMs(long ms) {
    timespec delay{0, ms * 1000000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

bool SharedLockWithRetry(int fd) {
    for (int attempt = 1;; ++attempt) {
        if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK || attempt == kLockedOpenAttempts) {
            return false;
        }
        SleepMs(kLockedOpenDelayMs);
    }
}

void SyncFolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

struct CReadFile::Impl {
    int fd = -1;
};

CReadFile::CReadFile() : m_impl(new Impl) {}

CReadFile::~CReadFile() {
    if (m_impl->fd >= 0) {
        close(m_impl->fd);
    }
}

bool CReadFile::Open(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !SharedLockWithRetry(fd)) {
        close(fd);
        return false;
    }
    m_impl->fd = fd;
    m_size = static_cast<uint64_t>(st.st_size);
    m_pos = 0;
    return true;
}

size_t CReadFile::Read(void* data, size_t size) {
    for (;;) {
        const ssize_t n = read(m_impl->fd, data, size);
        if (n >= 0) {
            m_pos += static_cast<uint64_t>(n);
            return static_cast<size_t>(n);
        }
        if (errno != EINTR) {
            throw CArchiveError("read failed");
        }
    }
}

namespace platform {

COutFile::~COutFile() {
    Close();
}

bool COutFile::Create(const std::string& path, bool mustBeNew) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mustBeNew ? O_EXCL : O_TRUNC);
    m_handle = open(path.c_str(), flags, 0644);
    return m_handle >= 0;
}

bool COutFile::Write(const char* p, size_t size) {
    const int fd = static_cast<int>(m_handle);
    while (size != 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool COutFile::Flush() {
    return fsync(static_cast<int>(m_handle)) == 0;
}

bool COutFile::Close() {
    if (m_handle < 0) {
        return true;
    }
    const bool ok = close(static_cast<int>(m_handle)) == 0;
    m_handle = -1;
    return ok;
}

bool TargetAcceptsWrite(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISREG(st.st_mode)) {
        return false;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    // Like a Windows file shared for writing: only a holder that keeps others out blocks a save.
    const bool unlocked = flock(fd, LOCK_SH | LOCK_NB) == 0;
    close(fd);
    return unlocked;
}

bool SwapIn(const std::string& temp, const std::string& path) {
    if (rename(temp.c_str(), path.c_str()) != 0) {
        return false;
    }
    SyncFolderOf(path);
    return true;
}

bool MoveIntoPlace(const std::string& temp, const std::string& path) {
    return SwapIn(temp, path);
}

} // namespace platform

bool FileIsMissing(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

bool CreateFolder(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
    }
    if (mkdir(folder.c_str(), 0755) == 0) {
        return true;
    }
    struct stat st {};
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void RemoveFile(const std::string& path) {
    unlink(path.c_str());
}

std::vector<std::string> FileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        struct stat st {};
        const std::string path =
            folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + entry->d_name;
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            names.push_back(entry->d_name);
        }
    }
    closedir(dir);
    return names;
}
