// Mirror drawing: a cell and its images about the mirror axes.
#include "image/Symmetry.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {
using Cells = std::vector<std::pair<int32_t, int32_t>>;

constexpr int32_t Int32Max = std::numeric_limits<int32_t>::max();
constexpr int32_t Int32Min = std::numeric_limits<int32_t>::min();

Cells Mirrored(const TSymmetry& sym, int32_t x, int32_t y) {
    Cells cells;
    VisitMirrored(sym, x, y, [&](int32_t vx, int32_t vy) { cells.emplace_back(vx, vy); });
    return cells;
}
} // namespace

TEST(VisitMirrored, VisitsTheCellThenEachDistinctImage) {
    struct Case {
        const char* what;
        TSymmetry sym;
        int32_t x, y;
        Cells expected;
    };
    const Case cases[] = {
        {"no axis", {}, 3, 4, {{3, 4}}},
        {"sums without their flags", {false, false, 9, 9}, 3, 4, {{3, 4}}},
        // An area 10 wide at 0: sum 9, the axis between columns 4 and 5; no cell is on it.
        {"x, odd sum", {true, false, 9, 0}, 2, 5, {{2, 5}, {7, 5}}},
        {"x, odd sum, next to the axis", {true, false, 9, 0}, 5, 0, {{5, 0}, {4, 0}}},
        // Through the middle of column 4: sum 8; column 4 is its own image.
        {"x, even sum", {true, false, 8, 0}, 1, 1, {{1, 1}, {7, 1}}},
        {"x, even sum, on the axis", {true, false, 8, 0}, 4, 1, {{4, 1}}},
        {"y, odd sum", {false, true, 0, 5}, 0, 2, {{0, 2}, {0, 3}}},
        {"y, even sum, on the axis", {false, true, 0, 4}, 7, 2, {{7, 2}}},
        {"y, even sum", {false, true, 0, 4}, 7, 0, {{7, 0}, {7, 4}}},
        {"both", {true, true, 9, 7}, 1, 2, {{1, 2}, {8, 2}, {1, 5}, {8, 5}}},
        {"both, on the x axis", {true, true, 8, 7}, 4, 2, {{4, 2}, {4, 5}}},
        {"both, on the y axis", {true, true, 8, 6}, 1, 3, {{1, 3}, {7, 3}}},
        {"both, on both axes", {true, true, 8, 6}, 4, 3, {{4, 3}}},
        // An area 10 wide at -5: sum 2 * -5 + 10 - 1 = -1.
        {"negative sum", {true, true, -1, -3}, -5, 0, {{-5, 0}, {4, 0}, {-5, -3}, {4, -3}}},
        {"image outside int32 (x)", {true, true, Int32Max, 0}, -1, 1, {{-1, 1}, {-1, -1}}},
        {"image outside int32 (y)", {true, true, 0, Int32Min}, 1, 1, {{1, 1}, {-1, 1}}},
        {"images at the ends of int32",
         {true, true, Int32Max, -1},
         0,
         Int32Min,
         {{0, Int32Min}, {Int32Max, Int32Min}, {0, Int32Max}, {Int32Max, Int32Max}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Mirrored(c.sym, c.x, c.y), c.expected) << c.what;
}

TEST(VisitMirrored, AnyTellsWhetherAnAxisIsOn) {
    EXPECT_FALSE(TSymmetry{}.Any());
    EXPECT_FALSE((TSymmetry{false, false, 3, 4}.Any()));
    EXPECT_TRUE((TSymmetry{true, false, 0, 0}.Any()));
    EXPECT_TRUE((TSymmetry{false, true, 0, 0}.Any()));
    EXPECT_TRUE((TSymmetry{true, true, 0, 0}.Any()));
}

// The cells visited from any cell of a group are that group: the same distinct cells, the
// starting one first, 1, 2 or 4 of them.
TEST(VisitMirrored, EveryImageVisitsTheSameGroup) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int32_t> coordinate(-20, 20);
    std::bernoulli_distribution flag(0.5);
    for (int i = 0; i < 3000; ++i) {
        const TSymmetry sym{flag(random), flag(random), coordinate(random), coordinate(random)};
        const int32_t x = coordinate(random), y = coordinate(random);
        const Cells cells = Mirrored(sym, x, y);
        const std::set<std::pair<int32_t, int32_t>> group(cells.begin(), cells.end());
        const size_t expected = size_t(sym.MirrorX && 2 * x != sym.SumX ? 2 : 1) *
                                size_t(sym.MirrorY && 2 * y != sym.SumY ? 2 : 1);
        ASSERT_EQ(cells.size(), expected) << i;
        ASSERT_EQ(group.size(), cells.size()) << i;
        ASSERT_EQ(cells.front(), std::make_pair(x, y)) << i;
        for (const auto& [gx, gy] : cells) {
            const Cells again = Mirrored(sym, gx, gy);
            const std::set<std::pair<int32_t, int32_t>> againGroup(again.begin(), again.end());
            ASSERT_EQ(againGroup, group) << i;
        }
    }
}
