#include "image/LupeRender.h"

#include "image/BlockCopy.h"
#include "image/DIB.h"
#include "image/DisplayColor.h"

#include <algorithm>
#include <cstring>

namespace {
uint32_t* SurfaceRow(TSurface& out, int32_t y) {
    return reinterpret_cast<uint32_t*>(out.Row(y));
}

void FillRun(TSurface& out, int32_t x, int32_t y, int32_t length, uint32_t value) {
    std::fill_n(SurfaceRow(out, y) + x, length, value);
}

void FillColumn(TSurface& out, int32_t x, int32_t y, int32_t length, uint32_t value) {
    for (int32_t i = 0; i < length; ++i)
        SurfaceRow(out, y + i)[x] = value;
}

uint8_t DocPixel(const TDIB& doc, const TLupeView& view, int32_t cx, int32_t cy) {
    return doc.RowForRead(view.Edit.Top + cy)[view.Edit.Left + cx];
}

bool InsideLayer(const TLupeView& view, int32_t cx, int32_t cy) {
    return cx < view.Layer.Width() && cy < view.Layer.Height();
}
} // namespace

TSurfaceColors SurfaceColorsOf(const TDIB& doc) {
    TSurfaceColors colors;
    for (size_t i = 0; i < colors.size(); ++i)
        colors[i] = SurfaceValueOf(doc.PaletteBlock[i]);
    return colors;
}

void FillSquare(TSurface& out, int32_t left, int32_t top, int32_t size, uint32_t value) {
    const int32_t x0 = std::max(left, 0), x1 = std::min(left + size, out.Width);
    const int32_t y0 = std::max(top, 0), y1 = std::min(top + size, out.Height);
    for (int32_t y = y0; y < y1; ++y)
        if (x0 < x1) FillRun(out, x0, y, x1 - x0, value);
}

void ComposeLupe(TDIB& lupe, TDIB& doc, const TLupeView& view) {
    const int32_t w = view.Edit.Width(), h = view.Edit.Height();
    lupe.Resize(w, h, 8);
    const TRect whole{0, 0, w, h};
    if (!view.LayerActive) {
        CopyBlock(lupe, whole, doc, view.Edit);
        return;
    }
    for (int32_t y = 0; y < h; ++y)
        std::memset(lupe.RowForWrite(y), view.Transparent, size_t(w));
    const TRect under{0, 0, std::min(view.Layer.Width(), w), std::min(view.Layer.Height(), h)};
    CopyBlock(lupe, under, doc, view.Layer);
    CopyBlockTransparent(lupe, whole, doc, view.Edit, view.Transparent);
}

uint8_t ComposedPixel(const TDIB& doc, const TLupeView& view, int32_t cx, int32_t cy,
                      uint8_t index) {
    if (!view.LayerActive || index != view.Transparent) return index;
    if (!InsideLayer(view, cx, cy)) return view.Transparent;
    return doc.RowForRead(view.Layer.Top + cy)[view.Layer.Left + cx];
}

