#pragma once

// What the program needs of Unicode's character properties: which characters belong to the one
// before them, so that a letter and its marks, a surrogate pair or an emoji sequence is one
// character to the user (never split across lines, by the caret or by a cut).

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
