// Views of image pixels on screens whose logical pixel is a fraction of a whole number of device
// pixels (display scales such as 1.25 or 1.5). The document view and the magnifier draw every
// image pixel as the same whole number of device pixels, on a device pixel grid anchored to the
// window's, and map the pointer back through that same grid. At scale 1 a device pixel is a
// logical one and nothing moves.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>

class QPainter;
class QWidget;

// Device pixels per image pixel at a view's magnification: magnification x ratio rounded to the
// nearest whole number (halves up), at least 1. At ratio 1 the magnification itself.
int32_t DevicePixelsPer(int32_t magnification, double ratio);

// The logical size of a widget that holds size device pixels at ratio (rounded up), so large at
// a fractional ratio that the pointer on any of those device pixels reaches the widget.
QSize LogicalSize(QSize size, double ratio);

// From here on the painter's unit is one device pixel and its (0, 0) the device pixel nearest
// to where the painted widget's origin falls, so whole coordinates cover whole device pixels.
void UseDevicePixels(QPainter& painter);

// The device pixel, in the units UseDevicePixels gives the widget's painting on screen, under a
// position given in the widget's logical pixels (as mouse events report it).
QPoint DevicePixelAt(const QWidget& widget, QPointF position);

// The device pixel, in the units of DevicePixelAt, at a position given in device pixels from
// the origin of widget's top-level window (as the window system reports the pointer).
QPoint DevicePixelFromWindow(const QWidget& widget, QPoint inWindow);

// Where in widget's logical pixels the device pixel of DevicePixelAt begins: the position a
// pointer on that device pixel reports.
QPointF LogicalPosition(const QWidget& widget, QPoint pixel);

// The logical rectangle of widget that covers rect, given in its device pixels; for update().
QRect LogicalCover(const QWidget& widget, const QRect& rect);
