#include "storage/save_policy.h"

#include "base/hash.h"
#include "base/path.h"
#include "storage/archive.h"
#include "storage/busy_wait.h"
#include "storage/copy_names.h"
#include "storage/history.h"
#include "storage/notes_file.h"
#include "storage/notes_merge.h"
#include "storage/temp_files.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Larger than any notes file of a lifetime; a file beyond it counts as unreadable.
constexpr uint64_t kReadLimit = 256u << 20;
// A notes file that changed but does not load is looked at this often before it counts as
// unreadable (a sync client may be half way through writing it).
constexpr int kUnloadableLooks = 10;

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

// A data file's notes in date order, and their canonical bytes.
std::shared_ptr<const std::string> Canonical(SNotebook& notes) {
    if (!IsDaysSorted(notes.days, true)) {
        SortDays(notes.days, true);
    }
    return std::make_shared<const std::string>(SerializeNotes(notes.days, notes.everyDay));
}

bool IsThere(EFileError readError) {
    return readError != EFileError::Missing && readError != EFileError::NoFolder;
}

} // namespace

bool SStartNotice::Empty() const {
    for (const SLoadedFrom* from : {&settings, &notes}) {
        if (from->source != ESource::Main &&
            (from->mainUnreadable || from->source != ESource::Defaults)) {
            return false;
        }
    }
    return true;
}

// A copy of the notes left beside them: by a sync program, or by a session that could not save.
struct CSavePolicy::SCopy {
    std::string path;
    bool recovery = false;
    SFileStamp stamp;
    SNotebook notes;
    uint64_t hash = 0; // of its canonical bytes
};

struct CSavePolicy::SPendingStart {
    SStartNotice notice;
    std::string settingsBackup;
    std::shared_ptr<const std::string> notesBackup;
    // The notes file held a version written elsewhere: what both computers had.
    std::shared_ptr<const std::string> shared;
    int step = 0;
};

CSavePolicy::CSavePolicy(SDataPaths paths, IFileSystem& files, IClock& clock)
    : m_paths(std::move(paths)), m_files(files), m_clock(clock), m_kept(files, clock) {}

CSavePolicy::~CSavePolicy() = default;

EFileError CSavePolicy::ReadPatiently(const std::string& path, std::string& bytes,
                                      unsigned waitMs) {
    return WaitOutBusy(m_clock, waitMs, [&] { return m_files.Read(path, bytes, kReadLimit); });
}

