// When a failed save is tried again, and when the user is told of it.
#include "storage/retry_schedule.h"

#include <algorithm>
#include <cstddef>

bool CRetrySchedule::Failed(EFileError error) {
    ++m_nFailures;
    if (error == EFileError::Busy) {
        ++m_nBusy;
    }
    if (m_bTold || (error == EFileError::Busy && m_nBusy < 2)) {
        return false;
    }
    m_bTold = true;
    return true;
}

unsigned CRetrySchedule::DelayMs() const {
    static const unsigned kDelays[] = {5000, 30000, 120000, 300000};
    if (m_nFailures == 0) {
        return 0;
    }
    return kDelays[std::min<size_t>(static_cast<size_t>(m_nFailures), 4) - 1];
}
