// Turning an image of any bit count into the 8-bit indexed image the editor works on.
#pragma once

#include "image/DIB.h"

// 8-bit images are shared as they are. 1- and 4-bit images are widened with the same indices and
// palette. 16-, 24- and 32-bit images with at most 256 distinct colours map exactly, the palette
// in order of first appearance (rows from the top, left to right) and unused entries black;
// with more colours they are reduced to 256 by median cut and mapped to the nearest entry
// without dithering, and reduced is set. An empty image stays empty.
TDIB ToEightBit(const TDIB& source, bool& reduced);

// The median-cut palette for the given distinct 0x00RRGGBB colours weighted by their counts;
// at most maxColors entries, fewer only when there are fewer colours.
std::vector<uint32_t> MedianCutPalette(const std::vector<uint32_t>& colors,
                                       const std::vector<uint32_t>& counts, int maxColors);
