// The cells of a sprite sheet: equal rectangles on one grid, read left to right, then down.
#pragma once

#include "base/Graphic.h"

#include <cstdint>
#include <vector>

// At most this many cells make one animation (the preview's frames, a written GIF's frames).
constexpr int32_t kMostSheetCells = 4096;

// Up to count cells of first's size in a width x height picture, first itself leading: the rest
// of first's row to the right, then each following row from the grid's leftmost column (the
// column of first's grid nearest the picture's left edge). A cell the picture's right or bottom
// edge would cut is not a cell; an empty first, or one the picture does not hold, gives none.
std::vector<TRect> SheetCells(int32_t width, int32_t height, const TRect& first, int32_t count);
