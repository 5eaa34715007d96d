#pragma once

// What each platform's file code gives the portable sequences in file_io.cpp.

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// How long a read waits for a holder of the file that shares nothing: well under a second in all.
constexpr int kLockedOpenAttempts = 10;
constexpr unsigned kLockedOpenDelayMs = 25;

// A file written once from start to end.
class COutFile {
public:
    COutFile() = default;
    ~COutFile();
    COutFile(const COutFile&) = delete;
    COutFile& operator=(const COutFile&) = delete;

    // Truncates an existing file, or with mustBeNew fails when one exists.
    bool Create(const std::string& path, bool mustBeNew);
    bool Write(const char* data, size_t size);
    bool Flush();
    bool Close();

private:
    intptr_t m_handle = -1;
};

// A save must fail where writing the file in place would: a read-only target, or one that
// another program holds open.
bool TargetAcceptsWrite(const std::string& path);

// Replaces path with temp in one step, or moves temp there when path does not exist.
bool SwapIn(const std::string& temp, const std::string& path);

// Moves temp to path, which does not exist.
bool MoveIntoPlace(const std::string& temp, const std::string& path);

} // namespace platform
