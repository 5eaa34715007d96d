// The platform's open, save-as and font dialogs, in UTF-8.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

// The platform's open or save-as dialog, owned by the owner window, starting in the folder given
// (UTF-8; empty: where the platform likes). The filter is written as
// "Name|pattern|Name|pattern||". False when the user cancelled. The path comes in UTF-8, empty
// for a name that has none (a lone surrogate). The filter index, when given, is the type chosen
// (from 1).
bool AskFileName(bool save, HWND owner, const std::string& filter, const std::string& suggested,
                 const char* defaultExtension, DWORD flags, const std::string& folder,
                 std::string& path, int* filterIndex = nullptr);

// The platform's font dialog, started from the description. Only OK changes the description:
// some dialogs write the selection into it while the user browses.
bool ChooseFontFor(HWND owner, LOGFONTW& font, DWORD flags);
