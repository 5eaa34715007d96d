// Tables of Unicode character properties, made by tools/make_unicode_tables.py.
#pragma once

#include <cstddef>
#include <cstdint>

struct SCodeRange {
    char32_t first;
    char32_t last;
};

// Combining marks (general categories Mn, Mc and Me), in order.
extern const SCodeRange kCombiningMarks[];
extern const size_t kCombiningMarkCount;

// How the search compares a character of the BMP: its simple case folding (first = code +
// delta), followed, for a Latin, Greek or Cyrillic letter with a canonical decomposition (or a
// stroke), by the marks of that decomposition in canonical order.
struct SFoldEntry {
    int32_t delta;
    uint16_t marks; // index of the first mark in kFoldMarks
    uint8_t markCount;
    uint8_t kind;           // kFoldMark and kFoldLetter, of the first code point
    uint8_t combiningClass; // of the first code point
};
constexpr uint8_t kFoldMark = 1;
constexpr uint8_t kFoldLetter = 2; // Latin, Greek or Cyrillic: its accents may be passed over

// A code point's entry is kFoldEntries[kFoldBlocks[kFoldPages[c >> bits]][c & (size - 1)]].
constexpr unsigned kFoldBlockBits = 6;
extern const unsigned char kFoldPages[0x10000 >> kFoldBlockBits];
extern const unsigned short kFoldBlocks[][1 << kFoldBlockBits];
extern const SFoldEntry kFoldEntries[];
extern const char16_t kFoldMarks[];

// Code points beyond the BMP that fold to another one (case pairs, compatibility ideographs),
// in order; none of them has marks.
struct SAstralFold {
    char32_t code;
    char32_t folded;
};
extern const SAstralFold kAstralFolds[];
extern const size_t kAstralFoldCount;
