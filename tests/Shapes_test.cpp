// The shape tools' geometry: Shift's constraint, lines, rectangles and midpoint ellipses.
#include "image/Shapes.h"

#include "image/LineStep.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
using Cell = std::pair<int32_t, int32_t>;
using Cells = std::vector<Cell>;
using Picture = std::vector<std::string>;

constexpr int32_t Int32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t Int32Min = std::numeric_limits<int32_t>::min();

const char* Name(TShapeKind kind) {
    switch (kind) {
    case TShapeKind::Line:
        return "Line";
    case TShapeKind::Rect:
        return "Rect";
    case TShapeKind::FilledRect:
        return "FilledRect";
    case TShapeKind::Ellipse:
        return "Ellipse";
    case TShapeKind::FilledEllipse:
        return "FilledEllipse";
    }
    return "?";
}

Cells Shape(TShapeKind kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Cells cells;
    ShapeCells(kind, x0, y0, x1, y1, [&](int32_t x, int32_t y) { cells.emplace_back(x, y); });
    return cells;
}

std::set<Cell> Distinct(const Cells& cells) {
    return {cells.begin(), cells.end()};
}

// The cells as rows of '#' on '.' over the w x h box at (left, top); a cell visited twice shows as
// '2', and a cell outside the box as '!' in an extra last row.
Picture Draw(const Cells& cells, int32_t left, int32_t top, int32_t w, int32_t h) {
    Picture rows(size_t(h), std::string(size_t(w), '.'));
    for (const auto& [x, y] : cells) {
        const int64_t cx = int64_t(x) - left, cy = int64_t(y) - top;
        if (cx < 0 || cy < 0 || cx >= w || cy >= h) {
            rows.push_back("!");
            continue;
        }
        char& c = rows[size_t(cy)][size_t(cx)];
        c = c == '.' ? '#' : '2';
    }
    return rows;
}

std::string Text(const Picture& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += "\n" + row;
    return text;
}

// The box of a shape: its corners in order, both inclusive.
struct Box {
    int64_t Left, Top, Right, Bottom;
};

// B^2 u^2 + A^2 v^2 - A^2 B^2 at doubled offsets (u, v) from the doubled centre of box, where A and
// B are the box's size less one: negative inside the inscribed ellipse, 0 on it, positive outside.
int64_t EllipseF(const Box& box, int64_t u, int64_t v) {
    const int64_t a = box.Right - box.Left, b = box.Bottom - box.Top;
    return b * b * u * u + a * a * v * v - a * a * b * b;
}

// The reference ellipse: the midpoint decisions of each quarter in double precision, in image
// coordinates (centre and radii in whole and half pixels, so every value is exact), each quarter
// walked on its own from the top or bottom side to the left or right side, the cells collected in
// a set. A step goes right (outward) when the midpoint between the two candidate rows lies inside
// or on the curve, down (toward the middle row) when the midpoint between the two candidate
// columns lies outside, else diagonally; at the middle row it runs out to the side.
std::set<Cell> ReferenceEllipse(const Box& box) {
    const double cx = double(box.Left + box.Right) / 2, cy = double(box.Top + box.Bottom) / 2;
    const double a = double(box.Right - box.Left) / 2, b = double(box.Bottom - box.Top) / 2;
    const auto f = [&](double x, double y) {
        return b * b * x * x + a * a * y * y - a * a * b * b;
    };
    std::set<Cell> cells;
    for (const double sx : {-1.0, 1.0}) {
        for (const double sy : {-1.0, 1.0}) {
            double x = a - std::floor(a), y = b; // x: 0, or 1/2 for an even width
            const double yLast = b - std::floor(b);
            const auto add = [&] {
                cells.emplace(int32_t(std::lround(cx + sx * x)), int32_t(std::lround(cy + sy * y)));
            };
            add();
            while (y > yLast) {
                if (x < a && f(x + 1, y - 0.5) <= 0) {
                    x += 1;
                } else if (x == a || f(x + 0.5, y - 1) > 0) {
                    y -= 1;
                } else {
                    x += 1;
                    y -= 1;
                }
                add();
            }
            while (x < a) {
                x += 1;
                add();
            }
        }
    }
    return cells;
}

