// The shape tools' geometry: which cells a line, a rectangle or an ellipse between two cells
// covers, and how Shift constrains the end cell. Positions are image pixels (cells).
#pragma once

#include <cstdint>
#include <functional>

enum class TShapeKind : uint8_t { Line, Rect, FilledRect, Ellipse, FilledEllipse };

// The largest width or height, in cells, of an ellipse's box; a larger box draws no ellipse (its
// decisions would no longer fit in 64-bit integers). Lines and rectangles have no limit.
constexpr int64_t MaxEllipseSide = 32768;

// Shift held: moves the end (x1, y1) of a shape started at (x0, y0).
// - Line: onto the nearest of the 8 directions from the start (0, 45 or 90 degrees; the
//   boundaries at 22.5 degrees are never met by whole cells). A horizontal or vertical end keeps
//   its own distance along that axis; a diagonal end goes max(|dx|, |dy|) along both axes.
// - Rectangles and ellipses: so that the box is square, both sides max(|dx|, |dy|) + 1 cells, each
//   axis keeping the direction of its delta, where a delta of 0 counts as positive (right, down).
// A diagonal or square end that would leave the int32 range shrinks, on both axes alike, to the
// room there is. An end equal to the start stays.
void ConstrainShapeEnd(TShapeKind kind, int32_t x0, int32_t y0, int32_t& x1, int32_t& y1);

// Visits every cell of the shape from (x0, y0) to (x1, y1) exactly once.
// - Line: (x0, y0), then the cells StepLine (image/LineStep.h) visits, in that order; a line
//   from a cell to itself is that one cell.
// - Rect / FilledRect: the outline / every cell of the box with corners (x0, y0) and (x1, y1),
//   both inclusive, in any order of the corners. A box one cell wide or high is all outline.
// - Ellipse: the midpoint ellipse inscribed in that box, through the centres of the box's outer
//   cells: it touches all four sides, is mirror symmetric about the box's centre lines (which
//   lie between cells for even sizes), is 8-connected, and every cell's square meets the true
//   curve. A box one cell wide or high gives its whole column or row; two cells wide or high gives
//   two full columns or rows (a 2 x 2 box: its 4 cells). Only squares are also symmetric about
//   their diagonals: an ellipse and its transposed box's can differ by a cell near the turn.
// - FilledEllipse: on each row, every cell from the ellipse's leftmost to its rightmost cell.
// The order of rectangle and ellipse cells is unspecified.
void ShapeCells(TShapeKind kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                const std::function<void(int32_t x, int32_t y)>& visit);
