// Display colours: 32-bit 0x00BBGGRR, red in the LOW byte, as pens, brushes and swatches take
// them. The hex literals therefore read backwards: 0xFF0000 is blue. Use the names below.
#pragma once

#include <cstdint>

namespace DisplayColor {
constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Blue = 0xFF0000;
constexpr uint32_t Grey = 0x808080;
} // namespace DisplayColor

// A palette entry (blue in the low byte, reserved in the high one) as a display colour: the low
// and third bytes change places and the high byte is dropped.
constexpr uint32_t PaletteEntryToColor(uint32_t entry) {
    const uint32_t blue = entry & 0xFF, green = (entry >> 8) & 0xFF, red = (entry >> 16) & 0xFF;
    return red | green << 8 | blue << 16;
}
