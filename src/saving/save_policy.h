// The saving policy: where the data files are, when they are read, written, merged and retried.
#pragma once

#include "base/day_note.h"
#include "storage/file_system.h"
#include "storage/kept_aside.h"
#include "storage/retry_schedule.h"
#include "storage/settings.h"
#include "storage/storage.h"
#include "sync/computer_record.h"
#include "sync/copies_beside.h"
#include "sync/notes_lineage.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

// How long a file that another program holds is waited for: at start-up, then by the saves that
// can wait (Exit) and by those that cannot hold up the window for long.
constexpr unsigned kStartBusyWaitMs = 10000;
constexpr unsigned kExitBusyWaitMs = 5000;
constexpr unsigned kSessionEndBusyWaitMs = 2000;
constexpr unsigned kQuickBusyWaitMs = 1000;
// Typed text is saved this long after the typing stops.
constexpr unsigned kAutoSaveDelayMs = 3000;
// A notes file that does not load may be one a sync program is writing in place and will finish
// (after a restart, from its journal): saves that come again by themselves leave it this long
// after it was first seen so, and try again this often. A save the user asks for writes at once.
constexpr QTime kHalfWrittenGraceSeconds = 30;
constexpr unsigned kHalfWrittenRetryMs = 5000;
// A notes file that changed but does not load is looked at this often before it counts as
// unreadable (a sync client may be half way through writing it).
constexpr int kUnloadableLooks = 10;

enum class EDataFile { None, Settings, Notes, SettingsBackup, NotesBackup };

// Where one kind of file came from at start-up.
enum class ESource { Main, Backup, Defaults };
struct SLoadedFrom {
    ESource source = ESource::Main;
    bool mainUnreadable = false; // there but did not load; otherwise it was missing
};

// What the user should hear of a start that could not read all its files.
struct SStartNotice {
    SLoadedFrom settings;
    SLoadedFrom notes;
    SDataPaths paths;
    // Names of the copies that keep the bytes of files that did not load.
    std::vector<std::string> keptAs;

    bool Empty() const;
};

// What a start-up read found.
struct SStartReport {
    // A file another program held past the wait. Nothing was loaded and nothing written: ask the
    // user, then Load again or end.
    std::string busyPath;
    // No settings file nor backup could be read: defaults, the first run's greeting.
    bool firstRun = false;
    // Recovery files or conflict copies were merged into the notes: they wait to be saved.
    bool notesFromElsewhere = false;
};

struct SSaveReport {
    bool saved = true;
    // Not written yet, nothing failed: the notes file looks half written by another program.
    bool waiting = false;
    EFileError error = EFileError::None;
    EDataFile failedFile = EDataFile::None;
    std::string failedPath;
    // The notes took in what was saved elsewhere and written: merged holds them, to be shown.
    bool notesChanged = false;
    SNotebook merged;
    // The first failure of a streak that the user is told of.
    bool tellUser = false;
};

// What a look at the data folder meant for the notes in memory.
enum class EDiskChange {
    None,     // nothing to do
    Reloaded, // the notes are those of the file now: show them
    Merge,    // notes from elsewhere wait to be merged or written: save now
    TryLater, // a file is held, or half written: look again in a moment
};
struct SDiskLook {
    EDiskChange change = EDiskChange::None;
    // Notes to show before anything else: the file's (Reloaded), or the notes in memory with
    // conflict copies merged in (Merge).
    bool adopt = false;
    SNotebook notes;
};

// The saving policy of the data folder: what is loaded at start-up and from where, what was last
// read from or written to each main file, when and how the files are written, what happens to
// files that are unreadable, held by another program or changed behind the program's back, and
// where notes go when their file cannot take them and how they come back.
class CSavePolicy {
public:
    CSavePolicy(SDataPaths paths, IFileSystem& files, IClock& clock);
    ~CSavePolicy();
    CSavePolicy(const CSavePolicy&) = delete;
    CSavePolicy& operator=(const CSavePolicy&) = delete;

