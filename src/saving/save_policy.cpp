#include "saving/save_policy.h"

#include "base/hash.h"
#include "base/path.h"
#include "base/stored_text.h"
#include "storage/archive.h"
#include "storage/busy_wait.h"
#include "sync/copy_names.h"
#include "storage/history.h"
#include "storage/notes_file.h"
#include "sync/notes_merge.h"
#include "storage/temp_files.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

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
    if (SerializedNotesSize(notes.days, notes.everyDay) != bytes.size()) {
        return false;
    }
    const size_t at = static_cast<size_t>(CDataArchive::CountedSize(StoredSize(notes.everyDay)));
    uint32_t count = 0;
    for (int i = 3; i >= 0; --i) {
        count = (count << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return count == notes.days.size();
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

struct CSavePolicy::SPendingStart {
    SStartNotice notice;
    std::string settingsBackup;
    std::shared_ptr<const std::string> notesBackup;
    // The notes file held a version written elsewhere: what both computers had.
    std::shared_ptr<const std::string> shared;
    int step = 0;
};

struct CSavePolicy::SUnnamedStart {
    std::shared_ptr<const std::string> base; // canonical bytes
    SFileStamp stamp;
    bool fromMain = false;
    bool fileIsBase = false;
    uint64_t fileHash = 0; // when the file's bytes are not the base's
};

CSavePolicy::CSavePolicy(SDataPaths paths, IFileSystem& files, IClock& clock)
    : m_paths(std::move(paths)), m_files(files), m_clock(clock), m_kept(files, clock),
      m_record(files, clock, m_paths.local),
      m_copies(m_paths, files, clock, m_lineage, m_record, m_kept) {}

CSavePolicy::~CSavePolicy() = default;

EFileError CSavePolicy::ReadPatiently(const std::string& path, std::string& bytes,
                                      unsigned waitMs) {
    return WaitOutBusy(m_clock, waitMs,
                       [&] { return m_files.Read(path, bytes, kDataFileReadLimit); });
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
    m_unnamed.reset();
    m_unreadable.clear();
    m_copies.Reset();
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
    std::vector<CCopiesBeside::SCopy> copies;
    if (report.busyPath.empty()) {
        copies = m_copies.Find(true, copiesBusy);
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
    auto unnamed = std::make_unique<SUnnamedStart>();
    unnamed->stamp = notesStamp;
    unnamed->fromMain = fromMain;
    if (fromMain && IsDaysSorted(notes.days, true) && IsCanonical(notesBytes, notes)) {
        unnamed->base = std::make_shared<const std::string>(std::move(notesBytes));
        unnamed->fileIsBase = true;
    } else {
        unnamed->base = CanonicalNotes(notes);
        unnamed->fileHash = fromMain ? HashBytes(notesBytes) : 0;
    }
    if (fromMain) {
        start->notesBackup = unnamed->base;
    }
    m_unnamed = std::move(unnamed);
    m_start = std::move(start);
    const SFileStamp readStamp = fromMain ? notesStamp : m_files.Stamp(m_paths.notesBackup);
    m_copies.StartedFrom(fromMain, readStamp.exists ? readStamp.writeTime : 0);
    for (const SLoadedFrom* from : {&settingsFrom, &notesFrom}) {
        if (from->mainUnreadable) {
            m_unreadable.insert(from == &settingsFrom ? m_paths.settings : m_paths.notes);
        }
    }
    // Recovery files and conflict copies are newer than anything the start read: they come in
    // as changes made elsewhere, and are written with the next save.
    if (!copies.empty()) {
        StartLineage();
        const SNotebook loaded = notes;
        bool changed = false;
        report.notesFromElsewhere =
            m_copies.Merge(copies, notes, fromMain ? &loaded : nullptr,
                           notesStamp.exists ? notesStamp.writeTime : 0, changed) != 0;
    }
    m_nUnloadableLooks = 0;
    m_unloadableSince = 0;
    m_bWaiting = false;
    if (notesFrom.mainUnreadable) {
        SeenUnloadable();
    }
    m_retry.Succeeded();
    m_bLoaded = true;
    return report;
}

void CSavePolicy::StartLineage() {
    if (!m_unnamed) {
        return;
    }
    const std::unique_ptr<SUnnamedStart> start = std::move(m_unnamed);
    const uint64_t baseHash = HashBytes(*start->base);
    m_record.Read();
    const bool writtenHere = m_record.WroteHere(baseHash);
    if (start->fromMain && !writtenHere && m_start) {
        m_start->shared = start->base;
    }
    m_lineage.Start(start->base, baseHash, start->stamp,
                    start->fileIsBase ? baseHash : start->fileHash, writtenHere,
                    m_record.TakeTexts(), m_record.TakeForeign(),
                    [this] { return m_record.ReadShared(); });
}

const std::shared_ptr<const std::string>& CSavePolicy::Base() const {
    return m_unnamed ? m_unnamed->base : m_lineage.Base();
}

bool CSavePolicy::FinishStartStep() {
    StartLineage();
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
            m_record.KeepShared(*start.shared);
            m_record.Write(m_lineage); // what the start read from elsewhere, for later sessions
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
    const EFileError error = m_files.Read(path, old, kDataFileReadLimit);
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
    return m_copies.TakeNotice();
}

void CSavePolicy::TakeSettingsAsSaved(SSettings settings, const SWindowPlace& place) {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                          place.titleHeight);
    m_settingsHash = HashBytes(SerializeSettings(settings));
}

bool CSavePolicy::NotesUnsaved(const SNotebook& notes) const {
    const std::shared_ptr<const std::string>& base = Base();
    return !base || !SerializesTo(notes.days, notes.everyDay, *base);
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
        const bool inMemory = m_files.Read(path, bytes, kDataFileReadLimit) == EFileError::None;
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
        const EFileError read = m_files.Read(m_paths.notes, bytes, kDataFileReadLimit);
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
    if (m_files.Read(replaced, bytes, kDataFileReadLimit) == EFileError::None &&
        HashBytes(bytes) == believedHash) {
        m_files.Remove(replaced);
    }
    // Anything else waits beside the file for the next start, which settles leftovers.
}

EFileError CSavePolicy::SaveNotesFile(const SNotebook& mine, unsigned busyWaitMs,
                                      SSaveReport& report, std::string& bytes, bool automatic) {
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
        if (error == EFileError::None) {
            m_unloadableSince = 0;
        }
        if (error != EFileError::None) {
            m_unreadable.insert(path);
            SeenUnloadable();
        } else if (HashBytes(theirBytes) != m_lineage.FileHash()) {
            m_copies.MarkContested();
            const SNotebook base = m_lineage.BaseForChange(stamp.writeTime, theirs, mine);
            theirHash = HashBytes(theirBytes);
            theirStamp = stamp;
            theirCanonical = CanonicalNotes(theirs);
            const SNotebook held = m_lineage.Current();
            merged = MergeNotebooks(base, mine, theirs, now, stamp.writeTime, &held,
                                    m_lineage.Stamp().writeTime);
            changed = !(merged == mine);
        } else {
            m_lineage.TakeStamp(stamp);
        }
    }
    // A write over it would make a version of these notes, older than what its writer brings,
    // look like the next one to the sync program.
    if (automatic && LeaveHalfWritten() && m_files.Stamp(path).exists) {
        report.waiting = true;
        return EFileError::None;
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
        const bool sawReplaced =
            replacedStamp.exists && replacedStamp != believedStamp &&
            m_files.Read(replaced, slipped, kDataFileReadLimit) == EFileError::None &&
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
            m_copies.MarkContested();
            slippedBase = m_lineage.BaseForChange(replacedStamp.writeTime, slippedNotes, notes);
        }
        if (slippedLoads) {
            TakeInForeign(CanonicalNotes(slippedNotes), replacedStamp, HashBytes(slipped));
        } else if (sawReplaced) {
            std::string keptAs;
            m_kept.KeepUnreadable(path, &slipped, slipped.size(), keptAs);
        }
        auto canonical = std::make_shared<const std::string>(bytes);
        const uint64_t hash = HashBytes(bytes);
        m_lineage.Record(true, canonical, hash, written, hash);
        m_record.NoteWritten(hash, m_lineage);
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
    m_unloadableSince = 0;
    m_copies.MoveMerged();
    return EFileError::None;
}

void CSavePolicy::SeenUnloadable() {
    if (m_unloadableSince == 0) {
        m_unloadableSince = m_clock.Now();
    }
}

bool CSavePolicy::LeaveHalfWritten() const {
    return m_unloadableSince != 0 && m_clock.Now() < m_unloadableSince + kHalfWrittenGraceSeconds;
}

SSaveReport CSavePolicy::Finish(SSaveReport report) {
    m_bWaiting = report.waiting;
    if (report.waiting) {
        return report;
    }
    if (report.saved) {
        m_retry.Succeeded();
        return report;
    }
    report.tellUser = m_retry.Failed(report.error);
    return report;
}

SSaveReport CSavePolicy::SaveMain(SSettings& settings, const SNotebook& notes,
                                  const SWindowPlace& place, unsigned busyWaitMs, bool automatic) {
    StartLineage();
    SSaveReport report;
    std::string bytes;
    const EFileError settingsError = SaveSettingsFile(settings, place, busyWaitMs, bytes);
    const EFileError notesError = SaveNotesFile(notes, busyWaitMs, report, bytes, automatic);
    report.saved = !report.waiting;
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
    StartLineage();
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

void CSavePolicy::TakeInForeign(std::shared_ptr<const std::string> canonical, SFileStamp stamp,
                                uint64_t fileHash) {
    // Both computers had this version: what later changes on either side are made from.
    m_record.KeepShared(*canonical);
    const uint64_t hash = HashBytes(*canonical);
    m_lineage.Record(false, std::move(canonical), hash, stamp, fileHash);
}

SDiskLook CSavePolicy::LookAtFolder(const SNotebook& notes) {
    SDiskLook look;
    if (!m_bLoaded) {
        return look;
    }
    StartLineage();
    // Conflict copies first: one of a version of ours tells that the notes file will hold
    // another one, made beside ours.
    bool copiesBusy = false;
    std::vector<CCopiesBeside::SCopy> copies = m_copies.Find(false, copiesBusy);
    for (const CCopiesBeside::SCopy& copy : copies) {
        m_lineage.MarkContested(copy.hash);
    }
    const SFileStamp stamp = m_files.Stamp(m_paths.notes);
    // The notes are copied only for a merge: this look runs at every activation, and at 100 years
    // a copy and its freeing take longer than a frame.
    if (stamp != m_lineage.Stamp() && stamp.exists) {
        if (NotesUnsaved(notes)) {
            look.change = EDiskChange::Merge; // the save merges
        } else {
            std::string bytes;
            SNotebook theirs;
            const EFileError error = m_files.Read(m_paths.notes, bytes, kDataFileReadLimit);
            const bool loads = error == EFileError::None && ParseDataFileNotes(bytes, theirs);
            if (loads) {
                m_unloadableSince = 0;
            } else if (error == EFileError::None) {
                SeenUnloadable();
            }
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
                const SNotebook base = m_lineage.BaseForChange(stamp.writeTime, theirs, notes);
                auto canonical = CanonicalNotes(theirs);
                const SNotebook held = m_lineage.Current();
                look.notes = MergeNotebooks(base, notes, theirs, m_clock.Now(), stamp.writeTime,
                                            &held, m_lineage.Stamp().writeTime);
                // What the file lacks of ours (a copy written over a newer file) is written back.
                look.change = look.notes == theirs ? EDiskChange::Reloaded : EDiskChange::Merge;
                TakeInForeign(canonical, stamp, HashBytes(bytes));
                look.adopt = true;
            }
        }
    }
    if (copiesBusy && look.change == EDiskChange::None) {
        look.change = EDiskChange::TryLater;
    }
    if (copies.empty()) {
        return look;
    }
    if (!look.adopt) {
        look.notes = notes;
    }
    bool changed = false;
    if (m_copies.Merge(copies, look.notes, nullptr, 0, changed) != 0) {
        look.adopt = look.adopt || changed;
        if (look.change != EDiskChange::TryLater) {
            look.change = EDiskChange::Merge;
        }
    }
    if (!look.adopt) {
        look.notes = SNotebook();
    }
    return look;
}

std::string CSavePolicy::WriteRecovery(const SNotebook& notes) {
    return m_copies.WriteRecovery(notes);
}
