// Waits for files that other programs hold for a moment, the folder lock among them.
#pragma once

#include "storage/file_io.h"
#include "storage/file_system.h"

#include <functional>

// Runs a step of file work until it is no longer Busy or waitMs have passed, pausing 50 ms at
// first and twice as long each time up to a second; the last step's answer.
EFileError WaitOutBusy(IClock& clock, unsigned waitMs, const std::function<EFileError()>& step);

// A sync client or scanner that has the lock file open holds it for a moment; another copy of
// the program holds it for good.
constexpr unsigned kFolderLockWaitMs = 5000;

// Takes the data folder's lock, waiting like WaitOutBusy while it is held elsewhere.
CFolderLock::EResult AcquireFolderLock(CFolderLock& lock, const std::string& path, IClock& clock,
                                       unsigned waitMs = kFolderLockWaitMs);
