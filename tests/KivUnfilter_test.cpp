#include "png/KivUnfilter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

// The filters as the PNG standard writes them: the slow reference the unfiltering must undo.
std::vector<uint8_t> FilterRow(uint8_t type, const std::vector<uint8_t>& raw,
                               const std::vector<uint8_t>& above, size_t bpp) {
    std::vector<uint8_t> out(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const int a = i >= bpp ? raw[i - bpp] : 0;
        const int b = above[i];
        const int c = i >= bpp ? above[i - bpp] : 0;
        int predictor = 0;
        if (type == 1) predictor = a;
        if (type == 2) predictor = b;
        if (type == 3) predictor = (a + b) / 2;
        if (type == 4) {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b),
                      pc = std::abs(p - c);
            predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        }
        out[i] = uint8_t(raw[i] - predictor);
    }
    return out;
}

std::vector<uint8_t> Random(size_t n, unsigned mask, std::mt19937& random) {
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = uint8_t(random() & mask);
    return bytes;
}

} // namespace

TEST(Unfilter, UndoesEveryFilterAtEveryByteDistance) {
    std::mt19937 random(1);
    // With and without the SSE4.1 instructions (where the processor has them), full-range bytes
    // and values so close together that the Paeth distances tie often. The default comes back
    // however the test ends.
    struct TRestore {
        ~TRestore() { AllowUnfilterSse41(true); }
    } restore;
    for (const bool allow : {true, false}) {
        const bool sse41 = AllowUnfilterSse41(allow);
        for (const unsigned mask : {0xFFu, 0x03u}) {
            for (const size_t bpp : {1, 2, 3, 4, 6, 8}) {
                for (const size_t pixels : {1, 2, 37, 1000}) {
                    const size_t n = pixels * bpp;
                    const std::vector<uint8_t> above = Random(n, mask, random);
                    for (uint8_t type = 0; type <= 4; ++type) {
                        const std::vector<uint8_t> raw = Random(n, mask, random);
                        std::vector<uint8_t> row = FilterRow(type, raw, above, bpp);
                        ASSERT_TRUE(Unfilter(type, row.data(), above.data(), n, bpp));
                        EXPECT_EQ(row, raw)
                            << "filter " << int(type) << " distance " << bpp << " pixels " << pixels
                            << " mask " << mask << " SSE4.1 " << sse41;
                    }
                }
            }
        }
    }
}

TEST(Unfilter, RefusesUnknownTypesAndPartialPixels) {
    std::vector<uint8_t> row(12, 1), above(12, 2);
    EXPECT_FALSE(Unfilter(5, row.data(), above.data(), 12, 1));
    EXPECT_FALSE(Unfilter(255, row.data(), above.data(), 12, 3));
    EXPECT_FALSE(Unfilter(1, row.data(), above.data(), 10, 3));
    EXPECT_FALSE(Unfilter(1, row.data(), above.data(), 10, 5));
}