// Reads a main file, else its backup. A file that stays busy ends the read: busyPath names it.
void CSavePolicy::ReadWithBackup(const std::string& main, const std::string& backup,
                                 const std::function<bool(const std::string&)>& parse,
                                 SLoadedFrom& from, std::string& loadedBytes,
                                 std::string& busyPath) {
    std::string bytes;
    EFileError error = ReadPatiently(main, bytes, kStartBusyWaitMs);
    if (error == EFileError::Busy) {
        busyPath = main;
        return;
    }
    if (error == EFileError::None && parse(bytes)) {
        from.source = ESource::Main;
        loadedBytes = std::move(bytes);
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
    m_mergedCopies.clear();
    m_mergeNotice = SMergeNotice();
    for (const std::string* path :
         {&m_paths.settings, &m_paths.notes, &m_paths.settingsBackup, &m_paths.notesBackup}) {
        const bool isSettings = path == &m_paths.settings || path == &m_paths.settingsBackup;
        SettleTempFilesOf(
            m_files, *path,
            [&](const std::string& bytes) {
                SSettings s;
                SNotebook n;
                return isSettings ? ParseSettings(bytes, s) : ParseDataFileNotes(bytes, n);
            },
            [&](const std::string& target) {
                std::string keptAs;
                return KeepAside(target, keptAs);
            });
    }

    // Everything is read before anything is applied or written: a file that stays busy ends the
    // load with nothing changed.
    auto start = std::make_unique<SPendingStart>();
    start->notice.paths = m_paths;
    SSettings readSettings = settings;
    SNotebook readNotes;
    std::string settingsBytes;
    std::string notesBytes;
    ReadWithBackup(
        m_paths.settings, m_paths.settingsBackup,
        [&](const std::string& bytes) { return ParseSettings(bytes, readSettings); },
        start->notice.settings, settingsBytes, report.busyPath);
    // Taken before the read: a change while it reads shows as one at the next look.
    const SFileStamp notesStamp = m_files.Stamp(m_paths.notes);
    if (report.busyPath.empty()) {
        ReadWithBackup(
            m_paths.notes, m_paths.notesBackup,
            [&](const std::string& bytes) { return ParseDataFileNotes(bytes, readNotes); },
            start->notice.notes, notesBytes, report.busyPath);
    }
    bool copiesBusy = false;
    std::vector<SCopy> copies;
    if (report.busyPath.empty()) {
        copies = FindCopies(true, copiesBusy);
    }
    if (!report.busyPath.empty()) {
        m_unreadable.clear();
        return report;
    }

    settings = std::move(readSettings);
    const SLoadedFrom& settingsFrom = start->notice.settings;
    if (settingsFrom.source == ESource::Defaults) {
        m_files.MakeFolder(m_paths.folder);
        SetDefaultSettings(settings, place.window, place.desktop);
        report.firstRun = true;
    }
    if (settingsFrom.source == ESource::Main) {
        // A backup is the main file as the program would write it.
        RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                              place.titleHeight);
        start->settingsBackup = SerializeSettings(settings);
        m_settingsHash = HashBytes(start->settingsBackup);
    } else {
        m_settingsHash = 0;
    }

    const SLoadedFrom& notesFrom = start->notice.notes;
    const bool fromMain = notesFrom.source == ESource::Main;
    notes =
        notesFrom.source == ESource::Defaults ? DefaultNotes(m_clock.Now()) : std::move(readNotes);
    if (notesFrom.source == ESource::Defaults) {
        m_files.MakeFolder(m_paths.folder);
    }
    const uint64_t fileHash = fromMain ? HashBytes(notesBytes) : 0;
    m_startFromMain = fromMain;
    std::shared_ptr<const std::string> base;
    if (fromMain && IsDaysSorted(notes.days, true) && IsCanonical(notesBytes, notes)) {
        base = std::make_shared<const std::string>(std::move(notesBytes));
    } else {
        base = Canonical(notes);
    }
    if (fromMain) {
        start->notesBackup = base;
    }
    ReadWrittenHere();
    const bool writtenHere = std::find(m_writtenHere.begin(), m_writtenHere.end(),
                                       HashBytes(*base)) != m_writtenHere.end();
    if (fromMain && !writtenHere) {
        start->shared = base;
    }
    m_lineage.Start(base, notesStamp, fileHash, writtenHere, std::move(m_priorTexts),
                    std::move(m_priorForeign), ReadShared());
    for (const SLoadedFrom* from : {&settingsFrom, &notesFrom}) {
        if (from->mainUnreadable) {
            m_unreadable.insert(from == &settingsFrom ? m_paths.settings : m_paths.notes);
        }
    }
    // Recovery files and conflict copies are newer than anything the start read: they come in
    // as changes made elsewhere, and are written with the next save.
    if (!copies.empty()) {
        const SNotebook loaded = notes;
        bool changed = false;
        report.notesFromElsewhere =
            MergeCopies(copies, notes, fromMain ? &loaded : nullptr,
                        notesStamp.exists ? notesStamp.writeTime : 0, changed) != 0;
    }
    m_nUnloadableLooks = 0;
    m_retry.Succeeded();
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
                start.notice.keptAs.push_back(NameOf(keptAs));
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
        if (start.shared) {
            KeepShared(*start.shared);
            WriteJournal(); // what the start read from elsewhere is known to later sessions
        }
        start.settingsBackup.clear();
        start.notesBackup.reset();
        start.shared.reset();
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
    const bool loads = path == m_paths.settingsBackup ? ParseSettings(old, settings)
                                                      : ParseDataFileNotes(old, notes);
    if (IsThere(error) && (error != EFileError::None || !loads)) {
        m_unreadable.insert(path);
    }
    WriteDataFile(path, bytes, 0);
}

