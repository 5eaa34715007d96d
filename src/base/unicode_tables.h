#pragma once

// Tables of Unicode character properties, made by tools/make_unicode_tables.py.

#include <cstddef>

struct SCodeRange {
    char32_t first;
    char32_t last;
};

// Combining marks (general categories Mn, Mc and Me), in order.
extern const SCodeRange kCombiningMarks[];
extern const size_t kCombiningMarkCount;