    // Reads settings and notes, each from its main file, else its backup, else defaults; the
    // notes come out in date order, with recovery files and sync conflict copies merged in. A file
    // that another program holds is waited for.
    SStartReport Load(SSettings& settings, SNotebook& notes, const SWindowPlace& place);
    bool IsLoaded() const { return m_loaded; }
    const SDataPaths& Paths() const { return m_paths; }
    // What the start left for when the window shows and is idle: unreadable files kept aside,
    // the backups of the main files that loaded, the day's history copy. One step a call; true
    // while steps remain.
    bool FinishStartStep();
    // Once the steps are done, what the user should know about files that could not be read.
    SStartNotice TakeStartNotice();
    // Notes from elsewhere merged in since the last call.
    SMergeNotice TakeMergeNotice();
    // The settings as the window applied them at start-up count as saved.
    void TakeSettingsAsSaved(SSettings settings, const SWindowPlace& place);

    bool NotesUnsaved(const SNotebook& notes) const;
    // Settings or notes unsaved, or a notes file that changed since it was last read or
    // written: a save merges it, so that no session ends with a file that lacks what this
    // computer wrote last.
    bool HasUnsavedChanges(SSettings settings, const SNotebook& notes,
                           const SWindowPlace& place) const;

    // Both main files, each tried whatever the other did. automatic: a save that comes again
    // by itself (autosave, a change in the folder), which waits out a half-written notes file.
    SSaveReport SaveMain(SSettings& settings, const SNotebook& notes, const SWindowPlace& place,
                         unsigned busyWaitMs, bool automatic = false);
    // Both main files, then both backups; stops at the first failure.
    SSaveReport SaveAll(SSettings& settings, const SNotebook& notes, const SWindowPlace& place,
                        unsigned busyWaitMs);
    // After a failed save, when to try again: 5 s, 30 s, 2 min, then every 5 min; 0 when the
    // last save worked.
    unsigned RetryDelayMs() const { return m_waiting ? kHalfWrittenRetryMs : m_retry.DelayMs(); }
    // The last save left a half-written notes file to its writer: one is owed even when the
    // notes are as saved.
    bool WriteWaiting() const { return m_waiting; }

    // A change in the data folder: a notes file that another program changed, copies that sync
    // programs left.
    SDiskLook LookAtFolder(const SNotebook& notes);

    // Writes the notes to a new recovery file beside the data files, or in the local folder
    // when the data folder takes nothing. Returns its path; empty when neither could be written.
    std::string WriteRecovery(const SNotebook& notes);

private:
    // What is left of the start once the window shows: backups, the version both computers had.
    struct SStartStepsLeft;
    // The version the start read, until it is named against this computer's record.
    struct SStartVersionToName;
    // A version of the notes file that another program wrote, as read.
    struct SFileVersion {
        SNotebook notes;
        std::shared_ptr<const std::string> canonical;
        SFileStamp stamp;
        uint64_t fileHash = 0;
    };
    // What notes from elsewhere are: the notes file's new version, a sync program's conflict
    // copy, a recovery file of a session that could not save, or this computer's own last write
    // that the notes file lost.
    enum class ECameIn { NotesFile, ConflictCopy, Recovery, LastWrite };

    // The start (start_up.cpp).
    // Names the start's version against this computer's record, which takes hashing it: at 100
    // years longer than a frame, so the window shows first and this runs when first needed.
    void StartLineage();
    void NameStart();
    // The start read a version written elsewhere: it is what both computers last had.
    void KeepStartShared(bool beforeWrite);
    const std::shared_ptr<const std::string>& Base() const;
    // The notes file's stamp as last read or written.
    const SFileStamp& KnownStamp() const;
    void ReadWithBackup(const std::string& main, const std::string& backup,
                        const std::function<bool(const std::string&)>& parse, SLoadedFrom& from,
                        std::string& loadedBytes, std::string& busyPath);
    EFileError ReadPatiently(const std::string& path, std::string& bytes, unsigned waitMs);
    // Returns the names in the data folder, as listed for it.
    std::vector<std::string> SettleStartFiles();
    void ApplySettings(SSettings& settings, const SWindowPlace& place, SStartStepsLeft& start,
                       SStartReport& report);
    // The notes the start read, named against what this computer knows.
    void ApplyNotes(SNotebook& notes, SNotebook readNotes, std::string notesBytes,
                    SFileStamp notesStamp, SStartStepsLeft& start);
    // This computer's last write, when the notes the start read were not made from it.
    bool MergeLastWrite(SNotebook& notes, const SFileStamp& notesStamp);
    // The last write the start found, though the record has let it go since; else null.
    std::shared_ptr<const std::string> StartLastWrite() const;
    void WriteBackup(const std::string& path, const std::string& bytes);
    // Save All wrote both backups: the start's are older.
    void BackupsWritten();

