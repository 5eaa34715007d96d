// The core's search and load on the hundred-year corpus, timed with the standard clock alone, so
// that the same program runs natively and under Wine and the two can be set side by side. Prints
// one line per operation: its name, a tab, and the median of several runs in milliseconds.
#include "notes_corpus.h"

#include "notes/search.h"
#include "notes/wrapped_text.h"
#include "storage/export_formats.h"
#include "storage/notes_file.h"
#include "saving/save_policy.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Runs until both a count and a time are reached, so fast cases get many samples.
template <typename Run> double MedianMs(Run run) {
    constexpr int kMinRuns = 7;
    constexpr double kMinTotalMs = 300;
    std::vector<double> ms;
    double total = 0;
    while (static_cast<int>(ms.size()) < kMinRuns || total < kMinTotalMs) {
        ms.push_back(run());
        total += ms.back();
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Each Latin letter made a Cyrillic one (two bytes in UTF-8), for the search of other scripts.
DayArray InCyrillicLetters(const DayArray& days) {
    static const char* const kLetters[26] = {
        u8"а", u8"б", u8"ц", u8"д", u8"е", u8"ф", u8"г", u8"х", u8"и", u8"й", u8"к", u8"л", u8"м",
        u8"н", u8"о", u8"п", u8"я", u8"р", u8"с", u8"т", u8"у", u8"в", u8"ш", u8"ж", u8"ы", u8"з"};
    DayArray out = days;
    for (SDay& day : out) {
        std::string note;
        for (const char c : day.strNote) {
            const int letter =
                c >= 'a' && c <= 'z' ? c - 'a' : (c >= 'A' && c <= 'Z' ? c - 'A' : -1);
            note += letter >= 0 ? std::string(kLetters[letter]) : std::string(1, c);
        }
        day.strNote = note;
    }
    return out;
}

template <typename Work> double TimeMs(Work work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main() {
#ifdef __GLIBC__
    // As the host benchmark does: freed memory stays in the process, as in a running program,
    // instead of every run paying the page faults of fresh mappings again.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
#endif
    const SNotesCorpus corpus = MakeNotesCorpus(20240607);
    const std::string bytes = SerializeNotes(corpus.days, corpus.everyDay);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "quillet_core_timing_notes.dat";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
            return 1;
        }
    }

    std::printf("# %zu days, file %.2f MB\n", corpus.days.size(), bytes.size() / 1e6);
    const std::string file = path.string();
    std::printf("LoadNotes\t%.3f\n", MedianMs([&] {
                    DayArray days;
                    std::string everyDay;
                    bool loaded = false;
                    const double ms = TimeMs([&] { loaded = LoadNotes(days, everyDay, file); });
                    if (!loaded || days.size() != corpus.days.size()) {
                        std::fprintf(stderr, "the notes did not load\n");
                        std::exit(1);
                    }
                    return ms; // freeing the array is not part of a load
                }));

    // What the start reads and works out before the window shows: the notes file loaded, its
    // known versions set up, the copies beside it looked for.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "quillet_core_timing_folder";
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    SDataPaths paths = SDataPaths::InFolder(folder.string() + separator);
    paths.local = (folder / "local").string() + separator;
    std::filesystem::create_directories(folder / "local");
    std::ofstream(paths.notes, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    struct SStarted {
        explicit SStarted(const SDataPaths& paths) : policy(paths, files, clock) {}
        SStartReport Load() { return policy.Load(settings, notes, place); }
        CDiskFileSystem files;
        CSystemClock clock;
        CSavePolicy policy;
        SSettings settings;
        SNotebook notes;
        const SWindowPlace place{SRect{0, 0, 215, 260}, SRect{0, 0, 1024, 768}, {}, 0};
    };
    std::printf("Start of the data folder\t%.3f\n", MedianMs([&] {
                    SStarted started(paths);
                    return TimeMs([&] { started.Load(); });
                }));
    {
        // What each deactivation and autosave tick asks before it writes anything.
        SStarted started(paths);
        started.Load();
        started.policy.TakeSettingsAsSaved(started.settings, started.place);
        std::printf("Unsaved changes? (none)\t%.3f\n", MedianMs([&] {
                        return TimeMs([&] {
                            if (started.policy.HasUnsavedChanges(started.settings, started.notes,
                                                                 started.place)) {
                                std::fprintf(stderr, "unchanged notes count as unsaved\n");
                            }
                        });
                    }));
    }

    const auto timeSearch = [](const char* query, const DayArray& days, const char* which) {
        size_t size = 0;
        const double ms =
            MedianMs([&] { return TimeMs([&] { size = SearchNotes(query, days).size(); }); });
        std::printf("SearchNotes '%s'%s (%.2f MB)\t%.3f\n", query, which, size / 1e6, ms);
    };
    // "café" is not ASCII: the notes are, and are passed over.
    const char* const queries[] = {"e", "z", "the", "zep", "tomorrow", "zephyrus", "tom", u8"café"};
    for (const char* query : queries) {
        timeSearch(query, corpus.days, "");
    }
    {
        // The same notes in Cyrillic letters, compared character by character.
        const DayArray cyrillic = InCyrillicLetters(corpus.days);
        for (const char* query : {u8"ТОМОРРОШ", u8"зепхырус", "tomorrow"}) {
            timeSearch(query, cyrillic, " in Cyrillic");
        }
    }
    // The rich result laid out in lines for a box 190 pixels wide, in the notes font's widths.
    const std::string result = SearchNotes("e", corpus.days);
    STextMeasure measure;
    std::fill(std::begin(measure.ascii), std::end(measure.ascii), 6);
    measure.ascii[' '] = 3;
    measure.aveWidth = 6;
    measure.tabStop = 48;
    measure.fromGuess = true; // as under Wine, the slower of the two
    CWrappedText text;
    std::printf("Lay out 'e' result in lines\t%.3f\n", MedianMs([&] {
                    text.Reset(result, measure, 0);
                    return TimeMs([&] {
                        text.Relayout(measure, 190);
                        text.LayOutAll();
                    });
                }));
    // A new width while the view shows the end: only the parts on screen are laid out.
    std::printf("New width at the end of the 'e' result\t%.3f\n", MedianMs([&] {
                    text.Reset(result, measure, 190);
                    return TimeMs([&] {
                        text.Relayout(measure, 180);
                        text.LayOutAround(result.size(), 0, 40);
                        text.LayOutEnd(40);
                    });
                }));
    // What the view answers WM_GETTEXTLENGTH with, as a screen reader asks right after a search.
    size_t units = 0;
    std::printf("UTF-16 length of the 'e' result\t%.3f\n", MedianMs([&] {
                    text.Reset(result, measure, 190);
                    return TimeMs([&] { units = text.Units(); });
                }));
    // The same result in Cyrillic letters: two bytes each, each letter measured once.
    const std::string cyrillic = SearchNotes(u8"е", InCyrillicLetters(corpus.days));
    STextMeasure cyrillicMeasure = measure;
    cyrillicMeasure.width = [](const char16_t*, size_t) { return 6; };
    std::printf("Lay out 'e' result in Cyrillic lines\t%.3f\n", MedianMs([&] {
                    text.Reset(cyrillic, cyrillicMeasure, 0);
                    return TimeMs([&] {
                        text.Relayout(cyrillicMeasure, 190);
                        text.LayOutAll();
                    });
                }));
    std::printf("# %zu units\n", units);
    // The exports of Save Data... for reading elsewhere.
    const SNotebook notebook{corpus.days, corpus.everyDay};
    size_t exported = 0;
    std::printf("Export to a calendar (.ics)\t%.3f\n", MedianMs([&] {
                    return TimeMs([&] { exported = ExportCalendar(notebook, 1765300000).size(); });
                }));
    std::printf("Export to text (.md)\t%.3f\n",
                MedianMs([&] { return TimeMs([&] { exported += ExportText(notebook).size(); }); }));
    std::printf("# exported %zu bytes\n", exported);
    std::filesystem::remove(path);
    return 0;
}
