#include "ui/displaybitmap.h"

#include "base/LargeAlloc.h"

#include <cstdlib>

namespace {
void FreePixels(void* pixels) {
    std::free(pixels);
}
} // namespace

QImage NewDisplayBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const size_t rowBytes = size_t(width) * 4;
    void* pixels = AllocateLarge(rowBytes * size_t(height));
    if (pixels == nullptr) return {};
    return QImage(static_cast<uchar*>(pixels), width, height, qsizetype(rowBytes),
                  QImage::Format_RGB32, FreePixels, pixels);
}
