#include "image/HexColor.h"

#include <cstdio>

namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

std::optional<TPaletteEntry> ParseHexColor(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    uint8_t channels[3];
    for (size_t i = 0; i < 3; ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        channels[i] = uint8_t(high * 16 + low);
    }
    return TPaletteEntry{channels[2], channels[1], channels[0], 0};
}

std::string HexColorText(const TPaletteEntry& colour) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", colour.Red, colour.Green, colour.Blue);
    return text;
}
