// The lineage of the notes file: the versions known here, and the base of each change.
#pragma once

#include "base/day_note.h"
#include "base/time_format.h"
#include "storage/file_io.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

// A program that read the notes file just before a save of ours and wrote its copy just after
// brings back what that save replaced: a version from elsewhere first seen here this soon after
// a write of ours, and holding none of its lines, is taken as such a copy. Both times are this
// computer's: the other computer's clock may be minutes off. A sync program may take seconds to
// bring a copy it read, and a change made there after seeing our write takes longer: its trip
// both ways, and the other user's typing and save.
constexpr QTime kRaceWindowSeconds = 8;
// File times of one writer this close may be one save seen twice.
constexpr QTime kFileTimeSlackSeconds = 2;

// What the notes file held as this copy of the program last read or wrote it, and how it came
// to hold that: the recent versions, ours and those taken in from elsewhere, each with the texts
// of the days it changed as they were before. A change from elsewhere is merged against the
// version it was made from: the last write of ours whose own new lines it holds, or that was
// written well before the change was seen; else the last version both computers had.
class CNotesLineage {
public:
    // What a start read: canonical bytes, the file's stamp and the hash of its bytes;
    // writtenHere when this computer wrote that version, so the other may never have had it.
    // priorTexts and priorForeign: TextTimes of earlier sessions on this computer; shared reads
    // the canonical bytes of the last version they took in from elsewhere, which both computers
    // had (null when unknown).
    void Start(std::shared_ptr<const std::string> canonical, uint64_t canonicalHash,
               SFileStamp stamp, uint64_t fileHash, bool writtenHere,
               std::unordered_map<uint64_t, QTime> priorTexts = {},
               std::unordered_map<uint64_t, QTime> priorForeign = {},
               std::function<std::shared_ptr<const std::string>()> shared = nullptr);
    // The file now holds this version (its canonical bytes), written here or taken in.
    void Record(bool ours, std::shared_ptr<const std::string> canonical, uint64_t canonicalHash,
                SFileStamp stamp, uint64_t fileHash);
    // The file was looked at and is still the version known (or cannot be read).
    void TakeStamp(SFileStamp stamp) { m_stamp = stamp; }

    const std::shared_ptr<const std::string>& Base() const { return m_base; }
    const SFileStamp& Stamp() const { return m_stamp; }
    uint64_t FileHash() const { return m_fileHash; }
    // Whether the canonical bytes are a version this run knew.
    bool Knows(uint64_t canonicalHash) const;

    // What a version another program wrote at writeTime (its clock), first seen here at seenAt
    // (this computer's clock), was made from, to be merged with mine.
    SNotebook BaseForChange(QTime writeTime, QTime seenAt, const SNotebook& theirs,
                            const SNotebook& mine) const;
    // What a copy that a sync program filed as a conflict is merged against; false for a
    // version of ours, which the notes went on from.
    bool BaseForCopy(uint64_t canonicalHash, const SNotebook& copy, QTime copyTime,
                     SNotebook& base) const;
    // What the notes file was made from, day by day, when a version of ours (own) was made from
    // `before` and the file may or may not have been made from it: a day whose file text holds
    // lines own brought was made from it (unless madeBeside: a sync program filed own as a
    // conflict, or the file holds no line a write of ours typed; on besideDays, the day alone),
    // one that holds none from `before`, one whose text this side had before is older there.
    SNotebook BaseForOwn(const SNotebook& file, const SNotebook& own, const SNotebook& before,
                         bool madeBeside = false,
                         const std::unordered_set<std::string>* besideDays = nullptr) const;
    // What this computer knows of the texts of days, as TextKey hashes: until when it had each
    // (replaced), and since when the other computer had each that came from there (foreign).
    struct STextTimes {
        std::unordered_map<uint64_t, QTime> replaced;
        std::unordered_map<uint64_t, QTime> foreign;
    };
    STextTimes TextTimes() const;
    // A copy's notes were merged in: its texts count as known to this run, its lines as lines
    // that came from elsewhere.
    void TakeCopy(const SNotebook& copy, QTime now);
    // A base for notes made beside ours from a version nobody can name: a day whose text in
    // them this side had is taken as unchanged there; a text never seen here is a change
    // made there, so both stay where both differ; a day they lack may be one they never saw,
    // and stays.
    // ours: the side to set them beside, when not the file's version.
    // oursWritten: when ours was written here, when known; a text the file held after it is
    // newer than ours, not older.
    SNotebook BaseByKnownTexts(const SNotebook& theirs, QTime theirTime,
                               const SNotebook* ours = nullptr, QTime oursWritten = 0) const;
    bool AtStart() const { return m_steps.empty(); }
    // The version the file holds as last read or written.
    SNotebook Current() const { return VersionBefore(m_steps.size()); }
    // Whether the file's version is one this computer wrote.
    bool CurrentIsOurs() const { return m_steps.empty() ? !m_startShared : m_steps.back().ours; }
    // A version of an earlier session was filed as a conflict: the start's version is one of
    // ours beside which another was made.
    void MarkStartContested() {
        if (m_steps.empty()) {
            (m_startShared ? m_ownCopyFiled : m_startContested) = true;
        }
    }
    // A sync program filed a version of ours as a conflict copy: the version in the file will be
    // another one, made beside ours rather than from it.
    void MarkContested(uint64_t canonicalHash);

