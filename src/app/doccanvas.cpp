#include "app/doccanvas.h"

#include "image/DIB.h"
#include "ui/devicepixels.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {
// Bytes of the strip the exposed part is converted in: the picture goes to the screen a strip at
// a time, so a paint of a large area (a grab of the whole view) needs no buffer of its size.
constexpr int64_t kStripBytes = 1 << 20;
} // namespace

TDocCanvas::TDocCanvas(std::function<const TDIB*()> picture, std::function<int32_t()> zoom,
                       QWidget* parent)
    : QWidget(parent), picture_(std::move(picture)), zoom_(std::move(zoom)) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TDocCanvas::paintEvent(QPaintEvent* event) {
    const TDIB* picture = picture_();
    if (picture == nullptr || picture->IsEmpty()) return;
    const int32_t zoom = zoom_();
    QPainter painter(this);
    UseDevicePixels(painter);
    // The exposed logical rectangle in the painter's device pixels, cut to the enlarged picture.
    const QRect exposed =
        painter.worldTransform().inverted().mapRect(QRectF(event->rect())).toAlignedRect() &
        QRect(0, 0,
              static_cast<int>(std::min<int64_t>(int64_t(picture->Width()) * zoom, INT32_MAX)),
              static_cast<int>(std::min<int64_t>(int64_t(picture->Height()) * zoom, INT32_MAX)));
    if (exposed.isEmpty()) return;
    const int rows = static_cast<int>(
        std::clamp<int64_t>(kStripBytes / (int64_t(exposed.width()) * 4), 1, exposed.height()));
    QImage strip(exposed.width(), rows, QImage::Format_RGB32);
    if (strip.isNull()) return;
    for (int top = exposed.top(); top <= exposed.bottom(); top += rows) {
        const int height = std::min(rows, exposed.bottom() + 1 - top);
        TSurface surface{strip.bits(), strip.bytesPerLine(), strip.width(), height, 32};
        picture->DrawZoomed(surface, zoom, exposed.left(), top);
        painter.drawImage(QPoint(exposed.left(), top), strip, QRect(0, 0, strip.width(), height));
    }
}
