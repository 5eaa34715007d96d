// Waiting out a file that another program holds for a moment.
#include "storage/busy_wait.h"

#include <algorithm>

EFileError WaitOutBusy(IClock& clock, unsigned waitMs, const std::function<EFileError()>& step) {
    unsigned waited = 0;
    unsigned pause = 50;
    for (;;) {
        const EFileError error = step();
        if (error != EFileError::Busy || waited >= waitMs) {
            return error;
        }
        pause = std::min(pause, waitMs - waited);
        clock.Sleep(pause);
        waited += pause;
        pause = std::min(pause * 2, 1000u);
    }
}

CFolderLock::EResult AcquireFolderLock(CFolderLock& lock, const std::string& path, IClock& clock,
                                       unsigned waitMs) {
    CFolderLock::EResult result = CFolderLock::EResult::Unavailable;
    WaitOutBusy(clock, waitMs, [&] {
        result = lock.Acquire(path);
        return result == CFolderLock::EResult::HeldElsewhere ? EFileError::Busy : EFileError::None;
    });
    return result;
}
