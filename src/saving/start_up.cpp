// The start: what is read and from where, what the notes are named against, and what the start
// leaves for when the window shows.
#include "saving/save_policy.h"

#include "base/hash.h"
#include "base/path.h"
#include "base/stored_text.h"
#include "storage/archive.h"
#include "storage/busy_wait.h"
#include "storage/history.h"
#include "storage/notes_file.h"
#include "storage/temp_files.h"

#include <utility>

namespace {

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

struct CSavePolicy::SStartStepsLeft {
    SStartNotice notice;
    std::string settingsBackup;
    std::shared_ptr<const std::string> notesBackup;
    // The notes file held a version written elsewhere: what both computers had.
    std::shared_ptr<const std::string> shared;
    bool sharedKept = false;
    // The notes hold this computer's last write beside the file's: until they are written, the
    // file's version is not kept as the one that write was made from.
    bool lastWriteMerged = false;
    // This computer's last write as the start found it: a recovery file may be made from it.
    std::shared_ptr<const std::string> lastWrite;
    int step = 0;
};

struct CSavePolicy::SStartVersionToName {
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

std::vector<std::string> CSavePolicy::SettleStartFiles() {
    // The four files share a folder: listed once, as each listing is a round trip under Wine.
    std::string listed;
    std::vector<std::string> entries;
    for (const std::string* path :
         {&m_paths.settings, &m_paths.notes, &m_paths.settingsBackup, &m_paths.notesBackup}) {
        const bool isSettings = path == &m_paths.settings || path == &m_paths.settingsBackup;
        const std::string folder = FolderOf(*path);
        if (folder != listed) {
            entries = m_files.List(folder);
            listed = folder;
        }
        SettleTempFilesOf(
            m_files, *path, entries,
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
    return listed == m_paths.folder ? entries : m_files.List(m_paths.folder);
}

SStartReport CSavePolicy::Load(SSettings& settings, SNotebook& notes, const SWindowPlace& place) {
    SStartReport report;
    m_loaded = false;
    m_start.reset();
    m_versionToName.reset();
    m_unreadable.clear();
    m_copies.Reset();
    const std::vector<std::string> listed = SettleStartFiles();

    // Everything is read before anything is applied or written: a file that stays busy ends the
    // load with nothing changed.
    auto start = std::make_unique<SStartStepsLeft>();
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
        copies = m_copies.Find(true, copiesBusy, &listed);
    }
    if (!report.busyPath.empty()) {
        m_unreadable.clear();
        return report;
    }

    settings = std::move(readSettings);
    ApplySettings(settings, place, *start, report);
    m_record.Read();
    ApplyNotes(notes, std::move(readNotes), std::move(notesBytes), notesStamp, *start);
    m_start = std::move(start);
    // This computer's last write, recovery files and conflict copies are newer than anything
    // the start read: they come in as changes made elsewhere, and are written with the next save.
    if (MergeLastWrite(notes, notesStamp)) {
        report.notesFromElsewhere = true;
        m_start->lastWriteMerged = true;
    }
    if (!copies.empty()) {
        NameStart();
        bool changed = false;
        report.notesFromElsewhere =
            MergeCopies(copies, notes, changed) != 0 || report.notesFromElsewhere;
    }
    m_changeSeenAt = 0;
    m_unloadableLooks = 0;
    m_unloadableSince = 0;
    m_waiting = false;
    if (m_start->notice.notes.mainUnreadable) {
        SeenUnloadable();
    }
    m_retry.Succeeded();
    m_loaded = true;
    return report;
}

void CSavePolicy::ApplySettings(SSettings& settings, const SWindowPlace& place,
                                SStartStepsLeft& start, SStartReport& report) {
    const SLoadedFrom& from = start.notice.settings;
    if (from.source == ESource::Defaults) {
        m_files.MakeFolder(m_paths.folder);
        SetDefaultSettings(settings, place.window, place.desktop);
        report.firstRun = true;
    }
    if (from.source == ESource::Main) {
        // A backup is the main file as the program would write it.
        RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                              place.titleHeight);
        start.settingsBackup = SerializeSettings(settings);
        m_settingsHash = HashBytes(start.settingsBackup);
    } else {
        m_settingsHash = 0;
        if (from.mainUnreadable) {
            m_unreadable.insert(m_paths.settings);
        }
    }
}

void CSavePolicy::ApplyNotes(SNotebook& notes, SNotebook readNotes, std::string notesBytes,
                             SFileStamp notesStamp, SStartStepsLeft& start) {
    const SLoadedFrom& from = start.notice.notes;
    const bool fromMain = from.source == ESource::Main;
    if (from.source == ESource::Defaults) {
        notes = DefaultNotes(m_clock.Now());
        m_files.MakeFolder(m_paths.folder);
    } else {
        notes = std::move(readNotes);
    }
    auto unnamed = std::make_unique<SStartVersionToName>();
    unnamed->stamp = notesStamp;
    unnamed->fromMain = fromMain;
    if (fromMain && IsDaysSorted(notes.days, true) && IsCanonical(notesBytes, notes)) {
        unnamed->base = std::make_shared<const std::string>(std::move(notesBytes));
        unnamed->fileIsBase = true;
    } else {
        // The backup holds the notes as read, in the file's order, before the order repair.
        if (fromMain && !IsDaysSorted(notes.days, true)) {
            start.notesBackup =
                std::make_shared<const std::string>(SerializeNotes(notes.days, notes.everyDay));
        }
        unnamed->base = CanonicalNotes(notes);
        unnamed->fileHash = fromMain ? HashBytes(notesBytes) : 0;
    }
    if (fromMain && !start.notesBackup) {
        start.notesBackup = unnamed->base;
    }
    m_versionToName = std::move(unnamed);
    const SFileStamp readStamp = fromMain ? notesStamp : m_files.Stamp(m_paths.notesBackup);
    m_startFromMain = fromMain;
    m_startNotesTime = readStamp.exists ? readStamp.writeTime : 0;
    if (from.mainUnreadable) {
        m_unreadable.insert(m_paths.notes);
    }
    // A backup may be older than the version last taken in from elsewhere: what is written from
    // now on is no descendant of it, and a deletion there must not look like one made here.
    if (from.source == ESource::Backup) {
        const auto shared = m_record.ReadShared();
        if (!shared || *shared != *m_versionToName->base) {
            m_record.ForgetShared();
        }
    }
}

bool CSavePolicy::MergeLastWrite(SNotebook& notes, const SFileStamp& notesStamp) {
    const SLoadedFrom& from = m_start->notice.notes;
    if (from.source == ESource::Defaults ||
        (from.source == ESource::Main && m_record.FileIsLastWrite(notesStamp))) {
        return false;
    }
    QTime writeTime = 0;
    const std::shared_ptr<const std::string> last = m_record.ReadLastWrite(writeTime);
    m_start->lastWrite = last;
    if (!last || *last == *m_versionToName->base) {
        return false;
    }
    SNotebook lastNotes;
    if (!ParseDataFileNotes(*last, lastNotes)) {
        return false;
    }
    NameStart();
    SNotebook merged = notes;
    MergeCameIn(ECameIn::LastWrite, lastNotes, writeTime, HashBytes(*last), merged);
    if (merged == notes) {
        m_record.ForgetLastWrite(); // the file was made from it
        return false;
    }
    notes = std::move(merged);
    return true;
}

void CSavePolicy::StartLineage() {
    NameStart();
    KeepStartShared(false);
}

void CSavePolicy::KeepStartShared(bool beforeWrite) {
    // Before any write of ours: what a later start merges that write back against.
    if (m_start && m_start->shared && !m_start->sharedKept &&
        (beforeWrite || !m_start->lastWriteMerged)) {
        m_record.KeepShared(*m_start->shared);
        m_start->sharedKept = true;
    }
}

void CSavePolicy::NameStart() {
    if (!m_versionToName) {
        return;
    }
    const std::unique_ptr<SStartVersionToName> start = std::move(m_versionToName);
    const uint64_t baseHash = HashBytes(*start->base);
    const bool writtenHere = m_record.WroteHere(baseHash);
    if (start->fromMain && !writtenHere && m_start) {
        m_start->shared = start->base;
    }
    // What this computer took in last was what both had before the start's version only when
    // that version is the last write of ours, written after it.
    const bool sharedBefore =
        m_record.LastWriteHash() == 0 ||
        (m_record.LastWriteHash() == baseHash && !m_record.SharedAfterLastWrite());
    m_lineage.Start(start->base, baseHash, start->stamp,
                    start->fileIsBase ? baseHash : start->fileHash, writtenHere,
                    m_record.TakeTexts(), m_record.TakeForeign(),
                    [this, sharedBefore]() -> std::shared_ptr<const std::string> {
                        return sharedBefore ? m_record.ReadShared() : nullptr;
                    });
    if (writtenHere && m_record.LastWriteHash() == baseHash) {
        m_lineage.ContinueOwnSteps(m_record.ReadOwnSteps());
    }
}

std::shared_ptr<const std::string> CSavePolicy::StartLastWrite() const {
    return m_start ? m_start->lastWrite : nullptr;
}

const std::shared_ptr<const std::string>& CSavePolicy::Base() const {
    return m_versionToName ? m_versionToName->base : m_lineage.Base();
}

const SFileStamp& CSavePolicy::KnownStamp() const {
    return m_versionToName ? m_versionToName->stamp : m_lineage.Stamp();
}

bool CSavePolicy::FinishStartStep() {
    StartLineage();
    if (!m_start) {
        return false;
    }
    SStartStepsLeft& start = *m_start;
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
        // What the start read from elsewhere, for later sessions; not when the notes hold this
        // computer's last write beside it: its texts were never the notes here alone.
        if (start.shared && !start.lastWriteMerged) {
            m_record.Write(m_lineage);
        }
        start.settingsBackup.clear();
        start.notesBackup.reset();
        if (start.sharedKept || !start.lastWriteMerged) {
            start.shared.reset(); // else kept until the first write of ours
        }
        return false;
    default:
        return false;
    }
}

void CSavePolicy::BackupsWritten() {
    if (m_start) {
        // The backups are newer than what the start left to write.
        m_start->settingsBackup.clear();
        if (m_start->step < 3) {
            m_start->notesBackup.reset();
        }
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

void CSavePolicy::TakeSettingsAsSaved(SSettings settings, const SWindowPlace& place) {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                          place.titleHeight);
    m_settingsHash = HashBytes(SerializeSettings(settings));
}
