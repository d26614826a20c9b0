// Turning images of every bit count into 8-bit documents.
#include "image/Quantize.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {
// A direct-colour image whose pixel (x, y) has colour colors[y * width + x] (0x00RRGGBB).
TDIB DirectImage(int32_t bitCount, int32_t width, int32_t height,
                 const std::vector<uint32_t>& colors) {
    TDIB image;
    if (bitCount == 16) image.WantedLayout = MakeLayout(5, 6, 5);
    image.Resize(width, height, bitCount);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t c = colors[size_t(y * width + x)];
            const auto r = uint8_t(c >> 16), g = uint8_t(c >> 8), b = uint8_t(c);
            if (bitCount == 24) {
                uint8_t* p = image.RowForWrite(y) + 3 * x;
                p[0] = b;
                p[1] = g;
                p[2] = r;
            } else {
                image.SetPixel(x, y, PackPixel(image.CurrentLayout(), r, g, b));
            }
        }
    return image;
}

uint32_t EntryColor(const TPaletteEntry& e) {
    return uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
}

int Distance(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        sum += d * d;
    }
    return sum;
}
} // namespace

TEST(Quantize, FewColoursMapExactlyInOrderOfFirstAppearance) {
    struct Case {
        int32_t bitCount;
        std::vector<uint32_t> colors; // 3 x 2, rows from the top
    };
    // Colours that survive 5-6-5 packing unchanged, so the 16-bit case can compare exactly.
    const uint32_t red = 0xFF0000, green = 0x00FF00, white = 0xFFFFFF, black = 0;
    const std::vector<uint32_t> pixels = {green, red, green, white, black, red};
    for (const Case& c : {Case{24, pixels}, Case{32, pixels}, Case{16, pixels}}) {
        SCOPED_TRACE(c.bitCount);
        bool reduced = true;
        const TDIB result = ToEightBit(DirectImage(c.bitCount, 3, 2, c.colors), reduced);
        EXPECT_FALSE(reduced);
        ASSERT_EQ(result.BitCount(), 8);
        ASSERT_EQ(result.Width(), 3);
        ASSERT_EQ(result.Height(), 2);
        const uint8_t expected[2][3] = {{0, 1, 0}, {2, 3, 1}};
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(result.RowForRead(y)[x], expected[y][x]) << x << ", " << y;
        const uint32_t order[] = {green, red, white, black};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(EntryColor(result.PaletteBlock[i]), order[i]) << "entry " << i;
        EXPECT_EQ(EntryColor(result.PaletteBlock[4]), 0u) << "unused entries are black";
    }
}

TEST(Quantize, ExactlyTwoHundredFiftySixColoursNeedNoReduction) {
    std::vector<uint32_t> colors(256);
    for (uint32_t i = 0; i < 256; ++i)
        colors[i] = i * 0x010203 & 0xFFFFFF;
    bool reduced = true;
    const TDIB result = ToEightBit(DirectImage(24, 16, 16, colors), reduced);
    EXPECT_FALSE(reduced);
    for (int32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(result.RowForRead(i / 16)[i % 16], i);
        EXPECT_EQ(EntryColor(result.PaletteBlock[size_t(i)]), colors[size_t(i)]);
    }
}

TEST(Quantize, ManyColoursAreReducedToTheNearestOf256) {
    const int32_t w = 64, h = 48;
    std::vector<uint32_t> colors(size_t(w * h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            colors[size_t(y * w + x)] =
                uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | uint32_t((x * y) & 0xFF);
    bool reduced = false;
    const TDIB result = ToEightBit(DirectImage(24, w, h, colors), reduced);
    EXPECT_TRUE(reduced);
    ASSERT_EQ(result.BitCount(), 8);
    std::set<uint32_t> entries;
    for (const TPaletteEntry& e : result.PaletteBlock)
        entries.insert(EntryColor(e));
    EXPECT_EQ(entries.size(), 256u) << "a colour-rich image should use the whole palette";
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = colors[size_t(y * w + x)];
            const int chosen =
                Distance(c, EntryColor(result.PaletteBlock[result.RowForRead(y)[x]]));
            for (const TPaletteEntry& e : result.PaletteBlock)
                ASSERT_LE(chosen, Distance(c, EntryColor(e)))
                    << "not the nearest at " << x << ", " << y;
            // Median cut keeps every colour close to its entry.
            ASSERT_LE(chosen, 3 * 24 * 24) << x << ", " << y;
        }
}

TEST(Quantize, IndexedImagesKeepIndicesAndPalette) {
    for (int32_t bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        TDIB source;
        TPalette palette{};
        for (int i = 0; i < (1 << bits); ++i)
            palette[size_t(i)] = TPaletteEntry{uint8_t(i * 7), uint8_t(i), uint8_t(255 - i), 0};
        source.PaletteBlock = palette;
        source.Resize(9, 3, bits);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 9; ++x)
                source.SetPixel(x, y, uint32_t(x + y) % (1u << bits));
        bool reduced = true;
        const TDIB result = ToEightBit(source, reduced);
        EXPECT_FALSE(reduced);
        ASSERT_EQ(result.BitCount(), 8);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 9; ++x)
                EXPECT_EQ(result.RowForRead(y)[x], (x + y) % (1 << bits)) << x << ", " << y;
        for (int i = 0; i < (1 << bits); ++i)
            EXPECT_EQ(result.PaletteBlock[size_t(i)], palette[size_t(i)]) << "entry " << i;
        if (bits == 8) {
            EXPECT_TRUE(result.SharesStorageWith(source));
        }
    }
}

TEST(Quantize, EmptyStaysEmpty) {
    bool reduced = true;
    EXPECT_TRUE(ToEightBit(TDIB(), reduced).IsEmpty());
    EXPECT_FALSE(reduced);
}

TEST(Quantize, MedianCutKeepsFewColoursAsTheyAre) {
    const std::vector<uint32_t> colors = {0x102030, 0xFFFFFF, 0x000000};
    const std::vector<uint32_t> counts = {5, 1, 9};
    const std::vector<uint32_t> palette = MedianCutPalette(colors, counts, 256);
    EXPECT_EQ(std::set<uint32_t>(palette.begin(), palette.end()),
              std::set<uint32_t>(colors.begin(), colors.end()));
    EXPECT_TRUE(MedianCutPalette({}, {}, 256).empty());
    EXPECT_EQ(MedianCutPalette(colors, counts, 2).size(), 2u);
}
