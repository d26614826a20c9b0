// The nearest palette entry: the plain search over a table of cases, ties and a shortened palette
// among them, and the fast search checked against it on random palettes.
#include "image/NearestEntry.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TPaletteEntry Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return TPaletteEntry{blue, green, red, 0};
}

int32_t Distance(const TPaletteEntry& e, uint8_t red, uint8_t green, uint8_t blue) {
    const int32_t dr = e.Red - red, dg = e.Green - green, db = e.Blue - blue;
    return dr * dr + dg * dg + db * db;
}

} // namespace

TEST(NearestPaletteEntry, TakesTheFirstOfTheNearestEntriesItMayUse) {
    TPalette palette{}; // all black beyond the entries set here
    palette[0] = Rgb(200, 200, 200);
    palette[1] = Rgb(10, 20, 30);
    palette[2] = Rgb(12, 20, 30);
    palette[3] = Rgb(10, 20, 30);
    palette[4] = Rgb(255, 0, 0);
    struct Case {
        const char* name;
        uint8_t red, green, blue;
        int32_t count;
        uint8_t expected;
    };
    const Case cases[] = {
        {"exact, before its twin", 10, 20, 30, 256, 1},
        {"halfway between 1 and 2", 11, 20, 30, 256, 1},
        {"nearer 2", 12, 21, 30, 256, 2},
        {"red", 250, 5, 0, 256, 4},
        {"black: the first of the black entries", 0, 0, 0, 256, 5},
        {"red beyond the entries used", 250, 5, 0, 4, 2},
        {"one entry", 0, 0, 0, 1, 0},
        {"no entries", 9, 9, 9, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NearestPaletteEntry(palette, c.red, c.green, c.blue, c.count), c.expected)
            << c.name;
}

// The fast search finds an entry as near as the plain one, the same entry whenever one alone is
// nearest; small channel ranges make many entries equally near.
TEST(TNearestEntrySearch, FindsAsNearAnEntryAsThePlainSearch) {
    struct Case {
        const char* name;
        int range; // channel values 0 .. range - 1
        int32_t count;
    };
    const Case cases[] = {
        {"spread, full palette", 256, 256},
        {"spread, few entries", 256, 7},
        {"crowded, many ties", 4, 256},
        {"crowded, few entries", 3, 20},
        {"one entry", 256, 1},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        int ties = 0, differentTies = 0;
        for (int round = 0; round < 20; ++round) {
            const auto value = [&](int range) { return uint8_t(random() % unsigned(range)); };
            TPalette palette{};
            for (int32_t i = 0; i < c.count; ++i)
                palette[size_t(i)] = Rgb(value(c.range), value(c.range), value(c.range));
            const TNearestEntrySearch search(palette, c.count);
            for (int k = 0; k < 200; ++k) {
                const uint8_t red = value(c.range + 1), green = value(c.range + 1),
                              blue = value(c.range + 1);
                const uint8_t plain = NearestPaletteEntry(palette, red, green, blue, c.count);
                const uint8_t fast = search.Find(red, green, blue);
                ASSERT_LT(fast, c.count) << c.name;
                const int32_t best = Distance(palette[plain], red, green, blue);
                ASSERT_EQ(Distance(palette[fast], red, green, blue), best)
                    << c.name << ": colour " << int(red) << " " << int(green) << " " << int(blue);
                int nearest = 0;
                for (int32_t i = 0; i < c.count; ++i)
                    nearest += Distance(palette[size_t(i)], red, green, blue) == best;
                if (nearest == 1) {
                    EXPECT_EQ(fast, plain) << c.name;
                } else {
                    ++ties;
                    differentTies += fast != plain;
                }
            }
        }
        if (c.range < 8) {
            EXPECT_GT(ties, 0) << c.name << ": no ties met";
        }
        // Of equally near entries the fast search mostly takes the first too.
        EXPECT_LE(differentTies * 4, ties) << c.name;
    }
}