SStartNotice CSavePolicy::TakeStartNotice() {
    if (!m_start || m_start->step < 4) {
        return SStartNotice();
    }
    return std::exchange(m_start->notice, SStartNotice());
}

SMergeNotice CSavePolicy::TakeMergeNotice() {
    return std::exchange(m_mergeNotice, SMergeNotice());
}

void CSavePolicy::TakeSettingsAsSaved(SSettings settings, const SWindowPlace& place) {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                          place.titleHeight);
    m_settingsHash = HashBytes(SerializeSettings(settings));
}

bool CSavePolicy::NotesUnsaved(const SNotebook& notes) const {
    return !m_lineage.Base() || SerializeNotes(notes.days, notes.everyDay) != *m_lineage.Base();
}

bool CSavePolicy::HasUnsavedChanges(SSettings settings, const SNotebook& notes,
                                    const SWindowPlace& place) const {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                          place.titleHeight);
    return HashBytes(SerializeSettings(settings)) != m_settingsHash || NotesUnsaved(notes);
}

EFileError CSavePolicy::KeepAside(const std::string& path, std::string& keptAs) {
    keptAs.clear();
    const SFileStamp stamp = m_files.Stamp(path);
    EFileError error = EFileError::None;
    if (stamp.exists) {
        std::string bytes;
        const bool inMemory = m_files.Read(path, bytes, kReadLimit) == EFileError::None;
        error = m_kept.KeepUnreadable(path, inMemory ? &bytes : nullptr, stamp.size, keptAs);
    }
    if (error == EFileError::None) {
        m_unreadable.erase(path);
    }
    return error;
}

EFileError CSavePolicy::WriteDataFile(const std::string& path, const std::string& bytes,
                                      unsigned busyWaitMs, const std::string& replacedAs,
                                      SFileStamp* written) {
    // A write that cannot go ahead keeps nothing aside: a file that stays unwritable must not
    // fill the folder with copies.
    EFileError error =
        WaitOutBusy(m_clock, busyWaitMs, [&] { return m_files.CheckWritable(path); });
    if (error != EFileError::None) {
        return error;
    }
    if (m_unreadable.count(path) != 0) {
        std::string keptAs;
        error = KeepAside(path, keptAs);
        if (error != EFileError::None) {
            return error;
        }
    }
    return WaitOutBusy(m_clock, busyWaitMs,
                       [&] { return m_files.Replace(path, bytes, replacedAs, written); });
}

EFileError CSavePolicy::SaveSettingsFile(SSettings& settings, const SWindowPlace& place,
                                         unsigned busyWaitMs, std::string& bytes) {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                          place.titleHeight);
    bytes = SerializeSettings(settings);
    const EFileError error = WriteDataFile(m_paths.settings, bytes, busyWaitMs);
    if (error == EFileError::None) {
        m_settingsHash = HashBytes(bytes);
    }
    return error;
}

EFileError CSavePolicy::ReadChangedNotes(std::string& bytes, SNotebook& notes, unsigned waitMs) {
    bool torn = false;
    const EFileError error = WaitOutBusy(m_clock, waitMs, [&] {
        const EFileError read = m_files.Read(m_paths.notes, bytes, kReadLimit);
        torn = read == EFileError::None && !ParseDataFileNotes(bytes, notes);
        // Half written by a sync program, as far as anyone can tell: waited for like a holder.
        return torn ? EFileError::Busy : read;
    });
    return torn ? EFileError::Other : error;
}

void CSavePolicy::SettleReplaced(const std::string& replaced, uint64_t believedHash) {
    if (!m_files.Stamp(replaced).exists) {
        return;
    }
    if (!m_files.Stamp(m_paths.notes).exists) {
        m_files.Move(replaced, m_paths.notes); // a replace that failed half way: the file back
        return;
    }
    std::string bytes;
    if (m_files.Read(replaced, bytes, kReadLimit) == EFileError::None &&
        HashBytes(bytes) == believedHash) {
        m_files.Remove(replaced);
    }
    // Anything else waits beside the file for the next start, which settles leftovers.
}

