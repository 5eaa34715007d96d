// The least a notes program does before its first paint: read the notes file and show a month
// calendar and an edit box. The end-to-end benchmark starts it beside Quillet as the baseline of
// start-up time and memory; its calendar is control 1000, so the harness finds it as it finds
// Quillet's main window.
#include "data_folder_win.h"

#include "storage/notes_file.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace {

constexpr int kDialogId = 1;
constexpr int kTextId = 1001;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_CLOSE) {
        ::DestroyWindow(dialog);
        return TRUE;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DayArray days;
    std::string everyDay;
    const bool loaded = LoadNotes(days, everyDay, e2e::QuilletPaths().notes);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_DATE_CLASSES;
    ::InitCommonControlsEx(&controls);
    HWND dialog =
        ::CreateDialogParamA(instance, MAKEINTRESOURCEA(kDialogId), nullptr, DialogProc, 0);
    if (dialog == nullptr) {
        return 1;
    }
    const std::string text = loaded ? std::to_string(days.size()) + " notes" : "no notes";
    ::SetDlgItemTextA(dialog, kTextId, text.c_str());
    ::ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageA(dialog, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return 0;
}
