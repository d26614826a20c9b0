// The picture the codec benchmarks share.
#pragma once

#include "image/DIB.h"

#include <cstdint>
#include <random>
#include <vector>

// Pixel-art-like content: 16 x 16 tiles, each flat, dithered between two colours, banded, or a
// small sprite of a few colours, over a 64-colour palette.
inline TDIB PixelArt(int32_t width, int32_t height, int32_t bits = 8) {
    TDIB image;
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[i] = {uint8_t(i * 3), uint8_t(i * 5), uint8_t(i * 7), 0};
    image.Resize(width, height, bits);
    image.ApplyPalette();
    std::mt19937 random(42);
    const int32_t tilesX = (width + 15) / 16;
    std::vector<uint32_t> tileSeeds(size_t(tilesX) * size_t((height + 15) / 16));
    for (uint32_t& seed : tileSeeds)
        seed = random();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image.RowForWrite(y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t seed = tileSeeds[size_t(y / 16) * size_t(tilesX) + size_t(x / 16)];
            const uint8_t a = seed % 64, b = (seed >> 8) % 64;
            uint8_t v = a;
            switch ((seed >> 16) % 4) {
            case 1:
                v = (x + y) % 2 ? a : b;
                break;
            case 2:
                v = uint8_t(a + (y % 16) / 4);
                break;
            case 3: {
                const uint32_t h = (uint32_t(x % 16) * 7919u + uint32_t(y % 16) * 104729u) ^ seed;
                v = uint8_t((h >> 5) % 4 == 0 ? b : a);
                break;
            }
            }
            row[x] = v;
        }
    }
    return image;
}
