// The file system and clock the saving works through, so that tests can give their own.
#pragma once

#include "base/time_format.h"
#include "storage/file_io.h"

#include <cstdint>
#include <string>
#include <vector>

// Larger than any data file of a lifetime; a file beyond it counts as unreadable.
constexpr uint64_t kDataFileReadLimit = 256u << 20;

// What the saving policy needs of the file system. The program uses the disk; tests give a
// file system of their own that can be full, held by another program or changed behind its back.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    virtual EFileError Read(const std::string& path, std::string& bytes, uint64_t limit) = 0;
    virtual SFileStamp Stamp(const std::string& path) = 0;
    // Whether a replace of the path could go ahead now.
    virtual EFileError CheckWritable(const std::string& path) = 0;
    // A replace that never leaves a damaged file (see ReplaceFileContents); None once the new
    // bytes are in place. With replacedAs, what stood at the path at that moment goes there;
    // written, when given, receives the new file's stamp.
    virtual EFileError Replace(const std::string& path, const std::string& bytes,
                               const std::string& replacedAs = std::string(),
                               SFileStamp* written = nullptr) = 0;
    // Fails rather than overwrite an existing file.
    virtual EFileError WriteNew(const std::string& path, const std::string& bytes) = 0;
    virtual EFileError Copy(const std::string& from, const std::string& to) = 0;
    // Renames a file; fails rather than replace an existing one.
    virtual EFileError Move(const std::string& from, const std::string& to) = 0;
    virtual void Remove(const std::string& path) = 0;
    // Names of the files in a folder.
    virtual std::vector<std::string> List(const std::string& folder) = 0;
    virtual bool MakeFolder(const std::string& path) = 0;
};

// The time of day, and waiting.
class IClock {
public:
    virtual ~IClock() = default;
    virtual QTime Now() = 0;
    virtual void Sleep(unsigned ms) = 0;
};

class CDiskFileSystem : public IFileSystem {
public:
    EFileError Read(const std::string& path, std::string& bytes, uint64_t limit) override {
        return ReadWholeFile(path, bytes, limit);
    }
    SFileStamp Stamp(const std::string& path) override { return FileStampOf(path); }
    EFileError CheckWritable(const std::string& path) override { return ::CheckWritable(path); }
    EFileError Replace(const std::string& path, const std::string& bytes,
                       const std::string& replacedAs = std::string(),
                       SFileStamp* written = nullptr) override;
    EFileError WriteNew(const std::string& path, const std::string& bytes) override {
        return WriteNewFile(path, bytes);
    }
    EFileError Copy(const std::string& from, const std::string& to) override {
        return CopyFileBytes(from, to);
    }
    EFileError Move(const std::string& from, const std::string& to) override {
        return MoveToNewName(from, to);
    }
    void Remove(const std::string& path) override { RemoveFile(path); }
    std::vector<std::string> List(const std::string& folder) override {
        return FileNamesIn(folder);
    }
    bool MakeFolder(const std::string& path) override { return CreateFolder(path); }
};

class CSystemClock : public IClock {
public:
    QTime Now() override { return CurrentTime(); }
    void Sleep(unsigned ms) override;
};
