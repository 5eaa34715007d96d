// One copy per data folder: the named mutex, the marked main window, waking it or waiting.
#include "app/single_copy_win.h"

#include "base/hash.h"
#include "storage/app_data_win.h"

#include <sddl.h>

#include <cstdio>
#include <vector>

namespace {

const char kMainWindowProperty[] = "Quillet.MainWindow";
// A copy that is ending saves its files first: a start meanwhile waits this long for it.
constexpr DWORD kEndingWaitMs = 15000;
// A copy that is starting marks its window within this time.
constexpr DWORD kStartingWaitMs = 5000;

ULONG_PTR MarkOf(const std::string& folder) {
    const ULONG_PTR mark = static_cast<ULONG_PTR>(HashBytes(DataFolderIdentity(folder)));
    return mark != 0 ? mark : 1;
}

// The text form of the user a process runs as; empty when it cannot be read.
std::string UserOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) {
        return std::string();
    }
    std::string user;
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> info(size);
    LPSTR text = nullptr;
    if (size != 0 && ::GetTokenInformation(token, TokenUser, info.data(), size, &size) &&
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid, &text)) {
        user = text;
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return user;
}

// Any window may carry the mark: only a copy of this program run by this user is woken.
bool IsThisProgramOfThisUser(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (process == nullptr) {
        return false;
    }
    std::wstring theirs(32768, L'\0');
    DWORD size = static_cast<DWORD>(theirs.size());
    const bool named = ::QueryFullProcessImageNameW(process, 0, theirs.data(), &size) != FALSE;
    theirs.resize(named ? size : 0);
    const bool sameUser = named && UserOf(process) == UserOf(::GetCurrentProcess());
    ::CloseHandle(process);
    std::wstring ours(32768, L'\0');
    ours.resize(::GetModuleFileNameW(nullptr, ours.data(), static_cast<DWORD>(ours.size())));
    const auto nameOf = [](const std::wstring& path) {
        return path.substr(path.find_last_of(L"\\/") + 1);
    };
    return sameUser && !ours.empty() &&
           ::lstrcmpiW(nameOf(theirs).c_str(), nameOf(ours).c_str()) == 0;
}

struct SMarkedWindowSearch {
    ULONG_PTR mark;
    HWND found;
};

BOOL CALLBACK FindMarked(HWND window, LPARAM param) {
    SMarkedWindowSearch& find = *reinterpret_cast<SMarkedWindowSearch*>(param);
    if (reinterpret_cast<ULONG_PTR>(::GetPropA(window, kMainWindowProperty)) == find.mark &&
        IsThisProgramOfThisUser(window)) {
        find.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

CSingleCopy::CSingleCopy(const std::string& folder) : m_mark(MarkOf(folder)) {
    char name[64];
    std::snprintf(name, sizeof name, "Local\\Quillet.SingleCopy.%016llx",
                  static_cast<unsigned long long>(HashBytes(DataFolderIdentity(folder))));
    // Owned for the life of the process: a second start waits on it while this one ends.
    m_mutex = ::CreateMutexA(nullptr, TRUE, name);
    const DWORD error = ::GetLastError();
    // A copy that runs elevated owns a mutex this one may not open.
    m_owned = m_mutex != nullptr && error != ERROR_ALREADY_EXISTS;
    if (m_mutex == nullptr && error != ERROR_ACCESS_DENIED) {
        m_owned = true; // no mutex at all: nothing to share the folder with
    }
}

CSingleCopy::~CSingleCopy() {
    if (m_mutex != nullptr) {
        if (m_owned) {
            ::ReleaseMutex(m_mutex);
        }
        ::CloseHandle(m_mutex);
    }
}

bool CSingleCopy::TakeOver() {
    if (m_owned) {
        return true;
    }
    // The running copy shows its mark while it runs; one that is starting shows it soon, one
    // that is ending took it away and releases the mutex when it is gone.
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HWND main = FindMainWindow(m_mark);
        if (main != nullptr) {
            DWORD pid = 0;
            ::GetWindowThreadProcessId(main, &pid);
            ::AllowSetForegroundWindow(pid);
            ::PostMessageA(main, WakeMessage(), 0, 0);
            return false;
        }
        if (m_mutex != nullptr) {
            const DWORD waited = ::WaitForSingleObject(m_mutex, 100);
            if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
                m_owned = true;
                return true;
            }
        } else {
            ::Sleep(100);
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed > kEndingWaitMs || (m_mutex == nullptr && elapsed > kStartingWaitMs)) {
            return false;
        }
    }
}

void CSingleCopy::MarkMainWindow(HWND window, const std::string& folder) {
    ::SetPropA(window, kMainWindowProperty, reinterpret_cast<HANDLE>(MarkOf(folder)));
}

void CSingleCopy::UnmarkMainWindow(HWND window) {
    ::RemovePropA(window, kMainWindowProperty);
}

UINT CSingleCopy::WakeMessage() {
    static const UINT message = ::RegisterWindowMessageA("Quillet.Activate");
    return message;
}

HWND CSingleCopy::FindMainWindow(ULONG_PTR mark) {
    SMarkedWindowSearch find{mark, nullptr};
    ::EnumWindows(&FindMarked, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

std::vector<HWND> CSingleCopy::OtherMainWindows(HWND self) {
    struct SOthers {
        HWND self;
        std::vector<HWND> found;
    } others{self, {}};
    ::EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            SOthers& o = *reinterpret_cast<SOthers*>(param);
            if (window != o.self && ::GetPropA(window, kMainWindowProperty) != nullptr &&
                IsThisProgramOfThisUser(window)) {
                o.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&others));
    return others.found;
}
