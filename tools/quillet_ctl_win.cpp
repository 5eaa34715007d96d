// Small helper for the run script: waits for Quillet's main window, asks it to exit the way the
// "Exit" menu command does, or posts it any menu command.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kCalendarId = 1000;
constexpr WPARAM kExitCommand = 356;

BOOL CALLBACK FindMain(HWND wnd, LPARAM param) {
    char cls[32] = {};
    ::GetClassNameA(wnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && ::IsWindowVisible(wnd) &&
        ::GetDlgItem(wnd, kCalendarId) != nullptr) {
        *reinterpret_cast<HWND*>(param) = wnd;
        return FALSE;
    }
    return TRUE;
}

HWND MainWindow() {
    HWND found = nullptr;
    ::EnumWindows(FindMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitFor(bool present, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND wnd = MainWindow();
        if ((wnd != nullptr) == present) {
            return wnd;
        }
        if (::GetTickCount() - start > timeoutMs) {
            return present ? nullptr : wnd;
        }
        ::Sleep(50);
    }
}

} // namespace

int main(int argc, char** argv) {
    const char* verb = argc > 1 ? argv[1] : "";
    if (std::strcmp(verb, "wait") == 0) {
        return WaitFor(true, 30000) != nullptr ? 0 : 1;
    }
    if (std::strcmp(verb, "exit") == 0) {
        HWND wnd = MainWindow();
        if (wnd == nullptr) {
            std::fprintf(stderr, "Quillet is not running\n");
            return 1;
        }
        ::PostMessageA(wnd, WM_COMMAND, kExitCommand, 0);
        return WaitFor(false, 30000) == nullptr ? 0 : 1;
    }
    if (std::strcmp(verb, "command") == 0 && argc > 2) {
        HWND wnd = MainWindow();
        return wnd != nullptr && ::PostMessageA(wnd, WM_COMMAND, std::atoi(argv[2]), 0) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: quillet_ctl wait|exit|command ID\n");
    return 2;
}
