// Copies of the notes left beside the notes file by sync programs and by sessions that failed.
#pragma once

#include "base/day_note.h"
#include "sync/computer_record.h"
#include "storage/file_system.h"
#include "storage/kept_aside.h"
#include "sync/notes_lineage.h"
#include "storage/storage.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

// Notes saved elsewhere that were merged in: a recovery file of an earlier session, copies that
// sync programs left beside the notes file (their names).
struct SMergeNotice {
    bool recovered = false;
    std::vector<std::string> conflictCopies;

    bool Empty() const { return !recovered && conflictCopies.empty(); }
};

// Copies of the notes left beside the notes file: conflict copies of sync programs, and
// recovery files of sessions that could not save where the notes belong. What they hold that
// the notes lack is merged in (by the saving policy); once the merged notes are written they go
// aside.
class CCopiesBeside {
public:
    struct SCopy {
        std::string path;
        bool recovery = false;
        SFileStamp stamp;
        SNotebook notes;
        uint64_t hash = 0; // of its canonical bytes
    };

    CCopiesBeside(const SDataPaths& paths, IFileSystem& files, IClock& clock,
                  CNotesLineage& lineage, CComputerRecord& record, CKeptAside& kept)
        : m_paths(paths), m_files(files), m_clock(clock), m_lineage(lineage), m_record(record),
          m_kept(kept) {}

    // A start: nothing is merged yet.
    void Reset();
    // The copies that load and were not taken in yet, oldest first; recovery files only at
    // start. busy: one was held by another program. listed: the data folder's names, when the
    // caller has just listed it.
    std::vector<SCopy> Find(bool atStart, bool& busy,
                            const std::vector<std::string>* listed = nullptr);
    // A copy of a version of ours tells that the notes file holds, or will, one made beside it.
    void MarkContested();
    // The copy's notes are in the notes now: it goes aside after the next save, and the user
    // hears of it.
    void Taken(const SCopy& copy);
    // Once merged notes were written: the copies go aside.
    void MoveMerged();
    SMergeNotice TakeNotice() { return std::exchange(m_notice, SMergeNotice()); }

    // Writes the notes to a new recovery file beside the data files, or in the local folder
    // when the data folder takes nothing. Its path; empty when neither could be written.
    std::string WriteRecovery(const SNotebook& notes);

private:
    const SDataPaths& m_paths;
    IFileSystem& m_files;
    IClock& m_clock;
    CNotesLineage& m_lineage;
    CComputerRecord& m_record;
    CKeptAside& m_kept;
    // Copies merged into the notes, moved aside after the next save of the notes; copies that
    // did not load, by name and stamp, so that they are read again only when they change.
    std::vector<std::string> m_merged;
    std::set<std::pair<std::string, int64_t>> m_unloadable;
    SMergeNotice m_notice;
    // The last recovery file and what it holds.
    std::string m_recovered;
    uint64_t m_recoveredHash = 0;
};
