// Bytes that must not be lost but cannot be used, kept beside their file.
#pragma once

#include "storage/file_system.h"

#include <cstdint>
#include <string>

// Kept-aside copies of a file: the newest few of each kind, within a size.
constexpr size_t kKeptCopies = 5;
constexpr uint64_t kKeptCopiesBytes = 100u << 20;

// Bytes that must not be lost but cannot be used stay beside their file, under the file's name,
// a kind and the time: "<path>.unreadable-YYYYMMDD-HHMMSS" for a file that would not load,
// "<path>.merged-YYYYMMDD-HHMMSS" for a copy whose notes were taken in.
class CKeptAside {
public:
    CKeptAside(IFileSystem& files, IClock& clock) : m_files(files), m_clock(clock) {}

    // A copy of bytes that stood at path (of the file itself when bytes is null); the same bytes
    // kept before are kept once. keptAs names the copy.
    EFileError KeepUnreadable(const std::string& path, const std::string* bytes, uint64_t size,
                              std::string& keptAs);
    // Moves a file whose notes were merged in out of the way of a later look.
    EFileError MoveMerged(const std::string& path, std::string& movedTo);

private:
    std::string NewName(const std::string& path, const char* kind);
    // Removes all but the newest copies of a kind in a folder; never `keep`.
    void Prune(const std::string& folder, const std::string& prefix, const std::string& kind,
               const std::string& keep, uint64_t keptBytes);

    IFileSystem& m_files;
    IClock& m_clock;
};
