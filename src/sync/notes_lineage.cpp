#include "sync/notes_lineage.h"

#include "base/hash.h"
#include "storage/notes_file.h"
#include "sync/notes_merge.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

// Enough for a day of saves; a version of a whole notebook (an import) may take more than one.
constexpr size_t kMaxSteps = 64;
constexpr size_t kMaxStepBytes = 32u << 20;

const char kEveryDayKey[] = "\x01";
// The texts of copies taken in that are remembered; a large notebook's copies forget the oldest.
constexpr size_t kMaxCopyTexts = 1u << 18;
// How the lines that part texts kept from two places begin.
const char kPieceLineHead[] = "----- also saved elsewhere, ";
// The time of a text that is still the file's.
constexpr QTime kStillHeld = INT64_MAX / 2;

// The records of a serialized notebook, read in place. Only canonical bytes (SerializeNotes)
// are given to it, but a negative count or a short field ends the walk, never reads past.
class CRecordReader {
public:
    explicit CRecordReader(const std::string& bytes)
        : m_at(bytes.data()), m_end(m_at + bytes.size()) {}

    bool Counted(std::string_view& text) {
        uint64_t length = 0;
        size_t prefix = 1;
        if (!Byte(0, length)) {
            return false;
        }
        if (length == 0xFF) {
            uint64_t low = 0;
            uint64_t high = 0;
            if (!Byte(1, low) || !Byte(2, high)) {
                return false;
            }
            length = low | (high << 8);
            prefix = 3;
            if (length == 0xFFFF) {
                length = 0;
                for (size_t i = 0; i < 4; ++i) {
                    uint64_t b = 0;
                    if (!Byte(3 + i, b)) {
                        return false;
                    }
                    length |= b << (8 * i);
                }
                prefix = 7;
            } else if (length == 0xFFFE) {
                return false; // never written canonically
            }
        }
        if (static_cast<uint64_t>(m_end - m_at) < prefix ||
            length > static_cast<uint64_t>(m_end - m_at) - prefix) {
            return false;
        }
        text = std::string_view(m_at + prefix, static_cast<size_t>(length));
        m_at += prefix + length;
        return true;
    }
    bool Count(int32_t& count) {
        if (m_end - m_at < 4) {
            return false;
        }
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | static_cast<unsigned char>(m_at[i]);
        }
        count = static_cast<int32_t>(value);
        m_at += 4;
        return true;
    }

private:
    bool Byte(size_t offset, uint64_t& value) const {
        if (static_cast<size_t>(m_end - m_at) <= offset) {
            return false;
        }
        value = static_cast<unsigned char>(m_at[offset]);
        return true;
    }

    const char* m_at;
    const char* m_end;
};

using DayTexts = std::unordered_map<std::string_view, std::string_view>;

// The every-day note and each day's first non-blank text.
DayTexts TextsOf(const std::string& bytes) {
    DayTexts texts;
    CRecordReader reader(bytes);
    std::string_view every;
    int32_t count = 0;
    if (!reader.Counted(every) || !reader.Count(count)) {
        return texts;
    }
    texts.reserve(count > 0 ? static_cast<size_t>(std::min(count, 1 << 20)) + 1 : 1);
    texts.emplace(kEveryDayKey, every);
    for (int32_t i = 0; i < count; ++i) {
        std::string_view key;
        std::string_view text;
        if (!reader.Counted(key) || !reader.Counted(text)) {
            break;
        }
        if (!IsBlankNote(std::string(text))) {
            texts.emplace(key, text);
        }
    }
    return texts;
}

uint64_t TextKey(std::string_view day, std::string_view text) {
    std::string both(day);
    both += '\n';
    both.append(text);
    return HashBytes(both);
}

bool ParseCanonical(const std::string& bytes, SNotebook& notes) {
    CMemoryReader reader(bytes);
    return ReadNotes(notes.days, notes.everyDay, reader);
}

} // namespace

