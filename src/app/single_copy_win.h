// One copy of the program per data folder, and finding the other copies' windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One copy of the program per data folder: two copies would each write their notes over the
// other's, while copies with folders of their own (an installed one and a portable one) run
// side by side. The running copy marks its main window with the folder it keeps; a second
// start of the same folder wakes that window, or, while the running copy is ending, waits for
// it to end and starts in its place.
class CSingleCopy {
public:
    // folder: the data folder's full path (UTF-8).
    explicit CSingleCopy(const std::string& folder);
    ~CSingleCopy();
    CSingleCopy(const CSingleCopy&) = delete;
    CSingleCopy& operator=(const CSingleCopy&) = delete;

    // True when this copy is the one to run: no other copy keeps the folder, or the one that
    // did ended within the wait. False once the running copy's window was woken.
    bool TakeOver();

    // The mark of the main window, and the message a second start sends it.
    static void MarkMainWindow(HWND window, const std::string& folder);
    static void UnmarkMainWindow(HWND window);
    static UINT WakeMessage();
    // The main windows of the other copies running for this user (other data folders).
    static std::vector<HWND> OtherMainWindows(HWND self);

private:
    static HWND FindMainWindow(ULONG_PTR mark);

    HANDLE m_mutex = nullptr;
    bool m_owned = false;
    ULONG_PTR m_mark = 0;
};
