// The editor's two colour forms and the one conversion between them and a drawing surface.
// Display colours: 32-bit 0x00BBGGRR, red in the LOW byte, as pens, brushes and swatches take
// them. The hex literals therefore read backwards: 0xFF0000 is blue. Use the names below.
// Surface values: what a 32-bit drawing surface (an RGB32 picture) holds for an opaque pixel,
// 0xFFRRGGBB, which is Qt's QRgb as qRgb(red, green, blue) makes it.
#pragma once

#include "image/DIB.h"

#include <cstdint>

namespace DisplayColor {
constexpr uint32_t Black = 0x000000;
constexpr uint32_t White = 0xFFFFFF;
constexpr uint32_t Red = 0x0000FF;
constexpr uint32_t Blue = 0xFF0000;
constexpr uint32_t Grey = 0x808080;
} // namespace DisplayColor

constexpr uint32_t SurfaceValue(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

// A palette entry's colour; the reserved byte is no colour.
constexpr uint32_t SurfaceValueOf(const TPaletteEntry& entry) {
    return SurfaceValue(entry.Red, entry.Green, entry.Blue);
}

// A display colour's; the high byte is dropped.
constexpr uint32_t SurfaceValueOfDisplayColor(uint32_t displayColor) {
    return SurfaceValue(uint8_t(displayColor), uint8_t(displayColor >> 8),
                        uint8_t(displayColor >> 16));
}