bool EightConnected(const std::set<Cell>& cells) {
    if (cells.empty()) return false;
    std::set<Cell> reached{*cells.begin()};
    std::deque<Cell> pending{*cells.begin()};
    while (!pending.empty()) {
        const auto [x, y] = pending.front();
        pending.pop_front();
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                const Cell next{x + dx, y + dy};
                if (cells.count(next) && reached.insert(next).second) pending.push_back(next);
            }
        }
    }
    return reached.size() == cells.size();
}

// The checks every ellipse must pass, whatever its size: each cell once, inside the box, touching
// all four sides, mirror symmetric about both centre lines, 8-connected; every cell's square meets
// the true ellipse, and every cell whose centre lies inside the true ellipse lies between the
// outline's ends on its row. With filled, the filled ellipse is each row's span between the
// outline's ends, each cell once. Returns the first failure, or "".
std::string CheckEllipse(const Box& box, bool filled) {
    const auto x0 = int32_t(box.Left), y0 = int32_t(box.Top);
    const auto x1 = int32_t(box.Right), y1 = int32_t(box.Bottom);
    const Cells outline = Shape(TShapeKind::Ellipse, x0, y0, x1, y1);
    const std::set<Cell> cells = Distinct(outline);
    if (cells.size() != outline.size()) return "a cell visited twice";
    const int64_t sumX = box.Left + box.Right, sumY = box.Top + box.Bottom;
    const auto at = [](int64_t x, int64_t y) {
        return std::to_string(x) + "," + std::to_string(y);
    };
    bool left = false, right = false, top = false, bottom = false;
    for (const auto& [x, y] : cells) {
        if (x < box.Left || x > box.Right || y < box.Top || y > box.Bottom)
            return "outside the box";
        left |= x == box.Left;
        right |= x == box.Right;
        top |= y == box.Top;
        bottom |= y == box.Bottom;
        if (!cells.count({int32_t(sumX - x), y}) || !cells.count({x, int32_t(sumY - y)}))
            return "not symmetric at " + at(x, y);
        // The square of the cell, in doubled offsets from the centre, holds a point inside or on
        // the curve (its nearest point to the centre) and one outside or on it (its farthest).
        const int64_t u = std::llabs(2 * int64_t(x) - sumX), v = std::llabs(2 * int64_t(y) - sumY);
        if (EllipseF(box, std::max<int64_t>(u - 1, 0), std::max<int64_t>(v - 1, 0)) > 0 ||
            EllipseF(box, u + 1, v + 1) < 0)
            return "cell " + at(x, y) + " off the curve";
    }
    if (!(left && right && top && bottom)) return "a side of the box not touched";
    if (!EightConnected(cells)) return "not 8-connected";
    std::map<int64_t, std::pair<int64_t, int64_t>> spans; // row: leftmost and rightmost cell
    for (const auto& [x, y] : cells) {
        auto [it, added] = spans.try_emplace(y, x, x);
        it->second = {std::min<int64_t>(it->second.first, x),
                      std::max<int64_t>(it->second.second, x)};
    }
    // On a row, the cells inside the true ellipse form a run about the centre (which the span
    // holds, being symmetric): the run lies within the span when the cell beyond the span's left
    // end is not inside, or, on a row without cells, the cell nearest the centre is not.
    for (int64_t y = box.Top; y <= box.Bottom; ++y) {
        const auto span = spans.find(y);
        const int64_t x = span == spans.end() ? (sumX + 1) / 2 : span->second.first - 1;
        if (EllipseF(box, 2 * x - sumX, 2 * y - sumY) < 0)
            return "inner cell " + at(x, y) + " outside the outline";
    }
    if (!filled) return "";
    const Cells area = Shape(TShapeKind::FilledEllipse, x0, y0, x1, y1);
    const std::set<Cell> areaCells = Distinct(area);
    if (areaCells.size() != area.size()) return "a filled cell visited twice";
    size_t spanCells = 0;
    for (const auto& [y, span] : spans) {
        for (int64_t x = span.first; x <= span.second; ++x)
            if (!areaCells.count({int32_t(x), int32_t(y)})) return "filled misses " + at(x, y);
        spanCells += size_t(span.second - span.first + 1);
    }
    if (spanCells != area.size()) return "filled ellipse beyond the outline";
    return "";
}
// A shape of a w x h box and the picture it must give.
struct TPictureCase {
    TShapeKind kind;
    int32_t w, h;
    Picture expected;
};

