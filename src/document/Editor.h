// The editor's state around the document: the edit area and the layer area, the user's choices
// (tool, snap step, drawing index, layer, palette lock and sort) and the one press in progress.
// Windows report the user's choices here and learn of every change from the document's notices.
// Positions and sizes are image pixels.
#pragma once

#include "document/Document.h"
#include "image/Shapes.h"
#include "image/SpriteSheet.h"
#include "image/Symmetry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Indices of the two view rectangles.
constexpr int kEditArea = 0;  // shown and edited in the magnifier
constexpr int kLayerArea = 1; // overlaid beneath the edit area in the magnifier
constexpr int kViewCount = 2;

enum class TTool : uint8_t {
    Pen = 0,
    Fill = 1,
    Region = 2,
    Line,
    Rect,
    FilledRect,
    Ellipse,
    FilledEllipse
};
// The shape a shape tool draws; nothing for the pen, the fill and the region tool.
std::optional<TShapeKind> ShapeOfTool(TTool tool);

// A shape being dragged out: from the pressed pixel to the pointer's (Shift already applied),
// in image pixels.
struct TShapeDrag {
    TShapeKind Kind;
    int32_t X0, Y0, X1, Y1;
};
// A size in image pixels.
struct TPixelSize {
    int32_t Width = 0, Height = 0;
    bool operator==(const TPixelSize&) const = default;
};
// A tile of the document view's tile grid is 1 to kMostTileSide pixels wide and high.
constexpr int32_t kMostTileSide = 4096;
// How the animation preview plays the sheet's cells from the edit area on, and how the editor
// writes them as an animated GIF.
struct TAnimation {
    int32_t Frames = 4; // cells played, 1 to kMostSheetCells
    int32_t Fps = 8;    // frames per second, 1 to kMostFps
    int32_t Scale = 4;  // preview pixels per image pixel, 1 to 8
    // The transparent index shows as a checkerboard, or else as Backdrop (0xRRGGBB).
    bool Checker = true;
    uint32_t Backdrop = 0xFF00FF;
    bool operator==(const TAnimation&) const = default;
};
// GIF delays are hundredths of a second, and players hold a frame at least two of them.
constexpr int32_t kMostFps = 50;
// Where placements and selections snap: to the magnifier's cell count, to 8 or to 1 pixel.
enum class TSnapMode : uint8_t { LupeGrid, Dot8, Dot1 };

class TEditor {
public:
    TDocument Doc;

    // Top-left image pixel of the edit area and of the layer area.
    int32_t ViewLeft(int i) const { return ViewLeft_[i]; }
    int32_t ViewTop(int i) const { return ViewTop_[i]; }
    // The view rectangle's size: LupeCellsX x LupeCellsY cut at the document's right and bottom.
    int32_t ViewWidth(int i) const;
    int32_t ViewHeight(int i) const;
    TRect ViewRect(int i) const;
    // Nominal view rectangle size (8..64, steps of 8); also the coarse snap step.
    int32_t LupeCellsX() const { return CellsX_; }
    int32_t LupeCellsY() const { return CellsY_; }
    // The layer button is down and the two view rectangles' origins differ.
    bool LayerActive() const;
    // The layer is shown striped where the edit area is transparent.
    bool LayerView() const { return LayerView_; }
    // The palette index the pen draws with.
    int32_t DrawIndex() const { return DrawIndex_; }
    TTool CurrentTool() const { return Tool_; }
    // The snap step now, read afresh by every placement and selection step.
    TSnapStep SnapStep() const;
    // "パレットを変更しない": palette commands are refused.
    bool PaletteLocked = false;
    // "透明色を動かさない": the palette sorts leave the transparent index's entry in its place.
    bool SortKeepsTransparent = false;

