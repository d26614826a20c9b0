#include "image/BlockCopy.h"

#include "image/DIB.h"

#include <cstring>

void CopyBlock(TDIB& dest, const TRect& destRect, const TDIB& source, const TRect& sourceRect) {
    const int32_t w = destRect.Width(), h = destRect.Height();
    if (w <= 0 || h <= 0) return;
    for (int32_t i = 0; i < h; ++i) {
        // Reading never unshares the source's pixels. When the source is the destination and
        // writing unshares it, the row read still holds the same bytes in the storage left
        // behind; otherwise both rows lie in one storage and the copy tolerates overlap.
        const uint8_t* from = source.RowForRead(sourceRect.Top + i) + sourceRect.Left;
        uint8_t* to = dest.RowForWrite(destRect.Top + i) + destRect.Left;
        std::memmove(to, from, static_cast<size_t>(w));
    }
}

void CopyBlockTransparent(TDIB& dest, const TRect& destRect, const TDIB& source,
                          const TRect& sourceRect, uint8_t transparent) {
    const int32_t w = destRect.Width(), h = destRect.Height();
    if (w <= 0 || h <= 0) return;
    for (int32_t i = 0; i < h; ++i) {
        const uint8_t* from = source.RowForRead(sourceRect.Top + i) + sourceRect.Left;
        uint8_t* to = dest.RowForWrite(destRect.Top + i) + destRect.Left;
        for (int32_t x = 0; x < w; ++x)
            if (from[x] != transparent) to[x] = from[x];
    }
}

void CopyRectTo(int32_t sourceLeft, int32_t sourceTop, int32_t sourceRight, int32_t sourceBottom,
                const TDIB& source, int32_t destLeft, int32_t destTop, TDIB& dest) {
    const TRect destRect{destLeft, destTop, destLeft + (sourceRight - sourceLeft),
                         destTop + (sourceBottom - sourceTop)};
    CopyBlock(dest, destRect, source, TRect{sourceLeft, sourceTop, sourceRight, sourceBottom});
}