// The same picture from any of the four corner orders, with the box's top left at (left, top).
void ExpectPictureFromEveryCorner(const TPictureCase& c, int32_t left, int32_t top) {
    const int32_t right = left + c.w - 1, bottom = top + c.h - 1;
    const std::pair<Cell, Cell> corners[] = {{{left, top}, {right, bottom}},
                                             {{right, bottom}, {left, top}},
                                             {{right, top}, {left, bottom}},
                                             {{left, bottom}, {right, top}}};
    for (const auto& [from, to] : corners) {
        const Cells cells = Shape(c.kind, from.first, from.second, to.first, to.second);
        EXPECT_EQ(Text(Draw(cells, left, top, c.w, c.h)), Text(c.expected))
            << Name(c.kind) << " " << c.w << "x" << c.h << " from (" << from.first << ", "
            << from.second << ")";
    }
}
} // namespace

// ---- ConstrainShapeEnd

TEST(ConstrainShapeEnd, MovesTheEndOntoADirectionOrASquare) {
    struct Case {
        TShapeKind kind;
        int32_t x0, y0, x1, y1;
        int32_t expectedX1, expectedY1;
    };
    const Case cases[] = {
        // Lines: below 22.5 degrees from an axis onto the axis, keeping that axis's distance.
        {TShapeKind::Line, 0, 0, 10, 4, 10, 0},
        {TShapeKind::Line, 0, 0, -10, 4, -10, 0},
        {TShapeKind::Line, 0, 0, 2, -5, 0, -5},
        {TShapeKind::Line, 3, 3, 1, 8, 3, 8},
        {TShapeKind::Line, 0, 0, 7, 0, 7, 0},
        {TShapeKind::Line, 0, 0, 0, -7, 0, -7},
        // ... else onto the diagonal, max(|dx|, |dy|) along both axes.
        {TShapeKind::Line, 0, 0, 10, 5, 10, 10},
        {TShapeKind::Line, 0, 0, -10, -5, -10, -10},
        {TShapeKind::Line, 0, 0, 3, -7, 7, -7},
        {TShapeKind::Line, 0, 0, -5, 5, -5, 5},
        {TShapeKind::Line, 4, -2, 5, -3, 5, -3},
        // Near tan(22.5 degrees) = 0.414214: 29/70 = 0.414286 is over, 70/169 = 0.414201 under.
        {TShapeKind::Line, 0, 0, 70, 29, 70, 70},
        {TShapeKind::Line, 0, 0, 70, 28, 70, 0},
        {TShapeKind::Line, 0, 0, 169, 70, 169, 0},
        {TShapeKind::Line, 0, 0, -29, 70, -70, 70},
        {TShapeKind::Line, 0, 0, 70, -169, 0, -169},
        {TShapeKind::Line, 5, 5, 5, 5, 5, 5},
        // Boxes become squares of the larger side, each axis keeping its direction.
        {TShapeKind::Rect, 0, 0, 3, 7, 7, 7},
        {TShapeKind::Rect, 0, 0, -3, 7, -7, 7},
        {TShapeKind::FilledRect, 0, 0, 7, -2, 7, -7},
        {TShapeKind::Ellipse, 10, 10, 4, 2, 2, 2},
        {TShapeKind::FilledEllipse, 0, 0, 1, 0, 1, 1},
        // A delta of 0 counts as positive: right or down.
        {TShapeKind::Rect, 0, 0, 0, 5, 5, 5},
        {TShapeKind::Rect, 0, 0, 0, -5, 5, -5},
        {TShapeKind::Ellipse, 0, 0, -5, 0, -5, 5},
        {TShapeKind::Ellipse, 3, 3, 3, 3, 3, 3},
        // Shrunk, on both axes, to the room the int32 range leaves.
        {TShapeKind::Rect, Int32Max - 2, 0, Int32Max, 10, Int32Max, 2},
        {TShapeKind::Rect, 0, Int32Min + 1, -9, Int32Min, -1, Int32Min},
        {TShapeKind::Line, Int32Max - 2, 0, Int32Max, 3, Int32Max, 2},
        {TShapeKind::Rect, Int32Min, 0, Int32Max, 0, -1, Int32Max},
        {TShapeKind::Line, Int32Min, 0, Int32Max, 0, Int32Max, 0},
        {TShapeKind::Line, Int32Min, Int32Max, Int32Max, Int32Min, Int32Max, Int32Min},
    };
    for (const Case& c : cases) {
        int32_t x1 = c.x1, y1 = c.y1;
        ConstrainShapeEnd(c.kind, c.x0, c.y0, x1, y1);
        EXPECT_EQ(std::make_pair(x1, y1), std::make_pair(c.expectedX1, c.expectedY1))
            << Name(c.kind) << " (" << c.x0 << ", " << c.y0 << ") -> (" << c.x1 << ", " << c.y1
            << ")";
    }
}