    // Notes from elsewhere (came_in.cpp).
    // The one place where notes from elsewhere are merged into mine, against what they were
    // made from; false when there is nothing to merge.
    bool MergeCameIn(ECameIn kind, const SNotebook& theirs, QTime theirTime, uint64_t hash,
                     SNotebook& mine);
    bool BaseOf(ECameIn kind, const SNotebook& theirs, QTime theirTime, uint64_t hash,
                const SNotebook& mine, SNotebook& base);
    // The copies, oldest first, merged into notes; the number taken in.
    size_t MergeCopies(const std::vector<CCopiesBeside::SCopy>& copies, SNotebook& notes,
                       bool& changed);
    // A version written elsewhere is taken in, and kept as what both computers last had;
    // complete: the notes here hold nothing it lacks.
    void TakeIn(const SFileVersion& version, bool complete);
    // The notes file's stamp differs from the one known: when that was first seen counts.
    void SeenChange();
    // A look found the notes file changed.
    EDiskChange LookAtChangedFile(const SNotebook& notes, const SFileStamp& stamp, SDiskLook& look);

    // Saving (save_policy.cpp).
    // Reads a notes file that changed, waiting while it is held or does not load yet (being
    // written); Other when it still does not load.
    EFileError ReadChangedNotes(std::string& bytes, SNotebook& notes, unsigned waitMs);
    // The notes file, when it changed since last read or written and loads: in version.
    EFileError ReadIfChanged(unsigned busyWaitMs, std::optional<SFileVersion>& version);
    // The notes file's bytes, read with their notes into version: true when they are a version
    // not known here (version named); false when they are the known one, only touched.
    bool NameVersion(const std::string& bytes, const SFileStamp& stamp, SFileVersion& version);
    // Keeps an unreadable file's bytes aside before it is written over.
    EFileError KeepAside(const std::string& path, std::string& keptAs);
    EFileError WriteDataFile(const std::string& path, const std::string& bytes, unsigned busyWaitMs,
                             const std::string& replacedAs = std::string(),
                             SFileStamp* written = nullptr);
    EFileError SaveSettingsFile(SSettings& settings, const SWindowPlace& place, unsigned busyWaitMs,
                                std::string& bytes);
    EFileError SaveNotesFile(const SNotebook& notes, unsigned busyWaitMs, SSaveReport& report,
                             std::string& bytes, bool automatic = false);
    // Writes the notes (merged, when something came in that mine lack), and again while writes
    // of other programs slip in before the replace.
    EFileError WriteNotes(const SNotebook& mine, std::optional<SNotebook> merged,
                          std::optional<SFileVersion> theirs, unsigned busyWaitMs,
                          SSaveReport& report, std::string& bytes);
    // What a replace put aside, when it is not the version believed there.
    std::optional<SFileVersion> ReadSlipped(const std::string& replaced,
                                            const SFileStamp& believedStamp, uint64_t believedHash);
    // Puts back what a failed replace left beside the notes file, or drops it when known.
    void SettleReplaced(const std::string& replaced, uint64_t believedHash);
    void RecordWrite(const std::string& bytes, const SFileStamp& written);
    SSaveReport Finish(SSaveReport report);
    // The notes file does not load: from now on it counts as possibly half written.
    void SeenUnloadable();
    // Whether an automatic save leaves the notes file to the program writing it.
    bool LeaveHalfWritten() const;

    SDataPaths m_paths;
    IFileSystem& m_files;
    IClock& m_clock;
    CKeptAside m_kept;
    bool m_loaded = false;

    // Files that are there but do not load: their bytes are kept before a write over them.
    std::set<std::string> m_unreadable;
    // What the settings file was last read or written with, as a hash of its bytes.
    uint64_t m_settingsHash = 0;
    CNotesLineage m_lineage;
    CComputerRecord m_record;
    CCopiesBeside m_copies;
    // The start read the main notes file (else a backup in its place), written then.
    bool m_startFromMain = false;
    QTime m_startNotesTime = 0;
    // When a change of the notes file was first seen, by this computer's clock; 0 for none.
    QTime m_changeSeenAt = 0;
    int m_unloadableLooks = 0;
    QTime m_unloadableSince = 0; // 0: the notes file loaded, or was written, when last seen
    bool m_waiting = false;
    CRetrySchedule m_retry;

    std::unique_ptr<SStartStepsLeft> m_start;
    std::unique_ptr<SStartVersionToName> m_versionToName;
};
