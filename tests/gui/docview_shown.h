// What the document view shows, for the tests. The view paints the document at paint time, so
// two things make it right: the canvas paints the core's render of the document (PaintedDocument
// against FullRender), and the window on screen holds what a paint now would give, no pixel left
// behind by a change whose repaint was never asked for (StaleDocumentView).
#pragma once

#include "app/docwindow.h"
#include "image/DIB.h"
#include "ui/paintbox.h"
#include "ui/session.h"

#include <QBackingStore>
#include <QCoreApplication>
#include <QPainter>
#include <QScrollArea>
#include <cmath>
#include <cstdio>
#include <qpa/qwindowsysteminterface.h>
#include <string>

// The device pixels area of the document view's picture as its canvas paints them now, pixel
// (0, 0) being area's top-left; pixels the canvas leaves alone stay transparent (alpha 0).
inline QImage PaintedDocument(const QRect& area) {
    QWidget* canvas = mainform->PaintBox;
    const double ratio = canvas->devicePixelRatioF();
    QImage image(area.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratio);
    {
        QPainter painter(&image);
        // The canvas's device pixel area.topLeft() lands on the image's pixel (0, 0).
        painter.translate(-QPointF(area.topLeft()) / ratio);
        const QRect logical(
            QPoint(int(std::floor(area.left() / ratio)), int(std::floor(area.top() / ratio))),
            QPoint(int(std::ceil((area.right() + 1) / ratio)) - 1,
                   int(std::ceil((area.bottom() + 1) / ratio)) - 1));
        canvas->render(&painter, QPoint(), QRegion(logical), QWidget::RenderFlags());
    }
    image.setDevicePixelRatio(1);
    return image;
}

// The whole picture the view shows, as its canvas paints it now.
inline QImage PaintedDocument() {
    return PaintedDocument(QRect(QPoint(), mainform->PaintBox2->DevicePicture));
}

// The canvas paints nothing anywhere in its area: the view shows no picture.
inline bool PaintsNothing() {
    const double ratio = mainform->PaintBox->devicePixelRatioF();
    const QSize size = mainform->PaintBox->size();
    const QImage painted = PaintedDocument(
        QRect(0, 0, int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))));
    for (int y = 0; y < painted.height(); ++y)
        for (int x = 0; x < painted.width(); ++x)
            if (qAlpha(painted.pixel(x, y)) != 0) return false;
    return true;
}

// The core's render of the whole document enlarged ZoomPixels times (TDIB::DrawTo), cut to area.
inline QImage FullRender(const QRect& area) {
    const int32_t z = mainform->ZoomPixels();
    QImage out(area.size(), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    TSurface surface{out.bits(), out.bytesPerLine(), out.width(), out.height(), 32};
    Doc().DocImage()->DrawTo(surface,
                             TRect{-area.left(), -area.top(), Doc().DocWidth() * z - area.left(),
                                   Doc().DocHeight() * z - area.top()});
    return out;
}

inline QImage FullRender() {
    const int32_t z = mainform->ZoomPixels();
    return FullRender(QRect(0, 0, Doc().DocWidth() * z, Doc().DocHeight() * z));
}

// Carries out the repaints asked for so far (the window is shown, exposed, through the window
// system's queue; the repaints wait in Qt's).
inline void PaintPending() {
    QWindowSystemInterface::flushWindowSystemEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

// After the repaints asked for so far, where the document window on screen (its backing store)
// differs over the document view from a paint of the window now; empty when nothing there is
// stale. The frames over the picture are part of both.
inline std::string StaleDocumentView() {
    PaintPending();
    auto* store = dynamic_cast<QImage*>(mainform->backingStore()->paintDevice());
    if (store == nullptr) return "cannot be read from the window's backing store";
    const double ratio = mainform->devicePixelRatioF();
    QWidget* viewport = mainform->ScrollBox->viewport();
    const QRectF logical(viewport->mapTo(mainform, QPoint()), viewport->size());
    // The device pixels wholly inside the viewport.
    const QRect view(
        QPoint(int(std::ceil(logical.left() * ratio)), int(std::ceil(logical.top() * ratio))),
        QPoint(int(std::floor(logical.right() * ratio)) - 1,
               int(std::floor(logical.bottom() * ratio)) - 1));
    const QImage shown = store->convertToFormat(QImage::Format_RGB32);
    const QImage fresh = mainform->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (!shown.rect().contains(view) || !fresh.rect().contains(view))
        return "has no window picture that holds the view";
    for (int y = view.top(); y <= view.bottom(); ++y)
        for (int x = view.left(); x <= view.right(); ++x)
            if (shown.pixel(x, y) != fresh.pixel(x, y)) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "shows #%06X at window device pixel (%d, %d) where a repaint "
                              "gives #%06X",
                              shown.pixel(x, y) & 0xFFFFFF, x, y, fresh.pixel(x, y) & 0xFFFFFF);
                return text;
            }
    return {};
}
