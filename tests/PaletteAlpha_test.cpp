#include "image/PaletteAlpha.h"

#include <gtest/gtest.h>

#include <string>

TEST(PaletteAlpha, WhatOneTransparentIndexCanHold) {
    struct Case {
        std::vector<uint8_t> alpha;
        int32_t entry; // FullyTransparentEntry
        bool partial;  // HasPartialAlpha
    };
    const Case cases[] = {
        {{}, -1, false},
        {{255, 255}, -1, false},
        {{0}, 0, false},
        {{255, 255, 0}, 2, false},
        {{255, 0, 255, 255}, 1, false},
        {{0, 85, 170}, 0, true}, // the clear entry stays clear, the rest is lost
        {{128}, -1, true},
        {{255, 0, 0}, -1, true},
        {{1, 254}, -1, true},
    };
    for (const Case& c : cases) {
        std::string table;
        for (uint8_t a : c.alpha)
            table += std::to_string(a) + " ";
        EXPECT_EQ(FullyTransparentEntry(c.alpha), c.entry) << table;
        EXPECT_EQ(HasPartialAlpha(c.alpha), c.partial) << table;
    }
}

TEST(PaletteAlpha, TableForOneIndexEndsAtIt) {
    EXPECT_EQ(AlphaTableFor(0), std::vector<uint8_t>{0});
    EXPECT_EQ(AlphaTableFor(3), (std::vector<uint8_t>{255, 255, 255, 0}));
    const std::vector<uint8_t> last = AlphaTableFor(255);
    ASSERT_EQ(last.size(), 256u);
    EXPECT_EQ(FullyTransparentEntry(last), 255);
    EXPECT_FALSE(HasPartialAlpha(last));
}
