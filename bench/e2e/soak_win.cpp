// A long run of the real Quillet.exe: rounds of paint, theme, shape, room, day and menu, with the
// GDI and USER objects and the private memory the process holds at the start, after a warm-up
// and every thousand rounds. What a leak looks like is a column that keeps growing. It replaces
// the storage folder of its Wine prefix: give it a prefix of its own.
#include "run_support_win.h"

#include "data_folder_win.h"
#include "notes_corpus.h"

#include "base/ids.h"
#include "storage/notes_file.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using e2e::CQuilletApp;

constexpr int kThemes = ID_COLOR_LAST - ID_COLOR_FIRST + 1;
constexpr int kShapes = ID_SHAPE_LAST - ID_SHAPE_FIRST + 1;
constexpr int kWarmUpRounds = 100;

struct SHeld {
    long systemGdi = 0; // the system's counts; zero under Wine
    long systemUser = 0;
    long gdi = 0; // what the program's handle wrappers hold
    long menus = 0;
    long windows = 0;
    double memory = 0;
};

long Ask(const CQuilletApp& app, UINT message, WPARAM kind) {
    LRESULT answer = 0;
    return bench::Send(app.Main(), message, kind, 0, e2e::Millis(15000), &answer)
               ? static_cast<long>(answer)
               : -1;
}

SHeld Read(const CQuilletApp& app) {
    static const UINT message = ::RegisterWindowMessageA(kLiveHandlesMessageName);
    SHeld held;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(app.Main(), &pid);
    if (const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid)) {
        held.systemGdi = static_cast<long>(::GetGuiResources(process, GR_GDIOBJECTS));
        held.systemUser = static_cast<long>(::GetGuiResources(process, GR_USEROBJECTS));
        ::CloseHandle(process);
    }
    held.gdi = Ask(app, message, 0);
    held.menus = Ask(app, message, 1);
    held.windows = Ask(app, message, 2);
    held.memory = bench::PrivateMemory(app.Main()).bytes;
    return held;
}

void Print(const char* when, int round, const SHeld& held, double seconds) {
    std::printf("%-9s %6d %10ld %10ld %8ld %8ld %8ld %12.2f %9.0f\n", when, round, held.systemGdi,
                held.systemUser, held.gdi, held.menus, held.windows, held.memory / 1e6, seconds);
    std::fflush(stdout);
}

// One round: every operation answered before the next starts. The day is clicked at a point
// found once: finding it asks the calendar many times, each waiting behind a search being shown.
bool Round(const CQuilletApp& app, int round, const POINT (&dayPoints)[2]) {
    const bool painted =
        ::RedrawWindow(app.Main(), nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW) != FALSE;
    const LPARAM day = MAKELPARAM(dayPoints[round % 2].x, dayPoints[round % 2].y);
    return painted && app.SendCommand(ID_COLOR_FIRST + round % kThemes) &&
           app.SendCommand(ID_SHAPE_FIRST + round % kShapes) && app.ClickTab(round % 3) &&
           app.Post(app.Calendar(), WM_LBUTTONDOWN, MK_LBUTTON, day) &&
           app.Post(app.Calendar(), WM_LBUTTONUP, 0, day) && app.Drain() && app.OpenMenu() &&
           app.CloseMenus();
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int thisYear = e2e::Today().year;
    // This month's notes of a year's notebook: bold days, and a search room that fills quickly.
    const SNotesCorpus corpus = MakeNotesCorpus(20240607, thisYear, thisYear);
    const std::string month = e2e::KeyOf(e2e::Today()).substr(2);
    DayArray days;
    for (const SDay& day : corpus.days) {
        if (day.strDate.substr(2) == month) {
            days.push_back(day);
        }
    }
    CQuilletApp app;
    if (!bench::StartOnNotebook(app, SerializeNotes(days, corpus.everyDay))) {
        return 1;
    }
    const e2e::SDate first = e2e::OtherDayThisMonth();
    const e2e::SDate second = e2e::OtherDayThisMonth({first.day});
    POINT dayPoints[2] = {};
    if (!app.FindDayPoint(first, dayPoints[0]) || !app.FindDayPoint(second, dayPoints[1])) {
        std::fprintf(stderr, "no day to click\n");
        return 1;
    }

    std::printf("Quillet.exe under Wine, %d rounds of paint, theme, shape, room, day and menu.\n"
                "system GDI/USER: the process's counts as the system gives them; gdi, menus: what "
                "the program's handle wrappers hold; windows: of its thread, children included.\n",
                rounds);
    std::printf("%-9s %6s %10s %10s %8s %8s %8s %12s %9s\n", "when", "round", "system GDI",
                "system USR", "gdi", "menus", "windows", "private MB", "seconds");
    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    Print("start", 0, Read(app), 0);
    SHeld warm;
    int done = 0;
    for (; done < rounds; ++done) {
        if (!Round(app, done, dayPoints)) {
            std::printf("round %d failed: Quillet %s\n", done,
                        app.IsRunning() ? "did not answer" : "is gone");
            break;
        }
        if (done + 1 == kWarmUpRounds) {
            warm = Read(app);
            Print("warm", done + 1, warm, seconds());
        } else if ((done + 1) % 1000 == 0) {
            Print("", done + 1, Read(app), seconds());
        }
    }
    const SHeld end = Read(app);
    Print("end", done, end, seconds());
    if (done >= kWarmUpRounds) {
        const bool flat = end.gdi == warm.gdi && end.menus == warm.menus &&
                          end.windows == warm.windows && end.systemGdi == warm.systemGdi &&
                          end.systemUser == warm.systemUser;
        std::printf("from the warm-up to the end: handles %s, private memory %+.2f MB\n",
                    flat ? "flat" : "CHANGED", (end.memory - warm.memory) / 1e6);
    }
    bench::EndGracefully(app, true);
    e2e::RemoveFolderTree(e2e::QuilletPaths().folder);
    return done == rounds ? 0 : 1;
}
