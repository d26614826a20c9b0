// The pixel tools of the magnifier: pen, fill, picking, and the routing of presses to the region
// tool.
#include "app/docwindow.h"
#include "app/press.h"
#include "app/state.h"
#include "editor/lupe.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "image/FloodFill.h"
#include "image/LineStep.h"
#include "palette/palettewindow.h"

namespace {
// A step of the whole edit area, taken before the pen or the fill changes it.
void PushEditArea() {
    PushUndo(ViewLeft[kEditArea], ViewTop[kEditArea], ViewLeft[kEditArea] + ViewWidth[kEditArea],
             ViewTop[kEditArea] + ViewHeight[kEditArea], false);
}
} // namespace

void TLupeForm::LupeBox2MouseDown(TMouseButton button, int32_t x, int32_t y) {
    if (!DocImage) return;
    // Division truncates toward zero, as the cell mapping asks.
    const int32_t c = CellPixels(), cx = x / c, cy = y / c;
    if (button != TMouseButton::Left) {
        if (CurrentTool == TTool::Region) return CancelSelection();
        HoldPress(false);
        PickColor(cx, cy);
        return;
    }
    LastCellX = cx;
    LastCellY = cy;
    switch (CurrentTool) {
    case TTool::Pen:
        PushEditArea();
        HoldPress(true);
        PutPixel(cx, cy, static_cast<uint8_t>(DrawIndex));
        Saved = false;
        break;
    case TTool::Fill:
        PushEditArea();
        FillArea(cx, cy, static_cast<uint8_t>(DrawIndex));
        Saved = false;
        break;
    case TTool::Region:
        if (!Selecting && !Floating)
            StartSelection(ViewLeft[kEditArea] + cx, ViewTop[kEditArea] + cy);
        else if (Selecting)
            LiftSelection();
        else
            PlaceFloat();
        break;
    }
}

void TLupeForm::HoldPress(bool left) {
    PressBegan([this] { LupeBox2MouseUp(); });
    MouseHeld = true;
    LeftHeld = left;
}

void TLupeForm::LupeBox2MouseMove(int32_t x, int32_t y) {
    if (!DocImage) return;
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
    if (Selecting) DragSelection(ViewLeft[kEditArea] + cx, ViewTop[kEditArea] + cy);
    if (Floating) MoveFloat(ViewLeft[kEditArea] + cx, ViewTop[kEditArea] + cy);
}

void TLupeForm::LupeBox2MouseUp() {
    if (!MouseHeld) return;
    MouseHeld = false;
    LeftHeld = false;
    PressEnded();
}

void TLupeForm::PutPixel(int32_t cx, int32_t cy, uint8_t index) {
    const int32_t x = ViewLeft[kEditArea] + cx, y = ViewTop[kEditArea] + cy;
    DocImage->SetPixel(x, y, index);
    mainform->ShowDocPixel(x, y);
    ShowCell(cx, cy);
    // A layer that overlaps the edit area shows the same pixel beneath another cell as well.
    if (LayerActive) ShowCell(x - ViewLeft[kLayerArea], y - ViewTop[kLayerArea]);
}

void TLupeForm::ShowCell(int32_t cx, int32_t cy) {
    if (!InsideView(cx, cy)) return;
    const TLupeView view = CurrentView();
    const auto own =
        static_cast<uint8_t>(DocImage->GetPixel(ViewLeft[kEditArea] + cx, ViewTop[kEditArea] + cy));
    const uint8_t shown = ComposedPixel(*DocImage, view, cx, cy, own);
    LupeImage.SetPixel(cx, cy, shown);
    // With the layer view a transparent edit pixel shows as stripes; otherwise the cell shows
    // what lies on top.
    DrawCell(cx, cy, view.LayerView ? own : shown);
}

void TLupeForm::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    StepLine(x0, y0, x1, y1, [this](int32_t px, int32_t py) {
        // Steps outside the view are skipped, not clamped.
        if (InsideView(px, py)) PutPixel(px, py, static_cast<uint8_t>(DrawIndex));
    });
}

void TLupeForm::FillArea(int32_t cx, int32_t cy, uint8_t index) {
    const TRect editArea{ViewLeft[kEditArea], ViewTop[kEditArea],
                         ViewLeft[kEditArea] + ViewWidth[kEditArea],
                         ViewTop[kEditArea] + ViewHeight[kEditArea]};
    if (!FloodFill4(*DocImage, editArea, ViewLeft[kEditArea] + cx, ViewTop[kEditArea] + cy, index))
        return;
    mainform->UpdateDocView();
    mainform->UpdateViewSizes();
    UpdateLupe();
    Saved = false;
}

void TLupeForm::PickColor(int32_t cx, int32_t cy) {
    if (!InsideView(cx, cy)) return;
    palletform->SelectSwatch(
        static_cast<int32_t>(DocImage->GetPixel(ViewLeft[kEditArea] + cx, ViewTop[kEditArea] + cy)),
        true);
}
