#include "storage/save_policy.h"

#include "base/hash.h"
#include "storage/archive.h"
#include "storage/history.h"
#include "storage/notes_file.h"
#include "storage/notes_merge.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Larger than any notes file of a lifetime; a file beyond it counts as unreadable.
constexpr uint64_t kReadLimit = 256u << 20;
// A notes file that changed but does not load is looked at this often before it counts as
// unreadable (a sync client may be half way through writing it).
constexpr int kUnloadableLooks = 10;

// A day stored in several records (another program, an old copy) shows all of its texts and is
// edited as one.
bool ParseNotes(const std::string& bytes, SNotebook& notes) {
    notes = SNotebook();
    CMemoryReader reader(bytes);
    const bool read = ReadNotes(notes.days, notes.everyDay, reader);
    MergeDuplicateDays(notes.days);
    return read;
}

bool ParseSettings(const std::string& bytes, SSettings& settings) {
    SSettings read = settings;
    CMemoryReader reader(bytes);
    if (!ReadSettings(read, reader)) {
        return false;
    }
    settings = std::move(read);
    return true;
}

// Whether the bytes are exactly what SerializeNotes makes of the notes read from them: then
// they serve as the canonical bytes without serializing again. Every counted string in its
// shortest form and nothing after the last record make the sizes equal; the count is checked
// because a negative one reads as none.
bool IsCanonical(const std::string& bytes, const SNotebook& notes) {
    uint64_t size = CDataArchive::CountedSize(notes.everyDay.size()) + 4;
    for (const SDay& day : notes.days) {
        size += CDataArchive::CountedSize(day.strDate.size()) +
                CDataArchive::CountedSize(day.strNote.size());
    }
    if (size != bytes.size()) {
        return false;
    }
    const size_t at = static_cast<size_t>(CDataArchive::CountedSize(notes.everyDay.size()));
    uint32_t count = 0;
    for (int i = 3; i >= 0; --i) {
        count = (count << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return count == notes.days.size();
}

std::string NameOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

enum class ESource { Main, Backup, Defaults };

bool IsThere(EFileError readError) {
    return readError != EFileError::Missing && readError != EFileError::NoFolder;
}

} // namespace

// Where one kind of file came from at start-up.
struct CSavePolicy::SLoadedFrom {
    ESource source = ESource::Main;
    bool mainUnreadable = false; // there but did not load; otherwise it was missing
    std::string bytes;           // what the main file held, when it loaded
};

struct CSavePolicy::SPendingStart {
    SLoadedFrom settings;
    SLoadedFrom notes;
    std::string settingsBackup;
    std::shared_ptr<const std::string> notesBackup;
    std::vector<std::string> keptAs;
    int step = 0;
    std::string notice;
};

CSavePolicy::CSavePolicy(SDataPaths paths, IFileSystem& files, IClock& clock)
    : m_paths(std::move(paths)), m_files(files), m_clock(clock) {}

CSavePolicy::~CSavePolicy() = default;

bool CSavePolicy::Patiently(unsigned waitMs, EFileError& error,
                            const std::function<EFileError()>& step) {
    unsigned waited = 0;
    unsigned pause = 50;
    for (;;) {
        error = step();
        if (error != EFileError::Busy || waited >= waitMs) {
            return error == EFileError::None;
        }
        pause = std::min(pause, waitMs - waited);
        m_clock.Sleep(pause);
        waited += pause;
        pause = std::min(pause * 2, 1000u);
    }
}

EFileError CSavePolicy::ReadPatiently(const std::string& path, std::string& bytes,
                                      unsigned waitMs) {
    EFileError error = EFileError::None;
    Patiently(waitMs, error, [&] { return m_files.Read(path, bytes, kReadLimit); });
    return error;
}

// Reads a main file, else its backup. A file that stays busy ends the read: busyPath names it.
void CSavePolicy::ReadWithBackup(const std::string& main, const std::string& backup,
                                 const std::function<bool(const std::string&)>& parse,
                                 SLoadedFrom& from, std::string& busyPath) {
    std::string bytes;
    EFileError error = ReadPatiently(main, bytes, kStartBusyWaitMs);
    if (error == EFileError::Busy) {
        busyPath = main;
        return;
    }
    if (error == EFileError::None && parse(bytes)) {
        from.source = ESource::Main;
        from.bytes = std::move(bytes);
        return;
    }
    from.mainUnreadable = IsThere(error);
    error = ReadPatiently(backup, bytes, kStartBusyWaitMs);
    if (error == EFileError::Busy) {
        busyPath = backup;
        return;
    }
    if (error == EFileError::None && parse(bytes)) {
        from.source = ESource::Backup;
    } else {
        from.source = ESource::Defaults;
        if (IsThere(error)) {
            m_unreadable.insert(backup);
        }
    }
}

SStartReport CSavePolicy::Load(SSettings& settings, SNotebook& notes, const SWindowPlace& place) {
    SStartReport report;
    m_bLoaded = false;
    m_start.reset();
    m_unreadable.clear();
    SettleLeftoverTempFiles();

    // Everything is read before anything is applied or written: a file that stays busy ends the
    // load with nothing changed.
    auto start = std::make_unique<SPendingStart>();
    SSettings readSettings = settings;
    SNotebook readNotes;
    ReadWithBackup(
        m_paths.settings, m_paths.settingsBackup,
        [&](const std::string& bytes) { return ParseSettings(bytes, readSettings); },
        start->settings, report.busyPath);
    // Taken before the read: a change while it reads shows as one at the next look.
    const SFileStamp notesStamp = m_files.Stamp(m_paths.notes);
    if (report.busyPath.empty()) {
        ReadWithBackup(
            m_paths.notes, m_paths.notesBackup,
            [&](const std::string& bytes) { return ParseNotes(bytes, readNotes); }, start->notes,
            report.busyPath);
    }
    if (!report.busyPath.empty()) {
        m_unreadable.clear();
        return report;
    }

    settings = std::move(readSettings);
    if (start->settings.source == ESource::Defaults) {
        m_files.MakeFolder(m_paths.folder);
        SetDefaultSettings(settings, place.window, place.desktop);
        report.firstRun = true;
    }
    if (start->settings.source == ESource::Main) {
        // A backup is the main file as the program would write it.
        RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas, place.titleHeight);
        start->settingsBackup = SerializeSettings(settings);
        m_settingsHash = HashBytes(start->settingsBackup);
    } else {
        m_settingsHash = 0;
    }

    const QTime now = m_clock.Now();
    notes = start->notes.source == ESource::Defaults ? DefaultNotes(now) : std::move(readNotes);
    if (start->notes.source == ESource::Defaults) {
        m_files.MakeFolder(m_paths.folder);
    }
    std::string loaded = std::move(start->notes.bytes);
    const bool canonical = start->notes.source == ESource::Main && IsCanonical(loaded, notes);
    if (start->notes.source == ESource::Main) {
        m_notesFileHash = HashBytes(loaded);
        start->notesBackup = std::make_shared<const std::string>(
            canonical ? std::move(loaded) : SerializeNotes(notes.days, notes.everyDay));
    }
    if (!IsDaysSorted(notes.days, true)) {
        SortDays(notes.days, true);
        m_notesBase =
            std::make_shared<const std::string>(SerializeNotes(notes.days, notes.everyDay));
    } else {
        m_notesBase =
            start->notesBackup
                ? start->notesBackup
                : std::make_shared<const std::string>(SerializeNotes(notes.days, notes.everyDay));
    }
    m_notesStamp = notesStamp;
    if (start->notes.source != ESource::Main) {
        m_notesFileHash = 0;
    }
    for (const SLoadedFrom* from : {&start->settings, &start->notes}) {
        if (from->mainUnreadable) {
            m_unreadable.insert(from == &start->settings ? m_paths.settings : m_paths.notes);
        }
    }
    m_nUnloadableLooks = 0;
    m_nFailures = 0;
    m_start = std::move(start);
    m_bLoaded = true;
    return report;
}

