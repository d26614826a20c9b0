// What the PNG reader and writer share: the file layout's constants, the codec's exception
// (KivPNGError.h), the Adam7 pass geometry and the colour-value forms.
#pragma once

#include "png/KivPNGError.h"

#include <array>
#include <cstdint>
#include <string>

inline constexpr std::array<uint8_t, 8> PngSignature = {0x89, 0x50, 0x4E, 0x47,
                                                        0x0D, 0x0A, 0x1A, 0x0A};

// Chunk types as big-endian u32.
constexpr uint32_t ChunkType(const char (&name)[5]) {
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 |
           uint32_t(uint8_t(name[2])) << 8 | uint32_t(uint8_t(name[3]));
}
inline constexpr uint32_t ChunkIHDR = ChunkType("IHDR");
inline constexpr uint32_t ChunkPLTE = ChunkType("PLTE");
inline constexpr uint32_t ChunkIDAT = ChunkType("IDAT");
inline constexpr uint32_t ChunkIEND = ChunkType("IEND");
inline constexpr uint32_t ChunkTRNS = ChunkType("tRNS");
inline constexpr uint32_t ChunkBKGD = ChunkType("bKGD");
inline constexpr uint32_t ChunkGAMA = ChunkType("gAMA");
inline constexpr uint32_t ChunkSBIT = ChunkType("sBIT");
inline constexpr uint32_t ChunkPHYS = ChunkType("pHYs");
inline constexpr uint32_t ChunkTEXT = ChunkType("tEXt");
inline constexpr uint32_t ChunkITXT = ChunkType("iTXt");
// The codec's private chunk: magic, a flag byte (rows went through the encoding hook), zeros.
inline constexpr uint32_t ChunkTPNG = ChunkType("tpNg");
inline constexpr uint32_t PrivateChunkMagic = ChunkType("Kiv3");
inline constexpr uint32_t PrivateChunkSize = 32;

// IHDR colour types. Bit ColorTypeAlphaBit adds an alpha sample to grey and RGB.
enum TPngColorType : uint8_t {
    ColorTypeGrey = 0,
    ColorTypeRgb = 2,
    ColorTypePalette = 3,
    ColorTypeGreyAlpha = 4,
    ColorTypeRgba = 6,
};
inline constexpr uint8_t ColorTypeAlphaBit = 4;

// The filter type byte in front of every row of image data.
enum TPngRowFilter : uint8_t {
    RowFilterNone,
    RowFilterSub,
    RowFilterUp,
    RowFilterAverage,
    RowFilterPaeth,
};

// The writer's filter option: one filter type for every row, or a choice per row. The option
// fields stay integers because codes above FilterChoicePaeth are accepted and mean None.
enum TPngFilterChoice : uint8_t {
    FilterChoiceAdaptive,
    FilterChoiceNone,
    FilterChoiceSub,
    FilterChoiceUp,
    FilterChoiceAverage,
    FilterChoicePaeth,
};

// The writer's compression option; any other code means CompressionDefault.
enum TPngCompressionLevel : uint8_t {
    CompressionNone,
    CompressionDefault,
    CompressionFastest,
    CompressionBest,
};

// Colour values: 0x00BBGGRR, or a palette index or'ed with ColorPaletteIndex, or ColorNone.
inline constexpr int32_t ColorNone = -1;
inline constexpr int32_t ColorPaletteIndex = 0x01000000;
// Palette alpha read from tRNS, waiting to be analysed once the image is sized.
inline constexpr int32_t ColorPalettePending = 0x01FFFFFF;

// One interlace pass: the pixels at (xStart + i * xStep, yStart + k * yStep).
struct TPngPass {
    int32_t xStart, yStart, xStep, yStep;
};
inline constexpr std::array<TPngPass, 7> Adam7Passes = {{{0, 0, 8, 8},
                                                         {4, 0, 8, 8},
                                                         {0, 4, 4, 8},
                                                         {2, 0, 4, 4},
                                                         {0, 2, 2, 4},
                                                         {1, 0, 2, 2},
                                                         {0, 1, 1, 2}}};
inline constexpr TPngPass WholeImagePass = {0, 0, 1, 1};

// Columns (or rows) of a pass over size pixels, counting from start in steps of step.
constexpr int64_t PassExtent(int64_t size, int32_t start, int32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Rows of all passes together, the divisor of row-counted progress.
constexpr int64_t PngRowCount(int64_t height, bool interlaced) {
    if (!interlaced) return height;
    int64_t rows = 0;
    for (const TPngPass& pass : Adam7Passes)
        rows += PassExtent(height, pass.yStart, pass.yStep);
    return rows;
}

// Bytes of pixel data in a row of width pixels at bitsPerPixel (filter byte excluded).
constexpr int64_t PngRowBytes(int64_t width, int32_t bitsPerPixel) {
    return (width * bitsPerPixel + 7) / 8;
}

// Row buffer size: the row's bytes rounded up to a multiple of 4.
constexpr int64_t PngRowStride(int64_t width, int32_t bitsPerPixel) {
    return (PngRowBytes(width, bitsPerPixel) + 3) / 4 * 4;
}

// Bytes the image data inflates to: every pass's rows, each with its filter byte. A pass without
// columns has no rows.
constexpr int64_t PngImageDataBytes(int64_t width, int64_t height, int32_t bitsPerPixel,
                                    bool interlaced) {
    int64_t bytes = 0;
    const auto add = [&](const TPngPass& pass) {
        const int64_t passWidth = PassExtent(width, pass.xStart, pass.xStep);
        if (passWidth > 0)
            bytes += PassExtent(height, pass.yStart, pass.yStep) *
                     (1 + PngRowBytes(passWidth, bitsPerPixel));
    };
    if (!interlaced) {
        add(WholeImagePass);
    } else {
        for (const TPngPass& pass : Adam7Passes)
            add(pass);
    }
    return bytes;
}
