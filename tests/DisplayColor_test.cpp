// Display colours (0x00BBGGRR), palette entries (blue in the low byte) and the surface values
// (0xFFRRGGBB) both become on screen.
#include "image/DIB.h"
#include "image/DisplayColor.h"

#include <gtest/gtest.h>

TEST(SurfaceValue, ReordersTheChannelsAndIsOpaque) {
    struct Case {
        const char* name;
        uint32_t value, expected;
    };
    const Case cases[] = {
        {"entry", SurfaceValueOf(TPaletteEntry{0x11, 0x22, 0x33, 0x44}), 0xFF332211u},
        {"black entry", SurfaceValueOf(TPaletteEntry{0, 0, 0, 0xFF}), 0xFF000000u},
        {"display colour", SurfaceValueOfDisplayColor(0x00112233), 0xFF332211u},
        {"display colour with a high byte", SurfaceValueOfDisplayColor(0xAB112233), 0xFF332211u},
        {"display red", SurfaceValueOfDisplayColor(0x000000FF), 0xFFFF0000u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, c.expected) << c.name;
}

// The named colours are what a palette entry of that colour displays as, so a name cannot drift
// to the byte order of the other format; the entry's 32-bit value is the surface value's colour.
TEST(DisplayColor, NamesMatchTheColoursOfPaletteEntries) {
    struct Case {
        const char* name;
        uint8_t red, green, blue;
        uint32_t named;
    };
    const Case cases[] = {
        {"Black", 0, 0, 0, DisplayColor::Black},     {"White", 255, 255, 255, DisplayColor::White},
        {"Red", 255, 0, 0, DisplayColor::Red},       {"Blue", 0, 0, 255, DisplayColor::Blue},
        {"Grey", 128, 128, 128, DisplayColor::Grey},
    };
    for (const Case& c : cases) {
        const uint32_t surface = SurfaceValueOf(TPaletteEntry{c.blue, c.green, c.red, 0});
        EXPECT_EQ(SurfaceValueOfDisplayColor(c.named), surface) << c.name;
        EXPECT_EQ(PaletteEntryOf(c.red, c.green, c.blue) | 0xFF000000u, surface) << c.name;
    }
}
