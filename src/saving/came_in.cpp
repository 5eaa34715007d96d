// Notes that came from elsewhere: the notes file's new versions, copies that sync programs left
// beside it, recovery files, and this computer's last write that the file lost. Each is merged
// into the notes here against the version it was made from, in one place.
#include "saving/save_policy.h"

#include "base/hash.h"
#include "storage/notes_file.h"
#include "storage/storage.h"
#include "sync/notes_merge.h"

namespace {

// Without a version both computers had, what each first run made: its texts are no sign that
// the other computer saw ours.
SNotebook FirstRunTexts(const SNotebook& ours) {
    const SNotebook first = DefaultNotes(0);
    SNotebook texts;
    texts.everyDay = first.everyDay;
    for (const SDay& day : ours.days) {
        if (day.strNote.compare(0, first.days[0].strNote.size(), first.days[0].strNote) == 0) {
            texts.days.push_back({day.strDate, first.days[0].strNote});
        }
    }
    return texts;
}

} // namespace

bool CSavePolicy::MergeCameIn(ECameIn kind, const SNotebook& theirs, QTime theirTime, uint64_t hash,
                              SNotebook& mine) {
    SNotebook base;
    if (!BaseOf(kind, theirs, theirTime, hash, mine, base)) {
        return false;
    }
    // A text of mine that the file held was saved then, as the other side sees it too.
    const SNotebook held = m_lineage.Current();
    mine = MergeNotebooks(base, mine, theirs, m_clock.Now(), theirTime, &held,
                          m_lineage.Stamp().writeTime);
    return true;
}

bool CSavePolicy::BaseOf(ECameIn kind, const SNotebook& theirs, QTime theirTime, uint64_t hash,
                         const SNotebook& mine, SNotebook& base) {
    SNotebook shared;
    switch (kind) {
    case ECameIn::NotesFile:
        // A conflict copy of a version of ours tells that this one was made beside it.
        m_copies.MarkContested();
        base = m_lineage.BaseForChange(
            theirTime, m_changeSeenAt != 0 ? m_changeSeenAt : m_clock.Now(), theirs, mine);
        return true;
    case ECameIn::LastWrite: {
        // The notes file may have been made from it, or from an earlier write of ours: from the
        // last one whose own lines it holds, as this computer's record of its writes tells, or
        // from the version taken in before them. Without either, every line of the last write
        // but those of the first run counts as one it brought.
        if (m_lineage.CurrentIsOurs()) {
            base = mine; // an older version of ours: ours went on from it
            return true;
        }
        CNotesLineage::SOwnSeen seen;
        if (CNotesLineage::LastOwnSeen(StartLastWrite(), m_record.ReadOwnSteps(), mine, seen)) {
            shared = std::move(seen.before);
        } else {
            const auto bytes = m_record.SharedAfterLastWrite() ? nullptr : m_record.ReadShared();
            if (!bytes || !ParseDataFileNotes(*bytes, shared)) {
                shared = FirstRunTexts(theirs);
            }
        }
        // Lines of ours older than the record, or from elsewhere, that the file holds are no sign
        // that it had the record's writes.
        base = m_lineage.BaseForOwn(mine, theirs, shared, seen.noneHeld, &seen.besideDays);
        return true;
    }
    case ECameIn::Recovery:
        // Made from the version the notes file held then, as this computer recorded it.
        if (const uint64_t made = m_record.RecoveryBase(hash); made != 0) {
            QTime lastTime = 0;
            for (const auto& bytes : {m_record.ReadLastWrite(lastTime), StartLastWrite(),
                                      m_record.ReadShared(), m_lineage.Base()}) {
                if (bytes && HashBytes(*bytes) == made && ParseDataFileNotes(*bytes, base)) {
                    return true;
                }
            }
        }
        base = m_lineage.BaseByKnownTexts(mine, m_startNotesTime, &theirs);
        return true;
    case ECameIn::ConflictCopy:
        break;
    }
    const uint64_t current = m_lineage.Base() ? HashBytes(*m_lineage.Base()) : 0;
    if (!m_lineage.Knows(hash) && !m_record.WroteHere(hash)) {
        m_lineage.MarkContested(hash);
        return m_lineage.BaseForCopy(hash, theirs, theirTime, base);
    }
    // A version written here, filed as the loser: the version that won, made beside it, is in
    // the file or on its way.
    m_lineage.MarkContested(hash);
    if (!m_lineage.Knows(hash)) {
        m_lineage.MarkStartContested();
    }
    // A later write of ours went on from it: the file, or the last write merged at the start,
    // holds what it has, and what was deleted since stays deleted.
    if (m_lineage.AtStart() && m_record.WroteSince(hash)) {
        return false;
    }
    // Once a change of this run took the winner in, it was merged beside the loser already; a
    // start read the winner alone, or a backup older than the copy, or a winner that holds what
    // this computer wrote before the copy.
    if (!m_lineage.AtStart() ||
        (m_lineage.CurrentIsOurs() && m_startFromMain && !m_record.WroteAfter(hash, current))) {
        return false;
    }
    base = m_lineage.BaseByKnownTexts(mine, m_startNotesTime, &theirs, theirTime);
    return true;
}

