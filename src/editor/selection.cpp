#include "editor/selection.h"

#include "image/LupeRender.h"
#include "ui/session.h"

#include <QImage>
#include <QPainter>

void RegionPress(TMouseButton button, int32_t x, int32_t y) {
    TDocument& doc = Doc();
    // Read afresh by every step: a change of the snap buttons takes effect at the next one.
    const TSnapStep step = Editor().SnapStep();
    if (button != TMouseButton::Left)
        doc.CancelSelection();
    else if (doc.Selecting())
        doc.LiftSelection(step);
    else if (doc.Floating())
        doc.PlaceFloat();
    else
        doc.StartSelection(x, y, step);
}

void RegionFollow(int32_t x, int32_t y) {
    TDocument& doc = Doc();
    if (doc.Selecting()) doc.DragSelection(x, y, Editor().SnapStep());
    if (doc.Floating()) doc.MoveFloat(x, y, Editor().SnapStep());
}

void PaintFloatingBlock(QPainter& canvas, const QRect& target) {
    const TDIB& block = Doc().WorkImage();
    QImage picture(block.Width(), block.Height(), QImage::Format_ARGB32_Premultiplied);
    TSurfaceColors colors = SurfaceColorsOf(*Doc().DocImage());
    colors[uint8_t(Doc().TransparentIndex())] = 0;
    for (int32_t y = 0; y < block.Height(); ++y) {
        const uint8_t* row = block.RowForRead(y);
        auto* out = reinterpret_cast<uint32_t*>(picture.scanLine(y));
        for (int32_t x = 0; x < block.Width(); ++x)
            out[x] = colors[row[x]];
    }
    canvas.drawImage(target, picture);
    canvas.setCompositionMode(QPainter::CompositionMode_Difference);
    canvas.setPen(Qt::white);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(target.adjusted(-1, -1, 0, 0));
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
