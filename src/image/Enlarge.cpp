#include "image/Enlarge.h"

#include "base/Exceptions.h"
#include "image/PixelFormat.h"

#include <cstring>
#include <string>

namespace {

// Row source widened scale times into row out, for width pixels of bitCount bits.
void EnlargeRow(const uint8_t* source, uint8_t* out, int32_t width, int32_t bitCount,
                int32_t scale) {
    if (bitCount < 8) {
        for (int32_t x = 0; x < width; ++x) {
            const unsigned value = PackedPixel(source, bitCount, size_t(x));
            for (int32_t copy = 0; copy < scale; ++copy)
                SetPackedPixel(out, bitCount, size_t(x) * size_t(scale) + size_t(copy), value);
        }
        return;
    }
    const size_t bytes = size_t(bitCount / 8);
    if (bytes == 1) {
        for (int32_t x = 0; x < width; ++x)
            std::memset(out + size_t(x) * size_t(scale), source[x], size_t(scale));
        return;
    }
    for (int32_t x = 0; x < width; ++x)
        for (int32_t copy = 0; copy < scale; ++copy)
            std::memcpy(out + (size_t(x) * size_t(scale) + size_t(copy)) * bytes,
                        source + size_t(x) * bytes, bytes);
}

} // namespace

TDIB Enlarged(const TDIB& image, int32_t scale) {
    if (scale < 1)
        throw EInvalidGraphicOperation("拡大率 " + std::to_string(scale) + " では拡大できません");
    if (image.IsEmpty()) return image;
    const int64_t width = int64_t(image.Width()) * scale;
    const int64_t height = int64_t(image.Height()) * scale;
    if (!StorageFits(width, height, image.BitCount()))
        throw EInvalidGraphicOperation(std::to_string(width) + "×" + std::to_string(height) +
                                       " ピクセルの画像は大きすぎて作れません");
    TDIB out;
    out.PaletteBlock = image.PaletteBlock;
    out.WantedLayout = image.CurrentLayout();
    out.Resize(int32_t(width), int32_t(height), image.BitCount());
    // Padding bytes past the last pixel are written too, so that the file holds no stray bytes.
    const size_t rowBytes = size_t(out.Stride());
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* first = out.RowForWrite(y * scale);
        std::memset(first, 0, rowBytes);
        EnlargeRow(image.RowForRead(y), first, image.Width(), image.BitCount(), scale);
        for (int32_t copy = 1; copy < scale; ++copy)
            std::memcpy(out.RowForWrite(y * scale + copy), first, rowBytes);
    }
    return out;
}
