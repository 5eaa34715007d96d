#include "run_support_win.h"

#include "data_folder_win.h"

#include "storage/file_io.h"
#include "storage/settings.h"

#include <psapi.h>

#include <cstdio>
#include <filesystem>

namespace bench {

namespace {

constexpr UINT kCmdExit = 356;
constexpr e2e::Millis kExitLimit{120000};

} // namespace

bool Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, e2e::Millis limit, LRESULT* result) {
    if (limit.count() <= 0) {
        return false;
    }
    DWORD_PTR answer = 0;
    // Asked by an ANSI program in another process, Wine works out a text's length by fetching
    // the whole text (35-40 ms at 8 MB); screen readers and automation ask in Unicode, which it
    // passes on as it is. The benchmark's texts are ASCII, so both lengths agree.
    const auto send = msg == WM_GETTEXTLENGTH ? ::SendMessageTimeoutW : ::SendMessageTimeoutA;
    const bool answered = send(window, msg, wParam, lParam, SMTO_NORMAL,
                               static_cast<UINT>(limit.count()), &answer) != 0;
    if (result != nullptr) {
        *result = static_cast<LRESULT>(answer);
    }
    return answered;
}

std::string ExeNextToThis(const char* name) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path() / name).u8string();
}

SMemory PrivateMemory(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == nullptr) {
        return {};
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    const bool got = ::GetProcessMemoryInfo(
        process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    ::CloseHandle(process);
    if (!got) {
        return {};
    }
    if (counters.PrivateUsage != 0) {
        return {static_cast<double>(counters.PrivateUsage), false};
    }
    return {static_cast<double>(counters.PagefileUsage), true};
}

std::string MemoryLabel(const SMemory& memory, const char* whose) {
    return std::string(memory.resident ? "private memory (RSS anon): " : "private memory: ") +
           whose;
}

std::string FormatMb(double bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    return text;
}

void EndGracefully(e2e::CQuilletApp& app, bool quillet) {
    const bool asked = quillet ? app.PostCommand(kCmdExit) : app.Post(app.Main(), WM_CLOSE, 0, 0);
    if (!asked || !app.WaitForExit(kExitLimit)) {
        app.Kill();
    }
}

bool SeedNotebook(const std::string& notes) {
    const SDataPaths paths = e2e::QuilletPaths();
    // This computer's records of the last notebook, its last write among them, would be merged
    // into this one as changes made here.
    if (!e2e::RemoveFolderTree(paths.folder) ||
        !e2e::RemoveFolderTree(e2e::LocalFolderOfCopy(paths.folder)) ||
        !CreateFolder(paths.folder)) {
        return false;
    }
    RECT desktop{};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    SSettings settings;
    SetDefaultSettings(settings, SRect{0, 0, 200, 200},
                       SRect{desktop.left, desktop.top, desktop.right, desktop.bottom});
    return WriteFileBytes(paths.settings, SerializeSettings(settings)) &&
           WriteFileBytes(paths.notes, notes);
}

bool StartOnNotebook(e2e::CQuilletApp& app, const std::string& notes) {
    if (!SeedNotebook(notes)) {
        std::fprintf(stderr, "cannot write the notebook\n");
        return false;
    }
    if (!app.Start(ExeNextToThis("Quillet.exe")) || !app.Drain()) {
        std::fprintf(stderr, "Quillet did not start\n");
        return false;
    }
    return true;
}

} // namespace bench
