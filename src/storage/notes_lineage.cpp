#include "storage/notes_lineage.h"

#include "base/hash.h"
#include "storage/notes_file.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace {

// Enough for a day of saves; a version of a whole notebook (an import) may take more than one.
constexpr size_t kMaxSteps = 64;
constexpr size_t kMaxStepBytes = 32u << 20;

const char kEveryDayKey[] = "\x01";

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

bool ParseCanonical(const std::string& bytes, SNotebook& notes) {
    CMemoryReader reader(bytes);
    return ReadNotes(notes.days, notes.everyDay, reader);
}

} // namespace

void CNotesLineage::Start(std::shared_ptr<const std::string> canonical, SFileStamp stamp,
                          uint64_t fileHash) {
    m_startHash = canonical ? HashBytes(*canonical) : 0;
    m_startContested = false;
    m_base = std::move(canonical);
    m_stamp = stamp;
    m_fileHash = fileHash;
    m_steps.clear();
    m_stepBytes = 0;
}

void CNotesLineage::Record(bool ours, std::shared_ptr<const std::string> canonical,
                           SFileStamp stamp, uint64_t fileHash) {
    SStep step;
    step.ours = ours;
    step.fileTime = stamp.writeTime;
    step.hash = HashBytes(*canonical);
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

bool CNotesLineage::HasForeign(size_t before) const {
    return AfterLastForeign(before) != 0;
}

SNotebook CNotesLineage::BaseForChange(QTime writeTime) const {
    size_t from = m_steps.size();
    for (size_t i = 0; i < m_steps.size(); ++i) {
        if (m_steps[i].ours && m_steps[i].fileTime + kRaceWindowSeconds >= writeTime) {
            from = i;
            break;
        }
    }
    const bool contested = m_steps.empty() ? m_startContested : m_steps.back().contested;
    if (contested) {
        // The version in the file now was made beside ours, from what both had last.
        if (!HasForeign(m_steps.size())) {
            return SNotebook();
        }
        from = std::min(from, AfterLastForeign(m_steps.size()));
    }
    return VersionBefore(from);
}

bool CNotesLineage::BaseForCopy(uint64_t canonicalHash, SNotebook& base) const {
    // The version of the copy: the latest one known with its bytes.
    size_t version = m_steps.size() + 1;
    for (size_t k = m_steps.size(); k > 0; --k) {
        if (m_steps[k - 1].hash == canonicalHash) {
            version = k;
            break;
        }
    }
    if (version > m_steps.size() && canonicalHash == m_startHash) {
        version = 0;
    }
    if (version <= m_steps.size() && AfterLastForeign(m_steps.size()) <= version) {
        return false; // nothing from elsewhere came in after it: the notes went on from it
    }
    const size_t at = version <= m_steps.size() ? version : m_steps.size();
    base = HasForeign(at) ? VersionBefore(AfterLastForeign(at)) : SNotebook();
    return true;
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
