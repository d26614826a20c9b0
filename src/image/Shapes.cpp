#include "image/Shapes.h"
#include "image/LineStep.h"
#include <algorithm>
void ConstrainShapeEnd(TShapeKind, int32_t, int32_t, int32_t&, int32_t&) {}
void ShapeCells(TShapeKind kind, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                const std::function<void(int32_t x, int32_t y)>& visit) {
    if (kind == TShapeKind::Line) {
        visit(x0, y0);
        StepLine(x0, y0, x1, y1, visit);
        return;
    }
    for (int32_t y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        for (int32_t x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
            visit(x, y);
}
