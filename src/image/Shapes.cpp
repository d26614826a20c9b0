#include "image/Shapes.h"

#include "image/LineStep.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {
constexpr int64_t Int32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t Int32Max = std::numeric_limits<int32_t>::max();

// True when the direction (a, b), a >= b >= 0 and a > 0, is nearer the axis of a than the
// diagonal: b / a < tan(22.5 degrees) = sqrt(2) - 1, that is (a - b)^2 > 2 b^2. Exact for deltas
// of up to 2^32 - 1: when b < a - b, b < 2^31 and both sides fit in 64 unsigned bits.
bool NearerAxis(uint64_t a, uint64_t b) {
    if (b == 0) return true;
    if (a - b <= b) return false;
    return (a - b) * (a - b) > 2 * b * b;
}

// How far from `from` a step of the given direction can go inside the int32 range.
int64_t Room(int64_t from, bool positive) {
    return positive ? Int32Max - from : from - Int32Min;
}

// Moves (x1, y1) to (x0, y0) + m * (sign dx, sign dy), a sign of 0 counting as positive, with m
// shrunk to the room in both directions.
void MoveDiagonal(int32_t x0, int32_t y0, int32_t& x1, int32_t& y1, int64_t m) {
    const bool right = x1 >= x0, down = y1 >= y0;
    m = std::min({m, Room(x0, right), Room(y0, down)});
    x1 = static_cast<int32_t>(x0 + (right ? m : -m));
    y1 = static_cast<int32_t>(y0 + (down ? m : -m));
}

void RectCells(int64_t left, int64_t top, int64_t right, int64_t bottom, bool filled,
               const std::function<void(int32_t x, int32_t y)>& visit) {
    const auto row = [&](int64_t y) {
        for (int64_t x = left; x <= right; ++x)
            visit(static_cast<int32_t>(x), static_cast<int32_t>(y));
    };
    if (filled || left == right || top == bottom) {
        for (int64_t y = top; y <= bottom; ++y)
            row(y);
        return;
    }
    row(top);
    for (int64_t y = top + 1; y < bottom; ++y) {
        visit(static_cast<int32_t>(left), static_cast<int32_t>(y));
        visit(static_cast<int32_t>(right), static_cast<int32_t>(y));
    }
    row(bottom);
}

// The quarter u >= 0, v >= 0 of the midpoint ellipse B^2 u^2 + A^2 v^2 = A^2 B^2 in doubled
// coordinates: u and v are twice a cell's offset from the box's centre, so u = A - 2k for the
// k-th column from the right side and v = B - 2k for the k-th row from the top. Visits the cells
// from the top (u = A mod 2, v = B) to the side (u = A, v = B mod 2), each once, every cell a
// king's move (E, SE or S) from the one before.
void QuarterArc(int64_t a, int64_t b, const std::function<void(int64_t u, int64_t v)>& visit) {
    const int64_t a2 = a * a, b2 = b * b;
    // Positive outside the ellipse, 0 on it, negative inside. With A, B < 2^15 and u <= A + 1
    // every term stays below 2^61.
    const auto f = [&](int64_t u, int64_t v) { return b2 * u * u + a2 * v * v - a2 * b2; };
    const int64_t vLast = b % 2;
    int64_t u = a % 2, v = b;
    visit(u, v);
    // Each step tests the midpoints of the classic algorithm's two regions: between E and SE
    // (region 1, where the curve is flatter than 45 degrees) and between SE and S (region 2).
    // E when the first lies inside or on the curve, S when the second lies outside, SE otherwise.
    // In the loop v >= 2, where the second lies nearer the centre on both axes, so the two never
    // hold together. Testing both at every step, instead of switching regions once where the
    // slope passes 45 degrees, keeps every cell's square on the curve also in thin ellipses (a
    // switch at a fixed point leaves cells off it there). A midpoint on the curve keeps the outer
    // cell in both regions, so a circle is symmetric about its diagonals too.
    while (v > vLast) {
        if (u < a && f(u + 2, v - 1) <= 0) {
            u += 2;
        } else if (u == a || f(u + 1, v - 2) > 0) {
            v -= 2;
        } else {
            u += 2;
            v -= 2;
        }
        visit(u, v);
    }
    // A flat ellipse can reach the middle row before its side, whose cells are nearest that row.
    while (u < a) {
        u += 2;
        visit(u, v);
    }
}

void EllipseCells(int64_t left, int64_t top, int64_t right, int64_t bottom, bool filled,
                  const std::function<void(int32_t x, int32_t y)>& visit) {
    const int64_t a = right - left, b = bottom - top; // the box's size less one: doubled radii
    if (a >= MaxEllipseSide || b >= MaxEllipseSide) return;
    const int64_t cx = left + right, cy = top + bottom; // the doubled centre
    // A doubled offset d from the doubled centre c is the cell (c + d) / 2, always whole.
    const auto cell = [](int64_t c, int64_t d) { return static_cast<int32_t>((c + d) / 2); };
    if (!filled) {
        // Each cell of the quarter with its mirror images; a cell on a centre line (u or v 0)
        // is its own image there.
        QuarterArc(a, b, [&](int64_t u, int64_t v) {
            visit(cell(cx, u), cell(cy, -v));
            if (u != 0) visit(cell(cx, -u), cell(cy, -v));
            if (v != 0) visit(cell(cx, u), cell(cy, v));
            if (u != 0 && v != 0) visit(cell(cx, -u), cell(cy, v));
        });
        return;
    }
    // The quarter visits each row from top to side with rising u: the last u of a row is its
    // outermost cell, and the row is filled once the arc has moved to the next row.
    const auto span = [&](int64_t u, int64_t v) {
        for (int64_t d = -u; d <= u; d += 2) {
            visit(cell(cx, d), cell(cy, -v));
            if (v != 0) visit(cell(cx, d), cell(cy, v));
        }
    };
    int64_t rowU = -1, rowV = -1;
    QuarterArc(a, b, [&](int64_t u, int64_t v) {
        if (v != rowV && rowV >= 0) span(rowU, rowV);
        rowU = u;
        rowV = v;
    });
    span(rowU, rowV);
}
} // namespace

void ConstrainShapeEnd(TShapeKind kind, int32_t x0, int32_t y0, int32_t& x1, int32_t& y1) {
    const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
    const uint64_t ax = uint64_t(std::llabs(dx)), ay = uint64_t(std::llabs(dy));
    if (ax == 0 && ay == 0) return;
    if (kind == TShapeKind::Line) {
        if (ax >= ay && NearerAxis(ax, ay)) {
            y1 = y0;
            return;
        }
        if (ay > ax && NearerAxis(ay, ax)) {
            x1 = x0;
            return;
        }
    }
    MoveDiagonal(x0, y0, x1, y1, int64_t(std::max(ax, ay)));
}

void ShapeCells(TShapeKind kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                const std::function<void(int32_t x, int32_t y)>& visit) {
    const int64_t left = std::min(x0, x1), right = std::max(x0, x1);
    const int64_t top = std::min(y0, y1), bottom = std::max(y0, y1);
    switch (kind) {
    case TShapeKind::Line:
        visit(x0, y0);
        StepLine(x0, y0, x1, y1, visit);
        return;
    case TShapeKind::Rect:
    case TShapeKind::FilledRect:
        RectCells(left, top, right, bottom, kind == TShapeKind::FilledRect, visit);
        return;
    case TShapeKind::Ellipse:
    case TShapeKind::FilledEllipse:
        EllipseCells(left, top, right, bottom, kind == TShapeKind::FilledEllipse, visit);
        return;
    }
}
