#pragma once

#include "base/day_note.h"
#include "storage/file_system.h"
#include "storage/notes_merge.h"
#include "storage/settings.h"
#include "storage/storage.h"

#include <functional>
#include <memory>
#include <set>
#include <string>

// How long a file that another program holds is waited for: at start-up, then by the saves that
// can wait (Exit) and by those that cannot hold up the window for long.
constexpr unsigned kStartBusyWaitMs = 10000;
constexpr unsigned kExitBusyWaitMs = 5000;
constexpr unsigned kSessionEndBusyWaitMs = 2000;
constexpr unsigned kQuickBusyWaitMs = 1000;
// Typed text is saved this long after the typing stops.
constexpr unsigned kAutoSaveDelayMs = 3000;

// Kept-aside copies of an unreadable file: the newest few, within a size.
constexpr size_t kKeptCopies = 5;
constexpr uint64_t kKeptCopiesBytes = 100u << 20;

// What a start-up read found.
struct SStartReport {
    // A file another program held past the wait. Nothing was loaded and nothing written: ask the
    // user, then Load again or end.
    std::string busyPath;
    // No settings file nor backup could be read: defaults, the first run's greeting.
    bool firstRun = false;
};

struct SSaveReport {
    bool saved = true;
    EFileError error = EFileError::None;
    std::string failedPath;
    // The notes took in what was saved elsewhere: merged holds them, to be shown.
    bool notesChanged = false;
    SNotebook merged;
    // The first failure since the last save that worked: the user is told once.
    bool tellUser = false;
};

// What a change in the data folder meant for the notes in memory.
enum class EDiskChange {
    None,     // nothing to do
    Reloaded, // the notes are those of the file now: show them
    Merge,    // the file changed while notes wait to be saved, or it lost notes of the
              // program's: save now, which merges
    TryLater, // the file is held, or half written: look again in a moment
};

// The saving policy of the data folder: what is loaded at start-up and from where, what was last
// read from or written to each main file, when and how the files are written, what happens to
// files that are unreadable, held by another program or changed behind the program's back, and
// where notes go when their file cannot take them.
class CSavePolicy {
public:
    CSavePolicy(SDataPaths paths, IFileSystem& files, IClock& clock);
    ~CSavePolicy();
    CSavePolicy(const CSavePolicy&) = delete;
    CSavePolicy& operator=(const CSavePolicy&) = delete;

    // Reads settings and notes, each from its main file, else its backup, else defaults; the
    // notes come out in date order. A file that another program holds is waited for.
    SStartReport Load(SSettings& settings, SNotebook& notes, const SWindowPlace& place);
    bool IsLoaded() const { return m_bLoaded; }
    const SDataPaths& Paths() const { return m_paths; }
    // What the start left for when the window shows and is idle: unreadable files kept aside,
    // the backups of the main files that loaded, the day's history copy. One step a call; true
    // while steps remain.
    bool FinishStartStep();
    // Once the steps are done: what the user should know about files that could not be read
    // (which copy the window shows, where the unreadable bytes are); empty when all loaded.
    std::string TakeStartNotice();
    // The settings as the window applied them at start-up count as saved.
    void TakeSettingsAsSaved(SSettings settings, const SWindowPlace& place);

    bool NotesUnsaved(const SNotebook& notes) const;
    bool HasUnsavedChanges(SSettings settings, const SNotebook& notes,
                           const SWindowPlace& place) const;

    // Both main files, each tried whatever the other did.
    SSaveReport SaveMain(SSettings& settings, const SNotebook& notes, const SWindowPlace& place,
                         unsigned busyWaitMs);
    // Both main files, then both backups; stops at the first failure.
    SSaveReport SaveAll(SSettings& settings, const SNotebook& notes, const SWindowPlace& place,
                        unsigned busyWaitMs);
    // After a failed save, when to try again: 5 s, 30 s, 2 min, then every 5 min; 0 when the
    // last save worked.
    unsigned RetryDelayMs() const;
    static std::string FailureMessage(const SSaveReport& report);

    // A change in the data folder: a notes file that another program changed is taken in.
    // Reloaded puts the file's notes into reloaded.
    EDiskChange CheckNotesOnDisk(const SNotebook& notes, SNotebook& reloaded);

    // Writes the notes to a new recovery file beside the data files, or in otherFolder when the
    // data folder takes nothing. Returns its path; empty when neither could be written.
    std::string WriteRecovery(const SNotebook& notes, const std::string& otherFolder);

private:
    struct SPendingStart;
    struct SLoadedFrom;

    void ReadWithBackup(const std::string& main, const std::string& backup,
                        const std::function<bool(const std::string&)>& parse, SLoadedFrom& from,
                        std::string& busyPath);
    bool Patiently(unsigned waitMs, EFileError& error, const std::function<EFileError()>& step);
    EFileError ReadPatiently(const std::string& path, std::string& bytes, unsigned waitMs);
    // Keeps an unreadable file's bytes aside before it is written over. Returns the copy's name
    // (or that of an earlier copy of the same bytes); empty when there was nothing to keep.
    EFileError KeepAside(const std::string& path, std::string& keptAs);
    EFileError WriteDataFile(const std::string& path, const std::string& bytes, unsigned busyWaitMs,
                             const std::string& replacedAs = std::string(),
                             SFileStamp* written = nullptr);
    // Merges theirs into mine (base: what the file was last read or written with, unless given);
    // a result that differs from mine goes into the report. True when it differs.
    bool MergeInto(SSaveReport& report, const SNotebook& mine, const SNotebook& theirs,
                   const std::string& line, const SNotebook* base = nullptr);
    // Keeps bytes that were at path and would not load beside it.
    EFileError KeepBytesAside(const std::string& path, const std::string& bytes,
                              std::string& keptAs);
    // A new "<path>.unreadable-YYYYMMDD-HHMMSS" with the bytes, or with the file's when bytes is
    // null; the newest few copies stay.
    EFileError KeepCopy(const std::string& path, const std::string* bytes, uint64_t size,
                        std::string& keptAs);
    EFileError SaveSettingsFile(SSettings& settings, const SWindowPlace& place, unsigned busyWaitMs,
                                std::string& bytes);
    EFileError SaveNotesFile(const SNotebook& notes, unsigned busyWaitMs, SSaveReport& report,
                             std::string& bytes);
    void SettleLeftoverTempFiles();
    void WriteBackup(const std::string& path, const std::string& bytes);
    std::string StartNotice(const SPendingStart& start) const;
    SSaveReport Finish(SSaveReport report);

    SDataPaths m_paths;
    IFileSystem& m_files;
    IClock& m_clock;
    bool m_bLoaded = false;

    // Files that are there but do not load: their bytes are kept before a write over them.
    std::set<std::string> m_unreadable;
    // What the settings file was last read or written with, as a hash of its bytes.
    uint64_t m_settingsHash = 0;
    // The notes the main file was last read or written with, canonically serialized, and the
    // file as it was then. A file no longer like that was changed by another program.
    std::shared_ptr<const std::string> m_notesBase;
    SFileStamp m_notesStamp;
    uint64_t m_notesFileHash = 0;
    CRecentDays m_recent;
    int m_nUnloadableLooks = 0;

    std::unique_ptr<SPendingStart> m_start;
    // The last recovery file and what it holds.
    std::string m_recovered;
    uint64_t m_recoveredHash = 0;
    int m_nFailures = 0;
};
