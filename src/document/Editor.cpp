#include "document/Editor.h"

#include <algorithm>
#include <utility>

int32_t TEditor::ViewWidth(int i) const {
    return std::max(0, std::min(Doc.DocWidth() - ViewLeft_[i], CellsX_));
}

int32_t TEditor::ViewHeight(int i) const {
    return std::max(0, std::min(Doc.DocHeight() - ViewTop_[i], CellsY_));
}

TRect TEditor::ViewRect(int i) const {
    return TRect{ViewLeft_[i], ViewTop_[i], ViewLeft_[i] + ViewWidth(i),
                 ViewTop_[i] + ViewHeight(i)};
}

bool TEditor::LayerActive() const {
    return LayerOn_ && (ViewLeft_[kEditArea] != ViewLeft_[kLayerArea] ||
                        ViewTop_[kEditArea] != ViewTop_[kLayerArea]);
}

TSnapStep TEditor::SnapStep() const {
    switch (Snap_) {
    case TSnapMode::LupeGrid:
        return TSnapStep{CellsX_, CellsY_};
    case TSnapMode::Dot8:
        return TSnapStep{8, 8};
    case TSnapMode::Dot1:
        break;
    }
    return TSnapStep{1, 1};
}

std::optional<TShapeKind> ShapeOfTool(TTool tool) {
    switch (tool) {
    case TTool::Line:
        return TShapeKind::Line;
    case TTool::Rect:
        return TShapeKind::Rect;
    case TTool::FilledRect:
        return TShapeKind::FilledRect;
    case TTool::Ellipse:
        return TShapeKind::Ellipse;
    case TTool::FilledEllipse:
        return TShapeKind::FilledEllipse;
    case TTool::Pen:
    case TTool::Fill:
    case TTool::Region:
        break;
    }
    return std::nullopt;
}

TSymmetry TEditor::Symmetry() const {
    TSymmetry sym{MirrorX_, MirrorY_};
    if (Axis_) {
        sym.SumX = 2 * Axis_->X;
        sym.SumY = 2 * Axis_->Y;
    } else {
        const TRect area = ViewRect(kEditArea);
        sym.SumX = area.Left + area.Right - 1;
        sym.SumY = area.Top + area.Bottom - 1;
    }
    return sym;
}

void TEditor::SetViewOrigin(int i, int32_t left, int32_t top) {
    if (left == ViewLeft_[i] && top == ViewTop_[i]) return;
    ViewLeft_[i] = left;
    ViewTop_[i] = top;
    Doc.Notify({.Areas = true});
}

void TEditor::SetLupeCells(int32_t x, int32_t y) {
    CellsX_ = x;
    CellsY_ = y;
    Doc.Notify({.Areas = true});
}

void TEditor::SetLayer(bool on, bool view) {
    LayerOn_ = on;
    LayerView_ = view;
    Doc.Notify({.Areas = true});
}

void TEditor::SetDrawIndex(int32_t index) {
    if (index == DrawIndex_) return;
    DrawIndex_ = index;
    Doc.Notify({.Indices = true});
}

void TEditor::SetTool(TTool tool) {
    Tool_ = tool;
    Doc.Notify({.Tool = true});
}

void TEditor::SetMirror(bool x, bool y) {
    MirrorX_ = x;
    MirrorY_ = y;
    Doc.Notify({.Tool = true});
}

void TEditor::SetMirrorAxis(std::optional<TCell> pixel) {
    Axis_ = pixel;
    Doc.Notify({.Tool = true});
}

void TEditor::SetPixelPerfect(bool on) {
    PixelPerfect_ = on;
    Doc.Notify({.Tool = true});
}

void TEditor::SetPointer(std::optional<TCell> pixel) {
    if (pixel == Pointer_) return;
    Pointer_ = pixel;
    Doc.Notify({.Pointer = true});
}

void TEditor::SetShapeDrag(std::optional<TShapeDrag> drag) {
    ShapeDrag_ = drag;
    Doc.Notify({.Preview = true});
}

void TEditor::SetLupePower(int32_t power) {
    if (power == LupePower_) return;
    LupePower_ = power;
    Doc.Notify({.Zoom = true});
}

TPixelSize TEditor::TileSize() const {
    return TileSize_.value_or(TPixelSize{CellsX_, CellsY_});
}

void TEditor::SetGrids(bool pixel, bool tile) {
    PixelGrid_ = pixel;
    TileGrid_ = tile;
    Doc.Notify({.Grids = true});
}

void TEditor::SetTileSize(std::optional<TPixelSize> size) {
    TileSize_ = size;
    Doc.Notify({.Grids = true});
}

