#include "document/Tools.h"

#include "image/FloodFill.h"
#include "image/LineStep.h"

#include <algorithm>

void VisitShapePixels(const TRect& area, TShapeKind kind, int32_t x0, int32_t y0, int32_t x1,
                      int32_t y1, const TSymmetry& sym,
                      const std::function<void(int32_t x, int32_t y)>& visit) {
    ShapeCells(kind, x0, y0, x1, y1, [&](int32_t x, int32_t y) {
        VisitMirrored(sym, x, y, [&](int32_t mx, int32_t my) {
            if (area.Contains(mx, my)) visit(mx, my);
        });
    });
}

void DrawShape(TDocument& doc, const TRect& area, TShapeKind kind, int32_t x0, int32_t y0,
               int32_t x1, int32_t y1, uint8_t index, const TSymmetry& sym) {
    doc.Edit(TStep{area}, {.Pixels = true, .Rect = area}, [&](TDIB& image) {
        VisitShapePixels(area, kind, x0, y0, x1, y1, sym,
                         [&](int32_t x, int32_t y) { image.SetPixel(x, y, index); });
    });
}

void FillMirrored(TDocument& doc, const TRect& area, int32_t x, int32_t y, uint8_t index,
                  const TSymmetry& sym) {
    doc.Edit(TStep{area}, {.Pixels = true, .Rect = area}, [&](TDIB& image) {
        VisitMirrored(sym, x, y, [&](int32_t mx, int32_t my) {
            if (area.Contains(mx, my)) FloodFill4(image, area, mx, my, index);
        });
    });
}

TPenStroke::TPenStroke(TDocument& doc, const TRect& area, uint8_t index, const TSymmetry& sym,
                       bool pixelPerfect)
    : Doc_(doc), Area_(area), Index_(index), Sym_(sym), PixelPerfect_(pixelPerfect) {}

void TPenStroke::Press(int32_t x, int32_t y) {
    // The step comes first; a press beyond the edit area records it but draws nothing.
    Doc_.Edit(TStep{Area_}, {}, [](TDIB&) {});
    Last_ = {x, y};
    Draw(Last_);
}

void TPenStroke::LineTo(int32_t x, int32_t y) {
    // Pixels outside the edit area are passed, not drawn, so the stroke goes on from there.
    StepLine(Last_.X, Last_.Y, x, y, [&](int32_t px, int32_t py) { Draw({px, py}); });
    Last_ = {x, y};
}

void TPenStroke::Draw(TCell cell) {
    if (PixelPerfect_) {
        if (const std::optional<TCell> corner = Filter_.Add(cell)) {
            // The corner goes back to what it was before the stroke reached it, mirrors too.
            const auto drawn = std::find_if(Recent_.begin(), Recent_.end(),
                                            [&](const auto& d) { return d.first == *corner; });
            if (drawn != Recent_.end()) {
                for (auto it = drawn->second.rbegin(); it != drawn->second.rend(); ++it)
                    Put(it->first, it->second);
                Recent_.erase(drawn);
            }
        }
    }
    TDrawn drawn;
    VisitMirrored(Sym_, cell.X, cell.Y, [&](int32_t x, int32_t y) {
        if (!Area_.Contains(x, y)) return;
        drawn.emplace_back(TCell{x, y}, uint8_t(Doc_.DocImage()->GetPixel(x, y)));
        Put({x, y}, Index_);
    });
    Recent_.emplace_back(cell, std::move(drawn));
    // Only the pixel before the newest can become a corner.
    if (Recent_.size() > 3) Recent_.pop_front();
}

void TPenStroke::Put(TCell cell, uint8_t index) {
    Doc_.Edit(nullptr, {.Pixels = true, .Rect = {cell.X, cell.Y, cell.X + 1, cell.Y + 1}},
              [&](TDIB& image) { image.SetPixel(cell.X, cell.Y, index); });
}
