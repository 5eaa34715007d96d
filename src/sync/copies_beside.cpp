// Finding conflict copies and recovery files beside the notes file, and moving them aside.
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

std::vector<CCopiesBeside::SCopy> CCopiesBeside::Find(bool atStart, bool& busy,
                                                      const std::vector<std::string>* listed) {
    std::vector<SCopy> copies;
    busy = false;
    auto look = [&](const std::string& folder, bool dataFolder) {
        if (folder.empty()) {
            return;
        }
        std::vector<std::string> own;
        const std::vector<std::string>& names =
            dataFolder && listed != nullptr ? *listed : (own = m_files.List(folder));
        for (const std::string& name : names) {
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
    // Oldest first, so that later copies are merged over earlier ones; a sync program gives a
    // copy its writer's time, which only orders copies of one writer.
    std::sort(copies.begin(), copies.end(), [](const SCopy& a, const SCopy& b) {
        return a.stamp.writeTime != b.stamp.writeTime ? a.stamp.writeTime < b.stamp.writeTime
                                                      : a.path < b.path;
    });
    return copies;
}

void CCopiesBeside::MarkContested() {
    bool busy = false;
    for (const SCopy& copy : Find(false, busy)) {
        m_lineage.MarkContested(copy.hash);
    }
}

void CCopiesBeside::Taken(const SCopy& copy) {
    m_lineage.TakeCopy(copy.notes, m_clock.Now());
    m_merged.push_back(copy.path);
    if (copy.recovery) {
        m_notice.recovered = true;
    } else {
        m_notice.conflictCopies.push_back(NameOf(copy.path));
    }
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
            // What the notes were made from, for the start that merges them back.
            const std::shared_ptr<const std::string>& base = m_lineage.Base();
            if (base) {
                m_record.NoteRecovery(m_recoveredHash, HashBytes(*base), m_lineage);
            }
            return path;
        }
    }
    return std::string();
}
