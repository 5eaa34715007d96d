// Points and rectangles in pixels, so that rules about windows can be tested without one.
#pragma once

#include <cstdint>

// Screen geometry in pixels, mirroring the platform's POINT and RECT so that rules about window
// placement can be stated and tested without a window.
struct SPoint {
    int32_t x = 0;
    int32_t y = 0;
};

inline bool operator==(SPoint a, SPoint b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(SPoint a, SPoint b) {
    return !(a == b);
}

struct SRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    // Left and top edges inside, right and bottom edges outside.
    bool Contains(SPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
};

inline bool operator==(const SRect& a, const SRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const SRect& a, const SRect& b) {
    return !(a == b);
}
