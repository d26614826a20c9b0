// The drawing tools as plain functions over the document: each press is one undo step of the
// edit area, goes through the document's edit path and draws only inside the edit area, mirrored
// under the symmetry in force. Positions are image pixels.
#pragma once

#include "document/Document.h"
#include "image/PixelPerfect.h"
#include "image/Shapes.h"
#include "image/Symmetry.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

// Visits the pixels the shape from (x0, y0) to (x1, y1) and its mirror images cover inside area,
// as drawing it would set them and its preview shows them.
void VisitShapePixels(const TRect& area, TShapeKind kind, int32_t x0, int32_t y0, int32_t x1,
                      int32_t y1, const TSymmetry& sym,
                      const std::function<void(int32_t x, int32_t y)>& visit);

// Draws the shape from (x0, y0) to (x1, y1) in index, with its mirror images, cut at area, as one
// step of area.
void DrawShape(TDocument& doc, const TRect& area, TShapeKind kind, int32_t x0, int32_t y0,
               int32_t x1, int32_t y1, uint8_t index, const TSymmetry& sym);

// Fills the region of (x, y) inside area with index, then the regions of its mirror images, as
// one step of area.
void FillMirrored(TDocument& doc, const TRect& area, int32_t x, int32_t y, uint8_t index,
                  const TSymmetry& sym);

// A freehand pen stroke from press to release. The press records the step of area; every pixel
// is its own change, so that the views show it at once.
class TPenStroke {
public:
    TPenStroke(TDocument& doc, const TRect& area, uint8_t index, const TSymmetry& sym,
               bool pixelPerfect);
    // Records the step and draws (x, y).
    void Press(int32_t x, int32_t y);
    // Draws the pen's line from the last pixel to (x, y), without the last pixel itself.
    void LineTo(int32_t x, int32_t y);
    // The pixel the stroke last drew or passed.
    TCell Last() const { return Last_; }

private:
    // A pixel of the stroke with its mirror images, each with the index it had before.
    using TDrawn = std::vector<std::pair<TCell, uint8_t>>;

    void Draw(TCell cell);
    void Put(TCell cell, uint8_t index);

    TDocument& Doc_;
    TRect Area_;
    uint8_t Index_;
    TSymmetry Sym_;
    bool PixelPerfect_;
    TPixelPerfect Filter_;
    // The latest pixels drawn, which the filter may still take back.
    std::deque<std::pair<TCell, TDrawn>> Recent_;
    TCell Last_{0, 0};
};
