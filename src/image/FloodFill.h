// The fill tool's flood fill over an 8-bit image.
#pragma once

#include "base/Graphic.h"

#include <cstdint>

class TDIB;

// Gives colour to the pixels reachable from (x, y) by left, right, up and down steps through
// pixels of (x, y)'s own index, never leaving area (which must lie inside the image). Pixels
// outside area neither change nor connect. Returns false, changing nothing, when (x, y) lies
// outside area or already holds colour.
bool FloodFill4(TDIB& image, const TRect& area, int32_t x, int32_t y, uint8_t colour);
