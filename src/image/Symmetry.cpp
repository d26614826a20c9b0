#include "image/Symmetry.h"

#include <limits>

namespace {
// The image sum - c, when it is an int32 other than c itself.
bool Image(int32_t sum, int32_t c, int32_t& image) {
    const int64_t m = int64_t(sum) - c;
    if (m == c || m < std::numeric_limits<int32_t>::min() ||
        m > std::numeric_limits<int32_t>::max())
        return false;
    image = static_cast<int32_t>(m);
    return true;
}
} // namespace

void VisitMirrored(const TSymmetry& sym, int32_t x, int32_t y,
                   const std::function<void(int32_t x, int32_t y)>& visit) {
    visit(x, y);
    int32_t mx = 0, my = 0;
    const bool hasX = sym.MirrorX && Image(sym.SumX, x, mx);
    const bool hasY = sym.MirrorY && Image(sym.SumY, y, my);
    if (hasX) visit(mx, y);
    if (hasY) visit(x, my);
    if (hasX && hasY) visit(mx, my);
}
