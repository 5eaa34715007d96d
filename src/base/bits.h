// Bit scans the sixteen-byte searches share.
#pragma once

#ifdef _MSC_VER
#include <intrin.h>
#endif

// The index of the lowest set bit; the mask is not zero.
inline unsigned LowestSetBit(unsigned mask) {
#ifdef _MSC_VER
    unsigned long index = 0;
    _BitScanForward(&index, mask);
    return index;
#else
    return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}
