// The document view: rendering the document, the frames over it and placing the view
// rectangles with the mouse.
#include "app/devicepixels.h"
#include "app/docwindow.h"
#include "app/frame.h"
#include "app/press.h"
#include "app/state.h"
#include "app/zoomstep.h"
#include "base/Exceptions.h"
#include "editor/lupe.h"
#include "editor/selection.h"
#include "image/DisplayColor.h"

#include <QAction>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <algorithm>

int32_t Tmainform::ZoomPixels() const {
    return DevicePixelsPer(ZoomFactor, PaintBox2->devicePixelRatioF());
}

int32_t Tmainform::ScreenExtent(int32_t pixels) const {
    const int64_t extent = int64_t(pixels) * ZoomPixels();
    if (extent > QWIDGETSIZE_MAX) throw EOutOfResources("表示用ビットマップ");
    return static_cast<int32_t>(extent);
}

void Tmainform::UpdateDocView() {
    const QSize picture(ScreenExtent(DocWidth), ScreenExtent(DocHeight));
    const QSize size = LogicalSize(picture, PaintBox2->devicePixelRatioF());
    PaintBox2->DevicePicture = picture;
    PaintBox->parentWidget()->resize(size);
    PaintBox->resize(size);
    PaintBox2->resize(size);
    RenderDocBitmap();
}

void Tmainform::RenderDocBitmap() {
    PaintBox->update();
}

void Tmainform::ShowDocPixel(int32_t x, int32_t y) {
    // A view sized for another display scale is sized anew rather than repainted in part.
    if (PaintBox2->DevicePicture != QSize(ScreenExtent(DocWidth), ScreenExtent(DocHeight)))
        return UpdateDocView();
    const int32_t z = ZoomPixels();
    PaintBox->update(LogicalCover(*PaintBox, QRect(x * z, y * z, z, z)));
}

void Tmainform::UpdateViewSizes() {
    for (int i = 0; i < kViewCount; ++i) {
        ViewWidth[i] = std::min(DocWidth - ViewLeft[i], LupeCellsX);
        ViewHeight[i] = std::min(DocHeight - ViewTop[i], LupeCellsY);
    }
    LayerActive = btLayer->isChecked() && (ViewLeft[kEditArea] != ViewLeft[kLayerArea] ||
                                           ViewTop[kEditArea] != ViewTop[kLayerArea]);
}

void Tmainform::SnapStep(int32_t& sx, int32_t& sy) const {
    if (btLupeGrid->isChecked()) {
        sx = LupeCellsX;
        sy = LupeCellsY;
    } else {
        sx = sy = bt8Dot->isChecked() ? 8 : 1;
    }
}

namespace {
// An origin past the document's end moves to the last multiple of step at which the whole view
// (cells long) fits, or to 0 when it fits nowhere, so that the view is never a sliver at the edge.
int32_t ClampedOrigin(int32_t origin, int32_t docLength, int32_t cells, int32_t step) {
    if (origin < docLength) return origin;
    return docLength < cells ? 0 : (docLength - cells) / step * step;
}
} // namespace

void Tmainform::ClampViewOrigins() {
    int32_t sx, sy;
    SnapStep(sx, sy);
    for (int i = 0; i < kViewCount; ++i) {
        ViewLeft[i] = ClampedOrigin(ViewLeft[i], DocWidth, LupeCellsX, sx);
        ViewTop[i] = ClampedOrigin(ViewTop[i], DocHeight, LupeCellsY, sy);
    }
}

