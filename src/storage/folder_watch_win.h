// Tells the main window when files in the data folder change.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

// Tells a window, by a posted message, that files in a folder were written, created, renamed or
// deleted. The system's change notification wakes a thread of its own; nothing polls.
class CFolderWatch {
public:
    CFolderWatch() = default;
    ~CFolderWatch() { Stop(); }
    CFolderWatch(const CFolderWatch&) = delete;
    CFolderWatch& operator=(const CFolderWatch&) = delete;

    // False when the folder cannot be watched.
    bool Start(const std::string& folder, HWND window, UINT message);
    void Stop();

private:
    HANDLE m_change = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    std::thread m_thread;
};