EFileError CSavePolicy::SaveNotesFile(const SNotebook& mine, unsigned busyWaitMs,
                                      SSaveReport& report, std::string& bytes) {
    const std::string& path = m_paths.notes;
    const SFileStamp stamp = m_files.Stamp(path);
    const QTime now = m_clock.Now();
    // What the file is believed to hold: what was last read or written, unless it changed since.
    // A version read here counts as taken in only once a write (or nothing to write) settles it:
    // a save that fails keeps the notes and what is known of the file as they were.
    std::shared_ptr<const std::string> theirCanonical;
    SFileStamp theirStamp;
    uint64_t theirHash = 0;
    SNotebook merged;
    bool changed = false;
    if (stamp != m_lineage.Stamp() && stamp.exists) {
        std::string theirBytes;
        SNotebook theirs;
        const EFileError error = ReadChangedNotes(theirBytes, theirs, busyWaitMs);
        if (error == EFileError::Busy) {
            return error;
        }
        if (error != EFileError::None) {
            m_unreadable.insert(path);
        } else if (HashBytes(theirBytes) != m_lineage.FileHash()) {
            MarkContestedVersions();
            const SNotebook base = m_lineage.BaseForChange(stamp.writeTime, theirs);
            theirHash = HashBytes(theirBytes);
            theirStamp = stamp;
            theirCanonical = Canonical(theirs);
            const SNotebook held = m_lineage.Current();
            merged = MergeNotebooks(base, mine, theirs, now, stamp.writeTime, &held,
                                    m_lineage.Stamp().writeTime);
            changed = !(merged == mine);
        } else {
            m_lineage.TakeStamp(stamp);
        }
    }
    // A write another program makes between the look above and the replace is what the replace
    // puts aside: it is merged in turn, and the notes written again. Past a few rounds the
    // merged notes wait in memory for the next save.
    const std::string replaced = path + ".replaced.tmp";
    for (int round = 0;; ++round) {
        const SNotebook& notes = changed ? merged : mine;
        bytes = SerializeNotes(notes.days, notes.everyDay);
        if (round == 0 && theirCanonical && bytes == *theirCanonical &&
            m_unreadable.count(path) == 0) {
            // Nothing of ours the file lacks: it is taken in as it is.
            TakeInForeign(theirCanonical, theirStamp, theirHash);
            report.notesChanged = changed;
            if (changed) {
                report.merged = notes;
            }
            break;
        }
        const uint64_t believedHash = theirCanonical ? theirHash : m_lineage.FileHash();
        const SFileStamp believedStamp = theirCanonical ? theirStamp : m_lineage.Stamp();
        m_files.Remove(replaced);
        SFileStamp written;
        const EFileError error = WriteDataFile(path, bytes, busyWaitMs, replaced, &written);
        if (error != EFileError::None) {
            SettleReplaced(replaced, believedHash);
            // Only what rounds already wrote, and what slipped in beside them, is shown.
            if (round > 0) {
                report.notesChanged = true;
                report.merged = notes;
            }
            return error;
        }
        // What the replace put aside is read only when it is not the file believed there.
        const SFileStamp replacedStamp = m_files.Stamp(replaced);
        std::string slipped;
        const bool sawReplaced = replacedStamp.exists && replacedStamp != believedStamp &&
                                 m_files.Read(replaced, slipped, kReadLimit) == EFileError::None &&
                                 HashBytes(slipped) != believedHash;
        m_files.Remove(replaced);
        if (theirCanonical) {
            TakeInForeign(theirCanonical, theirStamp, theirHash);
            theirCanonical.reset();
        }
        SNotebook slippedNotes;
        const bool slippedLoads = sawReplaced && ParseDataFileNotes(slipped, slippedNotes);
        // What the slipped write replaced is the version it was made from, as far as its time
        // and the copies beside it tell.
        SNotebook slippedBase;
        if (slippedLoads) {
            MarkContestedVersions();
            slippedBase = m_lineage.BaseForChange(replacedStamp.writeTime, slippedNotes);
        }
        if (slippedLoads) {
            TakeInForeign(Canonical(slippedNotes), replacedStamp, HashBytes(slipped));
        } else if (sawReplaced) {
            std::string keptAs;
            m_kept.KeepUnreadable(path, &slipped, slipped.size(), keptAs);
        }
        auto canonical = std::make_shared<const std::string>(bytes);
        m_lineage.Record(true, canonical, written, HashBytes(bytes));
        NoteWrittenHere(HashBytes(bytes));
        report.notesChanged = report.notesChanged || changed;
        if (changed) {
            report.merged = notes;
        }
        if (!slippedLoads) {
            break;
        }
        SNotebook again = MergeNotebooks(slippedBase, notes, slippedNotes, written.writeTime,
                                         replacedStamp.writeTime);
        if (again == notes) {
            break;
        }
        merged = std::move(again);
        changed = true;
        report.notesChanged = true;
        report.merged = merged;
        if (round == 3) {
            break; // the rest waits in memory
        }
    }
    m_nUnloadableLooks = 0;
    MoveMergedCopies();
    return EFileError::None;
}

