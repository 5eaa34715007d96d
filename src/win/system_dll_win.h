#pragma once

#include <windows.h>

// A function of a system DLL, loaded from the system folder only, and only when first asked for,
// so that starts that never need the DLL do not pay for it; null when the system lacks it.
void* SystemFunctionAddress(const wchar_t* dll, const char* name);

template <typename Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    return reinterpret_cast<Function>(SystemFunctionAddress(dll, name));
}
