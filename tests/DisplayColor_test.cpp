// Display colours (0x00BBGGRR) and palette entries (blue in the low byte).
#include "image/DIB.h"
#include "image/DisplayColor.h"

#include <gtest/gtest.h>

TEST(PaletteEntryToColor, SwapsRedAndBlueAndDropsTheReservedByte) {
    EXPECT_EQ(PaletteEntryToColor(0x44332211), 0x00112233u);
    EXPECT_EQ(PaletteEntryToColor(0xFF000000), 0u);
    EXPECT_EQ(PaletteEntryToColor(0x00FF0000), 0x000000FFu);
}

// The named colours are what a palette entry of that colour displays as, so a name cannot drift
// to the byte order of the other format.
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
    for (const Case& c : cases)
        EXPECT_EQ(PaletteEntryToColor(PaletteEntryOf(c.red, c.green, c.blue)), c.named) << c.name;
}
