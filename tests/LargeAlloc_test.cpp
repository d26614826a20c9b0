#include "base/LargeAlloc.h"

#include <gtest/gtest.h>

TEST(LargeAlloc, BriefBlocksFromAnEighthOfAHugePageOnAreWholeHugePages) {
    constexpr size_t MiB = size_t(1) << 20;
    const struct {
        size_t size, expected;
    } cases[] = {
        {0, 0},         {4096, 4096},       {MiB / 4 - 1, MiB / 4 - 1}, {MiB / 4, 2 * MiB},
        {MiB, 2 * MiB}, {2 * MiB, 2 * MiB}, {2 * MiB + 1, 4 * MiB},     {5 * MiB + 3, 6 * MiB}};
    for (const auto& c : cases)
        EXPECT_EQ(BriefBlockSize(c.size), c.expected) << c.size;
}
