#pragma once

#include <cstdint>

namespace VCtrl {

// Plain values for the drawing and layout operations: integer pixel positions relative to an origin
// at the top left, y growing downward.
struct VPoint {
    int32_t x = 0;
    int32_t y = 0;
};

struct VPointReal {
    double x = 0.0;
    double y = 0.0;
};

struct VSize {
    int32_t width = 0;
    int32_t height = 0;
};

struct VRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Contains(int32_t px, int32_t py) const {
        return px >= x && py >= y && px < x + width && py < y + height;
    }
    bool Intersects(const VRect& other) const {
        return !IsEmpty() && !other.IsEmpty() && x < other.x + other.width && other.x < x + width &&
               y < other.y + other.height && other.y < y + height;
    }
};

} // namespace VCtrl
