// When a failed save is tried again, and when the user is told of it.
#include "storage/retry_schedule.h"

#include <algorithm>
#include <cstddef>

bool CRetrySchedule::Failed(EFileError error) {
    ++m_failures;
    if (error == EFileError::Busy) {
        ++m_busy;
    }
    if (m_told || (error == EFileError::Busy && m_busy < 2)) {
        return false;
    }
    m_told = true;
    return true;
}

unsigned CRetrySchedule::DelayMs() const {
    static const unsigned kDelays[] = {5000, 30000, 120000, 300000};
    if (m_failures == 0) {
        return 0;
    }
    return kDelays[std::min<size_t>(static_cast<size_t>(m_failures), 4) - 1];
}
