#pragma once

#include "storage/archive.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A data file opened for reading, readable through an archive. Other readers and writers may hold
// it at the same time (backup agents and indexers do); one that shares nothing is waited for
// briefly before the open gives up.
class CReadFile : public IArchiveReader {
public:
    CReadFile();
    ~CReadFile() override;
    CReadFile(const CReadFile&) = delete;
    CReadFile& operator=(const CReadFile&) = delete;

    bool Open(const std::string& path);

    size_t Read(void* data, size_t size) override;
    uint64_t Remaining() const override;
    // Reads the rest of the file in one call, so the archive can parse it in place; files larger
    // than any data file of the program, or too large for the memory at hand, are streamed.
    const unsigned char* TakeContiguous(size_t& size) override;

private:
    static constexpr uint64_t kWholeReadLimit = 64u << 20;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<unsigned char[]> m_whole;
    uint64_t m_size = 0;
    uint64_t m_pos = 0;
};

// Where a replace ended.
enum class EReplaceResult {
    Replaced,   // the new bytes are at the path
    Unchanged,  // the path holds what it held before, or still nothing
    LeftInTemp, // the target is gone and the new bytes wait, complete, in TempPathFor(path)
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

// Writes the bytes to a temporary file in the target's folder, flushes it to the disk and then
// replaces the target in one step. A complete temporary file is never removed while the target
// is missing: if the target is gone, the new bytes stay there for the next start-up to promote.
EReplaceResult ReplaceFileContents(const std::string& path, const std::string& bytes,
                                   unsigned faults = 0);

// Puts the complete temporary file of path (a leftover of an interrupted save) in its place; the
// temporary file stays when that fails.
EReplaceResult PromoteTempFile(const std::string& path);

// Copies a file byte for byte to a new file; fails rather than overwrite an existing one.
bool CopyFileBytes(const std::string& from, const std::string& to);

// True only when nothing is at the path; a file that exists but cannot be opened is not missing.
bool FileIsMissing(const std::string& path);

// Creates a folder; an existing one is no error. Returns whether the folder exists afterwards.
bool CreateFolder(const std::string& path);

// The name of the temporary file that a save of path writes first.
std::string TempPathFor(const std::string& path);

// Deletes a file; a missing file is no error.
void RemoveFile(const std::string& path);

// The names of the files in a folder (folders left out); empty when it cannot be read.
std::vector<std::string> FileNamesIn(const std::string& folder);