size_t CSavePolicy::MergeCopies(const std::vector<CCopiesBeside::SCopy>& copies, SNotebook& notes,
                                bool& changed) {
    changed = false;
    size_t taken = 0;
    const uint64_t current = copies.empty() || !m_lineage.Base() ? 0 : HashBytes(*m_lineage.Base());
    for (const CCopiesBeside::SCopy& copy : copies) {
        if (!copy.recovery && copy.hash == current) {
            // The file's own version, filed as the loser of a conflict: the file is about to
            // take the version that won, and until then the copy is what keeps this one.
            m_lineage.MarkContested(copy.hash);
            continue;
        }
        ++taken;
        SNotebook merged = notes;
        // A recovery file written elsewhere is a copy from there like any other.
        const bool ours = m_record.RecoveryBase(copy.hash) != 0 ||
                          (!m_paths.local.empty() &&
                           copy.path.compare(0, m_paths.local.size(), m_paths.local) == 0);
        const ECameIn kind = !copy.recovery ? ECameIn::ConflictCopy
                             : ours         ? ECameIn::Recovery
                                            : ECameIn::ConflictCopy;
        if (MergeCameIn(kind, copy.notes, copy.stamp.writeTime, copy.hash, merged) &&
            !(merged == notes)) {
            notes = std::move(merged);
            changed = true;
        }
        m_copies.Taken(copy);
    }
    return taken;
}

void CSavePolicy::TakeIn(const SFileVersion& version, bool complete) {
    // Both computers had this version: what later changes on either side are made from.
    m_record.KeepShared(*version.canonical);
    const uint64_t hash = HashBytes(*version.canonical);
    m_lineage.Record(false, version.canonical, hash, version.stamp, version.fileHash);
    m_changeSeenAt = 0;
    if (complete) {
        m_record.ForgetLastWrite(); // the file holds everything of it
    }
}

void CSavePolicy::SeenChange() {
    if (m_changeSeenAt == 0) {
        m_changeSeenAt = m_clock.Now();
    }
}

EDiskChange CSavePolicy::LookAtChangedFile(const SNotebook& notes, const SFileStamp& stamp,
                                           SDiskLook& look) {
    SeenChange();
    if (NotesUnsaved(notes)) {
        return EDiskChange::Merge; // the save merges
    }
    std::string bytes;
    SFileVersion theirs;
    const EFileError error = m_files.Read(m_paths.notes, bytes, kDataFileReadLimit);
    const bool loads = error == EFileError::None && ParseDataFileNotes(bytes, theirs.notes);
    if (loads) {
        m_unloadableSince = 0;
    } else if (error == EFileError::None) {
        SeenUnloadable();
    }
    if (error == EFileError::Busy ||
        (!loads && error == EFileError::None && ++m_unloadableLooks < kUnloadableLooks)) {
        return EDiskChange::TryLater;
    }
    m_unloadableLooks = 0;
    if (!loads) {
        // Torn for good: kept aside and written anew from the notes here.
        m_lineage.TakeStamp(stamp);
        m_changeSeenAt = 0;
        m_unreadable.insert(m_paths.notes);
        return EDiskChange::Merge;
    }
    if (!NameVersion(bytes, stamp, theirs)) {
        return EDiskChange::None;
    }
    look.notes = notes;
    MergeCameIn(ECameIn::NotesFile, theirs.notes, stamp.writeTime, 0, look.notes);
    look.adopt = true;
    // What the file lacks of ours (a copy written over a newer file) is written back.
    const bool complete = look.notes == theirs.notes;
    TakeIn(theirs, complete);
    return complete ? EDiskChange::Reloaded : EDiskChange::Merge;
}

SMergeNotice CSavePolicy::TakeMergeNotice() {
    return m_copies.TakeNotice();
}
