// The pixel tools of the magnifier: the routing of presses to the pen, the fill, the shapes,
// picking and the region tool. What each tool does to the document is in document/Tools.h.
#include "editor/lupe.h"
#include "editor/selection.h"
#include "image/DisplayColor.h"
#include "ui/session.h"

#include <QPainter>

TCell TLupeForm::PixelOf(int32_t cx, int32_t cy) const {
    return TCell{Editor().ViewLeft(kEditArea) + cx, Editor().ViewTop(kEditArea) + cy};
}

void TLupeForm::LupeBox2MouseDown(TMouseButton button, int32_t x, int32_t y, TModifiers keys) {
    if (!Doc().IsOpen()) return;
    // Division truncates toward zero, as the cell mapping asks.
    const int32_t c = CellPixels(), cx = x / c, cy = y / c;
    const TCell pixel = PixelOf(cx, cy);
    const TTool tool = Editor().CurrentTool();
    if (tool == TTool::Region) return RegionPress(button, pixel.X, pixel.Y);
    if (keys.Ctrl) {
        Editor().SetMirrorAxis(button == TMouseButton::Left ? std::optional(pixel) : std::nullopt);
        return;
    }
    if (button != TMouseButton::Left || keys.Alt) {
        HoldPress(false);
        PickColor(cx, cy);
        return;
    }
    const auto index = static_cast<uint8_t>(Editor().DrawIndex());
    if (tool == TTool::Fill) return FillArea(cx, cy, index);
    HoldPress(true);
    if (tool == TTool::Pen) {
        Stroke.emplace(Doc(), Editor().ViewRect(kEditArea), index, Editor().Symmetry(),
                       Editor().PixelPerfect());
        Stroke->Press(pixel.X, pixel.Y);
        return;
    }
    Editor().SetShapeDrag(TShapeDrag{*ShapeOfTool(tool), pixel.X, pixel.Y, pixel.X, pixel.Y});
}

void TLupeForm::HoldPress(bool left) {
    Editor().PressBegan([this] { LupeBox2MouseUp(); });
    MouseHeld = true;
    LeftHeld = left;
}

void TLupeForm::LupeBox2MouseMove(int32_t x, int32_t y, TModifiers keys) {
    if (!Doc().IsOpen()) return;
    const int32_t c = CellPixels(), cx = x / c, cy = y / c;
    const TCell pixel = PixelOf(cx, cy);
    if (MouseHeld && !LeftHeld) PickColor(cx, cy);
    if (Stroke && Stroke->Last() != pixel) Stroke->LineTo(pixel.X, pixel.Y);
    if (const std::optional<TShapeDrag>& drag = Editor().ShapeDrag()) {
        TShapeDrag next = *drag;
        next.X1 = pixel.X;
        next.Y1 = pixel.Y;
        if (keys.Shift) ConstrainShapeEnd(next.Kind, next.X0, next.Y0, next.X1, next.Y1);
        if (next.X1 != drag->X1 || next.Y1 != drag->Y1) Editor().SetShapeDrag(next);
    }
    Editor().SetPointer(InsideView(cx, cy) ? std::optional(pixel) : std::nullopt);
    // The selection follows the pointer with or without a button held.
    RegionFollow(pixel.X, pixel.Y);
}

void TLupeForm::LupeBox2MouseUp() {
    if (!MouseHeld) return;
    MouseHeld = false;
    LeftHeld = false;
    Stroke.reset();
    // The shape is drawn at the release, as one step, and its preview goes.
    if (const std::optional<TShapeDrag> drag = Editor().ShapeDrag()) {
        Editor().SetShapeDrag(std::nullopt);
        DrawShape(Doc(), Editor().ViewRect(kEditArea), drag->Kind, drag->X0, drag->Y0, drag->X1,
                  drag->Y1, static_cast<uint8_t>(Editor().DrawIndex()), Editor().Symmetry());
    }
    Editor().PressEnded();
}

void TLupeForm::LupeBox2MouseLeave() {
    Editor().SetPointer(std::nullopt);
}

void TLupeForm::ShowCell(int32_t cx, int32_t cy) {
    if (!InsideView(cx, cy)) return;
    const TLupeView view = CurrentView();
    const TDIB& image = *Doc().DocImage();
    const auto own = static_cast<uint8_t>(image.GetPixel(view.Edit.Left + cx, view.Edit.Top + cy));
    const uint8_t shown = ComposedPixel(image, view, cx, cy, own);
    LupeImage.SetPixel(cx, cy, shown);
    // With the layer view a transparent edit pixel shows as stripes; otherwise the cell shows
    // what lies on top.
    DrawCell(cx, cy, view.LayerView ? own : shown);
}

void TLupeForm::FillArea(int32_t cx, int32_t cy, uint8_t index) {
    const TCell pixel = PixelOf(cx, cy);
    FillMirrored(Doc(), Editor().ViewRect(kEditArea), pixel.X, pixel.Y, index, Editor().Symmetry());
}

void TLupeForm::PickColor(int32_t cx, int32_t cy) {
    if (!InsideView(cx, cy)) return;
    const TCell pixel = PixelOf(cx, cy);
    Editor().SetDrawIndex(static_cast<int32_t>(Doc().DocImage()->GetPixel(pixel.X, pixel.Y)));
}

void TLupeForm::PaintShapeDrag(QPainter& canvas) {
    const std::optional<TShapeDrag>& drag = Editor().ShapeDrag();
    if (!drag) return;
    const TRect area = Editor().ViewRect(kEditArea);
    const TSymmetry sym = Editor().Symmetry();
    const int32_t c = CellPixels();
    const QColor colour = QColor::fromRgb(
        SurfaceValueOf(Doc().DocImage()->PaletteBlock[static_cast<uint8_t>(Editor().DrawIndex())]));
    VisitShapePixels(area, drag->Kind, drag->X0, drag->Y0, drag->X1, drag->Y1, sym,
                     [&](int32_t x, int32_t y) {
                         canvas.fillRect((x - area.Left) * c, (y - area.Top) * c, c, c, colour);
                     });
}

void TLupeForm::PaintMirrorAxes(QPainter& canvas) {
    const TSymmetry sym = Editor().Symmetry();
    if (!sym.Any()) return;
    // The axis lies at (Sum + 1) / 2 in image pixels: on the edge between two pixels for an odd
    // sum, through a pixel's middle for an even one.
    const int32_t c = CellPixels();
    const QRect view(QPoint(), LupeBox2->DevicePicture);
    QPen dashed(Qt::white, 1, Qt::DashLine);
    canvas.setPen(dashed);
    canvas.setCompositionMode(QPainter::CompositionMode_Difference);
    if (sym.MirrorX) {
        const int32_t x = (sym.SumX + 1 - 2 * Editor().ViewLeft(kEditArea)) * c / 2;
        canvas.drawLine(x, view.top(), x, view.bottom());
    }
    if (sym.MirrorY) {
        const int32_t y = (sym.SumY + 1 - 2 * Editor().ViewTop(kEditArea)) * c / 2;
        canvas.drawLine(view.left(), y, view.right(), y);
    }
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
}
