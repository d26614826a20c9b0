// The document view: rendering the document, the grids and frames over it, placing the view
// rectangles with the mouse and reporting the pixel under the pointer.
#include "app/docgrid.h"
#include "app/docwindow.h"
#include "app/statusbar.h"
#include "base/Exceptions.h"
#include "editor/selection.h"
#include "image/DisplayColor.h"
#include "image/LupeRender.h"
#include "ui/devicepixels.h"
#include "ui/dialogs.h"
#include "ui/frame.h"
#include "ui/session.h"
#include "ui/zoomstep.h"

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
    const QSize picture(ScreenExtent(Doc().DocWidth()), ScreenExtent(Doc().DocHeight()));
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

void Tmainform::ShowDocRect(const TRect& rect) {
    // A view sized for another display scale is sized anew rather than repainted in part.
    if (PaintBox2->DevicePicture !=
        QSize(ScreenExtent(Doc().DocWidth()), ScreenExtent(Doc().DocHeight())))
        return UpdateDocView();
    const int32_t z = ZoomPixels();
    PaintBox->update(LogicalCover(
        *PaintBox, QRect(rect.Left * z, rect.Top * z, rect.Width() * z, rect.Height() * z)));
}

namespace {
// The border of a view rectangle grown by grow device pixels on every side.
TRect ViewFrame(int i, int32_t zoom, int32_t grow) {
    const TRect view = Editor().ViewRect(i);
    return TRect{view.Left * zoom - grow, view.Top * zoom - grow, view.Right * zoom + grow,
                 view.Bottom * zoom + grow};
}

// The selection or floating block in device pixels of the view.
QRect SelectionFrame(int32_t zoom) {
    const TSelectionBox& sel = Doc().Sel();
    return QRect(sel.Left * zoom, sel.Top * zoom, sel.Width * zoom, sel.Height * zoom);
}

// Hatch lines invert what lies beneath them (white differs from every colour by its inverse);
// the gaps leave the image visible.
void FillHatched(QPainter& canvas, int32_t zoom) {
    canvas.setCompositionMode(QPainter::CompositionMode_Difference);
    canvas.fillRect(SelectionFrame(zoom), QBrush(Qt::white, Qt::CrossPattern));
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
    if (!Doc().IsOpen()) return;
    const int32_t z = ZoomPixels();
    // The surface clips the painter to the part being painted; a painter without a clip paints
    // the whole picture.
    const QRect picture(QPoint(), PaintBox2->DevicePicture);
    const QRect exposed =
        canvas.hasClipping() ? canvas.clipBoundingRect().toAlignedRect() : picture;
    // Whether the pixel grid shows is the user's zoom's to decide, whatever the display scale.
    if (Editor().PixelGrid() && ZoomFactor >= 4) DrawPixelGrid(canvas, exposed, picture.size(), z);
    if (Editor().TileGrid()) DrawTileGrid(canvas, exposed, picture.size(), z, Editor().TileSize());
    DrawFrame(canvas, ViewFrame(kEditArea, z, 1), DisplayColor::Blue);
    DrawFrame(canvas, ViewFrame(kEditArea, z, 2), DisplayColor::Blue);
    DrawFrame(canvas, ViewFrame(kEditArea, z, 3), DisplayColor::Black);
    // Drawn last, so the layer's frame covers the edit area's where they overlap.
    DrawFrame(canvas, ViewFrame(kLayerArea, z, 1), DisplayColor::Red);
    if (Doc().Selecting()) FillHatched(canvas, z);
    if (Doc().Floating()) PaintFloatingBlock(canvas, SelectionFrame(z));
}

void Tmainform::PaintBox2MouseDown(TMouseButton button, bool shift, int32_t x, int32_t y) {
    if (!Doc().IsOpen()) return;
    // With the region tool, Shift still reaches the placement of the view rectangles.
    if (Editor().CurrentTool() != TTool::Region || shift) {
        // Begun first: ending a press still followed here clears the drag's flags.
        Editor().PressBegan([this] { PaintBox2MouseUp(); });
        ViewDragging = true;
        DragEditArea = button == TMouseButton::Left;
        PaintBox2MouseMove(x, y);
        return;
    }
    const int32_t z = ZoomPixels();
    RegionPress(button, x / z, y / z);
}

void Tmainform::PaintBox2MouseMove(int32_t x, int32_t y) {
    if (!Doc().IsOpen()) return;
    const int32_t z = ZoomPixels();
    const bool overPicture =
        x >= 0 && y >= 0 && x / z < Doc().DocWidth() && y / z < Doc().DocHeight();
    Editor().SetPointer(overPicture ? std::optional(TCell{x / z, y / z}) : std::nullopt);
    if (ViewDragging) {
        x = static_cast<int32_t>(std::clamp<int64_t>(x, 0, int64_t(Doc().DocWidth()) * z - 1));
        y = static_cast<int32_t>(std::clamp<int64_t>(y, 0, int64_t(Doc().DocHeight()) * z - 1));
        const TSnapStep step = Editor().SnapStep();
        const int32_t c = x / z, r = y / z;
        const int i = DragEditArea ? kEditArea : kLayerArea;
        Editor().SetViewOrigin(i, c - c % step.X, r - r % step.Y);
        // A drag past the visible part of a large picture brings the frame along.
        const TRect frame = ViewFrame(i, z, 3);
        KeepInSight(*ScrollBox, LogicalCover(*PaintBox2, QRect(frame.Left, frame.Top, frame.Width(),
                                                               frame.Height())));
    }
    // The selection follows the mouse between clicks, button held or not.
    RegionFollow(x / z, y / z);
}

void Tmainform::PaintBox2MouseUp() {
    if (!ViewDragging) return;
    ViewDragging = false;
    DragEditArea = false;
    Editor().PressEnded();
}

void Tmainform::PaintBox2MouseLeave() {
    Editor().SetPointer(std::nullopt);
}

void Tmainform::xClick(QAction* sender) {
    const int32_t tag = sender->data().toInt(), old = ZoomFactor;
    if (tag == ZoomFactor) return;
    ZoomFactor = tag;
    sender->setChecked(true);
    StatusLine->Refresh();
    if (!Doc().IsOpen()) return;
    try {
        UpdateDocView();
    } catch (...) {
        // The view the old zoom had could be made, so the document stays shown as it was.
        ZoomFactor = old;
        for (QAction* item : {x1, x2, x4})
            if (item->data().toInt() == old) item->setChecked(true);
        StatusLine->Refresh();
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
    ReportLayerChoice();
}

void Tmainform::mnLayerViewClick() {
    ReportLayerChoice();
}

void Tmainform::ReportLayerChoice() {
    Editor().SetLayer(btLayer->isChecked(), mnLayerView->isChecked());
}

void Tmainform::SnapButtonClick() {
    Editor().SetSnap(btLupeGrid->isChecked() ? TSnapMode::LupeGrid
                     : bt8Dot->isChecked()   ? TSnapMode::Dot8
                                             : TSnapMode::Dot1);
}

void Tmainform::GridItemClick() {
    Editor().SetGrids(acPixelGrid->isChecked(), acTileGrid->isChecked());
}

void Tmainform::acTileSizeExecute() {
    const std::optional<TPixelSize> size = Dialogs().AskTileSize(Editor().TileSize());
    if (!size) return;
    Editor().SetTileSize(size);
    Editor().SetGrids(Editor().PixelGrid(), true);
}
