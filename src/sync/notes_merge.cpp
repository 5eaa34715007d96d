// The three-way merge of two notebooks by day, and the order of texts kept from both sides.
#include "sync/notes_merge.h"

#include "base/stored_text.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

const char kLineHead[] = "----- also saved elsewhere, ";
const char kLineTail[] = " -----";
constexpr size_t kHeadSize = sizeof kLineHead - 1;
constexpr size_t kTailSize = sizeof kLineTail - 1;
// "DD.MM.YYYY HH:MM"
constexpr size_t kWhenSize = 16;

bool IsDigits(std::string_view text, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
    }
    return true;
}

// The moment a separator line names, as "YYYYMMDDHHMM", which sorts in time order; false for any
// other line.
bool StampOfLine(std::string_view line, std::string& stamp) {
    if (line.size() != kHeadSize + kWhenSize + kTailSize ||
        line.compare(0, kHeadSize, kLineHead) != 0 ||
        line.compare(kHeadSize + kWhenSize, kTailSize, kLineTail) != 0) {
        return false;
    }
    const std::string_view when = line.substr(kHeadSize, kWhenSize);
    if (!IsDigits(when, 0, 2) || when[2] != '.' || !IsDigits(when, 3, 2) || when[5] != '.' ||
        !IsDigits(when, 6, 4) || when[10] != ' ' || !IsDigits(when, 11, 2) || when[13] != ':' ||
        !IsDigits(when, 14, 2)) {
        return false;
    }
    stamp.assign(when.substr(6, 4));
    stamp.append(when.substr(3, 2)).append(when.substr(0, 2));
    stamp.append(when.substr(11, 2)).append(when.substr(14, 2));
    return true;
}

std::string LineOfStamp(const std::string& stamp) {
    return kLineHead + stamp.substr(6, 2) + "." + stamp.substr(4, 2) + "." + stamp.substr(0, 4) +
           " " + stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + kLineTail;
}

std::string StampOf(QTime time) {
    return FormatTime(time, "%Y%m%d%H%M");
}

struct SStampedPiece {
    std::string text;
    std::string stamp; // of the line before it; empty for a piece that opens its text
};

// A text cut at its separator lines; pieces of only blanks are no pieces.
std::vector<SStampedPiece> PiecesOf(const std::string& text) {
    std::vector<SStampedPiece> pieces;
    std::string stamp;
    size_t start = 0;
    auto close = [&](size_t end) {
        if (end <= start) {
            return; // two separator lines in a row
        }
        std::string piece = text.substr(start, end - start);
        if (!IsBlankNote(piece)) {
            pieces.push_back(SStampedPiece{std::move(piece), stamp});
        }
    };
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        std::string next;
        if (StampOfLine(std::string_view(text).substr(at, end - at), next)) {
            close(at >= 2 ? at - 2 : at);
            stamp = std::move(next);
            start = std::min(end + 2, text.size());
        }
        at = end + 2;
    }
    if (start < text.size()) {
        close(text.size());
    }
    return pieces;
}

bool HasPiece(const std::vector<SStampedPiece>& pieces, const std::string& text) {
    return std::any_of(pieces.begin(), pieces.end(),
                       [&](const SStampedPiece& p) { return p.text == text; });
}

// The longer text holds the shorter whole, and the shorter only added to the base: keeping the
// longer alone drops nothing of either.
bool HoldsAddition(const std::string& longer, const std::string& shorter, const std::string& base) {
    return longer.find(shorter) != std::string::npos &&
           (IsBlankNote(base) || shorter.find(base) != std::string::npos);
}

using LineCounts = std::unordered_map<std::string_view, int>;

LineCounts CountLines(std::string_view text) {
    LineCounts counts;
    for (size_t at = 0; at <= text.size();) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        ++counts[text.substr(at, end - at)];
        at = end + 2;
    }
    return counts;
}

// The lines of the three texts of a merge, each counted once.
struct SMergeLines {
    LineCounts base;
    LineCounts mine;
    LineCounts theirs;
};

// The one side only took lines out of the base, and the other took each of them out too: the
// other's text is what both did.
bool OnlyRemovedWhatOtherRemoved(const LineCounts& kept, const LineCounts& otherLines,
                                 const LineCounts& baseLines) {
    for (const auto& line : kept) {
        const auto it = baseLines.find(line.first);
        if (it == baseLines.end() || it->second < line.second) {
            return false; // added a line
        }
    }
    for (const auto& line : baseLines) {
        const auto k = kept.find(line.first);
        const int left = k == kept.end() ? 0 : k->second;
        const auto o = otherLines.find(line.first);
        if (left < line.second && o != otherLines.end() && o->second > left) {
            return false; // the other kept a line this side took out
        }
    }
    return true;
}

// Whether the kept pieces lack a line that both texts hold (separator lines aside).
template <typename Kept>
bool DropsLineOfBoth(const std::vector<Kept>& kept, const SMergeLines& lines) {
    LineCounts left;
    for (const Kept& k : kept) {
        for (const auto& line : CountLines(*k.text)) {
            left[line.first] += line.second;
        }
    }
    std::string stamp;
    for (const auto& line : lines.mine) {
        const auto it = lines.theirs.find(line.first);
        if (it != lines.theirs.end() && !line.first.empty() && !StampOfLine(line.first, stamp) &&
            left[line.first] < std::min(line.second, it->second)) {
            return true;
        }
    }
    return false;
}

