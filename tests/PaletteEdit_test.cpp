// The palette window's arithmetic: grid cells, bar steps and the 15-bit cut.
#include "image/PaletteEdit.h"

#include <gtest/gtest.h>

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
