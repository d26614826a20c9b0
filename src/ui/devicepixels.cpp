#include "ui/devicepixels.h"

#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {
// Positions that Qt derived from whole device pixels come back from the logical round trip
// within rounding error of them; this much slack keeps them on their pixel.
constexpr double kSlack = 1e-6;

// How far the whole device pixel nearest to a device position lies from it (halves up).
double SnapShift(double position) {
    return std::floor(position + 0.5) - position;
}

// The device position where the widget's origin falls in its window's backing store, which is
// where its painting lands on screen.
QPointF DeviceOrigin(const QWidget& widget) {
    return widget.mapTo(widget.window(), QPointF(0, 0)) * widget.devicePixelRatioF();
}

// SnapShift of DeviceOrigin.
QPointF ScreenShift(const QWidget& widget) {
    const QPointF origin = DeviceOrigin(widget);
    return {SnapShift(origin.x()), SnapShift(origin.y())};
}

int32_t ToPixel(double position) {
    return static_cast<int32_t>(std::clamp(std::floor(position), -1e9, 1e9));
}
} // namespace

int32_t DevicePixelsPer(int32_t magnification, double ratio) {
    return std::max(1, ToPixel(magnification * ratio + 0.5));
}

QSize LogicalSize(QSize size, double ratio) {
    const bool whole = ratio == std::floor(ratio);
    const auto extent = [ratio, whole](int device) {
        if (whole || device == 0) return static_cast<int>(std::ceil(device / ratio - kSlack));
        // Qt picks the widget under the pointer by its window position in logical pixels,
        // rounded: the last device pixel, at up to (device - 0.5) / ratio past the widget's
        // logical origin, must round to a position inside it.
        return static_cast<int>(std::floor((device - 0.5) / ratio + 0.5 + kSlack)) + 1;
    };
    return {extent(size.width()), extent(size.height())};
}

void UseDevicePixels(QPainter& painter) {
    const QTransform device = painter.deviceTransform();
    const double sx = device.m11(), sy = device.m22();
    const QPointF origin = device.map(QPointF(0, 0));
    painter.setWorldTransform(
        QTransform(1 / sx, 0, 0, 1 / sy, SnapShift(origin.x()) / sx, SnapShift(origin.y()) / sy),
        true);
}

QPoint DevicePixelAt(const QWidget& widget, QPointF position) {
    const double ratio = widget.devicePixelRatioF();
    const QPointF shift = ScreenShift(widget);
    return {ToPixel(position.x() * ratio - shift.x() + kSlack),
            ToPixel(position.y() * ratio - shift.y() + kSlack)};
}

QPoint DevicePixelFromWindow(const QWidget& widget, QPoint inWindow) {
    // The painting's device pixel 0 is the window's device pixel nearest the widget's origin.
    const QPointF origin = DeviceOrigin(widget);
    return inWindow - QPoint(ToPixel(origin.x() + 0.5), ToPixel(origin.y() + 0.5));
}

QPointF LogicalPosition(const QWidget& widget, QPoint pixel) {
    return (QPointF(pixel) + ScreenShift(widget)) / widget.devicePixelRatioF();
}

QRect LogicalCover(const QWidget& widget, const QRect& rect) {
    const double ratio = widget.devicePixelRatioF();
    const QPointF shift = ScreenShift(widget);
    const int left = ToPixel((rect.left() + shift.x()) / ratio),
              top = ToPixel((rect.top() + shift.y()) / ratio),
              right = static_cast<int>(std::ceil((rect.left() + rect.width() + shift.x()) / ratio)),
              bottom =
                  static_cast<int>(std::ceil((rect.top() + rect.height() + shift.y()) / ratio));
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}
