// The saves: when and how the files are written, what happens to files that another program
// holds, changed or left half written, and where notes go that their file cannot take.
#include "saving/save_policy.h"

#include "base/hash.h"
#include "storage/busy_wait.h"
#include "storage/notes_file.h"

#include <utility>

bool CSavePolicy::NotesUnsaved(const SNotebook& notes) const {
    const std::shared_ptr<const std::string>& base = Base();
    return !base || !SerializesTo(notes.days, notes.everyDay, *base);
}

bool CSavePolicy::HasUnsavedChanges(SSettings settings, const SNotebook& notes,
                                    const SWindowPlace& place) const {
    RefreshStoredPosition(settings, place.window, place.desktop, place.workAreas,
                          place.titleHeight);
    return HashBytes(SerializeSettings(settings)) != m_settingsHash || NotesUnsaved(notes) ||
           (m_loaded && m_files.Stamp(m_paths.notes) != KnownStamp());
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

EFileError CSavePolicy::ReadIfChanged(unsigned busyWaitMs, std::optional<SFileVersion>& version) {
    const SFileStamp stamp = m_files.Stamp(m_paths.notes);
    if (stamp == m_lineage.Stamp() || !stamp.exists) {
        return EFileError::None;
    }
    SeenChange();
    std::string bytes;
    SFileVersion read;
    const EFileError error = ReadChangedNotes(bytes, read.notes, busyWaitMs);
    if (error == EFileError::Busy) {
        return error;
    }
    if (error != EFileError::None) {
        m_unreadable.insert(m_paths.notes);
        SeenUnloadable();
        return EFileError::None;
    }
    m_unloadableSince = 0;
    if (NameVersion(bytes, stamp, read)) {
        version = std::move(read);
    }
    return EFileError::None;
}

bool CSavePolicy::NameVersion(const std::string& bytes, const SFileStamp& stamp,
                              SFileVersion& version) {
    version.fileHash = HashBytes(bytes);
    if (version.fileHash == m_lineage.FileHash()) {
        // The same bytes, touched: nothing came in.
        m_lineage.TakeStamp(stamp);
        m_changeSeenAt = 0;
        return false;
    }
    version.stamp = stamp;
    version.canonical = CanonicalNotes(version.notes);
    return true;
}

EFileError CSavePolicy::SaveNotesFile(const SNotebook& mine, unsigned busyWaitMs,
                                      SSaveReport& report, std::string& bytes, bool automatic) {
    // What the file is believed to hold: what was last read or written, unless it changed since.
    // A version read here counts as taken in only once a write (or nothing to write) settles it:
    // a save that fails keeps the notes and what is known of the file as they were.
    std::optional<SFileVersion> theirs;
    if (ReadIfChanged(busyWaitMs, theirs) == EFileError::Busy) {
        return EFileError::Busy;
    }
    // The notes are copied only to merge: at 100 years a copy leaves megabytes of small blocks
    // that the heap keeps once they are freed.
    std::optional<SNotebook> merged;
    if (theirs) {
        merged = mine;
        MergeCameIn(ECameIn::NotesFile, theirs->notes, theirs->stamp.writeTime, 0, *merged);
        if (*merged == mine) {
            merged.reset();
        }
    }
    // A write over it would make a version of these notes, older than what its writer brings,
    // look like the next one to the sync program.
    if (automatic && LeaveHalfWritten() && m_files.Stamp(m_paths.notes).exists) {
        report.waiting = true;
        return EFileError::None;
    }
    return WriteNotes(mine, std::move(merged), std::move(theirs), busyWaitMs, report, bytes);
}

EFileError CSavePolicy::WriteNotes(const SNotebook& mine, std::optional<SNotebook> merged,
                                   std::optional<SFileVersion> theirs, unsigned busyWaitMs,
                                   SSaveReport& report, std::string& bytes) {
    // A write another program makes between the look and the replace is what the replace puts
    // aside: it is merged in turn, and the notes written again. Past a few rounds the merged
    // notes wait in memory for the next save.
    const std::string replaced = m_paths.notes + ".replaced.tmp";
    KeepStartShared(true);
    for (int round = 0;; ++round) {
        const SNotebook& notes = merged ? *merged : mine;
        bytes = SerializeNotes(notes.days, notes.everyDay);
        if (merged) {
            report.notesChanged = true;
            report.merged = notes;
        }
        if (round == 0 && theirs && bytes == *theirs->canonical &&
            m_unreadable.count(m_paths.notes) == 0) {
            TakeIn(*theirs, true); // nothing of ours the file lacks: taken in as it is
            break;
        }
        const uint64_t believedHash = theirs ? theirs->fileHash : m_lineage.FileHash();
        const SFileStamp believedStamp = theirs ? theirs->stamp : m_lineage.Stamp();
        m_files.Remove(replaced);
        SFileStamp written;
        const EFileError error =
            WriteDataFile(m_paths.notes, bytes, busyWaitMs, replaced, &written);
        if (error != EFileError::None) {
            SettleReplaced(replaced, believedHash);
            // Only what rounds already wrote, and what slipped in beside them, is shown.
            report.notesChanged = round > 0;
            report.merged = round > 0 ? notes : SNotebook();
            return error;
        }
        const std::optional<SFileVersion> slipped =
            ReadSlipped(replaced, believedStamp, believedHash);
        if (theirs) {
            TakeIn(*theirs, false);
            theirs.reset();
        }
        std::optional<SNotebook> again;
        if (slipped) {
            // Made from what the replace put aside, as far as the lines it holds tell.
            again = notes;
            MergeCameIn(ECameIn::NotesFile, slipped->notes, slipped->stamp.writeTime, 0, *again);
            TakeIn(*slipped, false);
        }
        RecordWrite(bytes, written);
        if (!again || *again == notes) {
            break;
        }
        merged = std::move(again);
        if (round == 3) {
            report.notesChanged = true;
            report.merged = *merged; // the rest waits in memory
            break;
        }
    }
    m_unloadableLooks = 0;
    m_unloadableSince = 0;
    m_copies.MoveMerged();
    return EFileError::None;
}

std::optional<CSavePolicy::SFileVersion> CSavePolicy::ReadSlipped(const std::string& replaced,
                                                                  const SFileStamp& believedStamp,
                                                                  uint64_t believedHash) {
    // Read only when it is not the file believed there.
    const SFileStamp stamp = m_files.Stamp(replaced);
    std::string bytes;
    const bool seen = stamp.exists && stamp != believedStamp &&
                      m_files.Read(replaced, bytes, kDataFileReadLimit) == EFileError::None &&
                      HashBytes(bytes) != believedHash;
    m_files.Remove(replaced);
    if (!seen) {
        return std::nullopt;
    }
    SFileVersion version;
    if (!ParseDataFileNotes(bytes, version.notes)) {
        std::string keptAs;
        m_kept.KeepUnreadable(m_paths.notes, &bytes, bytes.size(), keptAs);
        return std::nullopt;
    }
    version.stamp = stamp;
    version.fileHash = HashBytes(bytes);
    version.canonical = CanonicalNotes(version.notes);
    return version;
}

void CSavePolicy::RecordWrite(const std::string& bytes, const SFileStamp& written) {
    auto canonical = std::make_shared<const std::string>(bytes);
    const uint64_t hash = HashBytes(bytes);
    m_lineage.Record(true, canonical, hash, written, hash);
    m_changeSeenAt = 0;
    m_record.NoteWritten(bytes, hash, written, m_lineage);
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
    m_waiting = report.waiting;
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
    if (error == EFileError::None) {
        BackupsWritten();
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

SDiskLook CSavePolicy::LookAtFolder(const SNotebook& notes) {
    SDiskLook look;
    if (!m_loaded) {
        return look;
    }
    StartLineage();
    // Conflict copies first: one of a version of ours tells that the notes file will hold
    // another one, made beside ours.
    bool copiesBusy = false;
    const std::vector<CCopiesBeside::SCopy> copies = m_copies.Find(false, copiesBusy);
    for (const CCopiesBeside::SCopy& copy : copies) {
        m_lineage.MarkContested(copy.hash);
    }
    const SFileStamp stamp = m_files.Stamp(m_paths.notes);
    // The notes are copied only for a merge: this look runs at every activation, and at 100 years
    // a copy and its freeing take longer than a frame.
    if (stamp != m_lineage.Stamp() && stamp.exists) {
        look.change = LookAtChangedFile(notes, stamp, look);
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
    if (MergeCopies(copies, look.notes, changed) != 0) {
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
    StartLineage(); // the recovery file names the version its notes were made from
    return m_copies.WriteRecovery(notes);
}
