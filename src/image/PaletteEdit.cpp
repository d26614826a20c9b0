#include "image/PaletteEdit.h"

#include <algorithm>

int32_t SwatchIndexAt(int32_t x, int32_t y) {
    x = std::clamp(x, 0, kSwatchGridSide - 1);
    y = std::clamp(y, 0, kSwatchGridSide - 1);
    return (y / kSwatchSide) * 16 + x / kSwatchSide;
}

uint8_t BarChannel(int32_t p) {
    return static_cast<uint8_t>(p * 8 + p / 4);
}

int32_t BarPosition(uint8_t v) {
    return v / 8;
}

int32_t BarPositionAt(int32_t x) {
    return std::clamp(x, 0, kBarWidth - 1) / kBarStepPixels;
}

TPaletteEntry EntryFromBars(TPaletteEntry entry, int32_t red, int32_t green, int32_t blue) {
    entry.Red = BarChannel(red);
    entry.Green = BarChannel(green);
    entry.Blue = BarChannel(blue);
    return entry;
}

TPalette Cut15Bit(TPalette palette) {
    for (TPaletteEntry& e : palette) {
        e.Red &= 0xF8;
        e.Green &= 0xF8;
        e.Blue &= 0xF8;
    }
    return palette;
}
