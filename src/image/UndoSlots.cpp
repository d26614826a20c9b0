#include "image/UndoSlots.h"

#include <algorithm>
#include <cstring>

void MoveSlots(TUndoSlots& slots, uint32_t from, uint32_t to, uint32_t count) {
    if (from == to || count == 0) return;
    if (to < from)
        std::copy(slots.begin() + from, slots.begin() + from + count, slots.begin() + to);
    else
        std::copy_backward(slots.begin() + from, slots.begin() + from + count,
                           slots.begin() + to + count);
}

void TakeSnapshot(TUndoSlot& slot, const TDIB& doc, const TRect& rect, bool paletteFlag) {
    // Writing into shared storage would first copy pixels that are overwritten at once.
    if (slot.Image.IsShared()) slot.Image.MakeEmpty();
    slot.Image.Resize(rect.Width(), rect.Height(), 8);
    for (int32_t y = 0; y < rect.Height(); ++y)
        std::memcpy(slot.Image.RowForWrite(y), doc.RowForRead(rect.Top + y) + rect.Left,
                    static_cast<size_t>(rect.Width()));
    slot.Image.PaletteBlock = doc.PaletteBlock;
    slot.Image.ApplyPalette();
    slot.Rect = rect;
    slot.PaletteFlag = paletteFlag;
    slot.WholeFlag = false;
}

void TakeWholeSnapshot(TUndoSlot& slot, const TDIB& doc, bool paletteFlag) {
    slot.Image = doc;
    slot.Rect = TRect{0, 0, doc.Width(), doc.Height()};
    slot.PaletteFlag = paletteFlag;
    slot.WholeFlag = true;
}

void RecordStep(TUndoSlots& slots, uint32_t& undoCount, uint32_t& redoCount, const TDIB& doc,
                const TRect& rect, bool paletteFlag, bool wholeFlag) {
    const auto capacity = static_cast<uint32_t>(slots.size());
    if (capacity < 2) return;
    if (redoCount > 0) {
        MoveSlots(slots, 1 + redoCount, 1, undoCount - redoCount);
        undoCount -= redoCount;
        redoCount = 0;
    }
    MoveSlots(slots, 1, 2, std::min(undoCount, capacity - 2));
    // Only the rectangle's part inside the document can change.
    const TRect inside{std::max(rect.Left, 0), std::max(rect.Top, 0),
                       std::max(std::min(rect.Right, doc.Width()), 0),
                       std::max(std::min(rect.Bottom, doc.Height()), 0)};
    if (wholeFlag)
        TakeWholeSnapshot(slots[1], doc, paletteFlag);
    else
        TakeSnapshot(slots[1], doc, inside, paletteFlag);
    undoCount = std::min(undoCount + 1, capacity - 1);
}

namespace {
// Keeps the present of restore's rectangle in keep, then copies restore's pixels into doc.
const TUndoSlot* SwapStep(TUndoSlots& slots, uint32_t restore, uint32_t keep, TDIB& doc) {
    const TUndoSlot& step = slots[restore];
    if (step.WholeFlag) {
        TakeWholeSnapshot(slots[keep], doc, step.PaletteFlag);
        doc.SharePixels(step.Image);
        return &step;
    }
    TakeSnapshot(slots[keep], doc, step.Rect, step.PaletteFlag);
    for (int32_t y = 0; y < step.Rect.Height(); ++y)
        std::memcpy(doc.RowForWrite(step.Rect.Top + y) + step.Rect.Left, step.Image.RowForRead(y),
                    static_cast<size_t>(step.Rect.Width()));
    return &step;
}
} // namespace

const TUndoSlot* UndoStep(TUndoSlots& slots, uint32_t undoCount, uint32_t& redoCount, TDIB& doc) {
    if (undoCount == 0 || redoCount >= undoCount || undoCount >= slots.size()) return nullptr;
    ++redoCount;
    return SwapStep(slots, redoCount, redoCount - 1, doc);
}

const TUndoSlot* RedoStep(TUndoSlots& slots, uint32_t undoCount, uint32_t& redoCount, TDIB& doc) {
    if (undoCount == 0 || redoCount == 0 || undoCount >= slots.size()) return nullptr;
    --redoCount;
    return SwapStep(slots, redoCount, redoCount + 1, doc);
}

bool TPushMerge::Admit(TStepRun run, const TRect& rect) {
    const bool shiftPushing = run == TStepRun::Shift, palettePushing = run == TStepRun::PaletteBar;
    if (shiftPushing && LastPushShift && rect == LastShiftRect) return false;
    LastPushShift = shiftPushing;
    LastShiftRect = rect;
    if (palettePushing && LastPushPalette) return false;
    LastPushPalette = palettePushing;
    return true;
}
