// The pixel tools of the magnifier: pen, fill, picking, and the routing of presses to the region
// tool.
#include "editor/lupe.h"
#include "editor/selection.h"
#include "image/FloodFill.h"
#include "image/LineStep.h"
#include "ui/session.h"

namespace {
// A step of the whole edit area, taken before the pen or the fill changes it.
TStep EditAreaStep() {
    return TStep{Editor().ViewRect(kEditArea)};
}
} // namespace

void TLupeForm::LupeBox2MouseDown(TMouseButton button, int32_t x, int32_t y) {
    if (!Doc().IsOpen()) return;
    // Division truncates toward zero, as the cell mapping asks.
    const int32_t c = CellPixels(), cx = x / c, cy = y / c;
    const TTool tool = Editor().CurrentTool();
    if (tool == TTool::Region)
        return RegionPress(button, Editor().ViewLeft(kEditArea) + cx,
                           Editor().ViewTop(kEditArea) + cy);
    if (button != TMouseButton::Left) {
        HoldPress(false);
        PickColor(cx, cy);
        return;
    }
    LastCellX = cx;
    LastCellY = cy;
    const auto index = static_cast<uint8_t>(Editor().DrawIndex());
    if (tool == TTool::Pen) {
        HoldPress(true);
        const TStep step = EditAreaStep();
        PutPixel(cx, cy, index, &step);
        return;
    }
    FillArea(cx, cy, index);
}

void TLupeForm::HoldPress(bool left) {
    Editor().PressBegan([this] { LupeBox2MouseUp(); });
    MouseHeld = true;
    LeftHeld = left;
}

void TLupeForm::LupeBox2MouseMove(int32_t x, int32_t y) {
    if (!Doc().IsOpen()) return;
    const int32_t c = CellPixels(), cx = x / c, cy = y / c;
    if (MouseHeld) {
        if (!LeftHeld)
            PickColor(cx, cy);
        else if (cx != LastCellX || cy != LastCellY) {
            DrawLine(LastCellX, LastCellY, cx, cy);
            LastCellX = cx;
            LastCellY = cy;
        }
    }
    // The selection follows the pointer with or without a button held.
    RegionFollow(Editor().ViewLeft(kEditArea) + cx, Editor().ViewTop(kEditArea) + cy);
}

void TLupeForm::LupeBox2MouseUp() {
    if (!MouseHeld) return;
    MouseHeld = false;
    LeftHeld = false;
    Editor().PressEnded();
}

void TLupeForm::PutPixel(int32_t cx, int32_t cy, uint8_t index, const TStep* step) {
    const int32_t x = Editor().ViewLeft(kEditArea) + cx, y = Editor().ViewTop(kEditArea) + cy;
    // A press beyond the view still records its step, but changes no pixel.
    const bool inside = InsideView(cx, cy);
    Doc().Edit(step, {.Pixels = inside, .Rect = {x, y, x + 1, y + 1}}, [&](TDIB& image) {
        if (inside) image.SetPixel(x, y, index);
    });
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

void TLupeForm::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const auto index = static_cast<uint8_t>(Editor().DrawIndex());
    StepLine(x0, y0, x1, y1, [&](int32_t px, int32_t py) {
        // Steps outside the view are skipped, not clamped.
        if (InsideView(px, py)) PutPixel(px, py, index);
    });
}

void TLupeForm::FillArea(int32_t cx, int32_t cy, uint8_t index) {
    const TRect area = Editor().ViewRect(kEditArea);
    Doc().Edit(EditAreaStep(), {.Pixels = true, .Rect = area},
               [&](TDIB& image) { FloodFill4(image, area, area.Left + cx, area.Top + cy, index); });
}

void TLupeForm::PickColor(int32_t cx, int32_t cy) {
    if (!InsideView(cx, cy)) return;
    Editor().SetDrawIndex(static_cast<int32_t>(Doc().DocImage()->GetPixel(
        Editor().ViewLeft(kEditArea) + cx, Editor().ViewTop(kEditArea) + cy)));
}
