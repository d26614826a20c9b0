#include "ui/paintbox.h"

#include "ui/devicepixels.h"
#include "ui/errors.h"
#include "ui/nativepointer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>

TImageControl::TImageControl(const QImage& picture, QWidget* parent)
    : QWidget(parent), picture_(picture) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TImageControl::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter painter(this);
    UseDevicePixels(painter);
    painter.drawImage(0, 0, picture_);
}

TPaintSurface::TPaintSurface(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool TPaintSurface::event(QEvent* event) {
    // Qt tells every widget of a window this way when the window's screen or its scale changes.
    if (event->type() == QEvent::ScreenChangeInternal && OnScaleChange) RunGuarded(OnScaleChange);
    return QWidget::event(event);
}

void TPaintSurface::paintEvent(QPaintEvent* event) {
    if (!OnPaint) return;
    QPainter painter(this);
    // OnPaint may read the part being painted from the clip and paint only that.
    painter.setClipRect(event->rect());
    if (InDevicePixels) UseDevicePixels(painter);
    RunGuarded([&] { OnPaint(painter); });
}

namespace {
// Presses of buttons other than the three are not reported.
bool ToButton(Qt::MouseButton button, TMouseButton& out) {
    switch (button) {
    case Qt::LeftButton:
        out = TMouseButton::Left;
        return true;
    case Qt::RightButton:
        out = TMouseButton::Right;
        return true;
    case Qt::MiddleButton:
        out = TMouseButton::Middle;
        return true;
    default:
        return false;
    }
}
} // namespace

QPoint TPaintSurface::PixelAt(QPointF position) const {
    return InDevicePixels ? DevicePixelAt(*this, position) : position.toPoint();
}

QPoint TPaintSurface::PixelUnderPointer(const QMouseEvent& event) const {
    const QPoint reported = PixelAt(event.position());
    const double ratio = devicePixelRatioF();
    // At a whole ratio every logical pixel covers whole device pixels and nothing was lost.
    if (!InDevicePixels || ratio == std::floor(ratio)) return reported;
    const std::optional<QPoint> native = NativePointerInWindow(*this);
    if (!native) return reported;
    const QPoint exact = DevicePixelFromWindow(*this, *native);
    // The pointer may have moved on since the event: the server's position serves only while it
    // lies within the rounding of the reported one.
    const int slack = static_cast<int>(std::ceil(ratio));
    const QPoint off = exact - reported;
    return std::abs(off.x()) <= slack && std::abs(off.y()) <= slack ? exact : reported;
}

namespace {
TModifiers ModifiersOf(const QMouseEvent& event) {
    const Qt::KeyboardModifiers keys = event.modifiers();
    return TModifiers{.Shift = keys.testFlag(Qt::ShiftModifier),
                      .Ctrl = keys.testFlag(Qt::ControlModifier),
                      .Alt = keys.testFlag(Qt::AltModifier)};
}
} // namespace

bool TPaintSurface::ReportedPress(const QMouseEvent& event, TMouseButton& button,
                                  QPoint& at) const {
    if (!ToButton(event.button(), button)) return false;
    at = PixelUnderPointer(event);
    return !InDevicePixels || QRect(QPoint(), DevicePicture).contains(at);
}

void TPaintSurface::mousePressEvent(QMouseEvent* event) {
    TMouseButton button;
    QPoint p;
    if (!OnMouseDown || !ReportedPress(*event, button, p)) return;
    RunGuarded([&] { OnMouseDown(button, ModifiersOf(*event), p.x(), p.y()); });
}

void TPaintSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt sends the second press of a double click only as this event: it is reported as the
    // press it also is, then as a double click.
    mousePressEvent(event);
    TMouseButton button;
    QPoint p;
    if (!OnDoubleClick || !ReportedPress(*event, button, p)) return;
    RunGuarded([&] { OnDoubleClick(button, p.x(), p.y()); });
}

void TPaintSurface::mouseMoveEvent(QMouseEvent* event) {
    // A release that went elsewhere (to a menu, a dialog, another application) shows here as a
    // move with no button held; the press it belonged to ends before the move is followed.
    if (event->buttons() == Qt::NoButton && OnMouseUp) RunGuarded(OnMouseUp);
    if (!OnMouseMove) return;
    const QPoint p = PixelUnderPointer(*event);
    RunGuarded([&] { OnMouseMove(p.x(), p.y(), ModifiersOf(*event)); });
}

void TPaintSurface::leaveEvent(QEvent*) {
    if (OnMouseLeave) RunGuarded(OnMouseLeave);
}

void TPaintSurface::mouseReleaseEvent(QMouseEvent*) {
    if (OnMouseUp) RunGuarded(OnMouseUp);
}

void TPaintSurface::wheelEvent(QWheelEvent* event) {
    const int32_t delta = event->angleDelta().y();
    if (!OnCtrlWheel || !(event->modifiers() & Qt::ControlModifier) || delta == 0)
        return event->ignore();
    event->accept();
    const QPoint p = PixelAt(event->position());
    RunGuarded([&] { OnCtrlWheel(delta > 0 ? 1 : -1, p.x(), p.y()); });
}
