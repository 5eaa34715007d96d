// Data files on disk: stamps, shared reads, the atomic replace, the folder lock, plain file steps.
#pragma once

#include "storage/archive.h"
#include "storage/file_error.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What tells whether a file changed since it was last seen: its size and last write time.
struct SFileStamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t writeTicks = 0; // the platform's own units, compared only for equality
    int64_t writeTime = 0;  // seconds since 1970, for showing

    bool operator==(const SFileStamp& o) const {
        return exists == o.exists && size == o.size && writeTicks == o.writeTicks;
    }
    bool operator!=(const SFileStamp& o) const { return !(*this == o); }
};

SFileStamp FileStampOf(const std::string& path);

// A data file opened for reading, readable through an archive. Other readers and writers may hold
// it at the same time (backup agents and indexers do); one that shares nothing is waited for
// briefly before the open gives up with EFileError::Busy.
class CReadFile : public IArchiveReader {
public:
    CReadFile();
    ~CReadFile() override;
    CReadFile(const CReadFile&) = delete;
    CReadFile& operator=(const CReadFile&) = delete;

    bool Open(const std::string& path);
    // Why the last Open failed.
    EFileError Error() const { return m_error; }

    size_t Read(void* data, size_t size) override;
    uint64_t Remaining() const override;
    // Reads the rest of the file in one call, so the archive can parse it in place; files larger
    // than any data file of the program, or too large for the memory at hand, are streamed.
    const unsigned char* TakeContiguous(size_t& size) override;

    static constexpr uint64_t kWholeReadLimit = 64u << 20;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<unsigned char[]> m_whole;
    uint64_t m_size = 0;
    uint64_t m_pos = 0;
    EFileError m_error = EFileError::None;
};

// Every byte of a file up to the limit; TooLarge beyond it.
EFileError ReadWholeFile(const std::string& path, std::string& bytes,
                         uint64_t limit = CReadFile::kWholeReadLimit);

// Where a replace ended.
enum class EReplaceResult {
    Replaced,   // the new bytes are at the path
    Unchanged,  // the path holds what it held before, or still nothing
    LeftInTemp, // the target is gone and the new bytes wait, complete, in a temporary file
};

// Steps of a replace that a test can make fail, as bits.
enum EReplaceFault : unsigned {
    kFailCreateTemp = 1u << 0,
    kFailWrite = 1u << 1,
    kFailFlush = 1u << 2,
    kFailClose = 1u << 3,
    kFailReplace = 1u << 4,            // the swap fails with the target untouched
    kFailReplaceDropsTarget = 1u << 5, // the swap fails after moving the target away
    kFailMove = 1u << 6,               // the move into the place of a missing target fails
};

// Writes the bytes to a temporary file of its own in the target's folder, flushes it to the disk
// and then replaces the target in one step. A complete temporary file is never removed while the
// target is missing: the new bytes then stay there for the next start-up to promote, and no
// later write touches them. error, when given, says why the result is not Replaced. With
// replacedAs, the file that stood at the path at the moment of the swap is left there, so a
// write another program made just before is never lost unseen. written, when given, receives the
// stamp of the new file as it was before the swap made it visible.
EReplaceResult ReplaceFileContents(const std::string& path, const std::string& bytes,
                                   unsigned faults = 0, EFileError* error = nullptr,
                                   const std::string& replacedAs = std::string(),
                                   SFileStamp* written = nullptr);

// Whether a replace of path could go ahead now: None, or why not (Busy for a holder that keeps
// others from writing, Denied for a read-only file or a folder in its place).
EFileError CheckWritable(const std::string& path);

// Writes a new file; fails rather than overwrite an existing one.
EFileError WriteNewFile(const std::string& path, const std::string& bytes);

// Copies a file byte for byte to a new file; fails rather than overwrite an existing one.
EFileError CopyFileBytes(const std::string& from, const std::string& to);

// Whether a file name in a folder is a temporary file of a save of the file named name:
// "<name>.tmp", or "<name>.<token>.tmp" with a token of its own.
bool IsTempFileOf(const std::string& entry, const std::string& name);

// Moves a file to a name that nothing has yet; fails rather than replace one.
EFileError MoveToNewName(const std::string& from, const std::string& to);

// True only when nothing is at the path; a file that exists but cannot be opened is not missing.
bool FileIsMissing(const std::string& path);

// Creates a folder; an existing one is no error. Returns whether the folder exists afterwards.
bool CreateFolder(const std::string& path);

// Deletes a file; a missing file is no error.
void RemoveFile(const std::string& path);

// The names of the files in a folder (folders left out); empty when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);

// A file held open for a whole run, so that no second writer works on the same folder, whichever
// session or user it runs in. The file goes when the holder ends, however it ends.
class CFolderLock {
public:
    enum class EResult { Held, HeldElsewhere, Unavailable };

    CFolderLock() = default;
    ~CFolderLock();
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    EResult Acquire(const std::string& path);

private:
    intptr_t m_handle = -1;
    std::string m_path;
};