// The line's direction is the one of the 8 nearest in angle, found here with atan2.
TEST(ConstrainShapeEnd, LineTakesTheNearestOfTheEightDirections) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int32_t> coordinate(-500, 500);
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 5000; ++i) {
        const int32_t x0 = coordinate(random), y0 = coordinate(random);
        const int32_t dx = coordinate(random), dy = coordinate(random);
        if (dx == 0 && dy == 0) continue;
        int32_t x1 = x0 + dx, y1 = y0 + dy;
        ConstrainShapeEnd(TShapeKind::Line, x0, y0, x1, y1);
        // The nearest direction (cx, cy), each -1, 0 or 1; 22.5 degrees is never met exactly.
        const double octant = std::round(std::atan2(double(dy), double(dx)) / (pi / 4));
        const auto cx = int32_t(std::lround(std::cos(octant * pi / 4)));
        const auto cy = int32_t(std::lround(std::sin(octant * pi / 4)));
        // An axis keeps its own distance; a diagonal goes max(|dx|, |dy|) along both axes.
        const int32_t m = std::max(std::abs(dx), std::abs(dy));
        const int32_t wantX = x0 + (cy == 0 ? dx : cx * m);
        const int32_t wantY = y0 + (cx == 0 ? dy : cy * m);
        ASSERT_EQ(std::make_pair(x1, y1), std::make_pair(wantX, wantY))
            << "(" << x0 << ", " << y0 << ") + (" << dx << ", " << dy << ")";
    }
}

// ---- Lines