bool CSavePolicy::FinishStartStep() {
    if (!m_start) {
        return false;
    }
    SPendingStart& start = *m_start;
    switch (start.step++) {
    case 0:
        // Unreadable main files are kept aside at once, so the user can be told where they are.
        for (const std::string* path : {&m_paths.settings, &m_paths.notes}) {
            std::string keptAs;
            if (m_unreadable.count(*path) != 0 && KeepAside(*path, keptAs) == EFileError::None &&
                !keptAs.empty()) {
                start.keptAs.push_back(NameOf(keptAs));
            }
        }
        return true;
    case 1:
        if (!start.settingsBackup.empty()) {
            WriteBackup(m_paths.settingsBackup, start.settingsBackup);
        }
        return true;
    case 2:
        if (start.notesBackup) {
            WriteBackup(m_paths.notesBackup, *start.notesBackup);
        }
        return true;
    case 3:
        if (start.notesBackup) {
            KeepDailyCopy(m_files, m_paths, *start.notesBackup, m_clock.Now());
        }
        start.notice = StartNotice(start);
        start.settingsBackup.clear();
        start.notesBackup.reset();
        return false;
    default:
        return false;
    }
}

void CSavePolicy::WriteBackup(const std::string& path, const std::string& bytes) {
    // Nothing else reads a backup at start-up: one that is there but would not load is kept
    // before it is written over.
    std::string old;
    const EFileError error = m_files.Read(path, old, kReadLimit);
    SSettings settings;
    SNotebook notes;
    const bool loads =
        path == m_paths.settingsBackup ? ParseSettings(old, settings) : ParseNotes(old, notes);
    if (IsThere(error) && (error != EFileError::None || !loads)) {
        m_unreadable.insert(path);
    }
    WriteDataFile(path, bytes, 0);
}

