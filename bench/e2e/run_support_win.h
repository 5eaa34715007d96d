#pragma once

// What the programs that drive the real Quillet.exe for figures share: where the programs are,
// the memory a process holds, a seeded storage folder and a clean end.

#include "quillet_app_win.h"

#include <windows.h>

#include <string>

namespace bench {

// A sent message that gives up after the limit; false when it was not answered in time.
bool Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, e2e::Millis limit,
          LRESULT* result = nullptr);

// A program in the folder of the running one.
std::string ExeNextToThis(const char* name);

// Private bytes of the process. Wine leaves PrivateUsage at 0 and reports as PagefileUsage the
// Linux process's resident anonymous memory (RssAnon plus swap), which then stands in for it.
struct SMemory {
    double bytes = 0;
    bool resident = false;
};
SMemory PrivateMemory(HWND window);
std::string MemoryLabel(const SMemory& memory, const char* whose);
std::string FormatMb(double bytes);

// Quillet through its Exit command, the minimal program through WM_CLOSE: under Wine the start of
// the next process was seen to take two seconds longer after TerminateProcess.
void EndGracefully(e2e::CQuilletApp& app, bool quillet);

// The storage folder with the notebook and default settings, as a long-time user has it.
bool SeedNotebook(const std::string& notes);
// Quillet started on such a folder, with what failed said on stderr.
bool StartOnNotebook(e2e::CQuilletApp& app, const std::string& notes);

} // namespace bench
