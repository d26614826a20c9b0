// The palette entry nearest a colour, by squared distance in RGB: how pasted pictures, reduced
// pictures and a PNG file's background find their indices.
#pragma once

#include "image/DIB.h"

#include <cstdint>
#include <utility>
#include <vector>

// The first of palette's first count entries nearest (red, green, blue); 0 when count is 0.
uint8_t NearestPaletteEntry(const TPalette& palette, uint8_t red, uint8_t green, uint8_t blue,
                            int32_t count = 256);

// NearestPaletteEntry's search made fast for many colours in one palette: the entries are kept in
// order of green, and the search walks outwards from the colour's green until the green distance
// alone reaches the best match, which checks only a few entries of a spread-out palette. It finds
// an entry as near as NearestPaletteEntry's, the same one unless several are equally near: then
// it passes over an entry that differs from the colour in green alone by exactly the best
// distance, and may keep a later entry met first. The colour reduction has always mapped its
// colours so, and keeps its results.
class TNearestEntrySearch {
public:
    explicit TNearestEntrySearch(const TPalette& palette, int32_t count = 256);
    uint8_t Find(uint8_t red, uint8_t green, uint8_t blue) const;

private:
    TPalette palette_;
    std::vector<std::pair<int32_t, uint8_t>> byGreen_; // (green, index), in order
};
