#include "storage/notes_merge.h"

#include "base/hash.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

// The first note of each day, as GetDayNote finds it; blank notes count as none.
using DayIndex = std::unordered_map<std::string, const std::string*>;

DayIndex IndexOf(const DayArray& days) {
    DayIndex index;
    index.reserve(days.size());
    for (const SDay& day : days) {
        index.emplace(day.strDate, &day.strNote);
    }
    return index;
}

const std::string& NoteIn(const DayIndex& index, const std::string& key) {
    static const std::string none;
    const auto it = index.find(key);
    return it == index.end() || IsBlankNote(*it->second) ? none : *it->second;
}

std::string MergeText(const std::string& base, const std::string& mine, const std::string& theirs,
                      const std::string& line, bool theirsStale) {
    if (mine == theirs || theirs == base || theirsStale) {
        return mine;
    }
    if (mine == base) {
        return theirs;
    }
    if (IsBlankNote(mine) || IsBlankNote(theirs)) {
        return IsBlankNote(mine) ? theirs : mine; // emptied on one side, changed on the other
    }
    // A side whose text holds the other's whole loses nothing by being kept alone: typing that
    // went on from an older copy.
    if (mine.find(theirs) != std::string::npos) {
        return mine;
    }
    if (theirs.find(mine) != std::string::npos) {
        return theirs;
    }
    return mine + "\r\n" + line + "\r\n" + theirs;
}

uint64_t HashOf(std::string_view text) {
    return HashBytes(std::string(text));
}

// The records of a canonical notes serialization, read in place.
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
        if (length > static_cast<uint64_t>(m_end - m_at) - prefix) {
            return false;
        }
        text = std::string_view(m_at + prefix, static_cast<size_t>(length));
        m_at += prefix + length;
        return true;
    }
    bool Count(uint32_t& count) {
        if (m_end - m_at < 4) {
            return false;
        }
        count = 0;
        for (int i = 3; i >= 0; --i) {
            count = (count << 8) | static_cast<unsigned char>(m_at[i]);
        }
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

int CompareKeys(std::string_view a, std::string_view b) {
    const int c = CSortKey(a).Compare(CSortKey(b));
    return c != 0 ? c : a.compare(b);
}

const char kEveryDayKey[] = "\x01every day";

} // namespace

void CRecentDays::Remember(std::string_view key, std::string_view text) {
    m_before.emplace_back(std::string(key),
                          IsBlankNote(std::string(text)) ? HashOf("") : HashOf(text));
    if (m_before.size() > kRemembered) {
        m_before.pop_front();
    }
}

void CRecentDays::Record(const std::string& before, const std::string& after) {
    if (before == after) {
        return;
    }
    CRecordReader old(before);
    CRecordReader now(after);
    std::string_view everyOld;
    std::string_view everyNow;
    uint32_t leftOld = 0;
    uint32_t leftNow = 0;
    if (!old.Counted(everyOld) || !old.Count(leftOld) || !now.Counted(everyNow) ||
        !now.Count(leftNow)) {
        return;
    }
    if (everyOld != everyNow) {
        Remember(kEveryDayKey, everyOld);
    }
    // Both are in date order: one walk in step finds the days added, removed and changed.
    std::string_view keyOld;
    std::string_view textOld;
    std::string_view keyNow;
    std::string_view textNow;
    auto next = [](CRecordReader& reader, uint32_t& left, std::string_view& key,
                   std::string_view& text) {
        if (left == 0) {
            return false;
        }
        --left;
        return reader.Counted(key) && reader.Counted(text);
    };
    bool haveOld = next(old, leftOld, keyOld, textOld);
    bool haveNow = next(now, leftNow, keyNow, textNow);
    while (haveOld || haveNow) {
        const int c = !haveOld ? 1 : !haveNow ? -1 : CompareKeys(keyOld, keyNow);
        if (c <= 0 && (c < 0 || textOld != textNow)) {
            Remember(keyOld, textOld);
        } else if (c > 0) {
            Remember(keyNow, std::string_view());
        }
        if (c <= 0) {
            haveOld = next(old, leftOld, keyOld, textOld);
        }
        if (c >= 0) {
            haveNow = next(now, leftNow, keyNow, textNow);
        }
    }
}

bool CRecentDays::HeldBefore(const std::string& key, const std::string& text) const {
    const uint64_t hash = IsBlankNote(text) ? HashOf("") : HashOf(text);
    return std::any_of(m_before.begin(), m_before.end(), [&](const auto& entry) {
        return entry.first == key && entry.second == hash;
    });
}

bool CRecentDays::EveryDayHeldBefore(const std::string& text) const {
    return HeldBefore(kEveryDayKey, text);
}

std::string ElsewhereLine(QTime savedElsewhere) {
    return "----- also saved elsewhere, " + FormatTime(savedElsewhere, "%d.%m.%Y %H:%M") + " -----";
}

SNotebook MergeNotebooks(const SNotebook& base, const SNotebook& mine, const SNotebook& theirs,
                         const std::string& elsewhereLine, const CRecentDays* recent) {
    const DayIndex baseIndex = IndexOf(base.days);
    const DayIndex mineIndex = IndexOf(mine.days);
    const DayIndex theirIndex = IndexOf(theirs.days);

    std::vector<std::string> keys;
    keys.reserve(mineIndex.size() + theirIndex.size());
    for (const DayIndex* index : {&mineIndex, &theirIndex}) {
        for (const auto& entry : *index) {
            keys.push_back(entry.first);
        }
    }
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        const int c = CSortKey(a).Compare(CSortKey(b));
        return c != 0 ? c < 0 : a < b;
    });
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());

    SNotebook merged;
    merged.everyDay = MergeText(base.everyDay, mine.everyDay, theirs.everyDay, elsewhereLine,
                                recent != nullptr && theirs.everyDay != base.everyDay &&
                                    recent->EveryDayHeldBefore(theirs.everyDay));
    merged.days.reserve(keys.size());
    for (std::string& key : keys) {
        const std::string& theirText = NoteIn(theirIndex, key);
        const std::string& baseText = NoteIn(baseIndex, key);
        const bool stale =
            recent != nullptr && theirText != baseText && recent->HeldBefore(key, theirText);
        std::string text =
            MergeText(baseText, NoteIn(mineIndex, key), theirText, elsewhereLine, stale);
        if (!IsBlankNote(text)) {
            merged.days.push_back(SDay{std::move(key), std::move(text)});
        }
    }
    return merged;
}
