// Enlargement by a whole factor, at every bit count an image holds.
#include "ImageRows.h"
#include "base/Exceptions.h"
#include "image/Enlarge.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
using TRows = std::vector<std::string>;

// A width x height picture of bitCount bits (16 as 5-6-5) whose neighbouring pixels differ, each
// value within the pixel's bits.
TDIB Pattern(int32_t width, int32_t height, int32_t bitCount) {
    TDIB image;
    image.PaletteBlock = GreyRampPalette();
    if (bitCount == 16) image.WantedLayout = MakeLayout(5, 6, 5);
    image.Resize(width, height, bitCount);
    const uint64_t mask = (uint64_t(1) << bitCount) - 1;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(x, y,
                           uint32_t((uint64_t(x) * 0x9E3779B1u + uint64_t(y) * 7 + 1) & mask));
    return image;
}
} // namespace

TEST(Enlarge, EnlargedRepeatsEveryPixel) {
    struct TCase {
        TRows picture;
        int32_t factor;
        TRows enlarged;
    };
    const TCase cases[] = {
        {{"12"}, 2, {"1122", "1122"}},
        {{"1", "2"}, 3, {"111", "111", "111", "222", "222", "222"}},
        {{"12", "34"}, 2, {"1122", "1122", "3344", "3344"}},
        {{"5"}, 8, TRows(8, "55555555")},
        {{"3"}, 1, {"3"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.picture));
        const TDIB picture = FromRowsWithPalette(c.picture);
        const TDIB out = Enlarged(picture, c.factor);
        EXPECT_EQ(ToRows(out), c.enlarged);
        EXPECT_EQ(out.PaletteBlock, picture.PaletteBlock);
    }
}

// Packed pixels cross byte boundaries at odd widths and scales; wider pixels are copied whole,
// and the channel layout of 16-bit pixels is kept.
TEST(Enlarge, EveryBitCountKeepsItsPixelsAndLayout) {
    struct TCase {
        int32_t bitCount, width, height, scale;
    };
    const TCase cases[] = {
        {1, 13, 3, 3}, {1, 9, 2, 16}, {4, 7, 3, 5},  {4, 3, 2, 2},
        {8, 5, 4, 7},  {16, 5, 3, 3}, {24, 3, 3, 4}, {32, 4, 2, 16},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bitCount) + " bits, scale " + std::to_string(c.scale));
        const TDIB picture = Pattern(c.width, c.height, c.bitCount);
        const TDIB out = Enlarged(picture, c.scale);
        ASSERT_EQ(out.Width(), c.width * c.scale);
        ASSERT_EQ(out.Height(), c.height * c.scale);
        EXPECT_EQ(out.BitCount(), c.bitCount);
        EXPECT_TRUE(out.CurrentLayout().SameMasks(picture.CurrentLayout()));
        EXPECT_EQ(out.PaletteBlock, picture.PaletteBlock);
        for (int32_t y = 0; y < out.Height(); ++y)
            for (int32_t x = 0; x < out.Width(); ++x)
                ASSERT_EQ(out.GetPixel(x, y), picture.GetPixel(x / c.scale, y / c.scale))
                    << "at " << x << ", " << y;
    }
}

// A result no image can hold is refused by its size, before anything is allocated: a scale that
// would need gigabytes returns at once with the error.
TEST(Enlarge, RefusesSizesNoImageCanHold) {
    struct TCase {
        int32_t bitCount, width, height, scale;
        const char* message;
    };
    const TCase cases[] = {
        {1, 1, 1, 2147483647, "2147483647×2147483647 ピクセルの画像は大きすぎて作れません"},
        {8, 1, 2, 32768, "32768×65536 ピクセルの画像は大きすぎて作れません"},
        {32, 1, 1, 30000, "30000×30000 ピクセルの画像は大きすぎて作れません"},
        {24, 2, 1, 1073741824, "2147483648×1073741824 ピクセルの画像は大きすぎて作れません"},
        {8, 2, 2, 0, "拡大率 0 では拡大できません"},
        {8, 2, 2, -3, "拡大率 -3 では拡大できません"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.message);
        TDIB picture;
        picture.Resize(c.width, c.height, c.bitCount);
        try {
            Enlarged(picture, c.scale);
            ADD_FAILURE() << "no error";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}