std::vector<TRect> TEditor::AnimationCells() const {
    return SheetCells(Doc.DocWidth(), Doc.DocHeight(), ViewRect(kEditArea), Animation_.Frames);
}

void TEditor::SetAnimation(const TAnimation& animation) {
    TAnimation fitted = animation;
    fitted.Frames = std::clamp(fitted.Frames, 1, kMostSheetCells);
    fitted.Fps = std::clamp(fitted.Fps, 1, kMostFps);
    fitted.Scale = std::clamp(fitted.Scale, 1, 8);
    fitted.Backdrop &= 0xFFFFFF;
    if (fitted == Animation_) return;
    Animation_ = fitted;
    Doc.Notify({.Animation = true});
}

namespace {
// An origin past the document's end moves to the last multiple of step at which the whole view
// (cells long) fits, or to 0 when it fits nowhere, so that the view is never a sliver at the edge.
int32_t ClampedOrigin(int32_t origin, int32_t docLength, int32_t cells, int32_t step) {
    if (origin < docLength) return origin;
    return docLength < cells ? 0 : (docLength - cells) / step * step;
}
} // namespace

void TEditor::ClampViewOrigins(int32_t width, int32_t height) {
    const TSnapStep step = SnapStep();
    for (int i = 0; i < kViewCount; ++i) {
        ViewLeft_[i] = ClampedOrigin(ViewLeft_[i], width, CellsX_, step.X);
        ViewTop_[i] = ClampedOrigin(ViewTop_[i], height, CellsY_, step.Y);
    }
}

// Undo and Redo wait for the press, and their buttons say so meanwhile: hence the notices.
void TEditor::PressBegan(std::function<void()> release) {
    EndPressInProgress();
    Release_ = std::move(release);
    Doc.Notify({});
}

void TEditor::PressEnded() {
    if (!Release_) return;
    Release_ = nullptr;
    Doc.Notify({});
}

void TEditor::EndPressInProgress() {
    // Taken out before the release runs, whose own PressEnded then finds nothing left to end.
    std::function<void()> release = std::exchange(Release_, nullptr);
    if (!release) return;
    release();
    // The release's own PressEnded found nothing to end, so the notice is sent here.
    Doc.Notify({});
}

bool TEditor::CanUndo() const {
    return Doc.History.UndoCount() != Doc.History.RedoCount() &&
           Doc.Region() == TRegionState::None && !PressInProgress();
}

bool TEditor::CanRedo() const {
    return Doc.History.RedoCount() != 0 && Doc.Region() == TRegionState::None && !PressInProgress();
}

void TEditor::Undo() {
    if (!CanUndo()) return;
    FitAreasTo(Doc.History.NextUndo());
    Doc.Undo();
}

void TEditor::Redo() {
    if (!CanRedo()) return;
    FitAreasTo(Doc.History.NextRedo());
    Doc.Redo();
}

void TEditor::FitAreasTo(const TUndoSlot* step) {
    if (step && step->WholeFlag) ClampViewOrigins(step->Rect.Width(), step->Rect.Height());
}

void TEditor::Reset() {
    // Forgotten rather than released: the windows that followed it may be gone.
    Release_ = nullptr;
    for (int i = 0; i < kViewCount; ++i)
        ViewLeft_[i] = ViewTop_[i] = 0;
    CellsX_ = CellsY_ = 32;
    LayerOn_ = LayerView_ = false;
    DrawIndex_ = 0;
    Tool_ = TTool::Pen;
    Snap_ = TSnapMode::LupeGrid;
    MirrorX_ = MirrorY_ = PixelPerfect_ = false;
    Axis_ = Pointer_ = std::nullopt;
    ShapeDrag_ = std::nullopt;
    LupePower_ = 10;
    PixelGrid_ = TileGrid_ = false;
    TileSize_ = std::nullopt;
    Animation_ = TAnimation{};
    PaletteLocked = SortKeepsTransparent = false;
    Doc.Reset();
}

std::string TEditor::Violation() const {
    if (Doc.IsOpen())
        for (int i = 0; i < kViewCount; ++i)
            if (ViewLeft_[i] < 0 || ViewLeft_[i] >= Doc.DocWidth() || ViewTop_[i] < 0 ||
                ViewTop_[i] >= Doc.DocHeight())
                return std::string(i == kEditArea ? "the edit area" : "the layer area") +
                       " begins outside the document at " + std::to_string(ViewLeft_[i]) + ", " +
                       std::to_string(ViewTop_[i]);
    return Doc.Violation();
}
