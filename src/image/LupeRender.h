// The magnifier's picture: composing the edit area over the layer area, and drawing it enlarged
// Power times with its grid onto a 32-bit surface. Plain functions over images, so the windows
// only route and repaint.
#pragma once

#include "base/Graphic.h"

#include <array>
#include <cstdint>

class TDIB;

// The magnifier's grid: none, a grid, or the special grid with lines only between differing
// pixels.
enum class TGridMode : uint8_t { None = 0, Grid = 1, Special = 2 };

// What the magnifier shows and how. Rectangles are in document pixels, already cut to the
// document (right and bottom exclusive).
struct TLupeView {
    TRect Edit, Layer;
    // The layer lies beneath the edit area.
    bool LayerActive = false;
    // LayerActive and the document window's layer-view item checked: transparent edit pixels and
    // cells beyond the layer show stripes.
    bool LayerView = false;
    uint8_t Transparent = 0;
    // Display pixels per document pixel.
    int32_t Power = 10;
    TGridMode GridMode = TGridMode::None;
    // Display colour 0x00BBGGRR.
    uint32_t GridColor = 0x808080;
    bool operator==(const TLupeView&) const = default;
};

// The 32-bit surface values (image/DisplayColor.h) of the 256 entries of a palette.
using TSurfaceColors = std::array<uint32_t, 256>;
TSurfaceColors SurfaceColorsOf(const TDIB& doc);
// Fills the size x size square at (left, top) of a 32-bit surface, cut to the surface.
void FillSquare(TSurface& out, int32_t left, int32_t top, int32_t size, uint32_t value);

// Builds lupe (Edit's size, 8 bits) from doc: the edit area, or with the layer active the layer
// area with the edit area's non-transparent pixels over it. Cells that neither covers (a
// transparent edit pixel beyond the layer) hold the transparent index.
void ComposeLupe(TDIB& lupe, TDIB& doc, const TLupeView& view);
// What lupe holds at cell (cx, cy) after the pen writes index into the edit area there: index,
// or with the layer active and index transparent, the layer pixel beneath (the transparent index
// beyond the layer).
uint8_t ComposedPixel(const TDIB& doc, const TLupeView& view, int32_t cx, int32_t cy,
                      uint8_t index);

// Draws the whole view: every cell enlarged, stripes where the layer view asks, then the grid.
// The surface must be at least Edit's size times Power.
void RenderLupeSurface(TSurface& out, const TDIB& lupe, const TDIB& doc, const TLupeView& view);
// Redraws cell (cx, cy) after its document pixel became index, repairing the special grid's lines
// that the cell shares with its right and lower neighbours.
void DrawCellSurface(TSurface& out, const TDIB& lupe, const TDIB& doc, const TLupeView& view,
                     int32_t cx, int32_t cy, uint8_t index);
// The grid lines of one cell; with refreshNeighbours the special grid also redraws the edges and
// corners shared with the right and lower neighbours (in grid colour or the neighbour's colour).
// No grid at Power 4 or less. lupe is the composition (ComposeLupe) whose colours the
// neighbours show.
void DrawCellGrid(TSurface& out, const TDIB& lupe, const TDIB& doc, const TLupeView& view,
                  int32_t cx, int32_t cy, bool refreshNeighbours);
