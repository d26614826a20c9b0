// The arithmetic of the palette window: where an index sits in the 16 x 16 swatch grid, how the
// 32-step colour bars map to 8-bit channels, and the cut of a whole palette to 15-bit colour.
#pragma once

#include "image/DIB.h"

#include <cstdint>

// Side of one swatch cell, and of the grid in pixels (16 cells a row).
constexpr int32_t kSwatchSide = 16;
constexpr int32_t kSwatchGridSide = 16 * kSwatchSide;
// Width of a colour bar in pixels and the pixels per step: 32 steps of 5 fill 160.
constexpr int32_t kBarWidth = 160;
constexpr int32_t kBarStepPixels = 5;

// The index under grid point (x, y); points outside the grid count as its nearest edge.
int32_t SwatchIndexAt(int32_t x, int32_t y);
// The 8-bit channel of bar position p (0..31): p x 8 + p div 4 reaches 255 at 31.
uint8_t BarChannel(int32_t p);
// The bar position showing the 8-bit channel v.
int32_t BarPosition(uint8_t v);
// The bar position under bar point x; points left of or past the bar count as its ends.
int32_t BarPositionAt(int32_t x);
// entry with red, green and blue taken from the three bar positions; the reserved byte is kept.
TPaletteEntry EntryFromBars(TPaletteEntry entry, int32_t red, int32_t green, int32_t blue);
// Every entry with its channels cut to their top five bits; the reserved bytes are kept.
TPalette Cut15Bit(TPalette palette);
