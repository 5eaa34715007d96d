// System DLLs loaded when first needed, from the system folder only; and a test for Wine.
#pragma once

#include <windows.h>

// A system DLL, loaded from the system folder only, and only when a part first needs it, so
// that starts that never need the DLL do not pay for it; null when the system lacks it.
HMODULE LoadSystemDll(const wchar_t* dll);

// A function of a DLL so loaded; null when either is missing.
template <typename Function> Function SystemFunction(HMODULE module, const char* name) {
    return module != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
               : nullptr;
}

// Whether the program runs under Wine, whose controls behave in places unlike Windows' own.
bool RunsOnWine();