SSaveReport CSavePolicy::Finish(SSaveReport report) {
    if (report.saved) {
        m_retry.Succeeded();
        return report;
    }
    report.tellUser = m_retry.Failed(report.error);
    return report;
}

SSaveReport CSavePolicy::SaveMain(SSettings& settings, const SNotebook& notes,
                                  const SWindowPlace& place, unsigned busyWaitMs) {
    SSaveReport report;
    std::string bytes;
    const EFileError settingsError = SaveSettingsFile(settings, place, busyWaitMs, bytes);
    const EFileError notesError = SaveNotesFile(notes, busyWaitMs, report, bytes);
    // The notes matter most: theirs is the failure the user hears of.
    if (notesError != EFileError::None) {
        report.saved = false;
        report.error = notesError;
        report.failedFile = EDataFile::Notes;
        report.failedPath = m_paths.notes;
    } else if (settingsError != EFileError::None) {
        report.saved = false;
        report.error = settingsError;
        report.failedFile = EDataFile::Settings;
        report.failedPath = m_paths.settings;
    }
    return Finish(std::move(report));
}

SSaveReport CSavePolicy::SaveAll(SSettings& settings, const SNotebook& notes,
                                 const SWindowPlace& place, unsigned busyWaitMs) {
    SSaveReport report;
    std::string settingsBytes;
    std::string notesBytes;
    EFileError error = SaveSettingsFile(settings, place, busyWaitMs, settingsBytes);
    EDataFile failed = EDataFile::Settings;
    if (error == EFileError::None) {
        error = SaveNotesFile(notes, busyWaitMs, report, notesBytes);
        failed = EDataFile::Notes;
    }
    if (error == EFileError::None) {
        error = WriteDataFile(m_paths.settingsBackup, settingsBytes, busyWaitMs);
        failed = EDataFile::SettingsBackup;
    }
    if (error == EFileError::None) {
        error = WriteDataFile(m_paths.notesBackup, notesBytes, busyWaitMs);
        failed = EDataFile::NotesBackup;
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
        report.failedFile = failed;
        report.failedPath = failed == EDataFile::Settings         ? m_paths.settings
                            : failed == EDataFile::Notes          ? m_paths.notes
                            : failed == EDataFile::SettingsBackup ? m_paths.settingsBackup
                                                                  : m_paths.notesBackup;
    }
    return Finish(std::move(report));
}

std::vector<CSavePolicy::SCopy> CSavePolicy::FindCopies(bool atStart, bool& busy) {
    std::vector<SCopy> copies;
    busy = false;
    auto look = [&](const std::string& folder, bool dataFolder) {
        if (folder.empty()) {
            return;
        }
        for (const std::string& name : m_files.List(folder)) {
            const bool recovery = atStart && IsRecoveryName(name);
            if (!recovery && !(dataFolder && ConflictClientOf(name) != nullptr)) {
                continue;
            }
            SCopy copy;
            copy.path = folder + name;
            copy.recovery = recovery;
            copy.stamp = m_files.Stamp(copy.path);
            if (std::find(m_mergedCopies.begin(), m_mergedCopies.end(), copy.path) !=
                    m_mergedCopies.end() ||
                m_unloadableCopies.count({copy.path, copy.stamp.writeTicks}) != 0) {
                continue;
            }
            std::string bytes;
            const EFileError error = m_files.Read(copy.path, bytes, kReadLimit);
            if (error == EFileError::Busy) {
                busy = true;
                continue;
            }
            // One that does not load stays where it is, for someone to look into.
            if (error != EFileError::None || !ParseDataFileNotes(bytes, copy.notes)) {
                m_unloadableCopies.insert({copy.path, copy.stamp.writeTicks});
                continue;
            }
            copy.hash = HashBytes(*Canonical(copy.notes));
            copies.push_back(std::move(copy));
        }
    };
    look(m_paths.folder, true);
    if (m_paths.local != m_paths.folder) {
        look(m_paths.local, false);
    }
    return copies;
}

