// Palette orders that keep the picture: the maps of the palette commands, the pixels and entries
// they move, the pixel counts, the sort orders and the ramp.
#include "ImageRows.h"
#include "PaletteTestUtil.h"
#include "image/PaletteRemap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
// The old index at each of the first count new places of map.
std::vector<int> Order(const TIndexMap& map, size_t count) {
    std::vector<int> order(256, -1);
    for (size_t i = 0; i < 256; ++i)
        order[map[i]] = int(i);
    order.resize(count);
    return order;
}

bool IsPermutation(const TIndexMap& map) {
    std::vector<bool> seen(256);
    for (uint8_t v : map)
        seen[v] = true;
    return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; });
}
} // namespace

TEST(RemapPixels, EveryPixelThroughTheTableInsideEachRowOnly) {
    TIndexMap toNine = IdentityMap();
    toNine[5] = 9;
    toNine[0] = 1;
    struct Case {
        const char* name;
        TIndexMap map;
        std::vector<std::string> after;
    };
    const std::vector<std::string> picture = {"057", "50O"}; // 'O' is index 31
    const Case cases[] = {
        {"swap 0 and 5", SwapMap(0, 5), {"507", "05O"}},
        {"swap 5 and 0", SwapMap(5, 0), {"507", "05O"}},
        {"swap 7 and 31", SwapMap(7, 31), {"05O", "507"}},
        {"swap of one index", SwapMap(5, 5), picture},
        {"swap with an unused index", SwapMap(9, 0), {"957", "59O"}},
        {"two indices to others", toNine, {"197", "91O"}},
        {"move 0 to 7", MoveMap(0, 7), {"746", "47O"}},
    };
    for (const Case& c : cases) {
        TDIB image = FromRows(picture);
        for (int32_t y = 0; y < 2; ++y)
            image.RowForWrite(y)[3] = 5; // the padding to the 4-byte row
        RemapPixels(image, c.map);
        EXPECT_EQ(ToRows(image), c.after) << c.name;
        for (int32_t y = 0; y < 2; ++y)
            EXPECT_EQ(image.RowForRead(y)[3], 5) << c.name << ": padding of row " << y;
    }
}

// Rows long enough for every way through a row: 64 pixels a step where the processor has the
// instructions, 8 a step, and one at a time for the rest.
TEST(RemapPixels, LongRowsAgreeWithOneLookupAPixel) {
    TIndexMap map{};
    for (size_t i = 0; i < 256; ++i)
        map[i] = uint8_t(i * 37 + 11); // every index moves, the top bit too
    for (int32_t width : {7, 8, 64, 75, 203}) {
        TDIB image;
        image.Resize(width, 3, 8);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < width; ++x)
                image.RowForWrite(y)[x] = uint8_t(x * 5 + y * 101);
        RemapPixels(image, map);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(image.RowForRead(y)[x], map[uint8_t(x * 5 + y * 101)])
                    << "width " << width << " at " << x << ", " << y;
    }
}

