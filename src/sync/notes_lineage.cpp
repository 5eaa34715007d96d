// The recent versions of the notes file and what each change from elsewhere was made from.
#include "sync/notes_lineage.h"

#include "base/hash.h"
#include "base/stored_text.h"
#include "storage/archive.h"
#include "storage/notes_file.h"
#include "sync/notes_merge.h"

#include <algorithm>
#include <optional>
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

// The every-day note and each day's first non-blank text, as texts (not as stored): a text
// outside the code page is stored behind a mark that no notebook's text holds. Texts that need
// decoding live in store.
DayTexts TextsOf(const std::string& bytes, std::deque<std::string>& store) {
    DayTexts texts;
    CRecordReader reader(bytes);
    std::string_view every;
    int32_t count = 0;
    if (!reader.Counted(every) || !reader.Count(count)) {
        return texts;
    }
    auto text = [&](std::string_view stored) -> std::string_view {
        if (std::all_of(stored.begin(), stored.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            return stored;
        }
        return store.emplace_back(TextFromStored(std::string(stored)));
    };
    texts.reserve(count > 0 ? static_cast<size_t>(std::min(count, 1 << 20)) + 1 : 1);
    texts.emplace(kEveryDayKey, text(every));
    for (int32_t i = 0; i < count; ++i) {
        std::string_view key;
        std::string_view note;
        if (!reader.Counted(key) || !reader.Counted(note)) {
            break;
        }
        if (!IsBlankNote(std::string(note))) {
            texts.emplace(key, text(note));
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

uint64_t LineKey(std::string_view day, std::string_view line) {
    return TextKey(day, line) ^ 0x9e3779b97f4a7c15ull;
}

// Calls f for each line of a text that someone typed: not blank, no line that parts the texts
// of two places.
template <typename F> void ForEachTypedLine(std::string_view text, F f) {
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        const std::string_view line = text.substr(at, end - at);
        if (line.find_first_not_of(" \r\n") != std::string_view::npos &&
            line.compare(0, sizeof kPieceLineHead - 1, kPieceLineHead) != 0) {
            f(line);
        }
        at = end + 2;
    }
}

bool HasLine(std::string_view text, std::string_view line) {
    for (size_t at = text.find(line); at != std::string_view::npos; at = text.find(line, at + 1)) {
        const size_t end = at + line.size();
        if ((at == 0 || text.compare(at - 2, 2, "\r\n") == 0) &&
            (end == text.size() || text.compare(end, 2, "\r\n") == 0)) {
            return true;
        }
    }
    return false;
}

// The text without the given lines, the rest as it was.
std::string WithoutLines(std::string_view text, const std::unordered_set<std::string_view>& lines) {
    std::string kept;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        const std::string_view line = text.substr(at, end - at);
        if (lines.count(line) == 0) {
            kept.append(at == 0 || kept.empty() ? "" : "\r\n").append(line);
        }
        at = end + 2;
    }
    return kept;
}

std::string_view TextIn(const DayTexts& texts, std::string_view day) {
    const auto it = texts.find(day);
    return it == texts.end() ? std::string_view() : it->second;
}

// The every-day note and the texts of the given days, as they are in notes.
DayTexts TextsOfDays(const SNotebook& notes, const DayTexts& days) {
    DayTexts texts;
    if (days.count(kEveryDayKey) != 0) {
        texts.emplace(kEveryDayKey, notes.everyDay);
    }
    for (const SDay& day : notes.days) {
        if (days.count(day.strDate) != 0 && !IsBlankNote(day.strNote)) {
            texts.emplace(day.strDate, day.strNote);
        }
    }
    return texts;
}

// A notebook of the days either side has, each with the text textOf gives it; blank ones none.
template <class TextOf>
SNotebook NotebookOfDays(const DayTexts& one, const DayTexts& other, TextOf textOf) {
    std::vector<std::string_view> days;
    for (const DayTexts* in : {&one, &other}) {
        for (const auto& day : *in) {
            days.push_back(day.first);
        }
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    SNotebook notes;
    for (std::string_view day : days) {
        std::string text = textOf(day);
        if (day == kEveryDayKey) {
            notes.everyDay = std::move(text);
        } else if (!IsBlankNote(text)) {
            notes.days.push_back(SDay{std::string(day), std::move(text)});
        }
    }
    std::sort(notes.days.begin(), notes.days.end(), [](const SDay& a, const SDay& b) {
        return CSortKey(a.strDate).Compare(CSortKey(b.strDate)) < 0;
    });
    return notes;
}

// A text the other computer had written before `was` and writes again after it is a change
// there (a line taken out and put back), not an older text. All three times are of its clock.
bool WrittenAgain(const std::unordered_map<uint64_t, QTime>& foreign, uint64_t text, uint64_t was,
                  QTime theirTime) {
    const auto first = foreign.find(text);
    const auto since = foreign.find(was);
    return text != was && first != foreign.end() && since != foreign.end() &&
           first->second + kFileTimeSlackSeconds < since->second &&
           since->second + kFileTimeSlackSeconds < theirTime;
}

DayTexts TextsOfNotes(const SNotebook& notes) {
    DayTexts texts;
    texts.reserve(notes.days.size() + 1);
    texts.emplace(kEveryDayKey, notes.everyDay);
    for (const SDay& day : notes.days) {
        if (!IsBlankNote(day.strNote)) {
            texts.emplace(day.strDate, day.strNote);
        }
    }
    return texts;
}

} // namespace

void CNotesLineage::Start(std::shared_ptr<const std::string> canonical, uint64_t canonicalHash,
                          SFileStamp stamp, uint64_t fileHash, bool writtenHere,
                          std::unordered_map<uint64_t, QTime> priorTexts,
                          std::unordered_map<uint64_t, QTime> priorForeign,
                          std::function<std::shared_ptr<const std::string>()> shared) {
    m_startHash = canonical ? canonicalHash : 0;
    m_startContested = false;
    m_ownCopyFiled = false;
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
    m_foreignLines.clear();
    m_priorOwn.clear();
    m_priorComplete = false;
    m_trimmed = false;
}

void CNotesLineage::Record(bool ours, std::shared_ptr<const std::string> canonical,
                           uint64_t canonicalHash, SFileStamp stamp, uint64_t fileHash) {
    SStep step;
    step.ours = ours;
    step.fileTime = stamp.writeTime;
    step.hash = canonicalHash;
    if (m_base) {
        std::deque<std::string> store;
        const DayTexts old = TextsOf(*m_base, store);
        const DayTexts now = TextsOf(*canonical, store);
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
        for (const auto& day : step.before) {
            if (!ours) {
                NoteForeignLines(day.first, TextIn(now, day.first));
                continue;
            }
            // Kept for this computer's record of its writes (OwnSteps).
            AddForeignKeys(day.first, TextIn(now, day.first), step.foreignAfter);
        }
    }
    step.bytes = BytesOf(step.before);
    m_stepBytes += step.bytes;
    m_steps.push_back(std::move(step));
    // Once the file moves on, the start's version is known by its keys alone: its bytes would
    // be a second notebook held for the whole session.
    KeyStart();
    m_startBytes.reset();
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
        m_priorOwn.clear();
        m_trimmed = true;
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

SNotebook CNotesLineage::BaseForChange(QTime writeTime, QTime seenAt, const SNotebook& theirs,
                                       const SNotebook& mine) const {
    // Made from the last write of ours whose own lines it holds, or that it came well after;
    // else from the last version from elsewhere. Its file time tells nothing: the other
    // computer's clock may be minutes off.
    const size_t sync = AfterLastForeign(m_steps.size());
    const size_t seen = SeenUpTo(theirs, sync);
    size_t from = sync;
    while (from < m_steps.size() && m_steps[from].fileTime + kRaceWindowSeconds < seenAt) {
        ++from;
    }
    from = std::max(from, seen);
    // A version of ours since the last one from elsewhere was filed as a conflict: the version
    // in the file now was made beside it, however late it came, unless it holds its lines (the
    // other computer merged the copy in).
    bool contested = sync == 0 && m_startContested;
    for (size_t i = sync; i < m_steps.size(); ++i) {
        if (m_steps[i].contested) {
            from = seen > i ? from : std::min(from, seen);
            contested = true;
        }
    }
    SNotebook base;
    if (from == 0 && (m_startFromFile || m_startContested) && !m_startShared &&
        (m_startContested || contested || m_startTime + kRaceWindowSeconds >= seenAt)) {
        // The start's version is one of ours: day by day, what theirs shows of it. A version
        // made beside a filed one of this run may have come from anywhere before it: its time
        // tells nothing of whether it saw the start's.
        SNotebook shared;
        if (!SharedBeforeSteps(shared)) {
            return BaseByKnownTexts(theirs, writeTime);
        }
        base = BaseForOwn(theirs, VersionBefore(0), shared, m_startContested);
    } else {
        base = VersionBefore(from);
    }
    ForgetChangedBack(from, mine, base);
    // Where conflicts were filed, a version may come back merged with a copy older than what
    // this side went on to: a text of a day this side had before is no change made there.
    const bool filed = contested || m_startContested || m_ownCopyFiled ||
                       std::any_of(m_steps.begin(), m_steps.end(),
                                   [](const SStep& step) { return step.contested; });
    if (filed) {
        TakeKnownTexts(theirs, writeTime, base);
    }
    return base;
}

template <typename F>
void CNotesLineage::ForEachOwnLine(const SNotebook& theirs, size_t from, F f) const {
    if (from >= m_steps.size() || !m_base) {
        return;
    }
    // Each step's texts after it, back from the file's version.
    std::deque<std::string> store;
    const DayTexts now = TextsOf(*m_base, store);
    DayTexts texts = ChangedDaysNow(now);
    std::vector<std::vector<std::string_view>> after(m_steps.size());
    for (size_t k = m_steps.size(); k > 0; --k) {
        for (const auto& day : m_steps[k - 1].before) {
            after[k - 1].push_back(texts[day.first]);
            texts[day.first] = day.second;
        }
    }
    const DayTexts theirTexts = TextsOfDays(theirs, texts);
    // Forward, with the lines each day held before: a line a write of ours brought that no
    // earlier text of the day held, nor one from elsewhere, is its own.
    std::unordered_map<std::string_view, std::unordered_set<std::string_view>> held;
    for (size_t k = 0; k < m_steps.size(); ++k) {
        const SStep& step = m_steps[k];
        for (size_t d = 0; d < step.before.size(); ++d) {
            const std::string& day = step.before[d].first;
            std::unordered_set<std::string_view>& lines = held[day];
            ForEachTypedLine(step.before[d].second, [&](std::string_view l) { lines.insert(l); });
            if (k < from || !step.ours) {
                continue;
            }
            const std::string_view their = TextIn(theirTexts, day);
            ForEachTypedLine(after[k][d], [&](std::string_view l) {
                if (lines.count(l) == 0 && m_foreignLines.count(LineKey(day, l)) == 0) {
                    f(k, day, l, their);
                }
            });
        }
    }
}

size_t CNotesLineage::SeenUpTo(const SNotebook& theirs, size_t from) const {
    if (from >= m_steps.size() || !m_base) {
        return std::max(from, m_steps.size());
    }
    size_t seen = from;
    ForEachOwnLine(theirs, from,
                   [&](size_t k, std::string_view, std::string_view l, std::string_view their) {
                       if (seen <= k && HasLine(their, l)) {
                           seen = k + 1;
                       }
                   });
    return seen;
}

SNotebook CNotesLineage::BaseForOwn(const SNotebook& file, const SNotebook& own,
                                    const SNotebook& before, bool madeBeside,
                                    const std::unordered_set<std::string>* besideDays) const {
    const DayTexts fileTexts = TextsOfNotes(file);
    const DayTexts ownTexts = TextsOfNotes(own);
    const DayTexts was = TextsOfNotes(before);
    auto had = [&](std::string_view day, std::string_view text) {
        const uint64_t key = TextKey(day, text);
        return m_priorTexts.count(key) != 0 || m_copyTexts.count(key) != 0;
    };
    // The lines ours brought to each day; whether the file holds any of them anywhere, so that
    // it was made from ours, or from an earlier version of ours.
    std::unordered_map<std::string_view, std::vector<std::string_view>> brought;
    bool held = false;
    for (const auto& day : ownTexts) {
        const std::string_view s = TextIn(was, day.first);
        const std::string_view f = TextIn(fileTexts, day.first);
        ForEachTypedLine(day.second, [&](std::string_view l) {
            if (!HasLine(s, l)) {
                brought[day.first].push_back(l);
                held = held || HasLine(f, l);
            }
        });
    }
    // A version is one whole notebook: a day on which it shows an older text of ours dates
    // all of it from before ours, so a day ours brought lines to may not have had them yet.
    const bool earlier =
        held && std::any_of(fileTexts.begin(), fileTexts.end(), [&](const auto& day) {
            return day.second != TextIn(ownTexts, day.first) &&
                   !IsBlankNote(std::string(day.second)) && had(day.first, day.second);
        });
    auto baseText = [&](std::string_view day) {
        const std::string_view f = TextIn(fileTexts, day);
        const std::string_view w = TextIn(ownTexts, day);
        const std::string_view s = TextIn(was, day);
        const auto lines = brought.find(day);
        if (f == w) {
            return std::string(w);
        }
        if (!held || madeBeside ||
            (besideDays != nullptr && besideDays->count(std::string(day)) != 0)) {
            // Never had ours: a text this side had before is older there.
            return std::string(lines != brought.end() && had(day, f) ? f : s);
        }
        if (lines == brought.end()) {
            return std::string(w); // ours only took lines out here
        }
        if (!IsBlankNote(std::string(f)) && had(day, f)) {
            return std::string(f); // made from an earlier version of ours
        }
        // Made from ours, or from an earlier text of ours that held just the lines it holds.
        std::unordered_set<std::string_view> missing;
        for (std::string_view l : lines->second) {
            if (!HasLine(f, l)) {
                missing.insert(l);
            }
        }
        const std::string kept = WithoutLines(w, missing);
        return kept != w && (kept == s ? earlier && f == s : had(day, kept)) ? kept
                                                                             : std::string(w);
    };
    return NotebookOfDays(fileTexts, ownTexts, baseText);
}

void CNotesLineage::AddForeignKeys(std::string_view day, std::string_view text,
                                   std::vector<uint64_t>& keys) const {
    ForEachTypedLine(text, [&](std::string_view l) {
        const uint64_t key = LineKey(day, l);
        if (m_foreignLines.count(key) != 0) {
            keys.push_back(key);
        }
    });
}

void CNotesLineage::NoteForeignLines(std::string_view day, std::string_view text) {
    if (m_foreignLines.size() > kMaxCopyTexts) {
        m_foreignLines.clear();
    }
    ForEachTypedLine(text, [&](std::string_view l) { m_foreignLines.insert(LineKey(day, l)); });
}

void CNotesLineage::TakeKnownTexts(const SNotebook& theirs, QTime theirTime,
                                   SNotebook& base) const {
    // Texts of earlier sessions and of copies: theirs holds one this side had, so theirs is
    // older there. Which came first the two clocks cannot tell; the other computer's own times
    // can tell only a text it wrote again.
    std::unordered_set<uint64_t> had;
    for (const auto* texts : {&m_priorTexts, &m_copyTexts}) {
        for (const auto& text : *texts) {
            had.insert(text.first);
        }
    }
    // And the texts the file held in this run before its last version.
    for (const SStep& step : m_steps) {
        for (const auto& day : step.before) {
            if (!day.second.empty()) {
                had.insert(TextKey(day.first, day.second));
            }
        }
    }
    std::optional<STextTimes> times; // worked out once a text this side had turns up
    auto stale = [&](const std::string& day, const std::string& text, const std::string& was) {
        const uint64_t key = TextKey(day, text);
        if (had.count(key) == 0) {
            return false;
        }
        if (!times) {
            times = TextTimes();
        }
        return !WrittenAgain(times->foreign, key, TextKey(day, was), theirTime);
    };
    if (!IsBlankNote(theirs.everyDay) && stale(kEveryDayKey, theirs.everyDay, base.everyDay)) {
        base.everyDay = theirs.everyDay;
    }
    std::unordered_map<std::string, std::string*> inBase;
    for (SDay& day : base.days) {
        inBase.emplace(day.strDate, &day.strNote);
    }
    DayArray added;
    for (const SDay& day : theirs.days) {
        const auto it = inBase.find(day.strDate);
        if (IsBlankNote(day.strNote) ||
            !stale(day.strDate, day.strNote, it != inBase.end() ? *it->second : std::string())) {
            continue;
        }
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
                                          const SNotebook* oursGiven, QTime oursWritten) const {
    std::deque<std::string> store;
    const DayTexts now = m_base ? TextsOf(*m_base, store) : DayTexts();
    const std::string oursBytes =
        oursGiven != nullptr ? SerializeNotes(oursGiven->days, oursGiven->everyDay) : std::string();
    const DayTexts oursTexts = oursGiven != nullptr ? TextsOf(oursBytes, store) : now;
    const auto key = TextKey;
    // The texts this side had: a version of theirs that holds one is older than the change
    // here, not a change there. Set beside a version of ours other than the file's, the file's
    // version is theirs: only earlier sessions tell what this side had. Since when the other
    // side had each text: it came in a version written there.
    const STextTimes times =
        oursGiven != nullptr ? STextTimes{m_priorTexts, m_priorForeign} : TextTimes();
    const std::unordered_map<uint64_t, QTime>& known = times.replaced;
    const std::unordered_map<uint64_t, QTime>& foreign = times.foreign;
    // A day whose text there is an older one of this side's is unchanged there. Otherwise,
    // where this side's text came from there before theirs was written, they changed it (or
    // deleted it); where it did not, nobody can tell what they started from: no base, and both
    // texts stay.
    // Writes of ours that theirs shows nothing of changed their days here too.
    const std::unordered_map<std::string_view, QTime> changedHere =
        oursGiven != nullptr ? std::unordered_map<std::string_view, QTime>()
                             : ChangedHere(SeenUpTo(theirs, 0));
    // The last version they sent: a text written again since is merged against it. Built (or
    // read from the record) only once a text of theirs turns out to be one this side had.
    std::optional<SNotebook> sent;
    DayTexts sentTexts;
    auto sentText = [&](std::string_view day) {
        if (!sent) {
            sent.emplace();
            const size_t sync = AfterLastForeign(m_steps.size());
            if (oursGiven == nullptr && sync > 0) {
                *sent = VersionBefore(sync);
            } else if (oursGiven == nullptr && !SharedBeforeSteps(*sent)) {
                *sent = SNotebook();
            }
            sentTexts = TextsOfNotes(*sent);
        }
        return TextIn(sentTexts, day);
    };
    auto baseText = [&](std::string_view day, std::string_view theirText) {
        const std::string_view ours = TextIn(oursTexts, day);
        if (theirText == ours) {
            return std::string(theirText);
        }
        const auto had = known.find(key(day, theirText));
        if (had != known.end() &&
            (oursWritten == 0 || had->second <= oursWritten + kFileTimeSlackSeconds)) {
            const std::string_view was = sentText(day);
            return std::string(WrittenAgain(foreign, key(day, theirText), key(day, was), theirTime)
                                   ? was
                                   : theirText);
        }
        // Their text is newer than ours, which came from there: they changed it, unless this
        // side changed it too (and put it back). Both times are file times of their writes.
        const auto wrote = foreign.find(key(day, ours));
        const bool theirsToo = wrote != foreign.end() &&
                               wrote->second + kFileTimeSlackSeconds < theirTime &&
                               changedHere.count(day) == 0;
        return theirsToo ? std::string(ours) : std::string();
    };
    const std::string theirBytes = SerializeNotes(theirs.days, theirs.everyDay);
    const DayTexts theirTexts = TextsOf(theirBytes, store);
    return NotebookOfDays(oursTexts, theirTexts, [&](std::string_view day) {
        return baseText(day, TextIn(theirTexts, day));
    });
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
    // Only the days it holds otherwise than the file: a copy is a whole notebook.
    std::deque<std::string> store;
    const DayTexts file = m_base ? TextsOf(*m_base, store) : DayTexts();
    for (const auto& day : TextsOfNotes(copy)) {
        if (TextIn(file, day.first) != day.second) {
            NoteForeignLines(day.first, day.second);
        }
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
    std::deque<std::string> store;
    const DayTexts now = m_base ? TextsOf(*m_base, store) : DayTexts();
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
        KeyStart();
        for (uint64_t k : m_startKeys) {
            wrote(k, m_startTime);
        }
    }
    return times;
}

void CNotesLineage::KeyStart() const {
    if (m_startKeys.empty() && m_startBytes) {
        std::deque<std::string> store;
        for (const auto& day : TextsOf(*m_startBytes, store)) {
            m_startKeys.push_back(TextKey(day.first, day.second));
        }
    }
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

namespace {

const char kOwnStepsHead[] = "QOWN2\n";
// Kept small: a record this size is written with every save.
constexpr size_t kMostOwnStepBytes = 1u << 20;

} // namespace

std::string CNotesLineage::OwnSteps() const {
    const size_t from = AfterLastForeign(m_steps.size());
    if (from == m_steps.size()) {
        return std::string();
    }
    std::vector<const SStep*> steps;
    if (from == 0) {
        for (const SStep& step : m_priorOwn) {
            steps.push_back(&step);
        }
    }
    for (size_t i = from; i < m_steps.size(); ++i) {
        steps.push_back(&m_steps[i]);
    }
    // The latest that fit.
    size_t first = steps.size();
    size_t bytes = 0;
    while (first > 0 && bytes + steps[first - 1]->bytes <= kMostOwnStepBytes) {
        bytes += steps[--first]->bytes;
    }
    // Lines of theirs that merges of ours brought are no sign of a write of ours either.
    std::vector<uint64_t> foreign;
    std::unordered_set<std::string_view> days;
    for (size_t i = first; i < steps.size(); ++i) {
        for (const auto& day : steps[i]->before) {
            AddForeignKeys(day.first, day.second, foreign);
            days.insert(day.first);
        }
        foreign.insert(foreign.end(), steps[i]->foreignAfter.begin(), steps[i]->foreignAfter.end());
    }
    // Nor are lines those days held before the record begins (an older write of ours that the
    // other computer lacked is in a merge of ours again).
    const size_t prior = from == 0 ? m_priorOwn.size() : 0;
    const size_t unrecorded = first < prior ? 0 : from + first - prior;
    for (size_t k = 0; k < unrecorded; ++k) {
        for (const auto& day : m_steps[k].before) {
            if (days.count(day.first) != 0) {
                ForEachTypedLine(day.second, [&](std::string_view l) {
                    foreign.push_back(LineKey(day.first, l));
                });
            }
        }
    }
    std::sort(foreign.begin(), foreign.end());
    foreign.erase(std::unique(foreign.begin(), foreign.end()), foreign.end());
    // Whether the first step went on from the last version taken in from elsewhere.
    const bool complete =
        first == 0 &&
        (from > 0 || (!m_trimmed && (m_priorOwn.empty() ? m_startShared : m_priorComplete)));
    CMemoryWriter out;
    out.Write(kOwnStepsHead, sizeof kOwnStepsHead - 1);
    CDataArchive ar(out, CDataArchive::Mode::Store);
    ar.WriteUInt64(m_steps.back().hash).WriteFlag(complete).WriteUInt64(foreign.size());
    for (uint64_t key : foreign) {
        ar.WriteUInt64(key);
    }
    ar.WriteUInt64(steps.size() - first);
    for (size_t i = first; i < steps.size(); ++i) {
        const SStep& step = *steps[i];
        ar.WriteUInt64(static_cast<uint64_t>(step.fileTime)).WriteUInt64(step.hash);
        ar.WriteUInt64(step.before.size());
        for (const auto& day : step.before) {
            ar.WriteString(day.first).WriteString(day.second);
        }
    }
    ar.Close();
    return out.TakeBytes();
}

bool CNotesLineage::ParseOwnSteps(const std::string& bytes, uint64_t& endHash, bool& complete,
                                  std::vector<uint64_t>& foreign, std::deque<SStep>& steps) {
    const size_t head = sizeof kOwnStepsHead - 1;
    if (bytes.compare(0, head, kOwnStepsHead) != 0) {
        return false;
    }
    CMemoryReader in(bytes.data() + head, bytes.size() - head);
    CDataArchive ar(in, CDataArchive::Mode::Load);
    // A count is checked against the bytes left, so that a damaged one asks for no more memory.
    const auto count = [&ar](uint64_t each) {
        const uint64_t n = ar.ReadUInt64();
        if (n > ar.Remaining() / each) {
            throw CArchiveError("count past the end");
        }
        return static_cast<size_t>(n);
    };
    return ReadOrFail([&] {
        endHash = ar.ReadUInt64();
        complete = ar.ReadFlag();
        foreign.resize(count(8));
        for (uint64_t& key : foreign) {
            key = ar.ReadUInt64();
        }
        for (size_t i = count(24); i > 0; --i) {
            SStep& step = steps.emplace_back();
            step.ours = true;
            step.fileTime = static_cast<QTime>(ar.ReadUInt64());
            step.hash = ar.ReadUInt64();
            step.before.resize(count(2));
            for (auto& day : step.before) {
                day.first = ar.ReadString();
                day.second = ar.ReadString();
            }
            step.bytes = BytesOf(step.before);
        }
        return ar.Remaining() == 0;
    });
}

void CNotesLineage::ContinueOwnSteps(const std::string& steps) {
    uint64_t endHash = 0;
    bool complete = false;
    std::vector<uint64_t> foreign;
    m_priorOwn.clear();
    if (!m_steps.empty() || !ParseOwnSteps(steps, endHash, complete, foreign, m_priorOwn) ||
        endHash != m_startHash) {
        m_priorOwn.clear();
        return;
    }
    m_priorComplete = complete;
    m_foreignLines.insert(foreign.begin(), foreign.end());
    // Their keys go on with the steps into later records.
    if (!m_priorOwn.empty()) {
        m_priorOwn.back().foreignAfter = std::move(foreign);
    }
}

bool CNotesLineage::LastOwnSeen(const std::shared_ptr<const std::string>& lastWrite,
                                const std::string& steps, const SNotebook& file, SOwnSeen& seen) {
    CNotesLineage chain;
    if (!lastWrite) {
        return false;
    }
    chain.Start(lastWrite, HashBytes(*lastWrite), SFileStamp(), 0, true);
    chain.ContinueOwnSteps(steps);
    if (chain.m_priorOwn.empty()) {
        return false;
    }
    chain.m_steps = std::move(chain.m_priorOwn);
    // Holding none of their lines, it was made from what they were made from, when known.
    const size_t upTo = chain.SeenUpTo(file, 0);
    if (upTo == 0 && !chain.m_priorComplete) {
        return false;
    }
    seen.before = chain.VersionBefore(upTo);
    // Only lines of ours the last write still holds tell that the file lacks them.
    seen.besideDays.clear();
    chain.ForEachOwnLine(
        chain.Current(), upTo,
        [&](size_t, std::string_view day, std::string_view l, std::string_view last) {
            if (HasLine(last, l)) {
                seen.besideDays.insert(std::string(day));
            }
        });
    seen.noneHeld = upTo == 0 && !seen.besideDays.empty();
    return true;
}
