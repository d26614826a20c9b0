#include "image/SpriteSheet.h"

#include <gtest/gtest.h>

namespace {

struct SheetCase {
    const char* Name;
    int32_t Width, Height;
    TRect First;
    int32_t Count;
    std::vector<TRect> Cells;
};

TEST(SpriteSheetTest, CellsInReadingOrder) {
    const SheetCase cases[] = {
        {"whole rows",
         32,
         16,
         {0, 0, 8, 8},
         100,
         {{0, 0, 8, 8},
          {8, 0, 16, 8},
          {16, 0, 24, 8},
          {24, 0, 32, 8},
          {0, 8, 8, 16},
          {8, 8, 16, 16},
          {16, 8, 24, 16},
          {24, 8, 32, 16}}},
        {"count stops early",
         32,
         16,
         {0, 0, 8, 8},
         3,
         {{0, 0, 8, 8}, {8, 0, 16, 8}, {16, 0, 24, 8}}},
        {"starts mid-row, next row from the grid's first column",
         30,
         20,
         {13, 2, 21, 8},
         5,
         {{13, 2, 21, 8}, {21, 2, 29, 8}, {5, 8, 13, 14}, {13, 8, 21, 14}, {21, 8, 29, 14}}},
        {"cells cut by the edge are left out",
         20,
         10,
         {0, 0, 8, 8},
         10,
         {{0, 0, 8, 8}, {8, 0, 16, 8}}},
        {"first cell alone", 8, 8, {0, 0, 8, 8}, 4, {{0, 0, 8, 8}}},
        {"no count", 32, 32, {0, 0, 8, 8}, 0, {}},
        {"empty first", 32, 32, {4, 4, 4, 12}, 4, {}},
        {"first off the picture", 32, 32, {30, 0, 38, 8}, 4, {}},
    };
    for (const SheetCase& c : cases)
        EXPECT_EQ(SheetCells(c.Width, c.Height, c.First, c.Count), c.Cells) << c.Name;
}

TEST(SpriteSheetTest, HugeSheetsStopAtTheMostCells) {
    EXPECT_EQ(SheetCells(16384, 16384, {0, 0, 1, 1}, 1 << 30).size(), size_t(kMostSheetCells));
    // Positions near the int32 limit neither overflow nor make a cell.
    EXPECT_EQ(SheetCells(INT32_MAX, 4, {INT32_MAX - 5, 0, INT32_MAX - 1, 4}, 4),
              (std::vector<TRect>{{INT32_MAX - 5, 0, INT32_MAX - 1, 4}}));
}

} // namespace