TEST(PaletteMaps, SwapAndMoveArePermutationsThatCarryTheEntries) {
    struct Case {
        const char* name;
        TIndexMap map;
        std::vector<int> order; // the old entry at new places 0..7
    };
    const Case cases[] = {
        {"swap", SwapMap(1, 6), {0, 6, 2, 3, 4, 5, 1, 7}},
        {"move right", MoveMap(2, 5), {0, 1, 3, 4, 5, 2, 6, 7}},
        {"move left", MoveMap(6, 1), {0, 6, 1, 2, 3, 4, 5, 7}},
        {"move to its own place", MoveMap(3, 3), {0, 1, 2, 3, 4, 5, 6, 7}},
        {"move over the whole palette", MoveMap(0, 255), {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    const TPalette palette = Distinct();
    for (const Case& c : cases) {
        EXPECT_TRUE(IsPermutation(c.map)) << c.name;
        EXPECT_EQ(Order(c.map, 8), c.order) << c.name;
        const TPalette moved = MovedEntries(palette, c.map);
        for (size_t place = 0; place < 8; ++place)
            EXPECT_EQ(moved[place], palette[size_t(c.order[place])]) << c.name << " at " << place;
    }
    EXPECT_EQ(MovedEntries(palette, MoveMap(0, 255))[255], palette[0]);
    EXPECT_TRUE(IsIdentity(MoveMap(3, 3)));
    EXPECT_FALSE(IsIdentity(SwapMap(3, 4)));
}

TEST(PaletteMaps, NamesMoveWithTheirColours) {
    const TPaletteNames names{"Warm", {"Red", "", "Sky"}};
    const TPaletteNames moved = MovedNames(names, MoveMap(0, 3));
    EXPECT_EQ(moved.Title, "Warm");
    ASSERT_EQ(moved.Entries.size(), 256u);
    EXPECT_EQ(std::vector<std::string>(moved.Entries.begin(), moved.Entries.begin() + 5),
              (std::vector<std::string>{"", "Sky", "", "Red", ""}));
    EXPECT_EQ(MovedNames(TPaletteNames{"Bare", {}}, SwapMap(0, 1)), (TPaletteNames{"Bare", {}}));
}

TEST(CountUsage, CountsEveryPixelOfEveryRowWidth) {
    struct Case {
        std::vector<std::string> rows;
        std::vector<std::pair<int, uint64_t>> counts; // the indices used and their pixels
    };
    const Case cases[] = {
        {{"0"}, {{0, 1}}},
        {{"01112", "22220"}, {{0, 2}, {1, 3}, {2, 5}}},
        {{"3333333", "3333333", "9999993"}, {{3, 15}, {9, 6}}},
    };
    for (const Case& c : cases) {
        TUsage expected{};
        for (const auto& [index, count] : c.counts)
            expected[size_t(index)] = count;
        EXPECT_EQ(CountUsage(FromRows(c.rows)), expected) << c.rows[0];
    }
}

TEST(SortMap, StableOrdersWithTheUnusedEntriesLastAndAPinnedEntryInPlace) {
    // Entries 0..7 in use, all others black and unused.
    TPalette palette{};
    const TPaletteEntry colours[] = {
        Rgb(0, 0, 255),     // 0 blue
        Rgb(128, 128, 128), // 1 grey
        Rgb(255, 0, 0),     // 2 red
        Rgb(128, 0, 0),     // 3 dark red, the same hue
        Rgb(0, 255, 0),     // 4 green
        Rgb(255, 255, 0),   // 5 yellow
        Rgb(255, 0, 1),     // 6 red towards magenta, the end of the circle
        Rgb(10, 10, 10),    // 7 dark grey
    };
    TUsage usage{};
    for (size_t i = 0; i < 8; ++i) {
        palette[i] = colours[i];
        usage[i] = 10 + (i % 3); // 10, 11, 12, 10, ...
    }
    // Luma: blue 29070, grey 128000, red 76245, dark red 38272, green 149685, yellow 225930,
    // red-magenta 76359, dark grey 10000.
    struct Case {
        const char* name;
        TSortKey key;
        int32_t pinned;
        std::vector<int> order; // the old entry at new places 0..9
    };
    const Case cases[] = {
        {"brightness", TSortKey::Brightness, -1, {7, 0, 3, 2, 6, 1, 4, 5, 8, 9}},
        {"hue", TSortKey::Hue, -1, {7, 1, 3, 2, 5, 4, 0, 6, 8, 9}},
        {"usage, ties in old order", TSortKey::Usage, -1, {2, 5, 1, 4, 7, 0, 3, 6, 8, 9}},
        {"brightness, 2 pinned", TSortKey::Brightness, 2, {7, 0, 2, 3, 6, 1, 4, 5, 8, 9}},
        {"hue, unused 9 pinned", TSortKey::Hue, 9, {7, 1, 3, 2, 5, 4, 0, 6, 8, 9}},
        {"usage, 0 pinned", TSortKey::Usage, 0, {0, 2, 5, 1, 4, 7, 3, 6, 8, 9}},
    };
    for (const Case& c : cases) {
        const TIndexMap map = SortMap(palette, usage, c.key, c.pinned);
        EXPECT_TRUE(IsPermutation(map)) << c.name;
        EXPECT_EQ(Order(map, 10), c.order) << c.name;
        EXPECT_EQ(map[255], 255) << c.name << ": the unused keep their order";
    }
    // A palette already in order gives the identity, so a second sort changes nothing.
    const TIndexMap once = SortMap(palette, usage, TSortKey::Hue);
    TUsage movedUsage{};
    for (size_t i = 0; i < 256; ++i)
        movedUsage[once[i]] = usage[i];
    EXPECT_TRUE(IsIdentity(SortMap(MovedEntries(palette, once), movedUsage, TSortKey::Hue)));
}

TEST(DuplicateMap, EachColourToItsFirstEntryKeepingOneIndexApart) {
    TPalette palette = Distinct();
    palette[7] = palette[2];
    palette[9] = palette[2];
    palette[9].Reserved = 4; // no colour
    palette[12] = palette[5];
    struct Case {
        int32_t keep;
        std::vector<std::pair<int, int>> moved; // entry, the entry it goes to
    };
    const Case cases[] = {
        {-1, {{7, 2}, {9, 2}, {12, 5}}},
        {2, {{9, 7}, {12, 5}}},
        {7, {{9, 2}, {12, 5}}},
        {12, {{7, 2}, {9, 2}}},
    };
    for (const Case& c : cases) {
        TIndexMap expected = IdentityMap();
        for (const auto& [from, to] : c.moved)
            expected[size_t(from)] = uint8_t(to);
        EXPECT_EQ(DuplicateMap(palette, c.keep), expected) << "keeping " << c.keep;
    }
}

TEST(NearestMap, EveryEntryToTheFirstNearestOfTheTargetsFirstEntries) {
    TPalette palette{};
    palette[0] = Rgb(250, 10, 10);
    palette[1] = Rgb(20, 20, 20);
    palette[2] = Rgb(128, 128, 128); // as near to both greys of the target
    palette[3] = Rgb(0, 0, 200);     // nearer the dark grey than black, the blue nearest of all
    TPalette target{};
    target[0] = Rgb(0, 0, 0);
    target[1] = Rgb(255, 0, 0);
    target[2] = Rgb(28, 28, 28);
    target[3] = Rgb(228, 228, 228);
    target[4] = Rgb(0, 0, 255); // past the count in the first case
    struct Case {
        int32_t count;
        std::vector<int> first; // where entries 0..3 go
    };
    const Case cases[] = {{4, {1, 2, 2, 2}}, {5, {1, 2, 2, 4}}, {1, {0, 0, 0, 0}}};
    for (const Case& c : cases) {
        const TIndexMap map = NearestMap(palette, target, c.count);
        EXPECT_EQ(std::vector<int>(map.begin(), map.begin() + 4), c.first) << c.count;
    }
    EXPECT_TRUE(IsIdentity(NearestMap(palette, target, 0)));
}

TEST(Ramp, FillsTheEntriesStrictlyBetweenRoundedToTheNearest) {
    TPalette palette = Distinct();
    palette[10] = Rgb(0, 100, 255);
    palette[10].Reserved = 3;
    palette[13] = Rgb(255, 0, 10);
    palette[11].Reserved = 7;
    struct Case {
        uint8_t first, last;
    };
    for (const Case& c : {Case{10, 13}, Case{13, 10}}) {
        const TPalette ramp = Ramp(palette, c.first, c.last);
        // Thirds of the way: 85 and 170 exactly, 66.67 and 33.33, 173.33 and 91.67.
        EXPECT_EQ(ramp[11], (TPaletteEntry{173, 67, 85, 7})) << int(c.first);
        EXPECT_EQ(ramp[12], (TPaletteEntry{92, 33, 170, 0})) << int(c.first);
        EXPECT_EQ(ramp[10], palette[10]);
        EXPECT_EQ(ramp[13], palette[13]);
        EXPECT_EQ(ramp[9], palette[9]);
        EXPECT_EQ(ramp[14], palette[14]);
    }
    // A half step rounds up; neighbours and one entry have nothing between.
    palette[20] = Rgb(0, 0, 0);
    palette[22] = Rgb(1, 3, 255);
    EXPECT_EQ(Ramp(palette, 20, 22)[21], Rgb(1, 2, 128));
    EXPECT_EQ(Ramp(palette, 20, 21), palette);
    EXPECT_EQ(Ramp(palette, 20, 20), palette);
}