std::string CSavePolicy::StartNotice(const SPendingStart& start) const {
    std::string notice;
    auto tell = [&](const SLoadedFrom& from, const std::string& main, const std::string& backup,
                    const char* what) {
        if (from.source == ESource::Main ||
            (!from.mainUnreadable && from.source == ESource::Defaults)) {
            return; // loaded, or a first run
        }
        notice += NameOf(main) + (from.mainUnreadable ? " could not be read; " : " was missing; ");
        notice += from.source == ESource::Backup
                      ? "the " + std::string(what) + " of " + NameOf(backup) + " are used. "
                      : "Quillet started with new " + std::string(what) + ". ";
    };
    tell(start.notes, m_paths.notes, m_paths.notesBackup, "notes");
    tell(start.settings, m_paths.settings, m_paths.settingsBackup, "settings");
    for (const std::string& kept : start.keptAs) {
        notice += "Its bytes are kept in " + kept + ". ";
    }
    if (!notice.empty()) {
        notice.pop_back();
    }
    return notice;
}

std::string CSavePolicy::TakeStartNotice() {
    if (!m_start || m_start->step < 4) {
        return std::string();
    }
    return std::exchange(m_start->notice, std::string());
}

void CSavePolicy::TakeSettingsAsSaved(SSettings settings, const SWindowPlace& place) {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas, place.titleHeight);
    m_settingsHash = HashBytes(SerializeSettings(settings));
}

bool CSavePolicy::NotesUnsaved(const SNotebook& notes) const {
    return !m_notesBase || SerializeNotes(notes.days, notes.everyDay) != *m_notesBase;
}

bool CSavePolicy::HasUnsavedChanges(SSettings settings, const SNotebook& notes,
                                    const SWindowPlace& place) const {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas, place.titleHeight);
    return HashBytes(SerializeSettings(settings)) != m_settingsHash || NotesUnsaved(notes);
}

EFileError CSavePolicy::KeepAside(const std::string& path, std::string& keptAs) {
    keptAs.clear();
    const SFileStamp stamp = m_files.Stamp(path);
    EFileError error = EFileError::None;
    if (stamp.exists) {
        std::string bytes;
        const bool inMemory = m_files.Read(path, bytes, kReadLimit) == EFileError::None;
        error = KeepCopy(path, inMemory ? &bytes : nullptr, stamp.size, keptAs);
    }
    if (error == EFileError::None) {
        m_unreadable.erase(path);
    }
    return error;
}

EFileError CSavePolicy::KeepBytesAside(const std::string& path, const std::string& bytes,
                                       std::string& keptAs) {
    return KeepCopy(path, &bytes, bytes.size(), keptAs);
}

