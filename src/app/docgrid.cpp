#include "app/docgrid.h"

#include "image/DisplayColor.h"
#include "ui/frame.h"

#include <QPainter>
#include <algorithm>

namespace {
// Fills a one-pixel line at every multiple of the steps (device pixels) after the first,
// within the picture, where it meets exposed.
void FillLines(QPainter& canvas, const QRect& exposed, QSize picture, int64_t stepX, int64_t stepY,
               const QBrush& brush) {
    const QRect area = exposed & QRect(QPoint(), picture);
    if (area.isEmpty()) return;
    const auto first = [](int64_t from, int64_t step) {
        return std::max(step, (from + step - 1) / step * step);
    };
    for (int64_t x = first(area.left(), stepX); x <= area.right(); x += stepX)
        canvas.fillRect(QRect(int(x), area.top(), 1, area.height()), brush);
    for (int64_t y = first(area.top(), stepY); y <= area.bottom(); y += stepY)
        canvas.fillRect(QRect(area.left(), int(y), area.width(), 1), brush);
}
} // namespace

void DrawPixelGrid(QPainter& canvas, const QRect& exposed, QSize picture, int32_t zoom) {
    FillLines(canvas, exposed, picture, zoom, zoom,
              QColor::fromRgb(DisplayColorToRgb(DisplayColor::Grey)));
}

void DrawTileGrid(QPainter& canvas, const QRect& exposed, QSize picture, int32_t zoom,
                  TPixelSize tile) {
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // Where two lines cross, both flip the same dot back: the crossing is a gap.
    FillLines(canvas, exposed, picture, int64_t(tile.Width) * zoom, int64_t(tile.Height) * zoom,
              QBrush(QColor(0x80, 0x80, 0x80), Qt::Dense4Pattern));
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
