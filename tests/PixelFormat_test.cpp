#include "image/PixelFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace {

// The slow reading of a packed row: pixel x is bits [x * bits, (x + 1) * bits) of the row,
// counted from the high bit of the first byte.
unsigned ReferencePixel(const uint8_t* row, int bits, size_t x) {
    unsigned value = 0;
    for (size_t bit = x * bits; bit < (x + 1) * bits; ++bit)
        value = value << 1 | (row[bit / 8] >> (7 - bit % 8) & 1);
    return value;
}

} // namespace

// Every pixel of a row, at every packed depth, read and written against the bit-by-bit reading.
TEST(PixelFormat, PackedPixelsMatchTheBitOrder) {
    const std::array<uint8_t, 3> pattern = {0xB4, 0x1E, 0xC7};
    for (const int bits : {1, 2, 4, 8}) {
        const size_t count = pattern.size() * 8 / bits;
        const unsigned mask = (1u << bits) - 1;
        for (size_t x = 0; x < count; ++x) {
            SCOPED_TRACE(testing::Message() << bits << " bits, pixel " << x);
            EXPECT_EQ(PackedPixel(pattern.data(), bits, x),
                      ReferencePixel(pattern.data(), bits, x));
            // Writing a value changes that pixel only, and only its low bits are stored.
            std::array<uint8_t, 3> row = pattern;
            const unsigned value = ~ReferencePixel(pattern.data(), bits, x);
            SetPackedPixel(row.data(), bits, x, value);
            for (size_t other = 0; other < count; ++other)
                EXPECT_EQ(ReferencePixel(row.data(), bits, other),
                          other == x ? value & mask : ReferencePixel(pattern.data(), bits, other))
                    << "pixel " << other;
        }
    }
}
