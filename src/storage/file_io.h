#pragma once

#include "storage/archive.h"

#include <cstdint>
#include <memory>
#include <string>

// A data file opened for exclusive reading, readable through an archive.
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
    // than any data file of the program are streamed instead.
    const unsigned char* TakeContiguous(size_t& size) override;

private:
    static constexpr uint64_t kWholeReadLimit = 64u << 20;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::unique_ptr<unsigned char[]> m_whole;
    uint64_t m_size = 0;
    uint64_t m_pos = 0;
};

// Writes the bytes to a temporary file in the target's folder, flushes it to the disk and then
// replaces the target in one step. On false the previous target is exactly as it was.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

// Creates a folder; an existing one is no error. Returns whether the folder exists afterwards.
bool CreateFolder(const std::string& path);

// The name of the temporary file that a save of path writes first.
std::string TempPathFor(const std::string& path);

// Deletes a file; a missing file is no error.
void RemoveFile(const std::string& path);
