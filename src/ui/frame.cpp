#include "ui/frame.h"

#include "image/DisplayColor.h"

#include <QPainter>

QRgb DisplayColorToRgb(uint32_t color) {
    return SurfaceValueOfDisplayColor(color);
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