    // Mirror drawing: left-right (MirrorX) and top-bottom (MirrorY).
    bool MirrorX() const { return MirrorX_; }
    bool MirrorY() const { return MirrorY_; }
    // The axes as the tools take them: through the pixel the user set, or else through the
    // middle of the edit area.
    TSymmetry Symmetry() const;
    // The pixel the mirror axes pass through, when the user set one.
    std::optional<TCell> MirrorAxis() const { return Axis_; }
    // The pen drops the corner pixel of every L-shaped step of a stroke.
    bool PixelPerfect() const { return PixelPerfect_; }
    // The image pixel under the pointer in either view; nothing while it is over neither.
    std::optional<TCell> Pointer() const { return Pointer_; }
    // The shape being dragged out in the magnifier, until its release draws it.
    const std::optional<TShapeDrag>& ShapeDrag() const { return ShapeDrag_; }
    // The magnifier's magnification: 1, 2, 4, 6, 8, 10, 12 or 14.
    int32_t LupePower() const { return LupePower_; }
    // The document view's grids: a line between every two pixels (shown at 4x) and a line round
    // every tile.
    bool PixelGrid() const { return PixelGrid_; }
    bool TileGrid() const { return TileGrid_; }
    // The tile size the user set; nothing while the tiles follow the magnifier's cell count.
    std::optional<TPixelSize> TileSizeSet() const { return TileSize_; }
    // The tiles' size: the one set, else LupeCellsX x LupeCellsY.
    TPixelSize TileSize() const;

    const TAnimation& Animation() const { return Animation_; }
    // The cells the animation plays: Animation().Frames of the edit area's size, from the edit
    // area on (SheetCells).
    std::vector<TRect> AnimationCells() const;

    void SetViewOrigin(int i, int32_t left, int32_t top);
    void SetLupeCells(int32_t x, int32_t y);
    void SetLayer(bool on, bool view);
    void SetDrawIndex(int32_t index);
    void SetTool(TTool tool);
    void SetSnap(TSnapMode mode) { Snap_ = mode; }
    void SetMirror(bool x, bool y);
    // Nothing: the axes go back to the middle of the edit area.
    void SetMirrorAxis(std::optional<TCell> pixel);
    void SetPixelPerfect(bool on);
    void SetPointer(std::optional<TCell> pixel);
    void SetShapeDrag(std::optional<TShapeDrag> drag);
    void SetLupePower(int32_t power);
    void SetGrids(bool pixel, bool tile);
    void SetTileSize(std::optional<TPixelSize> size);
    // Values out of their ranges are brought into them.
    void SetAnimation(const TAnimation& animation);
    // Moves view origins that lie outside a document of width x height (about to be opened, or
    // about to take that size) to the last snap position where the whole view fits (0 where it
    // fits nowhere).
    void ClampViewOrigins(int32_t width, int32_t height);

    // The one mouse press followed at a time, in whichever view it began. A dialog, Close, New,
    // Open and the application losing focus end it as if the button were released: the real
    // release then goes elsewhere. release is what the view's own mouse-up does; a press still
    // in progress is ended first.
    void PressBegan(std::function<void()> release);
    // The view saw its release (or ended the press itself).
    void PressEnded();
    bool PressInProgress() const { return static_cast<bool>(Release_); }
    void EndPressInProgress();

    // Something to undo (redo), no selection being made or block floating and no press in
    // progress: a stroke is undone whole, once it is finished.
    bool CanUndo() const;
    bool CanRedo() const;
    void Undo();
    void Redo();

    // Back to the start-up state; the document closes without a notice of its own.
    void Reset();
    // The first broken rule of the editor state, in words, or an empty string: the document's,
    // and while one is open both view rectangles begin inside it.
    std::string Violation() const;

private:
    int32_t ViewLeft_[kViewCount] = {0, 0}, ViewTop_[kViewCount] = {0, 0};
    int32_t CellsX_ = 32, CellsY_ = 32;
    // The layer button is down; the layer view item is checked.
    bool LayerOn_ = false, LayerView_ = false;
    int32_t DrawIndex_ = 0;
    TTool Tool_ = TTool::Pen;
    TSnapMode Snap_ = TSnapMode::LupeGrid;
    bool MirrorX_ = false, MirrorY_ = false, PixelPerfect_ = false;
    std::optional<TCell> Axis_, Pointer_;
    std::optional<TShapeDrag> ShapeDrag_;
    int32_t LupePower_ = 10;
    bool PixelGrid_ = false, TileGrid_ = false;
    std::optional<TPixelSize> TileSize_;
    TAnimation Animation_;
    std::function<void()> Release_;

    // A whole step about to be undone or redone may give the picture another size: the areas
    // move inside it first, as for a picture opened at that size, so that its notice finds them
    // there.
    void FitAreasTo(const TUndoSlot* step);
};
