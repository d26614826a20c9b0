#include "app/displaybitmap.h"

#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr size_t kHugePage = size_t(2) << 20;

void FreePixels(void* pixels) {
    std::free(pixels);
}
} // namespace

QImage NewDisplayBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return {};
    const size_t rowBytes = size_t(width) * 4;
    const size_t bytes = rowBytes * size_t(height);
    if (bytes < kHugePage) return QImage(width, height, QImage::Format_RGB32);
    void* pixels = nullptr;
    if (posix_memalign(&pixels, kHugePage, bytes) != 0) return {};
    // Advice only: where huge pages are off, the memory works in small pages as before.
    madvise(pixels, bytes, MADV_HUGEPAGE);
    return QImage(static_cast<uchar*>(pixels), width, height, qsizetype(rowBytes),
                  QImage::Format_RGB32, FreePixels, pixels);
}
