// Mirror drawing: the cells a drawn cell is repeated at, about a vertical and/or a horizontal axis.
#pragma once

#include <cstdint>
#include <functional>

// MirrorX mirrors left-right (about a vertical axis), MirrorY top-bottom (about a horizontal
// axis). Each axis is given as the sum of a cell's coordinate and its image's, in image pixels: x
// maps to SumX - x and y to SumY - y. The axis through the middle of an area of width W starting
// at L has the sum 2L + W - 1; the axis through the middle of pixel column c has the sum 2c.
struct TSymmetry {
    bool MirrorX = false, MirrorY = false;
    int32_t SumX = 0, SumY = 0;
    bool Any() const { return MirrorX || MirrorY; }
};

// Visits (x, y) first, then its images under sym: (SumX - x, y) when MirrorX, (x, SumY - y) when
// MirrorY, and (SumX - x, SumY - y) when both, each distinct cell once (a cell on an axis is its
// own image and is not visited again). An image outside the int32 range is not visited.
void VisitMirrored(const TSymmetry& sym, int32_t x, int32_t y,
                   const std::function<void(int32_t x, int32_t y)>& visit);
