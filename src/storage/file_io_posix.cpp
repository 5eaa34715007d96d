// Data files on the host build (POSIX).
#include "storage/file_io.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // Exclusive like the Windows build: another holder of the lock makes the open fail.
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
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

namespace {

bool WriteAll(int fd, const char* p, size_t size) {
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

// The target must still be writable, as it would be for an in-place save: a read-only or
// locked file makes the save fail rather than being swapped away underneath its owner.
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
    const bool unlocked = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return unlocked;
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

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    if (!TargetAcceptsWrite(path)) {
        return false;
    }
    const std::string temp = TempPathFor(path);
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok) {
        ok = rename(temp.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
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
