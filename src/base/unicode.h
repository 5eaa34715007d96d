// What the program needs of Unicode's character properties.
// Which characters belong to the one before them, so that a letter and its marks, a surrogate
// pair or an emoji sequence is one character to the user (never split across lines, by the caret
// or by a cut); and how the search folds a character.
#pragma once

#include <cstddef>

// Combining marks: accents, vowel signs, enclosing marks.
bool IsCombiningMark(char32_t c);
// Characters that never stand alone after another: marks, joiners, variation selectors, emoji
// modifiers and tags.
bool ExtendsCharacter(char32_t c);

// Where the user-perceived character that starts at `at` of the UTF-8 text ends (CR LF is one).
size_t NextCluster(const char* text, size_t size, size_t at);
// Where the user-perceived character before offset starts.
size_t PriorCluster(const char* text, size_t size, size_t offset);

// How the note search compares a character: its simple case folding, and for a Latin, Greek or
// Cyrillic letter with accents (by canonical decomposition, or a stroke) the base letter and the
// accents as combining marks in canonical order.
struct SFoldedChar {
    char32_t first; // the folded character or base letter
    const char16_t* marks;
    unsigned markCount;
    bool isMark;     // first is a combining mark
    bool accentable; // first is a Latin, Greek or Cyrillic letter, whose accents may be passed over
    unsigned char combiningClass; // of first; 0 for marks beyond the BMP
};
SFoldedChar FoldCharacter(char32_t c);
// FoldCharacter(c).first alone, for scans that compare it first.
char32_t FoldedFirst(char32_t c);
