// The palette window's arithmetic: grid cells, bar steps and the 15-bit cut.
#include "image/PaletteEdit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(SwatchIndexAt, RowMajorCellsAndClampedPoints) {
    struct Case {
        int32_t x, y, index;
    };
    const Case cases[] = {
        {0, 0, 0},     {15, 15, 0},    {16, 0, 1},     {255, 0, 15}, {0, 255, 240}, {255, 255, 255},
        {37, 100, 98}, {-40, 100, 96}, {37, 900, 242}, {-1, -1, 0},  {300, -5, 15}, {256, 256, 255},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SwatchIndexAt(c.x, c.y), c.index) << c.x << "," << c.y;
}

TEST(BarChannel, EveryPositionRoundTripsAndTheEndsAreBlackAndFull) {
    EXPECT_EQ(BarChannel(0), 0);
    EXPECT_EQ(BarChannel(1), 8);
    EXPECT_EQ(BarChannel(16), 132);
    EXPECT_EQ(BarChannel(31), 255);
    for (int32_t p = 0; p < 32; ++p)
        EXPECT_EQ(BarPosition(BarChannel(p)), p) << p;
    for (int v = 0; v < 256; ++v) {
        const auto channel = static_cast<uint8_t>(v);
        EXPECT_EQ(BarPosition(channel), v / 8) << v;
        // The cut never moves a bar.
        EXPECT_EQ(BarPosition(channel & 0xF8), BarPosition(channel)) << v;
    }
}

TEST(BarPositionAt, FivePixelsAStepClampedToTheBar) {
    struct Case {
        int32_t x, position;
    };
    const Case cases[] = {{-10, 0},  {0, 0},    {4, 0},    {5, 1},
                          {125, 25}, {159, 31}, {160, 31}, {200, 31}};
    for (const Case& c : cases)
        EXPECT_EQ(BarPositionAt(c.x), c.position) << c.x;
}

TEST(EntryFromBars, RequantisesAllThreeChannelsAndKeepsTheReservedByte) {
    const TPaletteEntry entry{50, 100, 200, 7}; // blue, green, red, reserved
    const TPaletteEntry out =
        EntryFromBars(entry, 25, BarPosition(entry.Green), BarPosition(entry.Blue));
    EXPECT_EQ(out, (TPaletteEntry{49, 99, 206, 7}));
}

TEST(Cut15Bit, ClearsTheLowThreeBitsOfEveryChannelOnly) {
    TPalette palette{};
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        palette[i] = TPaletteEntry{v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(v ^ 0x5A),
                                   static_cast<uint8_t>(v | 3)};
    }
    const TPalette cut = Cut15Bit(palette);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(cut[i].Blue, palette[i].Blue & 0xF8) << i;
        EXPECT_EQ(cut[i].Green, palette[i].Green & 0xF8) << i;
        EXPECT_EQ(cut[i].Red, palette[i].Red & 0xF8) << i;
        EXPECT_EQ(cut[i].Reserved, palette[i].Reserved) << i;
    }
    EXPECT_EQ(Cut15Bit(palette)[255], (TPaletteEntry{248, 0, 160, 255}));
}

TEST(SwapPixelIndices, ExchangesTheTwoIndicesOnlyInsideEachRow) {
    struct Case {
        uint8_t a, b;
        std::vector<uint8_t> expected; // the 3 x 2 picture, rows from the top
    };
    const std::vector<uint8_t> picture = {0, 5, 7, 5, 0, 255};
    const Case cases[] = {
        {0, 5, {5, 0, 7, 0, 5, 255}},   {5, 0, {5, 0, 7, 0, 5, 255}},
        {7, 255, {0, 5, 255, 5, 0, 7}}, {5, 5, picture},
        {9, 0, {9, 5, 7, 5, 9, 255}},
    };
    for (const Case& c : cases) {
        TDIB image;
        image.Resize(3, 2, 8);
        for (int32_t y = 0; y < 2; ++y) {
            uint8_t* row = image.RowForWrite(y);
            std::copy_n(picture.begin() + 3 * y, 3, row);
            row[3] = 5; // the padding to the 4-byte row stays as it is
        }
        SwapPixelIndices(image, c.a, c.b);
        std::vector<uint8_t> got;
        for (int32_t y = 0; y < 2; ++y) {
            const uint8_t* row = image.RowForRead(y);
            got.insert(got.end(), row, row + 3);
            EXPECT_EQ(row[3], 5) << int(c.a) << "<->" << int(c.b) << " row " << y;
        }
        EXPECT_EQ(got, c.expected) << int(c.a) << "<->" << int(c.b);
    }
}
