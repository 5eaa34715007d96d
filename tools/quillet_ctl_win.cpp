// Small helper for the run and gallery scripts: waits for Quillet's main window, asks it to exit
// the way the "Exit" menu command does, posts it any menu command, clicks a room's tab, sets a
// control's text, or prints where a window is on the screen.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kCalendarId = 1000;
constexpr int kNotesId = 1001;
constexpr WPARAM kExitCommand = 356;
// The room tabs sit under the notes box, each 60 by 15 pixels with 2 between them.
constexpr int kTabPitch = 62;

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
    if (std::strcmp(verb, "room") == 0 && argc > 2) {
        HWND wnd = MainWindow();
        RECT notes{};
        if (wnd == nullptr || !::GetWindowRect(::GetDlgItem(wnd, kNotesId), &notes)) {
            return 1;
        }
        ::MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT*>(&notes), 2);
        const LPARAM at =
            MAKELPARAM(notes.left + std::atoi(argv[2]) * kTabPitch + 30, notes.bottom + 7);
        ::PostMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        return ::PostMessageA(wnd, WM_LBUTTONUP, 0, at) ? 0 : 1;
    }
    if (std::strcmp(verb, "settext") == 0 && argc > 3) {
        HWND wnd = MainWindow();
        return wnd != nullptr && ::SetDlgItemTextA(wnd, std::atoi(argv[2]), argv[3]) ? 0 : 1;
    }
    if (std::strcmp(verb, "menu") == 0) {
        // The popup menu, as the menu key opens it.
        constexpr UINT kOpenMenuMessage = WM_APP + 4;
        HWND wnd = MainWindow();
        return wnd != nullptr && ::PostMessageA(wnd, kOpenMenuMessage, 0, 0) ? 0 : 1;
    }
    if (std::strcmp(verb, "menurect") == 0) {
        // The main window and the popup menu open beside it, together.
        HWND wnd = MainWindow();
        HWND menu = ::FindWindowA("#32768", nullptr);
        RECT rect{};
        RECT popup{};
        if (wnd == nullptr || menu == nullptr || !::GetWindowRect(wnd, &rect) ||
            !::GetWindowRect(menu, &popup)) {
            return 1;
        }
        ::UnionRect(&rect, &rect, &popup);
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                    rect.top);
        return 0;
    }
    if (std::strcmp(verb, "rect") == 0) {
        // The main window, or the top-level window with the caption given.
        HWND wnd = argc > 2 ? ::FindWindowA(nullptr, argv[2]) : MainWindow();
        RECT rect{};
        if (wnd == nullptr || !::GetWindowRect(wnd, &rect)) {
            return 1;
        }
        std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left,
                    rect.top);
        return 0;
    }
    std::fprintf(
        stderr, "usage: quillet_ctl wait|exit|command ID|room N|settext ID TEXT|menu|menurect|rect "
                "[CAPTION]\n");
    return 2;
}
