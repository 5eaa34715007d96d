// A long run of another program and the real Quillet.exe writing the same notes file, as a sync
// client and the user on two computers would: each round the other program adds a note of its
// own day to the file, written in place or by a replace, while Quillet gets a few keys typed and
// saves them. Neither waits for the other. At the end every note of both sides must be in the
// file. It replaces the storage folder of its Wine prefix: give it a prefix of its own.
#include "run_support_win.h"

#include "data_folder_win.h"
#include "notes_corpus.h"

#include "base/utf8_win.h"
#include "notes/day_notes.h"
#include "storage/notes_file.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using e2e::CQuilletApp;

// The other program's note of a round: a day of its own, from the first of January 2001 on.
std::string OtherKey(int round) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 2001;
    int month = 1;
    int day = 1 + round;
    for (;;) {
        const bool leap = year % 4 == 0;
        const int inMonth = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
        if (day <= inMonth) {
            break;
        }
        day -= inMonth;
        if (++month == 13) {
            month = 1;
            ++year;
        }
    }
    return DayKey(year, month, day);
}

std::string OtherNote(int round) {
    return "other " + std::to_string(round);
}

std::string Marker(int round) {
    return " q" + std::to_string(round) + ";";
}

// Pauses of 0 to 15 ms, the same on every run.
class CPauses {
public:
    explicit CPauses(unsigned seed) : m_state(seed) {}
    void Next() {
        m_state = m_state * 1103515245u + 12345u;
        ::Sleep((m_state >> 16) % 16);
    }

private:
    unsigned m_state;
};

bool WriteInPlace(const std::string& path, const std::string& bytes) {
    std::wstring wide;
    if (!Utf8ToWide(path, wide)) {
        return false;
    }
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

bool WriteByReplace(const std::string& path, const std::string& bytes) {
    const std::string temp = path + ".sync-client";
    std::wstring wideTemp;
    std::wstring widePath;
    return Utf8ToWide(temp, wideTemp) && Utf8ToWide(path, widePath) && WriteInPlace(temp, bytes) &&
           ::MoveFileExW(wideTemp.c_str(), widePath.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

// The other program: reads the file as it is now, adds its note, writes it back.
struct SOtherProgram {
    std::string path;
    int rounds = 0;
    std::atomic<int> done{0};
    int retries = 0;

    void Run() {
        CPauses pauses(7);
        for (int round = 0; round < rounds; ++round) {
            pauses.Next();
            for (;;) {
                DayArray days;
                std::string everyDay;
                // Busy, or missing for the moment of a replace: tried again.
                if (LoadNotes(days, everyDay, path)) {
                    days.push_back({OtherKey(round), OtherNote(round)});
                    const std::string bytes = SerializeNotes(days, everyDay);
                    if (round % 2 == 0 ? WriteInPlace(path, bytes) : WriteByReplace(path, bytes)) {
                        break;
                    }
                }
                ++retries;
                ::Sleep(1);
            }
            done = round + 1;
        }
    }
};

// Quillet: a few keys at the end of today's note, then a save as when the user turns away.
bool TypeAndSave(const CQuilletApp& app, int round) {
    LRESULT length = 0;
    if (!bench::Send(app.Notes(), WM_GETTEXTLENGTH, 0, 0, e2e::Millis(15000), &length) ||
        !app.Post(app.Notes(), EM_SETSEL, static_cast<WPARAM>(length), length)) {
        return false;
    }
    for (char c : Marker(round)) {
        if (!app.Post(app.Notes(), WM_CHAR, static_cast<WPARAM>(c), 0)) {
            return false;
        }
    }
    return app.Post(app.Main(), WM_ACTIVATE, WA_INACTIVE, 0) && app.Drain();
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 1000;
    const SDataPaths paths = e2e::QuilletPaths();
    const std::string today = e2e::KeyOf(e2e::Today());
    CQuilletApp app;
    if (!bench::StartOnNotebook(app, SerializeNotes({{today, "Typed here:"}}, "Every day"))) {
        return 1;
    }
    std::printf("Quillet.exe under Wine and another program writing %s, %d rounds each.\n",
                paths.notes.c_str(), rounds);
    const auto start = std::chrono::steady_clock::now();

    SOtherProgram other;
    other.path = paths.notes;
    other.rounds = rounds;
    std::thread writer([&other] { other.Run(); });
    CPauses pauses(11);
    int typed = 0;
    for (; typed < rounds; ++typed) {
        pauses.Next();
        if (!TypeAndSave(app, typed)) {
            std::printf("round %d: Quillet %s\n", typed,
                        app.IsRunning() ? "did not answer" : "is gone");
            break;
        }
    }
    writer.join();
    // The last change of the other program is taken in by the Exit's save.
    bench::EndGracefully(app, true);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    DayArray days;
    std::string everyDay;
    const bool read = LoadNotes(days, everyDay, paths.notes);
    int lostOther = 0;
    for (int round = 0; round < other.done; ++round) {
        if (GetDayNote(OtherKey(round), days) != OtherNote(round)) {
            ++lostOther;
        }
    }
    const std::string& note = GetDayNote(today, days);
    int lostTyped = 0;
    for (int round = 0; round < typed; ++round) {
        if (note.find(Marker(round)) == std::string::npos) {
            ++lostTyped;
        }
    }
    size_t merges = 0;
    for (size_t at = note.find("also saved elsewhere"); at != std::string::npos;
         at = note.find("also saved elsewhere", at + 1)) {
        ++merges;
    }
    std::printf("%.1f s; the other program wrote %d notes (%d reads or writes tried again), "
                "Quillet saved %d typings; both typed into one note %zu times\n",
                seconds, other.done.load(), other.retries, typed, merges);
    std::printf("notes file %s; lost: %d of the other program's notes, %d of Quillet's typings\n",
                read ? "loads" : "DOES NOT LOAD", lostOther, lostTyped);
    const bool whole =
        read && typed == rounds && other.done == rounds && lostOther == 0 && lostTyped == 0;
    std::printf("%s\n", whole ? "no note lost" : "NOTES LOST OR ROUNDS CUT SHORT");
    if (whole) {
        e2e::RemoveFolderTree(paths.folder);
    } else {
        std::printf("today's note, %zu bytes, kept in %s: %.400s\n", note.size(),
                    paths.folder.c_str(), note.c_str());
    }
    return whole ? 0 : 1;
}
