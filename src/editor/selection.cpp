// The region tool over the editor state: the windows route presses and moves here, the rules
// live in the core (image/Selection.h), and this unit keeps both windows in step.
#include "editor/selection.h"

#include "app/docwindow.h"
#include "app/state.h"
#include "editor/lupe.h"
#include "editor/undo.h"
#include "image/LupeRender.h"
#include "image/Selection.h"

#include <QImage>
#include <QPainter>

namespace {
// Read afresh by every step: a change of the grid buttons takes effect at the next one.
TSnapStep CurrentStep() {
    TSnapStep step;
    mainform->SnapStep(step.X, step.Y);
    return step;
}

TSelectionBox CurrentBox() {
    return TSelectionBox{SelLeft, SelTop, SelWidth, SelHeight};
}

void SetBox(const TSelectionBox& box) {
    SelLeft = box.Left;
    SelTop = box.Top;
    SelWidth = box.Width;
    SelHeight = box.Height;
}

// The hatched rectangles of the document window, then of the magnifier.
void RepaintOverlays() {
    mainform->PaintBox2->update();
    LupeForm->LupeBox2->update();
}
} // namespace

void StartSelection(int32_t x, int32_t y) {
    if (!DocImage) return;
    SetBox(AnchorSelection(x, y, CurrentStep(), DocWidth, DocHeight));
    Selecting = true;
    UpdateUndoButtons();
    DragSelection(x, y);
}

void DragSelection(int32_t x, int32_t y) {
    SetBox(SizeSelection(CurrentBox(), x, y, CurrentStep(), DocWidth, DocHeight));
    RepaintOverlays();
}

void LiftSelection() {
    if (!DocImage) return;
    // Copied before the flags change, so a failed copy leaves the selection as it was.
    LiftBlock(mainform->WorkImage, *DocImage, CurrentBox());
    Selecting = false;
    Floating = true;
    MoveFloat(SelLeft, SelTop);
}

void MoveFloat(int32_t x, int32_t y) {
    SetBox(MoveBlock(CurrentBox(), x, y, CurrentStep()));
    RepaintOverlays();
}

void PlaceFloat() {
    if (!DocImage) return;
    TDIB& work = mainform->WorkImage;
    const TRect part = PlacedPart(*DocImage, work, SelLeft, SelTop);
    SelWidth = part.Width();
    SelHeight = part.Height();
    // A block wholly outside the document writes nothing and records no step.
    if (SelWidth > 0 && SelHeight > 0) {
        PushUndo(part.Left, part.Top, part.Right, part.Bottom, false);
        PlaceBlock(*DocImage, part, work, SelLeft, SelTop);
        Saved = false;
    }
    Floating = false;
    work.MakeEmpty();
    mainform->UpdateDocView();
    mainform->UpdateViewSizes();
    LupeForm->UpdateLupe();
    RepaintOverlays();
    UpdateUndoButtons();
}

void CancelSelection() {
    Selecting = false;
    Floating = false;
    mainform->WorkImage.MakeEmpty();
    RepaintOverlays();
    UpdateUndoButtons();
}

void PaintFloatingBlock(QPainter& canvas, const QRect& target) {
    const TDIB& block = mainform->WorkImage;
    QImage picture(block.Width(), block.Height(), QImage::Format_ARGB32_Premultiplied);
    TSurfaceColors colors = SurfaceColorsOf(*DocImage);
    colors[uint8_t(TransparentIndex)] = 0;
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
