#include "image/Selection.h"

#include "image/BlockCopy.h"
#include "image/DIB.h"

#include <algorithm>

namespace {
// v (not negative) snapped down to a multiple of step.
int32_t SnapDown(int32_t v, int32_t step) {
    return v / step * step;
}

// Whole steps from anchor up to and including the step that holds p, or one step when behind;
// cut at extent. Computed in 64 bits, since p may be any pointer position.
int32_t Span(int32_t anchor, int32_t p, int32_t step, int32_t extent, bool behind) {
    const int64_t steps = behind ? 1 : (int64_t(p) - anchor) / step + 1;
    return static_cast<int32_t>(std::min<int64_t>(steps * step, int64_t(extent) - anchor));
}
} // namespace

TSelectionBox AnchorSelection(int32_t x, int32_t y, TSnapStep step, int32_t docWidth,
                              int32_t docHeight) {
    TSelectionBox box;
    box.Left = SnapDown(std::clamp(x, 0, std::max(docWidth - 1, 0)), step.X);
    box.Top = SnapDown(std::clamp(y, 0, std::max(docHeight - 1, 0)), step.Y);
    return box;
}

TSelectionBox SizeSelection(TSelectionBox box, int32_t x, int32_t y, TSnapStep step,
                            int32_t docWidth, int32_t docHeight) {
    const bool behind = x < box.Left || y < box.Top;
    box.Width = Span(box.Left, x, step.X, docWidth, behind);
    box.Height = Span(box.Top, y, step.Y, docHeight, behind);
    return box;
}

TSelectionBox MoveBlock(TSelectionBox box, int32_t x, int32_t y, TSnapStep step) {
    box.Left = SnapDown(std::max(x, 0), step.X);
    box.Top = SnapDown(std::max(y, 0), step.Y);
    return box;
}

void LiftBlock(TDIB& work, TDIB& doc, const TSelectionBox& block) {
    work.Resize(block.Width, block.Height, 8);
    CopyBlock(work, TRect{0, 0, block.Width, block.Height}, doc,
              TRect{block.Left, block.Top, block.Left + block.Width, block.Top + block.Height});
}

TRect PlacedPart(const TDIB& doc, const TDIB& work, int32_t left, int32_t top) {
    // 64 bits: a block far right of the document must not wrap round to the left.
    const auto cut = [](int32_t origin, int32_t size, int32_t extent, int32_t& from, int32_t& to) {
        from = static_cast<int32_t>(std::clamp<int64_t>(origin, 0, extent));
        to = static_cast<int32_t>(std::clamp<int64_t>(int64_t(origin) + size, from, extent));
    };
    TRect part;
    cut(left, work.Width(), doc.Width(), part.Left, part.Right);
    cut(top, work.Height(), doc.Height(), part.Top, part.Bottom);
    return part;
}

void PlaceBlock(TDIB& doc, const TRect& part, TDIB& work, int32_t left, int32_t top) {
    CopyBlock(doc, part, work, TRect{part.Left - left, part.Top - top, 0, 0});
}