EFileError CSavePolicy::KeepCopy(const std::string& path, const std::string* bytes, uint64_t size,
                                 std::string& keptAs) {
    const std::string folder = FolderOf(path);
    const std::string prefix = NameOf(path) + ".unreadable-";
    std::vector<std::string> copies;
    for (const std::string& name : m_files.List(folder)) {
        if (name.compare(0, prefix.size(), prefix) == 0) {
            copies.push_back(name);
        }
    }
    // The same bytes kept before (the file is still the one that would not load) are kept once.
    for (const std::string& name : copies) {
        std::string kept;
        if (bytes != nullptr && m_files.Stamp(folder + name).size == size &&
            m_files.Read(folder + name, kept, kReadLimit) == EFileError::None && kept == *bytes) {
            keptAs = folder + name;
            return EFileError::None;
        }
    }
    const std::string stamp = path + ".unreadable-" + FormatTime(m_clock.Now(), "%Y%m%d-%H%M%S");
    std::string copy = stamp;
    for (int n = 2; m_files.Stamp(copy).exists; ++n) {
        copy = stamp + "-" + std::to_string(n);
    }
    const EFileError error =
        bytes != nullptr ? m_files.WriteNew(copy, *bytes) : m_files.Copy(path, copy);
    if (error != EFileError::None) {
        return error;
    }
    keptAs = copy;

    // The newest few stay, within a size; never the copy just made.
    std::sort(copies.begin(), copies.end());
    uint64_t total = size;
    size_t kept = 1;
    for (auto it = copies.rbegin(); it != copies.rend(); ++it) {
        const uint64_t copySize = m_files.Stamp(folder + *it).size;
        if (kept < kKeptCopies && total + copySize <= kKeptCopiesBytes) {
            ++kept;
            total += copySize;
        } else {
            m_files.Remove(folder + *it);
        }
    }
    return EFileError::None;
}

EFileError CSavePolicy::WriteDataFile(const std::string& path, const std::string& bytes,
                                      unsigned busyWaitMs, const std::string& replacedAs,
                                      SFileStamp* written) {
    EFileError error = EFileError::None;
    // A write that cannot go ahead keeps nothing aside: a file that stays unwritable must not
    // fill the folder with copies.
    if (!Patiently(busyWaitMs, error, [&] { return m_files.CheckWritable(path); })) {
        return error;
    }
    if (m_unreadable.count(path) != 0) {
        std::string keptAs;
        error = KeepAside(path, keptAs);
        if (error != EFileError::None) {
            return error;
        }
    }
    Patiently(busyWaitMs, error, [&] { return m_files.Replace(path, bytes, replacedAs, written); });
    return error;
}

EFileError CSavePolicy::SaveSettingsFile(SSettings& settings, const SWindowPlace& place,
                                         unsigned busyWaitMs, std::string& bytes) {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas, place.titleHeight);
    bytes = SerializeSettings(settings);
    const EFileError error = WriteDataFile(m_paths.settings, bytes, busyWaitMs);
    if (error == EFileError::None) {
        m_settingsHash = HashBytes(bytes);
    }
    return error;
}

