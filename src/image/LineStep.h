// The pen's line between two cells: the stepping that the magnifier draws with and the tests
// check against.
#pragma once

#include <cstdint>
#include <functional>

// Visits the cells of the line from (x0, y0) to (x1, y1), not the start cell (already drawn),
// ending with (x1, y1). The line takes max(|dx|, |dy|) equal steps in double precision; each step's
// position is rounded to the nearest cell, an exact half to the even neighbour. Nothing is visited
// when the two cells are the same.
void StepLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
              const std::function<void(int32_t x, int32_t y)>& visit);
