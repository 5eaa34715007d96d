// Loading system DLLs from the system folder, and telling whether the program runs on Wine.
#include "win/system_dll_win.h"

HMODULE LoadSystemDll(const wchar_t* dll) {
    HMODULE module = ::LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        // A Windows 7 without its loader update knows no search flags: the full path instead.
        wchar_t path[MAX_PATH];
        const UINT size = ::GetSystemDirectoryW(path, MAX_PATH);
        if (size > 0 && size + 1 + ::lstrlenW(dll) < MAX_PATH) {
            path[size] = L'\\';
            ::lstrcpyW(path + size + 1, dll);
            module = ::LoadLibraryW(path);
        }
    }
    return module;
}

bool RunsOnWine() {
    static const bool wine = [] {
        const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}