EFileError CSavePolicy::SaveNotesFile(const SNotebook& mine, unsigned busyWaitMs,
                                      SSaveReport& report, std::string& bytes) {
    const std::string& path = m_paths.notes;
    const SFileStamp stamp = m_files.Stamp(path);
    // What the file is believed to hold: what was last read or written, unless it changed since.
    std::shared_ptr<const std::string> believed = m_notesBase;
    uint64_t believedHash = m_notesFileHash;
    SFileStamp believedStamp = m_notesStamp;
    bool alreadyThere = false;
    if (stamp != m_notesStamp && stamp.exists) {
        // Changed since it was last read or written: what is in it now is merged, never lost.
        auto theirBytes = std::make_shared<std::string>();
        const EFileError error = ReadPatiently(path, *theirBytes, busyWaitMs);
        if (error == EFileError::Busy) {
            return error;
        }
        SNotebook theirs;
        if (error != EFileError::None || !ParseNotes(*theirBytes, theirs)) {
            m_unreadable.insert(path);
        } else if (HashBytes(*theirBytes) != m_notesFileHash) {
            MergeInto(report, mine, theirs, ElsewhereLine(stamp.writeTime));
            if (m_notesBase) {
                m_recent.Record(*m_notesBase, *theirBytes);
            }
            believed = std::move(theirBytes);
            believedHash = HashBytes(*believed);
            believedStamp = stamp;
            const SNotebook& notes = report.notesChanged ? report.merged : mine;
            alreadyThere = SerializeNotes(notes.days, notes.everyDay) == *believed;
        }
    }
    // A write another program makes between the look above and the replace is what the replace
    // puts aside: it is merged in turn, and the notes written again. Past a few rounds, or when
    // the write failed, the merged notes wait in memory for the next save.
    const std::string replaced = path + ".replaced.tmp";
    for (int round = 0;; ++round) {
        const SNotebook& notes = report.notesChanged ? report.merged : mine;
        bytes = SerializeNotes(notes.days, notes.everyDay);
        if (alreadyThere && m_unreadable.count(path) == 0) {
            break;
        }
        m_files.Remove(replaced);
        SFileStamp written;
        const EFileError error = WriteDataFile(path, bytes, busyWaitMs, replaced, &written);
        // What the replace put aside is read only when it is not the file believed there.
        const SFileStamp replacedStamp = m_files.Stamp(replaced);
        std::string slipped;
        const bool sawReplaced = replacedStamp.exists && replacedStamp != believedStamp &&
                                 m_files.Read(replaced, slipped, kReadLimit) == EFileError::None;
        m_files.Remove(replaced);
        // The texts these notes were made from count as older ones from now on: a program that
        // read them before the write and writes after it brings nothing new with them.
        if (error == EFileError::None && believed) {
            m_recent.Record(*believed, bytes);
        }
        bool changed = false;
        if (sawReplaced && HashBytes(slipped) != believedHash) {
            // Another program wrote over what was believed to be there.
            SNotebook theirs;
            if (ParseNotes(slipped, theirs)) {
                SNotebook base;
                if (believed) {
                    ParseNotes(*believed, base);
                }
                changed = MergeInto(report, notes, theirs, ElsewhereLine(m_clock.Now()), &base);
            } else {
                std::string keptAs;
                KeepBytesAside(path, slipped, keptAs);
            }
        }
        if (error != EFileError::None) {
            return error;
        }
        believed = std::make_shared<const std::string>(bytes);
        believedHash = HashBytes(bytes);
        believedStamp = written;
        if (!changed || round == 3) {
            break;
        }
    }
    m_notesStamp = believedStamp;
    m_notesFileHash = believedHash;
    m_notesBase = believed;
    m_nUnloadableLooks = 0;
    return EFileError::None;
}

bool CSavePolicy::MergeInto(SSaveReport& report, const SNotebook& mine, const SNotebook& theirs,
                            const std::string& line, const SNotebook* base) {
    SNotebook fromBase;
    if (base == nullptr && m_notesBase) {
        ParseNotes(*m_notesBase, fromBase);
    }
    SNotebook merged =
        MergeNotebooks(base != nullptr ? *base : fromBase, mine, theirs, line, &m_recent);
    if (merged == mine) {
        return false;
    }
    report.merged = std::move(merged);
    report.notesChanged = true;
    return true;
}

SSaveReport CSavePolicy::Finish(SSaveReport report) {
    if (report.saved) {
        m_nFailures = 0;
        return report;
    }
    ++m_nFailures;
    // A file held for a moment is retried before anyone is told.
    const int tellAt = report.error == EFileError::Busy ? 2 : 1;
    report.tellUser = m_nFailures == tellAt;
    return report;
}

SSaveReport CSavePolicy::SaveMain(SSettings& settings, const SNotebook& notes,
                                  const SWindowPlace& place, unsigned busyWaitMs) {
    SSaveReport report;
    std::string bytes;
    const EFileError settingsError = SaveSettingsFile(settings, place, busyWaitMs, bytes);
    const EFileError notesError = SaveNotesFile(notes, busyWaitMs, report, bytes);
    // The notes matter most: theirs is the failure the user hears of.
    if (notesError != EFileError::None || settingsError != EFileError::None) {
        report.saved = false;
        report.error = notesError != EFileError::None ? notesError : settingsError;
        report.failedPath = notesError != EFileError::None ? m_paths.notes : m_paths.settings;
    }
    return Finish(std::move(report));
}

