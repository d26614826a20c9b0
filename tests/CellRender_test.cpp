// The previews' cell drawing: pictures written as strings, a digit an index (the image) or its
// colour (the surface), L and D the checkerboard's light and dark squares, B the backdrop and '.'
// a surface pixel left as it was.
#include "ImageRows.h"
#include "image/CellRender.h"
#include "image/DIB.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
constexpr uint32_t kUntouched = 0x12345678;
constexpr uint32_t kBackdrop = 0xFF00FF00;

TSurfaceColors Colors() {
    TSurfaceColors colors;
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = 0xFF000000u | uint32_t(i * 0x10101);
    return colors;
}

std::vector<std::string> Drawn(int32_t width, int32_t height, int32_t left, int32_t top,
                               const TDIB& image, const TRect& part, const TCellLook& look) {
    std::vector<uint32_t> pixels(size_t(width) * size_t(height), kUntouched);
    TSurface out{reinterpret_cast<uint8_t*>(pixels.data()), ptrdiff_t(width) * 4, width, height,
                 32};
    RenderCell(out, left, top, image, part, Colors(), look);
    std::vector<std::string> rows;
    for (int32_t y = 0; y < height; ++y) {
        std::string row;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t v = pixels[size_t(y) * size_t(width) + size_t(x)];
            char c = '?';
            if (v == kUntouched)
                c = '.';
            else if (v == kCheckerLight)
                c = 'L';
            else if (v == kCheckerDark)
                c = 'D';
            else if (v == kBackdrop)
                c = 'B';
            for (int i = 0; i < 10; ++i)
                if (v == Colors()[size_t(i)]) c = char('0' + i);
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

struct CellCase {
    const char* Name;
    std::vector<std::string> Image;
    TRect Part;
    TCellLook Look;
    int32_t Width, Height, Left, Top;
    std::vector<std::string> Expected;
};

TEST(CellRenderTest, PixelsAsSquaresTransparentAsCheckerOrBackdrop) {
    const CellCase cases[] = {
        {"scale 1, whole image, index 0 a checkerboard of one-pixel squares",
         {"120", "003"},
         {0, 0, 3, 2},
         {.Scale = 1, .Transparent = 0, .CheckerSide = 1},
         3,
         2,
         0,
         0,
         {"12L", "DL3"}},
        {"scale 2, a part of the image, offset on the surface",
         {"1234", "5678", "9012"},
         {1, 1, 3, 3},
         {.Scale = 2, .Transparent = 9},
         6,
         5,
         1,
         1,
         {"......", ".6677.", ".6677.", ".0011.", ".0011."}},
        {"scale 3, the board's squares follow the surface, not the pixels",
         {"00", "01"},
         {0, 0, 2, 2},
         {.Scale = 3, .Transparent = 0, .CheckerSide = 2},
         6,
         6,
         0,
         0,
         {"LLDDLL", "LLDDLL", "DDLLDD", "DDL111", "LLD111", "LLD111"}},
        {"backdrop instead of the board",
         {"05", "50"},
         {0, 0, 2, 2},
         {.Scale = 2, .Transparent = 5, .Checker = false, .Backdrop = kBackdrop},
         4,
         4,
         0,
         0,
         {"00BB", "00BB", "BB00", "BB00"}},
        {"cut at every edge of the surface",
         {"123", "456", "789"},
         {0, 0, 3, 3},
         {.Scale = 2, .Transparent = 0},
         4,
         3,
         -1,
         -2,
         {"4556", "4556", "7889"}},
        {"entirely off the surface",
         {"12", "34"},
         {0, 0, 2, 2},
         {.Scale = 4, .Transparent = 0},
         3,
         3,
         3,
         0,
         {"...", "...", "..."}},
    };
    for (const CellCase& c : cases)
        EXPECT_EQ(Drawn(c.Width, c.Height, c.Left, c.Top, FromRows(c.Image), c.Part, c.Look),
                  c.Expected)
            << c.Name;
}

struct RectCase {
    TRect A, B, Common;
    bool Meet;
};

TEST(CellRenderTest, CommonPartOfTwoRectangles) {
    const RectCase cases[] = {
        {{0, 0, 8, 8}, {4, 4, 12, 12}, {4, 4, 8, 8}, true},
        {{0, 0, 8, 8}, {8, 0, 16, 8}, {8, 0, 8, 8}, false}, // edges touch only
        {{0, 0, 8, 8}, {20, 20, 24, 24}, {20, 20, 20, 20}, false},
        {{2, 2, 3, 3}, {0, 0, 8, 8}, {2, 2, 3, 3}, true},
    };
    for (const RectCase& c : cases) {
        EXPECT_EQ(CommonRect(c.A, c.B), c.Common);
        EXPECT_EQ(RectsMeet(c.A, c.B), c.Meet);
        EXPECT_EQ(RectsMeet(c.B, c.A), c.Meet);
    }
}
} // namespace
