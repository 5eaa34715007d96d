// Data files on the host build (POSIX). Advisory locks stand in for Windows sharing: a reader
// takes a shared lock, and a holder of an exclusive lock is one that shares nothing.
#include "storage/file_io.h"
#include "storage/file_io_platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

using platform::kLockedOpenAttempts;
using platform::kLockedOpenDelayMs;

EFileError FromErrno(int error) {
    switch (error) {
    case 0:
        return EFileError::None;
    case ENOENT:
        return EFileError::Missing;
    case ENOTDIR:
        return EFileError::NoFolder;
    case EWOULDBLOCK:
        return EFileError::Busy;
    case ENOSPC:
    case EDQUOT:
        return EFileError::DiskFull;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return EFileError::Denied;
    default:
        return EFileError::Other;
    }
}

EFileError LastError() {
    return FromErrno(errno);
}

void SleepMs(long ms) {
    timespec delay{0, ms * 1000000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

EFileError SharedLockWithRetry(int fd) {
    for (int attempt = 1;; ++attempt) {
        if (flock(fd, LOCK_SH | LOCK_NB) == 0) {
            return EFileError::None;
        }
        if (errno != EWOULDBLOCK || attempt == kLockedOpenAttempts) {
            return LastError();
        }
        SleepMs(kLockedOpenDelayMs);
    }
}

// The folder part of a path, without its last separator; "." for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// A file that cannot be created because its folder is gone says so.
EFileError CreateError(const std::string& path) {
    const int error = errno;
    struct stat st {};
    if (error == ENOENT && stat(FolderOf(path).c_str(), &st) != 0) {
        return EFileError::NoFolder;
    }
    return FromErrno(error);
}

void SyncFolderOf(const std::string& path) {
    const int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
        m_error = errno == ENOTDIR ? EFileError::Missing : LastError();
        return false;
    }
    struct stat st {};
    m_error = fstat(fd, &st) != 0    ? LastError()
              : !S_ISREG(st.st_mode) ? EFileError::Denied
                                     : SharedLockWithRetry(fd);
    if (m_error != EFileError::None) {
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

EFileError COutFile::Create(const std::string& path, bool mustBeNew) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mustBeNew ? O_EXCL : O_TRUNC);
    m_handle = open(path.c_str(), flags, 0644);
    return m_handle >= 0 ? EFileError::None : CreateError(path);
}

EFileError COutFile::Write(const char* p, size_t size) {
    const int fd = static_cast<int>(m_handle);
    while (size != 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return EFileError::None;
}

EFileError COutFile::Flush() {
    return fsync(static_cast<int>(m_handle)) == 0 ? EFileError::None : LastError();
}

EFileError COutFile::Close() {
    if (m_handle < 0) {
        return EFileError::None;
    }
    const bool ok = close(static_cast<int>(m_handle)) == 0;
    m_handle = -1;
    return ok ? EFileError::None : LastError();
}

EFileError TargetAcceptsWrite(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            return LastError();
        }
        return stat(FolderOf(path).c_str(), &st) == 0 ? EFileError::None : EFileError::NoFolder;
    }
    if (!S_ISREG(st.st_mode)) {
        return EFileError::Denied;
    }
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    // Like a Windows file shared for writing: only a holder that keeps others out blocks a save.
    const EFileError error = flock(fd, LOCK_SH | LOCK_NB) == 0 ? EFileError::None : LastError();
    close(fd);
    return error;
}

EFileError SwapIn(const std::string& temp, const std::string& path, const std::string& replacedAs) {
    // Exchanged in one step, the old file is exactly what stood at the path at that moment.
    if (!replacedAs.empty() &&
        renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
        rename(temp.c_str(), replacedAs.c_str());
        SyncFolderOf(path);
        return EFileError::None;
    }
    if (!replacedAs.empty()) {
        link(path.c_str(), replacedAs.c_str()); // missing target: nothing was replaced
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        return LastError();
    }
    SyncFolderOf(path);
    return EFileError::None;
}

EFileError MoveIntoPlace(const std::string& temp, const std::string& path) {
    return SwapIn(temp, path, std::string());
}

unsigned long ProcessId() {
    return static_cast<unsigned long>(getpid());
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

SFileStamp FileStampOf(const std::string& path) {
    SFileStamp stamp;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return stamp;
    }
    stamp.exists = true;
    stamp.size = static_cast<uint64_t>(st.st_size);
    stamp.writeTicks = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.writeTime = static_cast<int64_t>(st.st_mtim.tv_sec);
    return stamp;
}

CFolderLock::~CFolderLock() {
    if (m_handle >= 0) {
        unlink(m_path.c_str());
        close(static_cast<int>(m_handle));
    }
}

CFolderLock::EResult CFolderLock::Acquire(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return EResult::Unavailable;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? EResult::HeldElsewhere : EResult::Unavailable;
    }
    m_handle = fd;
    m_path = path;
    return EResult::Held;
}