void CNotesLineage::Start(std::shared_ptr<const std::string> canonical, uint64_t canonicalHash,
                          SFileStamp stamp, uint64_t fileHash, bool writtenHere,
                          std::unordered_map<uint64_t, QTime> priorTexts,
                          std::unordered_map<uint64_t, QTime> priorForeign,
                          std::function<std::shared_ptr<const std::string>()> shared) {
    m_startHash = canonical ? canonicalHash : 0;
    m_startContested = false;
    m_startTime = stamp.writeTime;
    m_startFromFile = fileHash != 0; // else from a backup, or the first run's notes
    m_startShared = !writtenHere;
    m_startKeys.clear();
    m_priorTexts = std::move(priorTexts);
    m_priorForeign = std::move(priorForeign);
    m_readShared = std::move(shared);
    m_base = std::move(canonical);
    m_startBytes = m_startShared ? m_base : nullptr;
    m_stamp = stamp;
    m_fileHash = fileHash;
    m_steps.clear();
    m_stepBytes = 0;
    m_copyTexts.clear();
}

void CNotesLineage::Record(bool ours, std::shared_ptr<const std::string> canonical,
                           uint64_t canonicalHash, SFileStamp stamp, uint64_t fileHash) {
    SStep step;
    step.ours = ours;
    step.fileTime = stamp.writeTime;
    step.hash = canonicalHash;
    if (m_base) {
        const DayTexts old = TextsOf(*m_base);
        const DayTexts now = TextsOf(*canonical);
        for (const auto& entry : old) {
            const auto it = now.find(entry.first);
            if (it == now.end() || it->second != entry.second) {
                step.before.emplace_back(std::string(entry.first), std::string(entry.second));
            }
        }
        for (const auto& entry : now) {
            if (old.count(entry.first) == 0) {
                step.before.emplace_back(std::string(entry.first), std::string());
            }
        }
    }
    for (const auto& day : step.before) {
        step.bytes += day.first.size() + day.second.size();
    }
    m_stepBytes += step.bytes;
    m_steps.push_back(std::move(step));
    m_base = std::move(canonical);
    m_stamp = stamp;
    m_fileHash = fileHash;
    Trim();
}

void CNotesLineage::Trim() {
    while (m_steps.size() > kMaxSteps || (m_steps.size() > 1 && m_stepBytes > kMaxStepBytes)) {
        m_startHash = m_steps.front().hash;
        m_startContested = m_steps.front().contested;
        m_stepBytes -= m_steps.front().bytes;
        m_steps.pop_front();
    }
}

bool CNotesLineage::Knows(uint64_t canonicalHash) const {
    return canonicalHash == m_startHash ||
           std::any_of(m_steps.begin(), m_steps.end(),
                       [&](const SStep& step) { return step.hash == canonicalHash; });
}

SNotebook CNotesLineage::VersionBefore(size_t from) const {
    SNotebook notes;
    if (m_base) {
        ParseCanonical(*m_base, notes);
    }
    if (from >= m_steps.size()) {
        return notes;
    }
    // The earliest step's texts are the oldest.
    std::unordered_map<std::string, const std::string*> older;
    for (size_t i = from; i < m_steps.size(); ++i) {
        for (const auto& day : m_steps[i].before) {
            older.emplace(day.first, &day.second);
        }
    }
    if (const auto it = older.find(kEveryDayKey); it != older.end()) {
        notes.everyDay = *it->second;
        older.erase(it);
    }
    DayArray days;
    days.reserve(notes.days.size() + older.size());
    for (SDay& day : notes.days) {
        const auto it = older.find(day.strDate);
        if (it == older.end()) {
            days.push_back(std::move(day));
            continue;
        }
        if (!IsBlankNote(*it->second)) {
            days.push_back(SDay{day.strDate, *it->second});
        }
        older.erase(it);
    }
    for (const auto& day : older) {
        if (!IsBlankNote(*day.second)) {
            days.push_back(SDay{day.first, *day.second});
        }
    }
    std::stable_sort(days.begin(), days.end(), [](const SDay& a, const SDay& b) {
        return CSortKey(a.strDate).Compare(CSortKey(b.strDate)) < 0;
    });
    notes.days = std::move(days);
    return notes;
}

size_t CNotesLineage::AfterLastForeign(size_t at) const {
    for (size_t i = std::min(at, m_steps.size()); i > 0; --i) {
        if (!m_steps[i - 1].ours) {
            return i;
        }
    }
    return 0;
}

