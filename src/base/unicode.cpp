// Where the user's characters begin and end, and their folded forms from the generated tables.
#include "base/unicode.h"

#include "base/unicode_tables.h"
#include "base/utf8.h"

#include <algorithm>

namespace {

constexpr char32_t kZeroWidthJoiner = 0x200D;

bool IsRegionalIndicator(char32_t c) {
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

// Hangul jamo: leading consonants, vowels, trailing consonants, which spell one syllable.
int JamoKind(char32_t c) {
    if ((c >= 0x1100 && c <= 0x115F) || (c >= 0xA960 && c <= 0xA97C)) {
        return 1;
    }
    if ((c >= 0x1160 && c <= 0x11A7) || (c >= 0xD7B0 && c <= 0xD7C6)) {
        return 2;
    }
    if ((c >= 0x11A8 && c <= 0x11FF) || (c >= 0xD7CB && c <= 0xD7FB)) {
        return 3;
    }
    return 0;
}

// Whether the character after stays with the one before it.
bool StaysWith(char32_t before, char32_t after, bool pairOpen) {
    if (ExtendsCharacter(after) || before == kZeroWidthJoiner) {
        return !(before == '\r' || before == '\n');
    }
    if (IsRegionalIndicator(before) && IsRegionalIndicator(after)) {
        return pairOpen;
    }
    const int b = JamoKind(before);
    const int a = JamoKind(after);
    return b != 0 && a != 0 && a >= b && !(b == 3 && a != 3) && !(b == 1 && a == 3);
}

} // namespace

bool IsCombiningMark(char32_t c) {
    if (c < 0x300) {
        return false;
    }
    const SCodeRange* end = kCombiningMarks + kCombiningMarkCount;
    const SCodeRange* found = std::upper_bound(
        kCombiningMarks, end, c, [](char32_t code, const SCodeRange& r) { return code < r.first; });
    return found != kCombiningMarks && c <= (found - 1)->last;
}

bool ExtendsCharacter(char32_t c) {
    return IsCombiningMark(c) || c == 0x200C || c == kZeroWidthJoiner ||
           (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0x1F3FB && c <= 0x1F3FF) ||
           (c >= 0xE0020 && c <= 0xE007F) || (c >= 0xE0100 && c <= 0xE01EF);
}

size_t NextCluster(const char* text, size_t size, size_t at) {
    if (at >= size) {
        return size;
    }
    if (text[at] == '\r' && at + 1 < size && text[at + 1] == '\n') {
        return at + 2;
    }
    char32_t before = DecodeUtf8(text, size, at);
    bool pairOpen = IsRegionalIndicator(before);
    while (at < size && static_cast<unsigned char>(text[at]) >= 0x80) {
        size_t next = at;
        const char32_t after = DecodeUtf8(text, size, next);
        if (!StaysWith(before, after, pairOpen)) {
            break;
        }
        pairOpen = IsRegionalIndicator(after) && !pairOpen;
        before = after;
        at = next;
    }
    return at;
}

size_t PriorCluster(const char* text, size_t size, size_t offset) {
    if (offset == 0) {
        return 0;
    }
    // Back to a character that starts a cluster for sure, then forward by clusters.
    size_t start = PriorUtf8(text, offset);
    for (int steps = 0; start > 0 && steps < 64; ++steps) {
        size_t at = start;
        const char32_t c = DecodeUtf8(text, size, at);
        const size_t before = PriorUtf8(text, start);
        at = before;
        const char32_t prior = DecodeUtf8(text, size, at);
        const bool mayJoin = ExtendsCharacter(c) || IsRegionalIndicator(c) || JamoKind(c) != 0 ||
                             prior == kZeroWidthJoiner || (c == '\n' && prior == '\r');
        if (!mayJoin) {
            break;
        }
        start = before;
    }
    size_t cluster = start;
    while (cluster < offset) {
        const size_t next = NextCluster(text, size, cluster);
        if (next >= offset) {
            break;
        }
        cluster = next;
    }
    return cluster;
}

SFoldedChar FoldCharacter(char32_t c) {
    if (c >= 0x10000) {
        const SAstralFold* end = kAstralFolds + kAstralFoldCount;
        const SAstralFold* found =
            std::lower_bound(kAstralFolds, end, c,
                             [](const SAstralFold& f, char32_t code) { return f.code < code; });
        const char32_t first = found != end && found->code == c ? found->folded : c;
        return SFoldedChar{first, kFoldMarks, 0, IsCombiningMark(c), false, 0};
    }
    constexpr unsigned kMask = (1u << kFoldBlockBits) - 1;
    const SFoldEntry& e = kFoldEntries[kFoldBlocks[kFoldPages[c >> kFoldBlockBits]][c & kMask]];
    return SFoldedChar{static_cast<char32_t>(static_cast<int32_t>(c) + e.delta),
                       kFoldMarks + e.marks,
                       e.markCount,
                       (e.kind & kFoldMark) != 0,
                       (e.kind & kFoldLetter) != 0,
                       e.combiningClass};
}

char32_t FoldedFirst(char32_t c) {
    if (c >= 0x10000) {
        return FoldCharacter(c).first;
    }
    constexpr unsigned kMask = (1u << kFoldBlockBits) - 1;
    const SFoldEntry& e = kFoldEntries[kFoldBlocks[kFoldPages[c >> kFoldBlockBits]][c & kMask]];
    return static_cast<char32_t>(static_cast<int32_t>(c) + e.delta);
}