SSaveReport CSavePolicy::SaveAll(SSettings& settings, const SNotebook& notes,
                                 const SWindowPlace& place, unsigned busyWaitMs) {
    SSaveReport report;
    std::string settingsBytes;
    std::string notesBytes;
    EFileError error = SaveSettingsFile(settings, place, busyWaitMs, settingsBytes);
    std::string failed = m_paths.settings;
    if (error == EFileError::None) {
        error = SaveNotesFile(notes, busyWaitMs, report, notesBytes);
        failed = m_paths.notes;
    }
    if (error == EFileError::None) {
        error = WriteDataFile(m_paths.settingsBackup, settingsBytes, busyWaitMs);
        failed = m_paths.settingsBackup;
    }
    if (error == EFileError::None) {
        error = WriteDataFile(m_paths.notesBackup, notesBytes, busyWaitMs);
        failed = m_paths.notesBackup;
    }
    if (error == EFileError::None && m_start) {
        // The backups are newer than what the start left to write.
        m_start->settingsBackup.clear();
        if (m_start->step < 3) {
            m_start->notesBackup.reset();
        }
    }
    if (error != EFileError::None) {
        report.saved = false;
        report.error = error;
        report.failedPath = failed;
    }
    return Finish(std::move(report));
}

unsigned CSavePolicy::RetryDelayMs() const {
    static const unsigned kDelays[] = {5000, 30000, 120000, 300000};
    if (m_nFailures == 0) {
        return 0;
    }
    return kDelays[std::min<size_t>(static_cast<size_t>(m_nFailures), 4) - 1];
}

std::string CSavePolicy::FailureMessage(const SSaveReport& report) {
    const std::string file = NameOf(report.failedPath);
    const bool notes = file == "qlt_notes.dat" || file == "prevNotes.dat";
    std::string text =
        notes ? "The notes could not be saved: " : "The settings could not be saved: ";
    switch (report.error) {
    case EFileError::DiskFull:
        return text + "the disk is full.";
    case EFileError::Busy:
        return text + "another program is using " + file + ".";
    case EFileError::Denied:
        return text + file + " is read-only or access to it is denied.";
    case EFileError::NoFolder:
    case EFileError::Missing:
        return text + "the folder of " + file + " cannot be found.";
    default:
        return text + "writing " + file + " failed.";
    }
}

EDiskChange CSavePolicy::CheckNotesOnDisk(const SNotebook& notes, SNotebook& reloaded) {
    if (!m_bLoaded) {
        return EDiskChange::None;
    }
    const SFileStamp stamp = m_files.Stamp(m_paths.notes);
    if (stamp == m_notesStamp || !stamp.exists) {
        return EDiskChange::None; // unchanged, or gone: the next save writes it again
    }
    if (NotesUnsaved(notes)) {
        return EDiskChange::Merge;
    }
    std::string bytes;
    const EFileError error = m_files.Read(m_paths.notes, bytes, kReadLimit);
    if (error == EFileError::Busy) {
        return EDiskChange::TryLater;
    }
    SNotebook theirs;
    const bool loads = error == EFileError::None && ParseNotes(bytes, theirs);
    if (!loads && error == EFileError::None && ++m_nUnloadableLooks < kUnloadableLooks) {
        return EDiskChange::TryLater;
    }
    m_nUnloadableLooks = 0;
    if (!loads) {
        m_notesStamp = stamp;
        m_unreadable.insert(m_paths.notes); // kept aside at the next save
        return EDiskChange::None;
    }
    const uint64_t hash = HashBytes(bytes);
    if (hash == m_notesFileHash) {
        m_notesStamp = stamp;
        return EDiskChange::None;
    }
    SortDays(theirs.days, true);
    // A copy written over a newer file brings back older texts: the notes here stay, and the
    // save that merges gives the file its notes back.
    if (!(MergeNotebooks(notes, notes, theirs, std::string(), &m_recent) == theirs)) {
        return EDiskChange::Merge;
    }
    auto canonical =
        std::make_shared<const std::string>(SerializeNotes(theirs.days, theirs.everyDay));
    if (m_notesBase) {
        m_recent.Record(*m_notesBase, *canonical);
    }
    m_notesBase = std::move(canonical);
    m_notesFileHash = hash;
    m_notesStamp = stamp;
    reloaded = std::move(theirs);
    return EDiskChange::Reloaded;
}

