#include "sync/copies_beside.h"

#include "base/hash.h"
#include "base/path.h"
#include "sync/copy_names.h"
#include "storage/notes_file.h"
#include "sync/notes_merge.h"

#include <algorithm>

void CCopiesBeside::Reset() {
    m_merged.clear();
    m_notice = SMergeNotice();
}

std::vector<CCopiesBeside::SCopy> CCopiesBeside::Find(bool atStart, bool& busy) {
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
            if (std::find(m_merged.begin(), m_merged.end(), copy.path) != m_merged.end() ||
                m_unloadable.count({copy.path, copy.stamp.writeTicks}) != 0) {
                continue;
            }
            std::string bytes;
            const EFileError error = m_files.Read(copy.path, bytes, kDataFileReadLimit);
            if (error == EFileError::Busy) {
                busy = true;
                continue;
            }
            // One that does not load stays where it is, for someone to look into.
            if (error != EFileError::None || !ParseDataFileNotes(bytes, copy.notes)) {
                m_unloadable.insert({copy.path, copy.stamp.writeTicks});
                continue;
            }
            copy.hash = HashBytes(*CanonicalNotes(copy.notes));
            copies.push_back(std::move(copy));
        }
    };
    look(m_paths.folder, true);
    if (m_paths.local != m_paths.folder) {
        look(m_paths.local, false);
    }
    return copies;
}

void CCopiesBeside::MarkContested() {
    bool busy = false;
    for (const SCopy& copy : Find(false, busy)) {
        m_lineage.MarkContested(copy.hash);
    }
}

size_t CCopiesBeside::Merge(std::vector<SCopy>& copies, SNotebook& notes,
                            const SNotebook* mainAtStart, QTime mainWriteTime, bool& changed) {
    changed = false;
    if (copies.empty()) {
        return 0; // and the file's version is not hashed for nothing
    }
    // Oldest first, so that later copies are merged over earlier ones.
    std::sort(copies.begin(), copies.end(), [](const SCopy& a, const SCopy& b) {
        return a.stamp.writeTime != b.stamp.writeTime ? a.stamp.writeTime < b.stamp.writeTime
                                                      : a.path < b.path;
    });
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
        } else if (m_lineage.Knows(copy.hash) || m_record.WroteHere(copy.hash)) {
            // A version written here, filed as the loser: the version that won, made beside it,
            // is in the file or on its way.
            m_lineage.MarkContested(copy.hash);
            if (!m_lineage.Knows(copy.hash)) {
                m_lineage.MarkStartContested();
            }
            // Once a change of this run took the winner in, it was merged beside the loser
            // already; a start read the winner alone, or a backup older than the copy, or a
            // winner that holds what this computer wrote before the copy.
            merge = m_lineage.AtStart() && (!m_lineage.CurrentIsOurs() || !m_startFromMain ||
                                            m_record.WroteAfter(copy.hash, current));
            if (merge) {
                base = m_lineage.BaseByKnownTexts(notes, m_startNotesTime, &copy.notes);
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
        m_merged.push_back(copy.path);
        if (copy.recovery) {
            m_notice.recovered = true;
        } else {
            m_notice.conflictCopies.push_back(NameOf(copy.path));
        }
    }
    return taken;
}

void CCopiesBeside::MoveMerged() {
    std::vector<std::string> left;
    for (const std::string& path : m_merged) {
        std::string movedTo;
        if (m_files.Stamp(path).exists && m_kept.MoveMerged(path, movedTo) != EFileError::None) {
            left.push_back(path); // held: moved after a later save
        }
    }
    m_merged = std::move(left);
}

std::string CCopiesBeside::WriteRecovery(const SNotebook& notes) {
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
