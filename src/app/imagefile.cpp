#include "app/imagefile.h"

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
