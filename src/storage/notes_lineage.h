#pragma once

#include "base/day_note.h"
#include "base/time_format.h"
#include "storage/file_io.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A program that read the notes file just before a save of ours and wrote its copy just after
// brings back what that save replaced. A write of another program whose file time is this close
// to a write of ours is taken as such a copy.
constexpr QTime kRaceWindowSeconds = 2;

// What the notes file held as this copy of the program last read or wrote it, and how it came
// to hold that: the recent versions, ours and those taken in from elsewhere, each with the texts
// of the days it changed as they were before. A change from elsewhere is merged against the
// version it was made from, as far as that can be told: the last one known, unless it arrived in
// the moments after a write of ours or the sync program filed our version as a conflict.
class CNotesLineage {
public:
    // What a start read: canonical bytes, the file's stamp and the hash of its bytes.
    void Start(std::shared_ptr<const std::string> canonical, SFileStamp stamp, uint64_t fileHash);
    // The file now holds this version (its canonical bytes), written here or taken in.
    void Record(bool ours, std::shared_ptr<const std::string> canonical, SFileStamp stamp,
                uint64_t fileHash);
    // The file was looked at and is still the version known (or cannot be read).
    void TakeStamp(SFileStamp stamp) { m_stamp = stamp; }

    const std::shared_ptr<const std::string>& Base() const { return m_base; }
    const SFileStamp& Stamp() const { return m_stamp; }
    uint64_t FileHash() const { return m_fileHash; }
    // Whether the canonical bytes are a version this run knew.
    bool Knows(uint64_t canonicalHash) const;

    // What a version another program wrote at writeTime was made from.
    SNotebook BaseForChange(QTime writeTime) const;
    // What a copy (a sync program's conflict copy, a recovery file) with these canonical bytes
    // is merged against; false when the notes already hold all it brings, for a version of ours
    // the notes went on from. Outside any version seen from elsewhere, the empty notebook: every
    // text of either side stays.
    bool BaseForCopy(uint64_t canonicalHash, SNotebook& base) const;
    // A sync program filed a version of ours as a conflict copy: the version in the file will be
    // another one, made beside ours rather than from it.
    void MarkContested(uint64_t canonicalHash);

private:
    struct SStep {
        bool ours = false;
        QTime fileTime = 0;
        uint64_t hash = 0; // of the canonical bytes the step led to
        bool contested = false;
        // The days the step changed, with their texts before it ("" for no note); the every-day
        // note under a key no day has.
        std::vector<std::pair<std::string, std::string>> before;
        size_t bytes = 0;
    };

    // The version before step `from` (Size() for the version now).
    SNotebook VersionBefore(size_t from) const;
    // Where the last version from elsewhere before step `at` stands: the step after it, or 0.
    size_t AfterLastForeign(size_t at) const;
    bool HasForeign(size_t before) const;
    void Trim();

    std::shared_ptr<const std::string> m_base;
    SFileStamp m_stamp;
    uint64_t m_fileHash = 0;
    uint64_t m_startHash = 0;
    bool m_startContested = false;
    std::deque<SStep> m_steps;
    size_t m_stepBytes = 0;
};
