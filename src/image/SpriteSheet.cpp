#include "image/SpriteSheet.h"

#include <algorithm>

std::vector<TRect> SheetCells(int32_t width, int32_t height, const TRect& first, int32_t count) {
    std::vector<TRect> cells;
    const int32_t w = first.Width(), h = first.Height();
    if (w <= 0 || h <= 0 || first.Left < 0 || first.Top < 0 || first.Right > width ||
        first.Bottom > height)
        return cells;
    count = std::min(count, kMostSheetCells);
    const int32_t leftmost = first.Left % w;
    // 64-bit positions: a cell past the edge is found without overflow.
    for (int64_t top = first.Top, left = first.Left;
         top + h <= height && int32_t(cells.size()) < count; top += h, left = leftmost)
        for (; left + w <= width && int32_t(cells.size()) < count; left += w)
            cells.push_back(
                TRect{int32_t(left), int32_t(top), int32_t(left + w), int32_t(top + h)});
    return cells;
}
