#include "app/imagefile.h"

#include "image/BlockCopy.h"
#include "image/Quantize.h"

TReadImage ReadDocumentImage(const std::string& path) {
    const TDIB decoded = ReadImageFile(path);
    TReadImage result;
    result.Image = std::make_unique<TDIB>(ToEightBit(decoded, result.Reduced));
    result.Image->DetachToMemory();
    return result;
}

void WriteDocumentImage(const std::string& path, const TImageFormat& format, const TDIB& image) {
    WriteImageFile(path, format, image);
}

TDIB WritableCopy(const TDIB& document, int32_t width, int32_t height) {
    TDIB copy;
    copy.Resize(width, height, 8);
    copy.PaletteBlock = document.PaletteBlock;
    copy.ApplyPalette();
    const TRect whole{0, 0, width, height};
    CopyBlock(copy, whole, document, whole);
    return copy;
}
