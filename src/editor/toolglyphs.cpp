#include "editor/toolglyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <functional>

namespace {
constexpr int kToolGlyph = 32;
constexpr int kArrowGlyph = 12;

// A transparent square picture of the given side, drawn by paint.
QIcon Draw(int side, const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(painter);
    painter.end();
    return QIcon(pixmap);
}
} // namespace

QIcon PencilGlyph() {
    return Draw(kToolGlyph, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        // Laid along the diagonal from the top right down to the point at the bottom left.
        p.translate(16, 16);
        p.rotate(-45);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(230, 180, 40)); // the painted wood
        p.drawRect(QRectF(-6, -4, 16, 8));
        p.setBrush(QColor(240, 140, 160)); // the eraser
        p.drawRect(QRectF(10, -4, 4, 8));
        p.setBrush(QColor(240, 210, 160)); // the sharpened wood
        p.drawPolygon(QPolygonF{{-6, -4}, {-14, 0}, {-6, 4}});
        p.setBrush(Qt::black); // the lead
        p.drawPolygon(QPolygonF{{-11, -1.5}, {-14, 0}, {-11, 1.5}});
    });
}

QIcon PotGlyph() {
    return Draw(kToolGlyph, [](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.5));
        // The pot, tipped to the right, pouring.
        p.translate(14, 17);
        p.rotate(-30);
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(QRectF(-9, -8, 16, 16), 2, 2);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(-5, -14, 8, 10), 0, 180 * 16); // the handle
        p.resetTransform();
        // The paint running out of the lip and the pool beneath it.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 220));
        QPainterPath drip;
        drip.moveTo(21, 10);
        drip.cubicTo(27, 12, 27, 20, 25, 25);
        drip.lineTo(23, 25);
        drip.cubicTo(24, 20, 23, 15, 20, 13);
        drip.closeSubpath();
        p.drawPath(drip);
        p.drawEllipse(QRectF(17, 24, 13, 5));
    });
}

QIcon RegionGlyph() {
    return Draw(kToolGlyph, [](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(3, 3, 16, 16); // the block behind, solid
        QPen dashed(Qt::black, 1, Qt::CustomDashLine);
        dashed.setDashPattern({2, 2});
        p.setPen(dashed);
        p.setBrush(Qt::NoBrush);
        p.drawRect(12, 12, 16, 16); // the copy in front, outlined by dashes
    });
}

QIcon ShapeGlyph(TShapeKind kind) {
    return Draw(kToolGlyph, [kind](QPainter& p) {
        // Drawn by the tool's own cells, two screen pixels each, so the button shows what the
        // tool gives.
        const bool line = kind == TShapeKind::Line;
        ShapeCells(
            kind, line ? 1 : 2, line ? 12 : 3, line ? 12 : 13, line ? 3 : 12,
            [&](int32_t x, int32_t y) { p.fillRect(x * 2 + 2, y * 2 + 2, 2, 2, Qt::black); });
    });
}

QIcon ArrowGlyph(TShiftDirection direction) {
    return Draw(kArrowGlyph, [direction](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(kArrowGlyph / 2.0, kArrowGlyph / 2.0);
        p.rotate(90.0 * int(direction)); // the tags go clockwise from up
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF{{0, -5}, {5, 0}, {2, 0}, {2, 5}, {-2, 5}, {-2, 0}, {-5, 0}});
    });
}