namespace {
// The border of a view rectangle grown by grow device pixels on every side.
TRect ViewFrame(int i, int32_t zoom, int32_t grow) {
    return TRect{ViewLeft[i] * zoom - grow, ViewTop[i] * zoom - grow,
                 (ViewLeft[i] + ViewWidth[i]) * zoom + grow,
                 (ViewTop[i] + ViewHeight[i]) * zoom + grow};
}

// Hatch lines invert what lies beneath them (white differs from every colour by its inverse);
// the gaps leave the image visible.
void FillHatched(QPainter& canvas, int32_t zoom) {
    canvas.setCompositionMode(QPainter::CompositionMode_Difference);
    canvas.fillRect(SelLeft * zoom, SelTop * zoom, SelWidth * zoom, SelHeight * zoom,
                    QBrush(Qt::white, Qt::CrossPattern));
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Scrolls the document view as little as needed to show the whole frame (logical pixels of the
// view), or its top-left part when the frame is larger than the view.
void KeepInSight(QScrollArea& area, const QRect& frame) {
    const int32_t halfWidth = frame.width() / 2, halfHeight = frame.height() / 2;
    area.ensureVisible(frame.left() + halfWidth, frame.top() + halfHeight, halfWidth + 1,
                       halfHeight + 1);
}
} // namespace

void Tmainform::PaintBox2Paint(QPainter& canvas) {
    if (!DocImage) return;
    const int32_t z = ZoomPixels();
    DrawFrame(canvas, ViewFrame(kEditArea, z, 1), DisplayColor::Blue);
    DrawFrame(canvas, ViewFrame(kEditArea, z, 2), DisplayColor::Blue);
    DrawFrame(canvas, ViewFrame(kEditArea, z, 3), DisplayColor::Black);
    // Drawn last, so the layer's frame covers the edit area's where they overlap.
    DrawFrame(canvas, ViewFrame(kLayerArea, z, 1), DisplayColor::Red);
    if (Selecting) FillHatched(canvas, z);
    if (Floating)
        PaintFloatingBlock(canvas, QRect(SelLeft * z, SelTop * z, SelWidth * z, SelHeight * z));
}

void Tmainform::PaintBox2MouseDown(TMouseButton button, bool shift, int32_t x, int32_t y) {
    if (!DocImage) return;
    // With the region tool, Shift still reaches the placement of the view rectangles.
    if (CurrentTool != TTool::Region || shift) {
        // Begun first: ending a press still followed here clears the drag's flags.
        PressBegan([this] { PaintBox2MouseUp(); });
        ViewDragging = true;
        DragEditArea = button == TMouseButton::Left;
        PaintBox2MouseMove(x, y);
        return;
    }
    if (button != TMouseButton::Left)
        CancelSelection();
    else if (Selecting)
        LiftSelection();
    else if (Floating)
        PlaceFloat();
    else
        StartSelection(x / ZoomPixels(), y / ZoomPixels());
}

void Tmainform::PaintBox2MouseMove(int32_t x, int32_t y) {
    if (!DocImage) return;
    const int32_t z = ZoomPixels();
    if (ViewDragging) {
        x = static_cast<int32_t>(std::clamp<int64_t>(x, 0, int64_t(DocWidth) * z - 1));
        y = static_cast<int32_t>(std::clamp<int64_t>(y, 0, int64_t(DocHeight) * z - 1));
        int32_t sx, sy;
        SnapStep(sx, sy);
        const int32_t c = x / z, r = y / z;
        const int i = DragEditArea ? kEditArea : kLayerArea;
        const bool layerWasActive = LayerActive;
        ViewLeft[i] = c - c % sx;
        ViewTop[i] = r - r % sy;
        UpdateViewSizes();
        // A layer that stops lying beneath the edit area must leave the magnifier too.
        if (DragEditArea || LayerActive || layerWasActive) LupeForm->UpdateLupe();
        PaintBox2->update();
        // A drag past the visible part of a large picture brings the frame along.
        const TRect frame = ViewFrame(i, z, 3);
        KeepInSight(*ScrollBox, LogicalCover(*PaintBox2, QRect(frame.Left, frame.Top, frame.Width(),
                                                               frame.Height())));
    }
    // The selection follows the mouse between clicks, button held or not.
    if (Selecting) DragSelection(x / z, y / z);
    if (Floating) MoveFloat(x / z, y / z);
}

void Tmainform::PaintBox2MouseUp() {
    if (!ViewDragging) return;
    ViewDragging = false;
    DragEditArea = false;
    PressEnded();
}

void Tmainform::xClick(QAction* sender) {
    const int32_t tag = sender->data().toInt(), old = ZoomFactor;
    if (tag == ZoomFactor) return;
    ZoomFactor = tag;
    sender->setChecked(true);
    if (!DocImage) return;
    try {
        UpdateDocView();
    } catch (...) {
        // The view the old zoom had could be made, so the document stays shown as it was.
        ZoomFactor = old;
        for (QAction* item : {x1, x2, x4})
            if (item->data().toInt() == old) item->setChecked(true);
        UpdateDocView();
        throw;
    }
}

void Tmainform::StepZoom(int32_t direction, QPoint anchor) {
    QAction* next = NeighbourZoom({x1, x2, x4}, ZoomFactor, direction);
    if (!next) return;
    const int32_t old = ZoomPixels();
    const QPointF spot = ViewportSpot(ScrollBox, anchor);
    xClick(next);
    KeepPointInPlace(ScrollBox, anchor, spot, old, ZoomPixels());
}

void Tmainform::btLayerClick() {
    UpdateViewSizes();
    if (DocImage) LupeForm->RenderLupe();
}

void Tmainform::mnLayerViewClick() {
    if (DocImage) LupeForm->RenderLupe();
}
