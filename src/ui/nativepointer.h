// The pointer's position as the window system knows it, in device pixels. Qt on X11 rounds
// pointer positions to whole logical pixels, so at a fractional display scale an event no
// longer tells which of the device pixels under that logical pixel was hit; the X server does.
#pragma once

#include <QPoint>
#include <optional>

class QWidget;

// Where the pointer is now, in device pixels from the origin of widget's top-level window;
// nullopt when the application does not run on X11 or the server does not answer.
std::optional<QPoint> NativePointerInWindow(const QWidget& widget);
