// What this computer keeps of the notebook across sessions: shared version, writes, last write.
#pragma once

#include "base/time_format.h"
#include "storage/file_system.h"
#include "sync/notes_lineage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// What this computer keeps of the notebook across its sessions, in a folder of its own that no
// sync program copies: fingerprints of the versions it wrote and of the texts it had (with
// when), the last version it took in from the other computer, its last write and what each of
// its writes since that version changed. A help for later merges only: missing or unwritable,
// nothing is lost, merges just keep both texts more often.
class CComputerRecord {
public:
    // folder: this computer's own, with its separator at the end; empty for none.
    CComputerRecord(IFileSystem& files, IClock& clock, std::string folder)
        : m_files(files), m_clock(clock), m_folder(std::move(folder)) {}

    // At start, what earlier sessions left.
    void Read();
    bool WroteHere(uint64_t canonicalHash) const;
    // Whether this computer last wrote the one version after it last wrote the other.
    bool WroteAfter(uint64_t later, uint64_t earlier) const;
    // Whether a version was written here, and another one after it.
    bool WroteSince(uint64_t canonicalHash) const;
    std::unordered_map<uint64_t, QTime> TakeTexts() { return std::move(m_texts); }
    std::unordered_map<uint64_t, QTime> TakeForeign() { return std::move(m_foreign); }
    // The canonical bytes of the last version taken in from elsewhere; null when unknown.
    std::shared_ptr<const std::string> ReadShared() const;

    // A version written elsewhere was taken in: both computers had it.
    void KeepShared(const std::string& canonical);
    // The notes go on from a version that need not hold the one taken in last (a backup).
    void ForgetShared();
    // A version of ours was written, and the notes file's stamp after it; what the lineage
    // knows is kept for later sessions, and so are the bytes: a sync program that copies
    // another version over them while the program is closed does not take them away.
    void NoteWritten(const std::string& canonical, uint64_t canonicalHash, SFileStamp fileStamp,
                     const CNotesLineage& lineage);
    void Write(const CNotesLineage& lineage);

    // Whether the notes file is as the last write of ours left it.
    bool FileIsLastWrite(const SFileStamp& fileStamp) const;
    // The canonical bytes of the last write of ours and its time; null when unknown.
    std::shared_ptr<const std::string> ReadLastWrite(QTime& writeTime) const;
    uint64_t LastWriteHash() const { return m_lastHash; }
    // Whether the last version taken in from elsewhere came after the last write of ours: that
    // write is in it.
    bool SharedAfterLastWrite() const;
    // The record of the writes of ours that led to the last one (CNotesLineage::OwnSteps).
    std::string ReadOwnSteps() const;
    // The notes file holds everything of the last write of ours: its bytes are not needed.
    void ForgetLastWrite();
    // A recovery file of these notes was made from the version of baseHash.
    void NoteRecovery(uint64_t recoveryHash, uint64_t baseHash, const CNotesLineage& lineage);
    // The version a recovery file written here was made from; 0 when unknown.
    uint64_t RecoveryBase(uint64_t recoveryHash) const;

private:
    IFileSystem& m_files;
    IClock& m_clock;
    std::string m_folder;
    std::vector<uint64_t> m_written;
    uint64_t m_lastHash = 0;
    int64_t m_lastTicks = 0; // of the notes file after the last write
    std::vector<std::pair<uint64_t, uint64_t>> m_recoveries; // recovery hash, base hash
    std::unordered_map<uint64_t, QTime> m_texts;
    std::unordered_map<uint64_t, QTime> m_foreign;
};