TEST(ShapeCells, LineIsTheStartCellThenThePensStepping) {
    struct Case {
        int32_t x0, y0, x1, y1;
        Cells expected;
    };
    const Case cases[] = {
        {2, 3, 2, 3, {{2, 3}}},
        {0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {0, 0, 2, 1, {{0, 0}, {1, 0}, {2, 1}}}, // the half step rounds to the even neighbour
        {0, 0, -2, -2, {{0, 0}, {-1, -1}, {-2, -2}}},
        {1, 1, 0, 4, {{1, 1}, {1, 2}, {0, 3}, {0, 4}}},
        {Int32Max - 1,
         Int32Min,
         Int32Max,
         Int32Min,
         {{Int32Max - 1, Int32Min}, {Int32Max, Int32Min}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shape(TShapeKind::Line, c.x0, c.y0, c.x1, c.y1), c.expected)
            << "(" << c.x0 << ", " << c.y0 << ") -> (" << c.x1 << ", " << c.y1 << ")";

    std::mt19937 random(3);
    std::uniform_int_distribution<int32_t> coordinate(-40, 40);
    for (int i = 0; i < 2000; ++i) {
        const int32_t x0 = coordinate(random), y0 = coordinate(random);
        const int32_t x1 = coordinate(random), y1 = coordinate(random);
        Cells expected{{x0, y0}};
        StepLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) { expected.emplace_back(x, y); });
        const Cells cells = Shape(TShapeKind::Line, x0, y0, x1, y1);
        ASSERT_EQ(cells, expected) << x0 << "," << y0 << " -> " << x1 << "," << y1;
        ASSERT_EQ(Distinct(cells).size(), cells.size())
            << x0 << "," << y0 << " -> " << x1 << "," << y1;
    }
}

// ---- Rectangles

TEST(ShapeCells, RectanglesArePictures) {
    const TPictureCase cases[] = {
        {TShapeKind::Rect, 1, 1, {"#"}},
        {TShapeKind::Rect, 4, 1, {"####"}},
        {TShapeKind::Rect, 1, 3, {"#", "#", "#"}},
        {TShapeKind::Rect, 2, 2, {"##", "##"}},
        {TShapeKind::Rect, 2, 4, {"##", "##", "##", "##"}},
        {TShapeKind::Rect, 3, 3, {"###", "#.#", "###"}},
        {TShapeKind::Rect, 5, 4, {"#####", "#...#", "#...#", "#####"}},
        {TShapeKind::FilledRect, 1, 1, {"#"}},
        {TShapeKind::FilledRect, 3, 1, {"###"}},
        {TShapeKind::FilledRect, 3, 2, {"###", "###"}},
        {TShapeKind::FilledRect, 4, 3, {"####", "####", "####"}},
    };
    for (const TPictureCase& c : cases)
        ExpectPictureFromEveryCorner(c, -3, 7);
}

TEST(ShapeCells, RectanglesOfEverySizeHaveTheirCellsOnce) {
    for (int32_t w = 1; w <= 12; ++w) {
        for (int32_t h = 1; h <= 12; ++h) {
            const Cells outline = Shape(TShapeKind::Rect, 5, 5, 5 + w - 1, 5 + h - 1);
            const Cells filled = Shape(TShapeKind::FilledRect, 5 + w - 1, 5, 5, 5 + h - 1);
            const size_t border = w == 1 || h == 1 ? size_t(w * h) : size_t(2 * w + 2 * h - 4);
            EXPECT_EQ(outline.size(), border) << w << "x" << h;
            EXPECT_EQ(Distinct(outline).size(), border) << w << "x" << h;
            EXPECT_EQ(filled.size(), size_t(w * h)) << w << "x" << h;
            EXPECT_EQ(Distinct(filled).size(), size_t(w * h)) << w << "x" << h;
        }
    }
}

TEST(ShapeCells, RectanglesReachTheEndsOfTheInt32Range) {
    const Cells cells = Shape(TShapeKind::Rect, Int32Max, Int32Min, Int32Max - 2, Int32Min + 1);
    EXPECT_EQ(Distinct(cells), (std::set<Cell>{{Int32Max - 2, Int32Min},
                                               {Int32Max - 1, Int32Min},
                                               {Int32Max, Int32Min},
                                               {Int32Max - 2, Int32Min + 1},
                                               {Int32Max - 1, Int32Min + 1},
                                               {Int32Max, Int32Min + 1}}));
    EXPECT_EQ(cells.size(), 6u);
}

// ---- Ellipses

TEST(ShapeCells, SmallEllipsesArePictures) {
    const TPictureCase cases[] = {
        {TShapeKind::Ellipse, 1, 1, {"#"}},
        {TShapeKind::Ellipse, 2, 1, {"##"}},
        {TShapeKind::Ellipse, 6, 1, {"######"}},
        {TShapeKind::Ellipse, 1, 6, {"#", "#", "#", "#", "#", "#"}},
        {TShapeKind::Ellipse, 2, 2, {"##", "##"}},
        {TShapeKind::Ellipse, 2, 5, {"##", "##", "##", "##", "##"}},
        {TShapeKind::Ellipse, 5, 2, {"#####", "#####"}},
        {TShapeKind::Ellipse, 3, 3, {".#.", "#.#", ".#."}},
        {TShapeKind::Ellipse, 4, 3, {".##.", "#..#", ".##."}},
        {TShapeKind::Ellipse, 3, 4, {".#.", "#.#", "#.#", ".#."}},
        {TShapeKind::Ellipse, 4, 4, {".##.", "#..#", "#..#", ".##."}},
        {TShapeKind::Ellipse, 5, 5, {".###.", "#...#", "#...#", "#...#", ".###."}},
        {TShapeKind::Ellipse, 7, 4, {".#####.", "#.....#", "#.....#", ".#####."}},
        {TShapeKind::Ellipse, 9, 3, {".#######.", "#.......#", ".#######."}},
        {TShapeKind::Ellipse,
         8,
         6,
         {"..####..", ".#....#.", "#......#", "#......#", ".#....#.", "..####.."}},
        {TShapeKind::Ellipse,
         8,
         8,
         {"..####..", ".#....#.", "#......#", "#......#", "#......#", "#......#", ".#....#.",
          "..####.."}},
        {TShapeKind::Ellipse,
         13,
         5,
         {"...#######...", ".##.......##.", "#...........#", ".##.......##.", "...#######..."}},
        // A thin ellipse: the middle column runs two cells at each end, as its nearest rows.
        {TShapeKind::Ellipse, 3, 24, {".#.", ".#.", "#.#", "#.#", "#.#", "#.#", "#.#", "#.#",
                                      "#.#", "#.#", "#.#", "#.#", "#.#", "#.#", "#.#", "#.#",
                                      "#.#", "#.#", "#.#", "#.#", "#.#", "#.#", ".#.", ".#."}},
        {TShapeKind::Ellipse,
         16,
         16,
         {".....######.....", "...##......##...", "..#..........#..", ".#............#.",
          ".#............#.", "#..............#", "#..............#", "#..............#",
          "#..............#", "#..............#", "#..............#", ".#............#.",
          ".#............#.", "..#..........#..", "...##......##...", ".....######....."}},
        {TShapeKind::FilledEllipse, 1, 1, {"#"}},
        {TShapeKind::FilledEllipse, 2, 2, {"##", "##"}},
        {TShapeKind::FilledEllipse, 3, 3, {".#.", "###", ".#."}},
        {TShapeKind::FilledEllipse, 4, 3, {".##.", "####", ".##."}},
        {TShapeKind::FilledEllipse, 5, 5, {".###.", "#####", "#####", "#####", ".###."}},
        {TShapeKind::FilledEllipse, 7, 4, {".#####.", "#######", "#######", ".#####."}},
        {TShapeKind::FilledEllipse, 1, 6, {"#", "#", "#", "#", "#", "#"}},
        {TShapeKind::FilledEllipse, 6, 1, {"######"}},
        {TShapeKind::FilledEllipse,
         8,
         6,
         {"..####..", ".######.", "########", "########", ".######.", "..####.."}},
    };
    for (const TPictureCase& c : cases)
        ExpectPictureFromEveryCorner(c, 40, -11);
}

// Every box from 1 x 1 to 40 x 40, all parities, against the reference and the common checks.
TEST(ShapeCells, EllipsesMatchTheReferenceForEveryBoxSize) {
    for (int32_t w = 1; w <= 40; ++w) {
        for (int32_t h = 1; h <= 40; ++h) {
            const Box box{-5, 3, -5 + w - 1, 3 + h - 1};
            const Cells cells = Shape(TShapeKind::Ellipse, -5, 3, -5 + w - 1, 3 + h - 1);
            const std::set<Cell> expected = ReferenceEllipse(box);
            EXPECT_EQ(Distinct(cells), expected)
                << w << "x" << h << ", got:" << Text(Draw(cells, -5, 3, w, h))
                << "\nexpected:" << Text(Draw({expected.begin(), expected.end()}, -5, 3, w, h));
            EXPECT_EQ(CheckEllipse(box, true), "") << w << "x" << h;
        }
    }
}

// A circle (a square box) is also symmetric about its diagonals.
TEST(ShapeCells, CirclesAreSymmetricAboutTheirDiagonals) {
    for (int32_t n = 1; n <= 100; ++n) {
        const std::set<Cell> cells = Distinct(Shape(TShapeKind::Ellipse, 0, 0, n - 1, n - 1));
        std::set<Cell> transposed;
        for (const auto& [x, y] : cells)
            transposed.emplace(y, x);
        EXPECT_EQ(transposed, cells) << n << "x" << n;
    }
}

// Ellipses keep their shape wherever they lie, also at the ends of the int32 range.
TEST(ShapeCells, EllipsesAreTheSameAnywhere) {
    struct Case {
        int32_t left, top;
    };
    const Case cases[] = {
        {0, 0}, {-1000, 77}, {Int32Max - 20, Int32Max - 30}, {Int32Min, Int32Min}, {Int32Min, 5},
    };
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {2, 3}, {7, 4}, {21, 31}, {16, 16}};
    for (const Case& c : cases) {
        for (const auto& [w, h] : sizes) {
            for (const TShapeKind kind : {TShapeKind::Ellipse, TShapeKind::FilledEllipse}) {
                const Cells there = Shape(kind, c.left + (w - 1), c.top, c.left, c.top + (h - 1));
                const Cells here = Shape(kind, 0, 0, w - 1, h - 1);
                EXPECT_EQ(Text(Draw(there, c.left, c.top, w, h)), Text(Draw(here, 0, 0, w, h)))
                    << Name(kind) << " " << w << "x" << h << " at (" << c.left << ", " << c.top
                    << ")";
            }
        }
    }
}

