// The undo history of one document: a fixed number of snapshot slots shared by Undo and Redo
// (image/UndoSlots.h has the slot rules), with the merging of runs of shifts and bar presses.
#pragma once

#include "image/UndoSlots.h"

#include <cstdint>
#include <string>

class TUndoHistory {
public:
    // Makes the history empty with slots slots (0: released, nothing is recorded).
    void Reset(uint32_t slots);

    // Number of slots (0 while released), and the steps that can be undone and redone now:
    // 0 <= RedoCount <= UndoCount <= UndoCapacity - 1 while slots exist.
    uint32_t UndoCapacity() const { return static_cast<uint32_t>(Slots_.size()); }
    uint32_t UndoCount() const { return UndoCount_; }
    uint32_t RedoCount() const { return RedoCount_; }
    const TUndoSlots& Slots() const { return Slots_; }

    // Records a step before a change of rect of doc (of all of doc, size included, for a whole
    // step). A step of a run (run not None) that follows a step of the same run merges into it
    // and records nothing.
    void Record(const TDIB& doc, const TRect& rect, bool paletteFlag, TStepRun run,
                bool wholeFlag = false);
    // The step the next Undo (Redo) restores; null when there is none.
    const TUndoSlot* NextUndo() const;
    const TUndoSlot* NextRedo() const;
    // Undoes or redoes one step of doc (its palette is the caller's, see UndoStep); null when there
    // is none. Either ends a run, so the next shift or bar press is a step of its own.
    const TUndoSlot* Undo(TDIB& doc);
    const TUndoSlot* Redo(TDIB& doc);

    // The first broken rule of the counts, in words, or an empty string.
    std::string Violation() const;

private:
    TUndoSlots Slots_;
    uint32_t UndoCount_ = 0, RedoCount_ = 0;
    TPushMerge Merge_;
};
