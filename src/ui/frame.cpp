#include "ui/frame.h"

#include <QPainter>

QRgb DisplayColorToRgb(uint32_t color) {
    const uint32_t red = color & 0xFF, green = (color >> 8) & 0xFF, blue = (color >> 16) & 0xFF;
    return qRgb(static_cast<int>(red), static_cast<int>(green), static_cast<int>(blue));
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