SNotebook CNotesLineage::BaseForChange(QTime writeTime, const SNotebook& theirs,
                                       const SNotebook& mine) const {
    size_t from = m_steps.size();
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (m_steps[i].ours && m_steps[i].fileTime + kRaceWindowSeconds >= writeTime) {
            from = i;
            break;
        }
    }
    // A version of ours since the last one from elsewhere was filed as a conflict: the version
    // in the file now was made beside it, from what both had last.
    const size_t sync = AfterLastForeign(m_steps.size());
    bool contested = sync == 0 && m_startContested;
    for (size_t i = sync; i < m_steps.size(); ++i) {
        contested = contested || m_steps[i].contested;
    }
    // The start's version is ours, written after theirs: theirs was not made from it.
    const bool beforeOurStart = from == 0 && m_startFromFile && !m_startShared &&
                                m_startTime + kRaceWindowSeconds >= writeTime;
    if (contested || beforeOurStart) {
        if (sync == 0) {
            SNotebook shared;
            if (SharedBeforeSteps(shared)) {
                TakeKnownTexts(theirs, writeTime, shared);
                return shared;
            }
            return BaseByKnownTexts(theirs, writeTime);
        }
        from = std::min(from, sync);
    }
    SNotebook base = VersionBefore(from);
    ForgetChangedBack(from, mine, base);
    // Where conflicts were filed, a version may come back merged with a copy older than what
    // this side went on to: a text of a day this run had before is no change made there.
    const bool filed = m_startContested || std::any_of(m_steps.begin(), m_steps.end(),
                                                       [](const SStep& s) { return s.contested; });
    if (filed) {
        TakeKnownTexts(theirs, writeTime, base);
    }
    return base;
}

void CNotesLineage::TakeKnownTexts(const SNotebook& theirs, QTime theirTime,
                                   SNotebook& base) const {
    const std::unordered_map<uint64_t, QTime> had = TextTimes().replaced;
    // Theirs was written while this side still had the text: it is older, no change there.
    auto stale = [&](const std::string& day, const std::string& text) {
        const auto it = had.find(TextKey(day, text));
        return it != had.end() && theirTime + kRaceWindowSeconds < it->second;
    };
    if (!IsBlankNote(theirs.everyDay) && stale(kEveryDayKey, theirs.everyDay)) {
        base.everyDay = theirs.everyDay;
    }
    std::unordered_map<std::string, std::string*> inBase;
    for (SDay& day : base.days) {
        inBase.emplace(day.strDate, &day.strNote);
    }
    DayArray added;
    for (const SDay& day : theirs.days) {
        if (IsBlankNote(day.strNote) || !stale(day.strDate, day.strNote)) {
            continue;
        }
        const auto it = inBase.find(day.strDate);
        if (it != inBase.end()) {
            *it->second = day.strNote;
        } else {
            added.push_back(day);
        }
    }
    base.days.insert(base.days.end(), added.begin(), added.end());
    std::stable_sort(base.days.begin(), base.days.end(), [](const SDay& a, const SDay& b) {
        return CSortKey(a.strDate).Compare(CSortKey(b.strDate)) < 0;
    });
}

bool CNotesLineage::BaseForCopy(uint64_t canonicalHash, const SNotebook& copy, QTime copyTime,
                                SNotebook& base) const {
    if (Knows(canonicalHash)) {
        return false; // a version of this run: the notes went on from it
    }
    // What both last had: the last version taken in from elsewhere, in this session or before.
    // Filed beside some version, it may be older than any version this side knows as shared:
    // judged by its texts alone.
    base = BaseByKnownTexts(copy, copyTime);
    return true;
}

bool CNotesLineage::SharedBeforeSteps(SNotebook& shared) const {
    // The start read a version written elsewhere; else the last one an earlier session took in.
    if (m_startShared) {
        shared = VersionBefore(0);
        return true;
    }
    const std::shared_ptr<const std::string> bytes = m_readShared ? m_readShared() : nullptr;
    if (bytes) {
        return ParseCanonical(*bytes, shared);
    }
    return false;
}