    // The writes of ours since the last version from elsewhere, with those of earlier sessions
    // that led to the start's version, as bytes for this computer's record; empty for none.
    std::string OwnSteps() const;
    // Such a record from an earlier session: when it ends at the start's version, this session's
    // writes go on from it.
    void ContinueOwnSteps(const std::string& steps);
    // What a version that the last write of ours (lastWrite, with its record of OwnSteps) may
    // not have reached was made from. False when the record does not tell.
    struct SOwnSeen {
        // The version after the last write of ours whose own lines it holds; holding none, the
        // version before them.
        SNotebook before;
        // It holds none of the lines that writes of ours typed and the last write still holds.
        bool noneHeld = false;
        // The days on which later writes of ours typed lines that the last write still holds.
        std::unordered_set<std::string> besideDays;
    };
    static bool LastOwnSeen(const std::shared_ptr<const std::string>& lastWrite,
                            const std::string& steps, const SNotebook& file, SOwnSeen& seen);

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
        // For a write of ours: lines from elsewhere in those days' texts after it (LineKey).
        std::vector<uint64_t> foreignAfter;
    };
    using DayTextsView = std::unordered_map<std::string_view, std::string_view>;
    static size_t BytesOf(const std::vector<std::pair<std::string, std::string>>& days) {
        size_t bytes = 0;
        for (const auto& day : days) {
            bytes += day.first.size() + day.second.size();
        }
        return bytes;
    }
    // A record of OwnSteps, read into steps of ours.
    static bool ParseOwnSteps(const std::string& bytes, uint64_t& endHash, bool& complete,
                              std::vector<uint64_t>& foreign, std::deque<SStep>& steps);

    // What both computers had before this session's steps, as far as known.
    bool SharedBeforeSteps(SNotebook& shared) const;
    // The step after the last write of ours, from step `from` on, whose own new lines theirs
    // holds; `from` when it holds none.
    size_t SeenUpTo(const SNotebook& theirs, size_t from) const;
    // Calls f(step, day, line, theirs' text of the day) for each line that a write of ours from
    // step `from` on typed.
    template <typename F> void ForEachOwnLine(const SNotebook& theirs, size_t from, F f) const;
    // A day that writes of ours from step `from` on changed, and that mine has again as the base
    // has it, was changed here too: the base forgets its text, so that both stay.
    void ForgetChangedBack(size_t from, const SNotebook& mine, SNotebook& base) const;
    // The days that writes of ours from step `from` on changed, each with the file time of the
    // last such write.
    std::unordered_map<std::string_view, QTime> ChangedHere(size_t from) const;
    // The base's text of each day whose text in theirs this side had in an earlier session or
    // a copy becomes that text: theirs is older there, unless written there again since the
    // base's text (theirTime: theirs's file time, by their clock).
    void TakeKnownTexts(const SNotebook& theirs, QTime theirTime, SNotebook& base) const;
    // The days any step changed, with their texts in `now` ("" for none).
    DayTextsView ChangedDaysNow(const DayTextsView& now) const;
    // The version before step `from` (Size() for the version now).
    SNotebook VersionBefore(size_t from) const;
    // Where the last version from elsewhere before step `at` stands: the step after it, or 0.
    size_t AfterLastForeign(size_t at) const;
    // Lines of texts that came from elsewhere are no sign of a write of ours.
    void NoteForeignLines(std::string_view day, std::string_view text);
    // Appends the keys of the text's lines that came from elsewhere.
    void AddForeignKeys(std::string_view day, std::string_view text,
                        std::vector<uint64_t>& keys) const;
    // Keys every text of the start's version, once, when it is one both computers had.
    void KeyStart() const;
    void Trim();

    std::shared_ptr<const std::string> m_base;
    SFileStamp m_stamp;
    uint64_t m_fileHash = 0;
    uint64_t m_startHash = 0;
    bool m_startContested = false;
    // A version of ours from an earlier session was filed as a conflict beside a start from
    // the other computer's version.
    bool m_ownCopyFiled = false;
    QTime m_startTime = 0;
    bool m_startFromFile = false;
    bool m_startShared = false;
    // The start's version, when shared, until the file moves on; then its keys alone.
    std::shared_ptr<const std::string> m_startBytes;
    mutable std::vector<uint64_t> m_startKeys;
    std::deque<SStep> m_steps;
    std::unordered_map<uint64_t, QTime> m_copyTexts; // text hash -> when taken in
    std::unordered_set<uint64_t> m_foreignLines;     // LineKey of lines from elsewhere
    std::unordered_map<uint64_t, QTime> m_priorTexts;
    std::unordered_map<uint64_t, QTime> m_priorForeign;
    // Read only when a merge needs it: a start does not wait for it.
    std::function<std::shared_ptr<const std::string>()> m_readShared;
    size_t m_stepBytes = 0;
    // Writes of ours of earlier sessions that led to the start's version; complete when the
    // first went on from the last version taken in from elsewhere.
    std::deque<SStep> m_priorOwn;
    bool m_priorComplete = false;
    bool m_trimmed = false; // steps of this session were forgotten
};