void RenderLupeSurface(TSurface& out, const TDIB& lupe, const TDIB& doc, const TLupeView& view) {
    const int32_t w = view.Edit.Width(), h = view.Edit.Height(), p = view.Power;
    const TSurfaceColors colors = SurfaceColorsOf(doc);
    const uint32_t stripe = colors[view.Transparent];
    const size_t rowBytes = size_t(w) * size_t(p) * 4;
    for (int32_t cy = 0; cy < h; ++cy) {
        const uint8_t* composed = lupe.RowForRead(cy);
        const int32_t top = cy * p;
        // The cell row's first display row is built pixel by pixel, the others are copies of it
        // or, for the stripes, of its odd twin.
        uint32_t* even = SurfaceRow(out, top);
        for (int32_t cx = 0; cx < w; ++cx)
            std::fill_n(even + cx * p, p, colors[composed[cx]]);
        uint32_t* odd = even;
        if (view.LayerView && p > 1) {
            odd = SurfaceRow(out, top + 1);
            for (int32_t cx = 0; cx < w; ++cx) {
                const bool striped =
                    !InsideLayer(view, cx, cy) || DocPixel(doc, view, cx, cy) == view.Transparent;
                std::fill_n(odd + cx * p, p, striped ? stripe : colors[composed[cx]]);
            }
        }
        for (int32_t k = 1; k < p; ++k) {
            uint32_t* row = SurfaceRow(out, top + k);
            const uint32_t* from = k % 2 ? odd : even;
            if (row != from) std::memcpy(row, from, rowBytes);
        }
    }
    if (p <= 4 || view.GridMode == TGridMode::None) return;
    for (int32_t cy = 0; cy < h; ++cy)
        for (int32_t cx = 0; cx < w; ++cx)
            DrawCellGrid(out, lupe, doc, view, cx, cy, false);
}

void DrawCellSurface(TSurface& out, const TDIB& lupe, const TDIB& doc, const TLupeView& view,
                     int32_t cx, int32_t cy, uint8_t index) {
    const int32_t p = view.Power;
    const TSurfaceColors colors = SurfaceColorsOf(doc);
    const bool striped = view.LayerView && index == view.Transparent;
    const uint32_t under = colors[lupe.RowForRead(cy)[cx]];
    for (int32_t k = 0; k < p; ++k)
        FillRun(out, cx * p, cy * p + k, p, striped && k % 2 == 0 ? under : colors[index]);
    DrawCellGrid(out, lupe, doc, view, cx, cy, true);
}

void DrawCellGrid(TSurface& out, const TDIB& lupe, const TDIB& doc, const TLupeView& view,
                  int32_t cx, int32_t cy, bool refreshNeighbours) {
    const int32_t p = view.Power;
    if (p <= 4 || view.GridMode == TGridMode::None) return;
    const uint32_t grid = SurfaceValueOfDisplayColor(view.GridColor);
    const int32_t x = cx * p, y = cy * p;
    if (view.GridMode == TGridMode::Grid) {
        FillColumn(out, x, y, p, grid);
        FillRun(out, x, y, p, grid);
        return;
    }
    const uint8_t c = DocPixel(doc, view, cx, cy);
    auto differs = [&](int32_t nx, int32_t ny) { return DocPixel(doc, view, nx, ny) != c; };
    if (cx > 0 && differs(cx - 1, cy)) FillColumn(out, x, y + 1, p - 1, grid);
    if (cy > 0 && differs(cx, cy - 1)) FillRun(out, x + 1, y, p - 1, grid);
    if (cx > 0 && cy > 0 && differs(cx - 1, cy - 1)) SurfaceRow(out, y)[x] = grid;
    if (!refreshNeighbours) return;
    // Shared edges and corners: a line where the neighbour differs, the colour the neighbour
    // shows (erasing an old line) where it is equal: the layer's where its own is transparent.
    const TSurfaceColors colors = SurfaceColorsOf(doc);
    auto shade = [&](int32_t nx, int32_t ny) {
        return DocPixel(doc, view, nx, ny) != c ? grid : colors[lupe.RowForRead(ny)[nx]];
    };
    const bool right = cx < view.Edit.Width() - 1, below = cy < view.Edit.Height() - 1;
    if (right) FillColumn(out, x + p, y + 1, p - 1, shade(cx + 1, cy));
    if (below) FillRun(out, x + 1, y + p, p - 1, shade(cx, cy + 1));
    if (cx > 0 && below) SurfaceRow(out, y + p)[x] = shade(cx - 1, cy + 1);
    if (right && cy > 0) SurfaceRow(out, y)[x + p] = shade(cx + 1, cy - 1);
    if (right && below) SurfaceRow(out, y + p)[x + p] = shade(cx + 1, cy + 1);
}
