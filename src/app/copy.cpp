#include "app/copy.h"

#include "image/DIB.h"

#include <QPainter>
#include <cstring>

void CopyBlock(TDIB& dest, const TRect& destRect, TDIB& source, const TRect& sourceRect) {
    const int32_t w = destRect.Width(), h = destRect.Height();
    if (w <= 0 || h <= 0) return;
    for (int32_t i = 0; i < h; ++i) {
        // The source may be the destination itself, so both rows are taken for writing and the
        // bytes moved with a copy that tolerates overlap.
        const uint8_t* from = source.RowForWrite(sourceRect.Top + i) + sourceRect.Left;
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
                TDIB& source, int32_t destLeft, int32_t destTop, TDIB& dest) {
    const TRect destRect{destLeft, destTop, destLeft + (sourceRight - sourceLeft),
                         destTop + (sourceBottom - sourceTop)};
    CopyBlock(dest, destRect, source, TRect{sourceLeft, sourceTop, sourceRight, sourceBottom});
}

uint32_t PaletteEntryToColor(uint32_t entry) {
    const uint32_t blue = entry & 0xFF, green = (entry >> 8) & 0xFF, red = (entry >> 16) & 0xFF;
    return red | green << 8 | blue << 16;
}

uint32_t DisplayColorToRgb(uint32_t color) {
    const uint32_t red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

void DrawFrame(QPainter& canvas, const TRect& rect, uint32_t color) {
    canvas.setPen(QPen(QColor::fromRgb(DisplayColorToRgb(color)), 0));
    const QPoint points[5] = {{rect.Left, rect.Top},
                              {rect.Right - 1, rect.Top},
                              {rect.Right - 1, rect.Bottom - 1},
                              {rect.Left, rect.Bottom - 1},
                              {rect.Left, rect.Top}};
    canvas.drawPolyline(points, 5);
}
