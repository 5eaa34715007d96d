// The folder watch's thread, which waits on the system's change notification.
#include "storage/folder_watch_win.h"

#include "base/utf8_win.h"

bool CFolderWatch::Start(const std::string& folder, HWND window, UINT message) {
    Stop();
    std::wstring wide;
    if (!Utf8ToWide(folder, wide)) {
        return false;
    }
    m_change = ::FindFirstChangeNotificationW(
        wide.c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    if (m_change == INVALID_HANDLE_VALUE) {
        return false;
    }
    m_stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (m_stop == nullptr) {
        ::FindCloseChangeNotification(m_change);
        m_change = INVALID_HANDLE_VALUE;
        return false;
    }
    const HANDLE change = m_change;
    const HANDLE stop = m_stop;
    m_thread = std::thread([change, stop, window, message] {
        const HANDLE handles[2] = {stop, change};
        while (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            ::PostMessageA(window, message, 0, 0);
            if (!::FindNextChangeNotification(change)) {
                break;
            }
        }
    });
    return true;
}

void CFolderWatch::Stop() {
    if (m_stop != nullptr) {
        ::SetEvent(m_stop);
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_change != INVALID_HANDLE_VALUE) {
        ::FindCloseChangeNotification(m_change);
        m_change = INVALID_HANDLE_VALUE;
    }
    if (m_stop != nullptr) {
        ::CloseHandle(m_stop);
        m_stop = nullptr;
    }
}
