// Notes store at the size of a hundred years of daily notes, against the physical cost of the
// same bytes measured in the same run. Prints a table of figures, baselines and targets at the
// end; never fails on time.
#include "notes_corpus.h"
#include "plain_notes.h"

#include "notes/day_notes.h"
#include "notes/search.h"
#include "storage/archive.h"
#include "storage/notes_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <functional>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct SFixture {
    SNotesCorpus corpus;
    std::string bytes; // the notes file
    std::string folder;
    std::string notesPath; // read by the load benchmarks
    std::string savePath;  // written by SaveNotes
    std::string rawPath;   // written by the write baseline
    std::string markMonth; // "mmyy" of a 30-day month in the middle of the array
    size_t middle = 0;
    size_t recordsBegin = 0;        // file offset of the first day record
    std::vector<size_t> recordEnds; // file offset after each day record
};

struct SQuery {
    const char* label;
    const char* text;
};

// Hit-rich and hit-poor queries of 1, 3 and 8 characters; only the rare token holds a 'z'. A
// query with an accent passes over every note of the corpus, which are ASCII.
const SQuery kQueries[] = {
    {"1 char, rich", "e"},
    {"1 char, poor", "z"},
    {"3 chars, rich", "the"},
    {"3 chars, poor", "zep"},
    {"8 chars, rich", "tomorrow"},
    {"8 chars, poor", "zephyrus"},
    {"4 chars, not ASCII", u8"café"},
};

bool WriteWhole(const std::string& path, const std::string& bytes, bool sync) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool ok = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                    (!sync || fsync(fd) == 0);
    return close(fd) == 0 && ok;
}