// Large boxes: the decisions stay exact in 64 bits up to MaxEllipseSide cells a side (the filled
// ellipses of these are checked only in part, for their size); larger boxes give no ellipse.
TEST(ShapeCells, LargeEllipses) {
    struct Case {
        int32_t w, h;
    };
    const Case cases[] = {{16384, 16384},
                          {16384, 3},
                          {2, 16384},
                          {16383, 9001},
                          {int32_t(MaxEllipseSide), int32_t(MaxEllipseSide)},
                          {301, 157}};
    for (const Case& c : cases) {
        const Box box{100, -200, 100 + c.w - 1, -200 + c.h - 1};
        EXPECT_EQ(CheckEllipse(box, c.w * c.h < 100000), "") << c.w << "x" << c.h;
    }
    // A large filled circle covers pi / 4 of its box, give or take about half its outline.
    int64_t area = 0;
    ShapeCells(TShapeKind::FilledEllipse, 0, 0, 4095, 4095, [&](int32_t, int32_t) { ++area; });
    EXPECT_NEAR(double(area), 4096.0 * 4096.0 * std::acos(-1.0) / 4, 6000.0);
    for (const TShapeKind kind : {TShapeKind::Ellipse, TShapeKind::FilledEllipse}) {
        EXPECT_TRUE(Shape(kind, 0, 0, int32_t(MaxEllipseSide), 3).empty()) << Name(kind);
        EXPECT_TRUE(Shape(kind, 0, 0, 3, int32_t(MaxEllipseSide)).empty()) << Name(kind);
        EXPECT_TRUE(Shape(kind, Int32Min, Int32Min, Int32Max, Int32Max).empty()) << Name(kind);
    }
}