std::string CSavePolicy::WriteRecovery(const SNotebook& notes, const std::string& otherFolder) {
    const std::string name =
        "qlt_notes.recovered-" + FormatTime(m_clock.Now(), "%Y%m%d-%H%M%S") + ".dat";
    const std::string bytes = SerializeNotes(notes.days, notes.everyDay);
    // The same notes kept once: the end of a session asks, then ends.
    if (!m_recovered.empty() && HashBytes(bytes) == m_recoveredHash &&
        m_files.Stamp(m_recovered).exists) {
        return m_recovered;
    }
    for (const std::string& folder : {m_paths.folder, otherFolder}) {
        if (folder.empty() || !m_files.MakeFolder(folder)) {
            continue;
        }
        std::string path = folder + name;
        for (int n = 2; m_files.Stamp(path).exists; ++n) {
            path = folder + name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".dat";
        }
        if (m_files.WriteNew(path, bytes) == EFileError::None) {
            m_recovered = path;
            m_recoveredHash = HashBytes(bytes);
            return path;
        }
    }
    return std::string();
}

void CSavePolicy::SettleLeftoverTempFiles() {
    for (const std::string* path :
         {&m_paths.settings, &m_paths.notes, &m_paths.settingsBackup, &m_paths.notesBackup}) {
        const bool isSettings = path == &m_paths.settings || path == &m_paths.settingsBackup;
        auto loads = [&](const std::string& bytes) {
            SSettings settings;
            SNotebook notes;
            return isSettings ? ParseSettings(bytes, settings) : ParseNotes(bytes, notes);
        };
        const std::string folder = FolderOf(*path);
        const std::string name = NameOf(*path);
        std::vector<std::string> temps;
        for (const std::string& entry : m_files.List(folder)) {
            if (entry.size() >= name.size() + 4 &&
                entry.compare(0, name.size() + 1, name + ".") == 0 &&
                entry.compare(entry.size() - 4, 4, ".tmp") == 0) {
                temps.push_back(folder + entry);
            }
        }
        if (temps.empty()) {
            continue;
        }
        std::string target;
        const EFileError targetError = m_files.Read(*path, target, kReadLimit);
        if (targetError == EFileError::Busy) {
            continue; // settled at a later start
        }
        bool settled = targetError == EFileError::None && loads(target);
        std::vector<std::string> complete;
        for (const std::string& temp : temps) {
            std::string bytes;
            const EFileError error = m_files.Read(temp, bytes, kReadLimit);
            if (error == EFileError::None && loads(bytes)) {
                complete.push_back(temp);
            } else if (error != EFileError::Busy) {
                m_files.Remove(temp); // an interrupted write: nothing in it to keep
            }
        }
        if (!settled && !complete.empty()) {
            // The newest complete leftover takes the place of a target that is missing or does
            // not load; the target's bytes are kept first.
            const auto newest = std::max_element(
                complete.begin(), complete.end(), [&](const std::string& a, const std::string& b) {
                    return m_files.Stamp(a).writeTicks < m_files.Stamp(b).writeTicks;
                });
            std::string bytes;
            std::string keptAs;
            settled = m_files.Read(*newest, bytes, kReadLimit) == EFileError::None &&
                      (!IsThere(targetError) || KeepAside(*path, keptAs) == EFileError::None) &&
                      m_files.Replace(*path, bytes) == EFileError::None;
        }
        // A complete leftover goes only once its target holds a complete file.
        if (settled) {
            for (const std::string& temp : complete) {
                m_files.Remove(temp);
            }
        }
    }
}