// Times one load per iteration; freeing the previous array is not part of a start-up load.
template <typename Load> void TimeLoads(benchmark::State& state, const SFixture& f, Load load) {
    DayArray days;
    std::string everyDay;
    for (auto _ : state) {
        if (!load(days, everyDay)) {
            state.SkipWithError("the notes did not load");
            break;
        }
        benchmark::DoNotOptimize(days.data());
        state.PauseTiming();
        days = DayArray();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BenchLoadNotes(benchmark::State& state, const SFixture& f) {
    TimeLoads(state, f, [&f](DayArray& days, std::string& everyDay) {
        return LoadNotes(days, everyDay, f.notesPath);
    });
}

void BenchReadNotesFromMemory(benchmark::State& state, const SFixture& f) {
    TimeLoads(state, f, [&f](DayArray& days, std::string& everyDay) {
        CMemoryReader input(f.bytes);
        return ReadNotes(days, everyDay, input);
    });
}

void BenchRawRead(benchmark::State& state, const SFixture& f) {
    std::string buffer(f.bytes.size(), '\0');
    for (auto _ : state) {
        const int fd = open(f.notesPath.c_str(), O_RDONLY | O_CLOEXEC);
        const ssize_t n = fd < 0 ? -1 : read(fd, &buffer[0], buffer.size());
        if (fd >= 0) {
            close(fd);
        }
        if (n != static_cast<ssize_t>(buffer.size())) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BenchSaveNotes(benchmark::State& state, const SFixture& f) {
    for (auto _ : state) {
        if (!SaveNotes(f.corpus.days, f.corpus.everyDay, f.savePath)) {
            state.SkipWithError("SaveNotes failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BenchSerializeNotes(benchmark::State& state, const SFixture& f) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(SerializeNotes(f.corpus.days, f.corpus.everyDay));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

void BenchRawWrite(benchmark::State& state, const SFixture& f) {
    for (auto _ : state) {
        if (!WriteWhole(f.rawPath, f.bytes, true)) {
            state.SkipWithError("write failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.bytes.size()));
}

size_t CountHits(const std::string& query, const DayArray& days) {
    size_t hits = 0;
    for (const SDay& day : days) {
        hits += plain::SearchNotes(query, DayArray{day}) != "Empty" ? 1 : 0;
    }
    return hits;
}

void BenchSearch(benchmark::State& state, const SFixture& f, const SQuery& q) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(SearchNotes(q.text, f.corpus.days));
    }
    state.counters["hits"] = static_cast<double>(CountHits(q.text, f.corpus.days));
}

// The least a search must do, in two ways; the table takes the faster. Per note: memmem over each
// stored note, stopping at its first hit as the search does.
void BenchMemmemPerNote(benchmark::State& state, const SFixture& f, const SQuery& q) {
    const size_t n = std::strlen(q.text);
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        for (const SDay& day : f.corpus.days) {
            hits += memmem(day.strNote.data(), day.strNote.size(), q.text, n) != nullptr ? 1 : 0;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

size_t PrefixSize(size_t n) {
    return n < 0xFF ? 1 : (n < 0xFFFE ? 3 : 7);
}

// Where each day record of the file ends, and where the first one starts.
void FindRecords(SFixture& f) {
    size_t pos = PrefixSize(f.corpus.everyDay.size()) + f.corpus.everyDay.size() + 4;
    f.recordsBegin = pos;
    for (const SDay& day : f.corpus.days) {
        pos += PrefixSize(day.strDate.size()) + day.strDate.size();
        pos += PrefixSize(day.strNote.size()) + day.strNote.size();
        f.recordEnds.push_back(pos);
    }
}

// Whole file: one memmem pass over the file's day records that moves on to the next record after a
// hit. Length prefixes are scanned too, so a 1-byte query can hit one.
void BenchMemmemFile(benchmark::State& state, const SFixture& f, const SQuery& q) {
    const size_t n = std::strlen(q.text);
    const char* bytes = f.bytes.data();
    const size_t size = f.bytes.size();
    size_t hits = 0;
    for (auto _ : state) {
        hits = 0;
        size_t pos = f.recordsBegin;
        while (pos < size) {
            const void* hit = memmem(bytes + pos, size - pos, q.text, n);
            if (hit == nullptr) {
                break;
            }
            ++hits;
            const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - bytes);
            const auto end = std::upper_bound(f.recordEnds.begin(), f.recordEnds.end(), at);
            pos = end == f.recordEnds.end() ? size : *end;
        }
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = static_cast<double>(hits);
}

void BenchSetDayNote(benchmark::State& state, SFixture& f) {
    DayArray& days = f.corpus.days;
    const std::string key = days[f.middle].strDate;
    const size_t size = days.size();
    const SDay texts[2] = {{key, std::string(200, 'a') + " changed"},
                           {key, std::string(200, 'b') + " changed"}};
    const SDay original = days[f.middle];
    size_t turn = 0;
    for (auto _ : state) {
        SetDayNote(texts[turn ^= 1], days, true);
    }
    if (days.size() != size || days[f.middle].strDate != key) {
        state.SkipWithError("SetDayNote moved the entry");
    }
    SetDayNote(original, days, true);
}

// A key stored 100,000 times (only a file can hold that): storing it once must stay one pass.
void BenchSetDayNoteDuplicates(benchmark::State& state) {
    const DayArray many(100000, SDay{"071226", "dup"});
    for (auto _ : state) {
        state.PauseTiming();
        DayArray days = many;
        state.ResumeTiming();
        SetDayNote(SDay{"071226", "only"}, days, true);
        benchmark::DoNotOptimize(days.size());
    }
}

// One pass over the keys that finds nothing: the floor of any linear lookup in the array.
void BenchKeyScan(benchmark::State& state, const SFixture& f) {
    const std::string absent = "999999";
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetDayNote(absent, f.corpus.days).size());
    }
}

void BenchNotedDaysMask(benchmark::State& state, const SFixture& f) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(NotedDaysMask(f.markMonth, f.corpus.days));
    }
}

void BenchMark31Lookups(benchmark::State& state, const SFixture& f) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(plain::NotedDays(f.markMonth, f.corpus.days));
    }
}

// Keeps each benchmark's seconds per iteration (the median when repetitions are asked for).
class CTableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                if (m_fromMedian.count(name) == 0) {
                    m_seconds[name] =
                        run.real_accumulated_time / static_cast<double>(run.iterations);
                }
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                m_seconds[name] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                m_fromMedian[name] = true;
            }
        }
    }

    const std::map<std::string, double>& Seconds() const { return m_seconds; }

private:
    std::map<std::string, double> m_seconds;
    std::map<std::string, bool> m_fromMedian;
};

std::string FormatSeconds(double s) {
    char text[32];
    if (s >= 1e-3) {
        std::snprintf(text, sizeof text, "%.2f ms", s * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.1f us", s * 1e6);
    }
    return text;
}

struct SRow {
    std::string name;
    std::vector<std::string> baselines; // benchmark names; the fastest one is the baseline
    std::string target;
    std::function<bool(double seconds, double ratio)> met; // empty: no target
};

void PrintTable(const std::map<std::string, double>& seconds, const std::vector<SRow>& rows) {
    std::printf("\n%-40s %11s  %-42s %11s %8s  %-22s %s\n", "operation", "time", "baseline",
                "base time", "ratio", "target", "met");
    std::printf("%s\n", std::string(148, '-').c_str());
    for (const SRow& row : rows) {
        const auto it = seconds.find(row.name);
        if (it == seconds.end()) {
            continue;
        }
        const std::string* baseName = nullptr;
        double baseSeconds = 0;
        for (const std::string& candidate : row.baselines) {
            const auto base = seconds.find(candidate);
            if (base != seconds.end() && base->second > 0 &&
                (baseName == nullptr || base->second < baseSeconds)) {
                baseName = &candidate;
                baseSeconds = base->second;
            }
        }
        const bool hasBase = baseName != nullptr;
        const double ratio = hasBase ? it->second / baseSeconds : 0;
        char ratioText[16] = "-";
        if (hasBase) {
            std::snprintf(ratioText, sizeof ratioText, "%.1fx", ratio);
        }
        const char* met = !row.met ? "-" : (row.met(it->second, ratio) ? "yes" : "MISSED");
        std::printf("%-40s %11s  %-42s %11s %8s  %-22s %s\n", row.name.c_str(),
                    FormatSeconds(it->second).c_str(), hasBase ? baseName->c_str() : "-",
                    hasBase ? FormatSeconds(baseSeconds).c_str() : "-", ratioText,
                    row.target.c_str(), met);
    }
}

std::string MakeTempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/quillet_bench_XXXXXX";
    return mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
}

} // namespace

