#include "image/LineStep.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void StepLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
              const std::function<void(int32_t x, int32_t y)>& visit) {
    const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return;
    const double sx = double(dx) / double(n), sy = double(dy) / double(n);
    double fx = x0 + sx, fy = y0 + sy;
    for (int64_t i = 0; i < n; ++i) {
        // The default rounding mode rounds an exact half to the even neighbour.
        visit(static_cast<int32_t>(std::nearbyint(fx)), static_cast<int32_t>(std::nearbyint(fy)));
        fx += sx;
        fy += sy;
    }
}