size_t CSavePolicy::MergeCopies(std::vector<SCopy>& copies, SNotebook& notes,
                                const SNotebook* mainAtStart, QTime mainWriteTime, bool& changed) {
    // Oldest first, so that later copies are merged over earlier ones.
    std::sort(copies.begin(), copies.end(), [](const SCopy& a, const SCopy& b) {
        return a.stamp.writeTime != b.stamp.writeTime ? a.stamp.writeTime < b.stamp.writeTime
                                                      : a.path < b.path;
    });
    changed = false;
    size_t taken = 0;
    const uint64_t current = m_lineage.Base() ? HashBytes(*m_lineage.Base()) : 0;
    for (SCopy& copy : copies) {
        if (!copy.recovery && copy.hash == current) {
            // The file's own version, filed as the loser of a conflict: the file is about to
            // take the version that won, and until then the copy is what keeps this one.
            m_lineage.MarkContested(copy.hash);
            continue;
        }
        ++taken;
        SNotebook base;
        bool merge = true;
        if (copy.recovery) {
            // Written at the end of a session from notes made from the notes file: when that
            // file has not been written since, the recovery file's days win wherever they
            // differ; otherwise both texts stay where both differ.
            if (mainAtStart != nullptr && mainWriteTime <= copy.stamp.writeTime) {
                base = *mainAtStart;
            }
        } else if (m_lineage.Knows(copy.hash) ||
                   std::find(m_writtenHere.begin(), m_writtenHere.end(), copy.hash) !=
                       m_writtenHere.end()) {
            // A version written here, filed as the loser: the version that won, made beside it,
            // is in the file or on its way.
            m_lineage.MarkContested(copy.hash);
            if (!m_lineage.Knows(copy.hash)) {
                m_lineage.MarkStartContested();
            }
            // Once a change of this run took the winner in, it was merged beside the loser
            // already; a start read the winner alone, or a backup older than the copy.
            merge = m_lineage.AtStart() && (!m_lineage.CurrentIsOurs() || !m_startFromMain);
            if (merge) {
                base = m_lineage.BaseByKnownTexts(notes, m_lineage.Stamp().writeTime, &copy.notes);
            }
        } else {
            m_lineage.MarkContested(copy.hash);
            merge = m_lineage.BaseForCopy(copy.hash, copy.notes, copy.stamp.writeTime, base);
        }
        if (merge) {
            const SNotebook held = m_lineage.Current();
            SNotebook merged =
                MergeNotebooks(base, notes, copy.notes, m_clock.Now(), copy.stamp.writeTime, &held,
                               m_lineage.Stamp().writeTime);
            if (!(merged == notes)) {
                notes = std::move(merged);
                changed = true;
            }
        }
        m_lineage.TakeCopy(copy.notes, m_clock.Now());
        m_mergedCopies.push_back(copy.path);
        if (copy.recovery) {
            m_mergeNotice.recovered = true;
        } else {
            m_mergeNotice.conflictCopies.push_back(NameOf(copy.path));
        }
    }
    return taken;
}

void CSavePolicy::MoveMergedCopies() {
    std::vector<std::string> left;
    for (const std::string& path : m_mergedCopies) {
        std::string movedTo;
        if (m_files.Stamp(path).exists && m_kept.MoveMerged(path, movedTo) != EFileError::None) {
            left.push_back(path); // held: moved after a later save
        }
    }
    m_mergedCopies = std::move(left);
}

