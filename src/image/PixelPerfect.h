// The pen's pixel-perfect filter: keeps a freehand stroke one pixel wide by taking back the corner
// cell of every L-shaped step, so that a staircase of L steps becomes a clean diagonal.
#pragma once

#include "base/Graphic.h"

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

// One per stroke. The pen draws every cell the stroke reaches and passes it to Add, in order:
// the pressed cell, then the cells of each line between pointer positions.
class TPixelPerfect {
public:
    // Takes the next cell of the stroke (a king's move from the last one, or the first cell); a
    // cell equal to the last is ignored. The stroke's kept cells form a path; when the cell before
    // the last (B) and the new cell are diagonal neighbours and the last cell (P) is orthogonally
    // adjacent to both, P is the corner of an L and leaves the path, so that B is the last cell
    // again before the new one is appended (the next corner is judged against B). Answers P when
    // it must be taken back (restored to what it was before the stroke), or nothing: also when P
    // leaves the path but the stroke still holds the same cell elsewhere on it, as it does when
    // the stroke returns over itself.
    std::optional<TCell> Add(TCell cell);

private:
    std::optional<TCell> Before, Last; // the path's last two cells
    // How often each cell is on the path, so that a corner crossed elsewhere stays drawn.
    std::map<std::pair<int32_t, int32_t>, int32_t> OnPath;
};
