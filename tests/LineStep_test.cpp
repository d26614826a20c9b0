// The pen's line stepping.
#include "image/LineStep.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <utility>
#include <vector>

namespace {
using Cells = std::vector<std::pair<int32_t, int32_t>>;

Cells Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    Cells cells;
    StepLine(x0, y0, x1, y1, [&](int32_t x, int32_t y) { cells.emplace_back(x, y); });
    return cells;
}
} // namespace

TEST(StepLine, VisitsTheRoundedStepsAfterTheStartCell) {
    struct Case {
        int32_t x0, y0, x1, y1;
        Cells expected;
    };
    const Case cases[] = {
        // Half steps go to the even neighbour: 0.5 -> 0, 1.5 -> 2, 2.5 -> 2.
        {0, 0, 1, 2, {{0, 1}, {1, 2}}},
        {0, 0, 2, 1, {{1, 0}, {2, 1}}},
        {0, 1, 2, 2, {{1, 2}, {2, 2}}},
        {0, 2, 2, 3, {{1, 2}, {2, 3}}},
        {0, 0, -2, -1, {{-1, 0}, {-2, -1}}},
        {0, 0, 3, 0, {{1, 0}, {2, 0}, {3, 0}}},
        {0, 0, 4, 1, {{1, 0}, {2, 0}, {3, 1}, {4, 1}}},
        {2, 0, 0, 5, {{2, 1}, {1, 2}, {1, 3}, {0, 4}, {0, 5}}},
        {5, 5, 5, 5, {}},
        // Cells outside any view are stepped like the others; the caller skips them.
        {-3, 1, 1, 1, {{-2, 1}, {-1, 1}, {0, 1}, {1, 1}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Line(c.x0, c.y0, c.x1, c.y1), c.expected)
            << "(" << c.x0 << ", " << c.y0 << ") -> (" << c.x1 << ", " << c.y1 << ")";
}

// Any line ends at its end cell after max(|dx|, |dy|) cells, each a king's move from the last.
TEST(StepLine, RandomLinesAreConnectedAndEndAtTheEndCell) {
    std::mt19937 random(8);
    std::uniform_int_distribution<int32_t> coordinate(-70, 70);
    for (int i = 0; i < 2000; ++i) {
        const int32_t x0 = coordinate(random), y0 = coordinate(random);
        const int32_t x1 = coordinate(random), y1 = coordinate(random);
        const Cells cells = Line(x0, y0, x1, y1);
        const auto n = size_t(std::max(std::abs(x1 - x0), std::abs(y1 - y0)));
        ASSERT_EQ(cells.size(), n);
        if (n == 0) continue;
        EXPECT_EQ(cells.back(), std::make_pair(x1, y1))
            << x0 << "," << y0 << " " << x1 << "," << y1;
        std::pair<int32_t, int32_t> last{x0, y0};
        for (const auto& cell : cells) {
            ASSERT_LE(std::abs(cell.first - last.first), 1);
            ASSERT_LE(std::abs(cell.second - last.second), 1);
            last = cell;
        }
    }
}
