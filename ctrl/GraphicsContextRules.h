#pragma once

#include "ctrl/VGeometry.h"

#include <cstdlib>
#include <vector>

namespace VCtrl {

// The rules that every graphics context follows whatever library draws for it, so that controls look the
// same everywhere.
namespace GraphicsContextRules {

// The constant alpha of an image drawn at opacity: the opacity clamped to 0..1 (NaN counts as 0) times 255,
// truncated.
inline int ConstantAlpha(double opacity) {
    if (!(opacity > 0.0)) opacity = 0.0;
    if (opacity > 1.0) opacity = 1.0;
    return int(opacity * 255.0);
}

// The pixels of the one pixel wide pen from `from` to `to`: a Bresenham walk, the end point left out.
template <typename Plot> void ForEachPenPixel(const VPoint& from, const VPoint& to, Plot plot) {
    int px = from.x, py = from.y;
    const int dx = std::abs(to.x - px), dy = -std::abs(to.y - py);
    const int stepX = px < to.x ? 1 : -1, stepY = py < to.y ? 1 : -1;
    int error = dx + dy;
    while (px != to.x || py != to.y) {
        plot(px, py);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += stepX;
        }
        if (twice <= dx) {
            error += dx;
            py += stepY;
        }
    }
}

inline std::vector<VPointReal> ToRealPoints(const VPoint* points, int count) {
    std::vector<VPointReal> real(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        real[size_t(i)] = VPointReal{double(points[i].x), double(points[i].y)};
    return real;
}

} // namespace GraphicsContextRules

} // namespace VCtrl
