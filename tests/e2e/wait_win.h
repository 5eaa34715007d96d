#pragma once

// Deadlines instead of fixed sleeps: every wait polls its condition until it holds or time is up.

#include <windows.h>

#include <chrono>

namespace e2e {

using Millis = std::chrono::milliseconds;

// Long enough for a slow Wine start-up, short enough that a hung case ends the run quickly.
constexpr Millis kWait{15000};

template <class Condition>
bool WaitUntil(Condition condition, Millis timeout = kWait, Millis poll = Millis(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        ::Sleep(static_cast<DWORD>(poll.count()));
    }
}

} // namespace e2e
