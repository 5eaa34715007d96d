// What each platform's file code gives the portable sequences in file_io.cpp.
#pragma once

#include "storage/file_error.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// How long an open waits for a holder of the file that shares nothing before it reports Busy;
// longer waits belong to the callers that can afford them.
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
    EFileError Create(const std::string& path, bool mustBeNew);
    EFileError Write(const char* data, size_t size);
    EFileError Flush();
    EFileError Close();

private:
    intptr_t m_handle = -1;
};

// A save must fail where writing the file in place would: a read-only target, or one that
// another program holds open.
EFileError TargetAcceptsWrite(const std::string& path);

// Replaces path with temp in one step, or moves temp there when path does not exist. With
// replacedAs, whatever path held at the moment of the swap goes there.
EFileError SwapIn(const std::string& temp, const std::string& path, const std::string& replacedAs);

// Moves temp to path, which does not exist.
EFileError MoveIntoPlace(const std::string& temp, const std::string& path);

// Differs between the processes that run at one time.
unsigned long ProcessId();

} // namespace platform
