// The fill tool's four-connected flood fill, confined to an area.
#include "ImageRows.h"
#include "image/DIB.h"
#include "image/FloodFill.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {
// The same fill, one pixel at a time from a work list.
void ReferenceFill(TDIB& image, const TRect& area, int32_t x, int32_t y, uint8_t colour) {
    const uint8_t seed = image.GetPixel(x, y);
    if (seed == colour) return;
    std::vector<std::pair<int32_t, int32_t>> work{{x, y}};
    while (!work.empty()) {
        const auto [px, py] = work.back();
        work.pop_back();
        if (px < area.Left || px >= area.Right || py < area.Top || py >= area.Bottom) continue;
        if (image.GetPixel(px, py) != seed) continue;
        image.SetPixel(px, py, colour);
        work.insert(work.end(), {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}});
    }
}
} // namespace

TEST(FloodFill4, FillsTheFourConnectedRegionInsideTheArea) {
    struct Case {
        const char* name;
        std::vector<std::string> before;
        TRect area;
        int32_t x, y;
        uint8_t colour;
        bool changed;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"a diagonal gap does not leak",
         {"0010", "0100", "1000", "0000"},
         {0, 0, 4, 4},
         0,
         0,
         7,
         true,
         {"7710", "7100", "1000", "0000"}},
        {"stops at the area border although the colour continues",
         {"00000", "00000", "00000"},
         {1, 0, 3, 2},
         1,
         1,
         5,
         true,
         {"05500", "05500", "00000"}},
        {"outside parts do not connect two inside parts",
         {"0100", "0100", "0000"},
         {0, 0, 4, 2},
         0,
         0,
         3,
         true,
         {"3100", "3100", "0000"}},
        {"around a bend",
         {"0000", "1110", "0000", "0111"},
         {0, 0, 4, 4},
         0,
         3,
         2,
         true,
         {"2222", "1112", "2222", "2111"}},
        {"seed already holds the colour", {"11", "11"}, {0, 0, 2, 2}, 0, 0, 1, false, {"11", "11"}},
        {"seed outside the area", {"00", "00"}, {0, 0, 1, 1}, 1, 1, 4, false, {"00", "00"}},
    };
    for (const Case& c : cases) {
        TDIB image = FromRows(c.before);
        EXPECT_EQ(FloodFill4(image, c.area, c.x, c.y, c.colour), c.changed) << c.name;
        EXPECT_EQ(ToRows(image), c.after) << c.name;
    }
}

TEST(FloodFill4, AgreesWithAPixelByPixelFillOnRandomPictures) {
    std::mt19937 random(4);
    for (int i = 0; i < 300; ++i) {
        const int32_t w = 1 + int32_t(random() % 24), h = 1 + int32_t(random() % 24);
        TDIB image;
        image.Resize(w, h, 8);
        const int colours = 2 + int(random() % 2);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                image.RowForWrite(y)[x] = uint8_t(random() % colours);
        const int32_t left = int32_t(random() % w), top = int32_t(random() % h);
        const TRect area{left, top, left + 1 + int32_t(random() % (w - left)),
                         top + 1 + int32_t(random() % (h - top))};
        const int32_t x = area.Left + int32_t(random() % area.Width());
        const int32_t y = area.Top + int32_t(random() % area.Height());
        TDIB expected;
        expected.Resize(w, h, 8);
        for (int32_t row = 0; row < h; ++row)
            std::copy_n(image.RowForRead(row), w, expected.RowForWrite(row));
        ReferenceFill(expected, area, x, y, 9);
        FloodFill4(image, area, x, y, 9);
        ASSERT_EQ(ToRows(image), ToRows(expected)) << "case " << i;
    }
}
