// Colours as "#RRGGBB" text: what the colour dialog's hex field accepts and what it shows.
#include "image/HexColor.h"

#include <gtest/gtest.h>

namespace {
TPaletteEntry Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return TPaletteEntry{blue, green, red, 0};
}
} // namespace

TEST(ParseHexColor, SixDigitsWithOrWithoutTheSignInEitherCase) {
    struct Case {
        const char* text;
        std::optional<TPaletteEntry> colour;
    };
    const Case cases[] = {
        {"#0DC84D", Rgb(13, 200, 77)},
        {"0dc84d", Rgb(13, 200, 77)},
        {"#aBcDeF", Rgb(0xAB, 0xCD, 0xEF)},
        {"  #FFFFFF\t", Rgb(255, 255, 255)},
        {"#000000", Rgb(0, 0, 0)},
        {"", std::nullopt},
        {"#", std::nullopt},
        {"#FFF", std::nullopt},
        {"#0DC84D0", std::nullopt},
        {"##0DC84D", std::nullopt},
        {"#0DC84G", std::nullopt},
        {"# 0DC84D", std::nullopt},
        {"0x0DC84D", std::nullopt},
        {"#-1C84D", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseHexColor(c.text), c.colour) << '"' << c.text << '"';
}

TEST(HexColorText, CapitalsThatReadBack) {
    EXPECT_EQ(HexColorText(TPaletteEntry{77, 200, 13, 9}), "#0DC84D");
    EXPECT_EQ(HexColorText(Rgb(0xAB, 0xCD, 0xEF)), "#ABCDEF");
    for (int v = 0; v < 256; v += 17) {
        const TPaletteEntry colour = Rgb(uint8_t(v), uint8_t(255 - v), uint8_t(v ^ 0x5A));
        EXPECT_EQ(ParseHexColor(HexColorText(colour)), colour) << v;
    }
}