SNotebook CNotesLineage::BaseByKnownTexts(const SNotebook& theirs, QTime theirTime,
                                          const SNotebook* oursGiven) const {
    const DayTexts now = m_base ? TextsOf(*m_base) : DayTexts();
    const std::string oursBytes =
        oursGiven != nullptr ? SerializeNotes(oursGiven->days, oursGiven->everyDay) : std::string();
    const DayTexts oursTexts = oursGiven != nullptr ? TextsOf(oursBytes) : now;
    const auto key = TextKey;
    // Until when this side had each text: a version of theirs written before then that holds
    // it is older than the change here, not a change there; a text that came back here later
    // (undone) counts from its last time. Set beside a version of ours other than the file's,
    // the file's version is theirs: only earlier sessions tell what this side had. Since when
    // the other side had each text: it came in a version written there.
    const STextTimes times =
        oursGiven != nullptr ? STextTimes{m_priorTexts, m_priorForeign} : TextTimes();
    const std::unordered_map<uint64_t, QTime>& known = times.replaced;
    const std::unordered_map<uint64_t, QTime>& foreign = times.foreign;
    auto text = [](const DayTexts& in, const std::string& day) {
        const auto it = in.find(day);
        return it == in.end() ? std::string_view() : it->second;
    };
    // A day whose text there is an older one of this side's is unchanged there. Otherwise,
    // where this side's text came from there before theirs was written, they changed it (or
    // deleted it); where it did not, nobody can tell what they started from: no base, and both
    // texts stay.
    const std::unordered_map<std::string_view, QTime> changedHere =
        oursGiven != nullptr ? std::unordered_map<std::string_view, QTime>() : ChangedHere(0);
    auto changedAfter = [&](const std::string& day, QTime time) {
        const auto it = changedHere.find(day);
        return it != changedHere.end() && it->second + kRaceWindowSeconds >= time;
    };
    auto baseText = [&](const std::string& day, std::string_view theirText) {
        const std::string_view ours = text(oursTexts, day);
        const uint64_t theirKey = key(day, theirText);
        const auto had = known.find(theirKey);
        if (theirText == ours ||
            (had != known.end() && theirTime + kRaceWindowSeconds < had->second)) {
            return std::string(theirText);
        }
        const auto wrote = foreign.find(key(day, ours));
        // A text this side changed after theirs was written, and then put back, was changed
        // here too: both stay.
        const bool theirsToo = wrote != foreign.end() &&
                               wrote->second + kRaceWindowSeconds < theirTime &&
                               (oursGiven != nullptr || !changedAfter(day, theirTime));
        return theirsToo ? std::string(ours) : std::string();
    };
    const std::string theirBytes = SerializeNotes(theirs.days, theirs.everyDay);
    const DayTexts theirTexts = TextsOf(theirBytes);
    SNotebook base;
    std::vector<std::string> days;
    for (const DayTexts* in : {&oursTexts, &theirTexts}) {
        for (const auto& day : *in) {
            days.emplace_back(day.first);
        }
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    for (const std::string& day : days) {
        std::string b = baseText(day, text(theirTexts, day));
        if (day == kEveryDayKey) {
            base.everyDay = std::move(b);
        } else if (!IsBlankNote(b)) {
            base.days.push_back(SDay{day, std::move(b)});
        }
    }
    std::sort(base.days.begin(), base.days.end(), [](const SDay& a, const SDay& b) {
        return CSortKey(a.strDate).Compare(CSortKey(b.strDate)) < 0;
    });
    return base;
}

std::unordered_map<std::string_view, QTime> CNotesLineage::ChangedHere(size_t from) const {
    std::unordered_map<std::string_view, QTime> changed;
    for (size_t i = from; i < m_steps.size(); ++i) {
        if (m_steps[i].ours) {
            for (const auto& day : m_steps[i].before) {
                QTime& last = changed.emplace(day.first, m_steps[i].fileTime).first->second;
                last = std::max(last, m_steps[i].fileTime);
            }
        }
    }
    return changed;
}

void CNotesLineage::ForgetChangedBack(size_t from, const SNotebook& mine, SNotebook& base) const {
    const std::unordered_map<std::string_view, QTime> changed = ChangedHere(from);
    if (changed.empty()) {
        return;
    }
    if (changed.count(kEveryDayKey) != 0 && mine.everyDay == base.everyDay) {
        base.everyDay.clear();
    }
    std::unordered_map<std::string_view, const std::string*> mineDays;
    for (const SDay& day : mine.days) {
        mineDays.emplace(day.strDate, &day.strNote);
    }
    base.days.erase(std::remove_if(base.days.begin(), base.days.end(),
                                   [&](const SDay& day) {
                                       const auto it = mineDays.find(day.strDate);
                                       return changed.count(day.strDate) != 0 &&
                                              it != mineDays.end() && *it->second == day.strNote;
                                   }),
                    base.days.end());
}

void CNotesLineage::TakeCopy(const SNotebook& copy, QTime now) {
    if (m_copyTexts.size() > kMaxCopyTexts) {
        m_copyTexts.clear();
    }
    m_copyTexts[TextKey(kEveryDayKey, copy.everyDay)] = now;
    for (const SDay& day : copy.days) {
        m_copyTexts[TextKey(day.strDate, day.strNote)] = now;
    }
}

std::unordered_map<std::string_view, std::string_view>
CNotesLineage::ChangedDaysNow(const DayTextsView& now) const {
    std::unordered_map<std::string_view, std::string_view> texts;
    for (const SStep& step : m_steps) {
        for (const auto& day : step.before) {
            const auto it = now.find(day.first);
            texts.emplace(day.first, it == now.end() ? std::string_view() : it->second);
        }
    }
    return texts;
}

CNotesLineage::STextTimes CNotesLineage::TextTimes() const {
    STextTimes times{m_priorTexts, m_priorForeign};
    auto had = [&](uint64_t k, QTime until) {
        QTime& t = times.replaced.emplace(k, until).first->second;
        t = std::max(t, until);
    };
    auto wrote = [&](uint64_t k, QTime when) {
        QTime& t = times.foreign.emplace(k, when).first->second;
        t = std::min(t, when);
    };
    // A text kept from two places holds each as it was there: a version of theirs with one of
    // them alone is one from before the merge.
    auto hadText = [&](std::string_view day, std::string_view text, QTime until) {
        had(TextKey(day, text), until);
        if (text.find(kPieceLineHead) != std::string_view::npos) {
            for (const std::string& piece : PiecesOfText(std::string(text))) {
                had(TextKey(day, piece), until);
            }
        }
    };
    for (const auto& copy : m_copyTexts) {
        had(copy.first, copy.second);
    }
    // Back from the file's version: each changed day's text after each step, and until when
    // the file held it.
    const DayTexts now = m_base ? TextsOf(*m_base) : DayTexts();
    std::unordered_map<std::string_view, std::string_view> texts = ChangedDaysNow(now);
    std::unordered_map<std::string_view, QTime> until;
    for (const auto& day : texts) {
        until.emplace(day.first, kStillHeld);
    }
    for (size_t k = m_steps.size(); k > 0; --k) {
        const SStep& step = m_steps[k - 1];
        for (const auto& day : step.before) {
            hadText(day.first, texts[day.first], until[day.first]);
            if (!step.ours) {
                wrote(TextKey(day.first, texts[day.first]), step.fileTime);
            }
            texts[day.first] = day.second;
            until[day.first] = step.fileTime;
        }
    }
    for (const auto& day : texts) {
        hadText(day.first, day.second, until[day.first]);
    }
    // The pieces of merged texts the file still holds (the texts themselves are the file's).
    for (const auto& day : now) {
        if (texts.count(day.first) == 0 &&
            day.second.find(kPieceLineHead) != std::string_view::npos) {
            for (const std::string& piece : PiecesOfText(std::string(day.second))) {
                had(TextKey(day.first, piece), kStillHeld);
            }
        }
    }
    if (m_startShared) {
        // Every text of the version the start read, keyed once.
        if (m_startKeys.empty() && m_startBytes) {
            for (const auto& day : TextsOf(*m_startBytes)) {
                m_startKeys.push_back(TextKey(day.first, day.second));
            }
        }
        for (uint64_t k : m_startKeys) {
            wrote(k, m_startTime);
        }
    }
    return times;
}

void CNotesLineage::MarkContested(uint64_t canonicalHash) {
    if (canonicalHash == m_startHash) {
        m_startContested = true;
    }
    for (SStep& step : m_steps) {
        if (step.hash == canonicalHash) {
            step.contested = true;
        }
    }
}