std::string MergePieces(const std::string& base, const std::string& mine, const std::string& theirs,
                        QTime mineSaved, QTime theirsSaved, const SMergeLines& lines) {
    const std::vector<SStampedPiece> basePieces = PiecesOf(base);
    const std::vector<SStampedPiece> mineP = PiecesOf(mine);
    const std::vector<SStampedPiece> theirP = PiecesOf(theirs);
    struct SKept {
        const std::string* text;
        std::string stamp;   // the earliest line either side gave it
        std::string context; // its side's time, for a piece without a line
        bool removed;
    };
    std::vector<SKept> all;
    auto add = [&](const std::vector<SStampedPiece>& pieces, const std::string& context) {
        for (const SStampedPiece& piece : pieces) {
            auto it = std::find_if(all.begin(), all.end(),
                                   [&](const SKept& k) { return *k.text == piece.text; });
            if (it == all.end()) {
                const bool removed = HasPiece(basePieces, piece.text) &&
                                     !(HasPiece(mineP, piece.text) && HasPiece(theirP, piece.text));
                all.push_back(SKept{&piece.text, piece.stamp, context, removed});
                continue;
            }
            if (!piece.stamp.empty() && (it->stamp.empty() || piece.stamp < it->stamp)) {
                it->stamp = piece.stamp;
            }
            it->context = std::min(it->context, context);
        }
    };
    add(mineP, StampOf(mineSaved));
    add(theirP, StampOf(theirsSaved));
    std::vector<SKept> kept;
    for (const SKept& k : all) {
        if (!k.removed) {
            kept.push_back(k);
        }
    }
    // Each side removed what the other kept, or took a piece apart that the other left: both
    // stay rather than lose a line both sides still have.
    if (kept.empty() || DropsLineOfBoth(kept, lines)) {
        kept = all;
    }
    // A piece with a line keeps its time; one without goes first, as it opened its text.
    std::sort(kept.begin(), kept.end(), [](const SKept& a, const SKept& b) {
        if (a.stamp.empty() != b.stamp.empty()) {
            return a.stamp.empty();
        }
        const std::string& ta = a.stamp.empty() ? a.context : a.stamp;
        const std::string& tb = b.stamp.empty() ? b.context : b.stamp;
        return ta != tb ? ta < tb : *a.text < *b.text;
    });
    std::string merged = *kept.front().text;
    for (size_t i = 1; i < kept.size(); ++i) {
        const std::string& stamp = kept[i].stamp.empty() ? kept[i].context : kept[i].stamp;
        merged += "\r\n" + LineOfStamp(stamp) + "\r\n" + *kept[i].text;
    }
    return merged;
}

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

} // namespace

std::vector<std::string> PiecesOfText(const std::string& text) {
    std::vector<std::string> texts;
    for (SStampedPiece& piece : PiecesOf(text)) {
        texts.push_back(std::move(piece.text));
    }
    return texts;
}

std::string ElsewhereLine(QTime saved) {
    return LineOfStamp(StampOf(saved));
}

std::string MergeText(const std::string& base, const std::string& mine, const std::string& theirs,
                      QTime mineSaved, QTime theirsSaved) {
    if (mine == theirs || theirs == base) {
        return mine;
    }
    if (mine == base) {
        return theirs;
    }
    // Emptied on one side, changed on the other: the text stays.
    if (IsBlankNote(theirs)) {
        return mine;
    }
    if (IsBlankNote(mine)) {
        return theirs;
    }
    // Texts put together must be texts: bytes kept as read join as they show.
    if (IsKeptBytes(base) || IsKeptBytes(mine) || IsKeptBytes(theirs)) {
        return MergeText(ShownText(base), ShownText(mine), ShownText(theirs), mineSaved,
                         theirsSaved);
    }
    const SMergeLines lines{CountLines(base), CountLines(mine), CountLines(theirs)};
    if (OnlyRemovedWhatOtherRemoved(lines.theirs, lines.mine, lines.base)) {
        return mine;
    }
    if (OnlyRemovedWhatOtherRemoved(lines.mine, lines.theirs, lines.base)) {
        return theirs;
    }
    if (HoldsAddition(mine, theirs, base)) {
        return mine;
    }
    if (HoldsAddition(theirs, mine, base)) {
        return theirs;
    }
    return MergePieces(base, mine, theirs, mineSaved, theirsSaved, lines);
}

SNotebook MergeNotebooks(const SNotebook& base, const SNotebook& mine, const SNotebook& theirs,
                         QTime mineSaved, QTime theirsSaved, const SNotebook* saved,
                         QTime savedTime) {
    const DayIndex baseIndex = IndexOf(base.days);
    const DayIndex savedIndex = saved != nullptr ? IndexOf(saved->days) : DayIndex();
    // A text of mine that the file held was saved then, as the other side sees it too.
    auto mineTime = [&](const std::string& key, const std::string& text) {
        return saved != nullptr && NoteIn(savedIndex, key) == text ? savedTime : mineSaved;
    };
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
    merged.everyDay =
        MergeText(base.everyDay, mine.everyDay, theirs.everyDay, mineSaved, theirsSaved);
    merged.days.reserve(keys.size());
    for (std::string& key : keys) {
        const std::string& own = NoteIn(mineIndex, key);
        std::string text = MergeText(NoteIn(baseIndex, key), own, NoteIn(theirIndex, key),
                                     mineTime(key, own), theirsSaved);
        if (!IsBlankNote(text)) {
            merged.days.push_back(SDay{std::move(key), std::move(text)});
        }
    }
    return merged;
}
