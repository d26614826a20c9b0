// The pen's pixel-perfect filter: the corner of every L-shaped step is taken back.
#include "image/PixelPerfect.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {
using Picture = std::vector<std::string>;

// A stroke drawn as a picture: its cells in the order of their letters a, b, c, ...
std::vector<TCell> Stroke(const Picture& picture) {
    std::map<char, TCell> cells;
    for (size_t y = 0; y < picture.size(); ++y)
        for (size_t x = 0; x < picture[y].size(); ++x)
            if (picture[y][x] != '.') cells[picture[y][x]] = {int32_t(x), int32_t(y)};
    std::vector<TCell> stroke;
    for (const auto& [letter, cell] : cells)
        stroke.push_back(cell);
    return stroke;
}

struct Result {
    std::vector<TCell> TakenBack; // in order
    Picture Drawn;                // what the pen leaves, '#' on '.'
};

// Runs the stroke as the pen does: each cell is drawn and passed to the filter, and a cell the
// filter answers is restored (here: erased).
Result Draw(const std::vector<TCell>& stroke, size_t w, size_t h) {
    TPixelPerfect filter;
    std::set<std::pair<int32_t, int32_t>> drawn;
    Result result;
    for (const TCell& cell : stroke) {
        drawn.insert({cell.X, cell.Y});
        if (const auto back = filter.Add(cell)) {
            result.TakenBack.push_back(*back);
            EXPECT_EQ(drawn.erase({back->X, back->Y}), 1u) << "taken back twice";
        }
    }
    result.Drawn.assign(h, std::string(w, '.'));
    for (const auto& [x, y] : drawn)
        result.Drawn[size_t(y)][size_t(x)] = '#';
    return result;
}

std::string Text(const Picture& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += "\n" + row;
    return text;
}

std::string Text(const std::vector<TCell>& cells) {
    std::string text;
    for (const TCell& cell : cells)
        text += " (" + std::to_string(cell.X) + ", " + std::to_string(cell.Y) + ")";
    return text;
}
} // namespace

TEST(PixelPerfect, TakesBackTheCornerOfEveryL) {
    struct Case {
        const char* what;
        Picture stroke;
        Picture expected;
        std::vector<TCell> takenBack;
    };
    const Case cases[] = {
        // The eight L shapes: two first steps along each axis, each turning either way.
        {"right, down", {"ab", ".c"}, {"#.", ".#"}, {{1, 0}}},
        {"right, up", {".c", "ab"}, {".#", "#."}, {{1, 1}}},
        {"left, down", {"ba", "c."}, {".#", "#."}, {{0, 0}}},
        {"left, up", {"c.", "ba"}, {"#.", ".#"}, {{0, 1}}},
        {"down, right", {"a.", "bc"}, {"#.", ".#"}, {{0, 1}}},
        {"down, left", {".a", "cb"}, {".#", "#."}, {{1, 1}}},
        {"up, right", {"bc", "a."}, {".#", "#."}, {{0, 0}}},
        {"up, left", {"cb", ".a"}, {"#.", ".#"}, {{1, 0}}},
        // Every corner of a staircase goes: each taken-back corner leaves the cell before it as
        // the one the next step is judged against.
        {"staircase",
         {"ab....", ".cd...", "..ef..", "...gh.", "....i."},
         {"#.....", ".#....", "..#...", "...#..", "....#."},
         {{1, 0}, {2, 1}, {3, 2}, {4, 3}}},
        {"staircase up-right",
         {"...hi", "..fg.", ".de..", "bc...", "a...."},
         {"....#", "...#.", "..#..", ".#...", "#...."},
         {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
        {"straight line", {"abcdef"}, {"######"}, {}},
        {"straight column", {"a", "b", "c", "d"}, {"#", "#", "#", "#"}, {}},
        {"diagonal", {"a...", ".b..", "..c.", "...d"}, {"#...", ".#..", "..#.", "...#"}, {}},
        {"anti-diagonal", {"...a", "..b.", ".c..", "d..."}, {"...#", "..#.", ".#..", "#..."}, {}},
        // Two across and one down, made of single steps: a clean 2:1 line remains.
        {"knight-like steps, orthogonal",
         {"abc....", "..def..", "....gh."},
         {"##.....", "..##...", "....##."},
         {{2, 0}, {4, 1}}},
        // A straight step and a diagonal one: no L, nothing taken back.
        {"knight-like steps, diagonal",
         {"a..", "b..", ".c.", ".d.", "..e"},
         {"#..", "#..", ".#.", ".#.", "..#"},
         {}},
        // An L turned back into a U: only the first corner is an L.
        {"U turn", {"ab", "dc"}, {"#.", "##"}, {{1, 0}}},
        {"single cell", {"a"}, {"#"}, {}},
    };
    for (const Case& c : cases) {
        const size_t w = c.stroke.front().size(), h = c.stroke.size();
        const Result result = Draw(Stroke(c.stroke), w, h);
        EXPECT_EQ(Text(result.Drawn), Text(c.expected)) << c.what;
        EXPECT_EQ(Text(result.TakenBack), Text(c.takenBack)) << c.what;
    }
}

TEST(PixelPerfect, StrokesThatRepeatOrReturn) {
    struct Case {
        const char* what;
        std::vector<TCell> stroke;
        Picture expected;
        std::vector<TCell> takenBack;
    };
    const Case cases[] = {
        // A repeated cell changes nothing: the L is still found.
        {"repeated cells",
         {{0, 0}, {0, 0}, {1, 0}, {1, 0}, {1, 0}, {1, 1}, {1, 1}},
         {"#.", ".#"},
         {{1, 0}}},
        // Back and forth along a row: no L, everything stays.
        {"back and forth", {{0, 0}, {1, 0}, {2, 0}, {1, 0}, {0, 0}, {1, 0}}, {"###"}, {}},
        // Back along the row below after a turn: both turns' corners go.
        {"back after a turn",
         {{0, 0}, {1, 0}, {2, 0}, {2, 1}, {1, 1}, {0, 1}, {0, 0}},
         {"##.", ".##"},
         {{2, 0}, {0, 1}}},
        // The row is drawn first; the stroke comes back through (2, 1) as the corner of an L,
        // which leaves the stroke's path but stays drawn, being part of the row as well.
        {"corner on an earlier part",
         {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 2}, {3, 3}, {2, 2}, {2, 1}, {1, 1}, {0, 0}},
         {"#....", "####.", "..#.#", "...#."},
         {}},
        // Round a square and on: (1, 0), taken back, is drawn again and is again a corner.
        {"corner twice",
         {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}},
         {"#.", ".#"},
         {{1, 0}, {0, 1}, {1, 0}}},
    };
    for (const Case& c : cases) {
        size_t w = 0, h = 0;
        for (const TCell& cell : c.stroke) {
            w = std::max(w, size_t(cell.X) + 1);
            h = std::max(h, size_t(cell.Y) + 1);
        }
        const Result result = Draw(c.stroke, w, h);
        EXPECT_EQ(Text(result.Drawn), Text(c.expected)) << c.what;
        EXPECT_EQ(Text(result.TakenBack), Text(c.takenBack)) << c.what;
    }
}
