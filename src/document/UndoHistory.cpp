#include "document/UndoHistory.h"

void TUndoHistory::Reset(uint32_t slots) {
    Slots_.assign(slots, TUndoSlot{});
    if (slots == 0) Slots_.shrink_to_fit();
    UndoCount_ = RedoCount_ = 0;
    Merge_ = TPushMerge{};
}

void TUndoHistory::Record(const TDIB& doc, const TRect& rect, bool paletteFlag, TStepRun run,
                          bool wholeFlag) {
    if (!Merge_.Admit(run, rect)) return;
    RecordStep(Slots_, UndoCount_, RedoCount_, doc, rect, paletteFlag, wholeFlag);
}

const TUndoSlot* TUndoHistory::NextUndo() const {
    return RedoCount_ < UndoCount_ ? &Slots_[RedoCount_ + 1] : nullptr;
}

const TUndoSlot* TUndoHistory::NextRedo() const {
    return RedoCount_ > 0 ? &Slots_[RedoCount_ - 1] : nullptr;
}

// Merging the next step of a run into one just undone would leave the change it makes without a
// step of its own, so it could not be undone.
const TUndoSlot* TUndoHistory::Undo(TDIB& doc) {
    Merge_ = TPushMerge{};
    return UndoStep(Slots_, UndoCount_, RedoCount_, doc);
}

const TUndoSlot* TUndoHistory::Redo(TDIB& doc) {
    Merge_ = TPushMerge{};
    return RedoStep(Slots_, UndoCount_, RedoCount_, doc);
}

std::string TUndoHistory::Violation() const {
    if (Slots_.empty() || (UndoCount_ <= UndoCapacity() - 1 && RedoCount_ <= UndoCount_)) return {};
    return "undo counts out of order: UndoCapacity " + std::to_string(UndoCapacity()) +
           ", UndoCount " + std::to_string(UndoCount_) + ", RedoCount " +
           std::to_string(RedoCount_);
}
