// The retries after a failed save, and when the user hears of the failure.
#pragma once

#include "storage/file_io.h"

// When a failed save is tried again, and when the user hears of it: once per streak of
// failures, at the first that is not a file held for a moment, or at the second that is.
class CRetrySchedule {
public:
    void Succeeded() {
        m_failures = 0;
        m_busy = 0;
        m_told = false;
    }
    // True when this failure is the one to tell.
    bool Failed(EFileError error);
    // 5 s, 30 s, 2 min, then every 5 min after a failure; 0 when the last save worked.
    unsigned DelayMs() const;

private:
    int m_failures = 0;
    int m_busy = 0;
    bool m_told = false;
};