namespace {

// Enough for the versions a sync program may still be bringing to the other computer.
constexpr size_t kWrittenHereKept = 32;
constexpr size_t kTextsKept = 2048;
const char kWrittenHereName[] = "qlt_notes.written";

} // namespace

const char kSharedName[] = "qlt_notes.shared";

std::shared_ptr<const std::string> CSavePolicy::ReadShared() {
    std::string bytes;
    SNotebook notes;
    if (m_paths.local.empty() ||
        m_files.Read(m_paths.local + kSharedName, bytes, kReadLimit) != EFileError::None ||
        !ParseDataFileNotes(bytes, notes)) {
        return nullptr;
    }
    return Canonical(notes);
}

void CSavePolicy::TakeInForeign(std::shared_ptr<const std::string> canonical, SFileStamp stamp,
                                uint64_t fileHash) {
    KeepShared(*canonical);
    m_lineage.Record(false, std::move(canonical), stamp, fileHash);
}

void CSavePolicy::KeepShared(const std::string& canonical) {
    // Both computers had this version: what later changes on either side are made from.
    if (!m_paths.local.empty() && m_files.MakeFolder(m_paths.local)) {
        m_files.Replace(m_paths.local + kSharedName, canonical);
    }
}

void CSavePolicy::ReadWrittenHere() {
    m_writtenHere.clear();
    std::string bytes;
    if (m_paths.local.empty() ||
        m_files.Read(m_paths.local + kWrittenHereName, bytes, 1u << 20) != EFileError::None) {
        return;
    }
    m_priorTexts.clear();
    m_priorForeign.clear();
    // "v" and a hash per version written here; "t", a hash of a text of a day and the time it
    // stopped being the file's; "f", one that came from elsewhere and the time it was there.
    auto hex = [&](size_t at) {
        uint64_t value = 0;
        for (size_t i = 0; i < 16; ++i) {
            const char c = bytes[at + i];
            value = (value << 4) | static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
        }
        return value;
    };
    for (size_t at = 0; at + 17 <= bytes.size();) {
        if (bytes[at] == 'v') {
            m_writtenHere.push_back(hex(at + 1));
            at += 18;
        } else if (at + 34 <= bytes.size()) {
            (bytes[at] == 'f' ? m_priorForeign : m_priorTexts)[hex(at + 1)] =
                static_cast<QTime>(hex(at + 17));
            at += 34;
        } else {
            break;
        }
    }
}

void CSavePolicy::NoteWrittenHere(uint64_t canonicalHash) {
    if (m_paths.local.empty()) {
        return;
    }
    m_writtenHere.push_back(canonicalHash);
    if (m_writtenHere.size() > kWrittenHereKept) {
        m_writtenHere.erase(m_writtenHere.begin());
    }
    WriteJournal();
}

void CSavePolicy::WriteJournal() {
    if (m_paths.local.empty()) {
        return;
    }
    std::string bytes;
    auto hex = [&](uint64_t value) {
        static const char kDigits[] = "0123456789abcdef";
        for (int shift = 60; shift >= 0; shift -= 4) {
            bytes += kDigits[(value >> shift) & 15];
        }
    };
    for (uint64_t hash : m_writtenHere) {
        bytes += 'v';
        hex(hash);
        bytes += '\n';
    }
    // The latest texts, when there are more than are kept.
    auto texts = [&](char kind, const std::unordered_map<uint64_t, QTime>& times, bool held) {
        std::vector<std::pair<QTime, uint64_t>> latest;
        const QTime now = m_clock.Now();
        for (const auto& text : times) {
            latest.emplace_back(held ? std::min(text.second, now) : text.second, text.first);
        }
        std::sort(latest.rbegin(), latest.rend());
        latest.resize(std::min(latest.size(), kTextsKept));
        for (const auto& text : latest) {
            bytes += kind;
            hex(text.second);
            hex(static_cast<uint64_t>(text.first));
            bytes += '\n';
        }
    };
    texts('t', m_lineage.ReplacedTimes(), true); // still held: until now
    texts('f', m_lineage.ForeignTimes(), false);
    // Only a help for later merges: a failure loses nothing.
    if (m_files.MakeFolder(m_paths.local)) {
        m_files.Replace(m_paths.local + kWrittenHereName, bytes);
    }
}