int main(int argc, char** argv) {
    // Keep freed memory in the process, as a running program's heap does: otherwise every
    // iteration pays again for page faults that a real run pays once, and the baselines (which
    // reuse one buffer) do not pay at all.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }

    SFixture f;
    f.corpus = MakeNotesCorpus(20240607);
    f.bytes = SerializeNotes(f.corpus.days, f.corpus.everyDay);
    f.folder = MakeTempFolder();
    if (f.folder.empty()) {
        std::perror("mkdtemp");
        return 1;
    }
    f.notesPath = f.folder + "/qlt_notes.dat";
    f.savePath = f.folder + "/saved_notes.dat";
    f.rawPath = f.folder + "/raw_write.dat";
    if (!WriteWhole(f.notesPath, f.bytes, true)) {
        std::perror(f.notesPath.c_str());
        return 1;
    }
    f.middle = f.corpus.days.size() / 2;
    FindRecords(f);
    f.markMonth = "0650"; // June 1950: near the middle, and day 31 is looked up in vain
    if (!IsDaysSorted(f.corpus.days, true) ||
        NotedDaysMask(f.markMonth, f.corpus.days) != plain::NotedDays(f.markMonth, f.corpus.days)) {
        std::fprintf(stderr, "corpus is not sorted or the mark refresh disagrees\n");
        return 1;
    }
    std::printf("notes: %zu days, file %.2f MB, every-day note %zu bytes, folder %s\n",
                f.corpus.days.size(), static_cast<double>(f.bytes.size()) / 1e6,
                f.corpus.everyDay.size(), f.folder.c_str());

    using benchmark::RegisterBenchmark;
    const auto ms = benchmark::kMillisecond;
    const auto us = benchmark::kMicrosecond;
    RegisterBenchmark("LoadNotes", BenchLoadNotes, std::cref(f))->Unit(ms);
    RegisterBenchmark("  ReadNotes from memory", BenchReadNotesFromMemory, std::cref(f))->Unit(ms);
    RegisterBenchmark("read: open+read+close", BenchRawRead, std::cref(f))->Unit(ms);
    RegisterBenchmark("SaveNotes", BenchSaveNotes, std::cref(f))->Unit(ms);
    RegisterBenchmark("  SerializeNotes to memory", BenchSerializeNotes, std::cref(f))->Unit(ms);
    RegisterBenchmark("write: open+write+fsync+close", BenchRawWrite, std::cref(f))->Unit(ms);
    std::vector<SRow> rows = {
        {"LoadNotes", {"read: open+read+close"}, "<= 3x", [](double, double r) { return r <= 3; }},
        {"  ReadNotes from memory", {"read: open+read+close"}, "", nullptr},
        {"SaveNotes",
         {"write: open+write+fsync+close"},
         "<= 3x",
         [](double, double r) { return r <= 3; }},
        {"  SerializeNotes to memory", {"write: open+write+fsync+close"}, "", nullptr},
    };
    for (const SQuery& q : kQueries) {
        const std::string name = std::string("SearchNotes ") + q.label + " '" + q.text + "'";
        const std::string perNote = std::string("memmem per note ") + q.label + " '" + q.text + "'";
        const std::string file = std::string("memmem file ") + q.label + " '" + q.text + "'";
        RegisterBenchmark(name.c_str(), BenchSearch, std::cref(f), std::cref(q))->Unit(ms);
        RegisterBenchmark(perNote.c_str(), BenchMemmemPerNote, std::cref(f), std::cref(q))
            ->Unit(ms);
        RegisterBenchmark(file.c_str(), BenchMemmemFile, std::cref(f), std::cref(q))->Unit(ms);
        rows.push_back({name, {perNote, file}, "< 16 ms and <= 5x", [](double s, double r) {
                            return s < 16e-3 && r <= 5;
                        }});
    }
    RegisterBenchmark("SetDayNote, replace middle", BenchSetDayNote, std::ref(f))->Unit(us);
    RegisterBenchmark("SetDayNote, 100,000 duplicates", BenchSetDayNoteDuplicates)->Unit(ms);
    RegisterBenchmark("key scan: GetDayNote, no match", BenchKeyScan, std::cref(f))->Unit(us);
    RegisterBenchmark("mark refresh: NotedDaysMask", BenchNotedDaysMask, std::cref(f))->Unit(us);
    RegisterBenchmark("mark refresh: 31 x GetDayNote", BenchMark31Lookups, std::cref(f))->Unit(us);
    rows.push_back({"SetDayNote, replace middle", {"key scan: GetDayNote, no match"}, "", nullptr});
    rows.push_back({"SetDayNote, 100,000 duplicates",
                    {},
                    "< 100 ms (13 s when each was erased alone)",
                    [](double s, double) { return s < 0.1; }});
    rows.push_back({"mark refresh: NotedDaysMask",
                    {"mark refresh: 31 x GetDayNote"},
                    "< 1 ms",
                    [](double s, double) { return s < 1e-3; }});
    rows.push_back(
        {"mark refresh: 31 x GetDayNote", {}, "< 1 ms", [](double s, double) { return s < 1e-3; }});

    CTableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintTable(reporter.Seconds(), rows);

    for (const std::string* path : {&f.notesPath, &f.savePath, &f.rawPath}) {
        unlink(path->c_str());
    }
    rmdir(f.folder.c_str());
    return 0;
}
