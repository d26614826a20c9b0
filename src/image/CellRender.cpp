#include "image/CellRender.h"

#include "image/DIB.h"

#include <algorithm>
#include <cstring>

TRect CommonRect(const TRect& a, const TRect& b) {
    TRect common{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
    if (common.Right < common.Left) common.Right = common.Left;
    if (common.Bottom < common.Top) common.Bottom = common.Top;
    return common;
}

bool RectsMeet(const TRect& a, const TRect& b) {
    const TRect common = CommonRect(a, b);
    return common.Width() > 0 && common.Height() > 0;
}

void RenderCell(TSurface& out, int32_t left, int32_t top, const TDIB& image, const TRect& part,
                const TSurfaceColors& colors, const TCellLook& look) {
    const int32_t s = look.Scale;
    // The surface pixels the part covers, cut to the surface; 64 bits, as a part far off the
    // surface would overflow.
    const int64_t x0 = std::max<int64_t>(left, 0),
                  x1 = std::min<int64_t>(left + int64_t(part.Width()) * s, out.Width);
    const int64_t y0 = std::max<int64_t>(top, 0),
                  y1 = std::min<int64_t>(top + int64_t(part.Height()) * s, out.Height);
    if (x0 >= x1 || y0 >= y1) return;
    const int32_t side = std::max(look.CheckerSide, 1);
    const size_t rowBytes = size_t(x1 - x0) * 4;
    const uint8_t* pixels = nullptr;
    int32_t builtBand = -1;
    for (int64_t y = y0; y < y1; ++y) {
        const int32_t imageY = part.Top + int32_t((y - top) / s);
        uint32_t* row = reinterpret_cast<uint32_t*>(out.Row(int32_t(y)));
        const int32_t band = look.Checker ? int32_t(y / side) : 0;
        // Within an image row, rows of the same checkerboard band are alike: copied, not built.
        const bool newImageRow = y == y0 || (y - top) % s == 0;
        if (!newImageRow && band == builtBand) {
            std::memcpy(row + x0, reinterpret_cast<uint32_t*>(out.Row(int32_t(y - 1))) + x0,
                        rowBytes);
            continue;
        }
        if (newImageRow) pixels = image.RowForRead(imageY) + part.Left;
        builtBand = band;
        for (int64_t x = x0; x < x1; ++x) {
            const uint8_t index = pixels[(x - left) / s];
            uint32_t value = colors[index];
            if (index == look.Transparent)
                value = !look.Checker                ? look.Backdrop
                        : (x / side + band) % 2 == 0 ? kCheckerLight
                                                     : kCheckerDark;
            row[x] = value;
        }
    }
}