void CSavePolicy::MarkContestedVersions() {
    bool busy = false;
    for (const SCopy& copy : FindCopies(false, busy)) {
        m_lineage.MarkContested(copy.hash);
    }
}

SDiskLook CSavePolicy::LookAtFolder(const SNotebook& notes) {
    SDiskLook look;
    if (!m_bLoaded) {
        return look;
    }
    // Conflict copies first: one of a version of ours tells that the notes file will hold
    // another one, made beside ours.
    bool copiesBusy = false;
    std::vector<SCopy> copies = FindCopies(false, copiesBusy);
    for (const SCopy& copy : copies) {
        m_lineage.MarkContested(copy.hash);
    }
    const SFileStamp stamp = m_files.Stamp(m_paths.notes);
    SNotebook current = notes;
    if (stamp != m_lineage.Stamp() && stamp.exists) {
        if (NotesUnsaved(notes)) {
            look.change = EDiskChange::Merge; // the save merges
        } else {
            std::string bytes;
            SNotebook theirs;
            const EFileError error = m_files.Read(m_paths.notes, bytes, kReadLimit);
            const bool loads = error == EFileError::None && ParseDataFileNotes(bytes, theirs);
            if (error == EFileError::Busy ||
                (!loads && error == EFileError::None && ++m_nUnloadableLooks < kUnloadableLooks)) {
                look.change = EDiskChange::TryLater;
            } else if (!loads) {
                // Torn for good: kept aside and written anew from the notes here.
                m_nUnloadableLooks = 0;
                m_lineage.TakeStamp(stamp);
                m_unreadable.insert(m_paths.notes);
                look.change = EDiskChange::Merge;
            } else if (HashBytes(bytes) == m_lineage.FileHash()) {
                m_nUnloadableLooks = 0;
                m_lineage.TakeStamp(stamp);
            } else {
                m_nUnloadableLooks = 0;
                const SNotebook base = m_lineage.BaseForChange(stamp.writeTime, theirs);
                auto canonical = Canonical(theirs);
                const SNotebook held = m_lineage.Current();
                SNotebook merged =
                    MergeNotebooks(base, notes, theirs, m_clock.Now(), stamp.writeTime, &held,
                                   m_lineage.Stamp().writeTime);
                // What the file lacks of ours (a copy written over a newer file) is written back.
                look.change = merged == theirs ? EDiskChange::Reloaded : EDiskChange::Merge;
                TakeInForeign(canonical, stamp, HashBytes(bytes));
                current = std::move(merged);
                look.adopt = true;
            }
        }
    }
    if (copiesBusy && look.change == EDiskChange::None) {
        look.change = EDiskChange::TryLater;
    }
    bool changed = false;
    if (MergeCopies(copies, current, nullptr, 0, changed) != 0) {
        look.adopt = look.adopt || changed;
        if (look.change != EDiskChange::TryLater) {
            look.change = EDiskChange::Merge;
        }
    }
    if (look.adopt) {
        look.notes = std::move(current);
    }
    return look;
}

std::string CSavePolicy::WriteRecovery(const SNotebook& notes) {
    const std::string bytes = SerializeNotes(notes.days, notes.everyDay);
    // The same notes kept once: the end of a session asks, then ends.
    if (!m_recovered.empty() && HashBytes(bytes) == m_recoveredHash &&
        m_files.Stamp(m_recovered).exists) {
        return m_recovered;
    }
    const QTime now = m_clock.Now();
    for (const std::string& folder : {m_paths.folder, m_paths.local}) {
        if (folder.empty() || !m_files.MakeFolder(folder)) {
            continue;
        }
        std::string path = folder + RecoveryName(now);
        for (int n = 2; m_files.Stamp(path).exists; ++n) {
            path = folder + RecoveryName(now, n);
        }
        if (m_files.WriteNew(path, bytes) == EFileError::None) {
            m_recovered = path;
            m_recoveredHash = HashBytes(bytes);
            return path;
        }
    }
    return std::string();
}
