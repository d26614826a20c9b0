// The slots of the undo history, without any window: one array of snapshots shared by Undo and
// Redo, and the rules that move, fill, swap and merge them.
//
// While k = redoCount steps are undone, slots k + 1 .. undoCount hold steps that can be undone
// (each with its rectangle from before its change), slot k the step undone last, and slots
// 0 .. k - 1 steps that can be redone (each with its rectangle from after its change). Slot 0
// never holds a recorded step, so at most slots.size() - 1 steps are kept.
//
// A whole step holds the whole picture, its size included, for a change that may give the picture
// another size: it is kept by sharing the picture's storage (nothing is copied), and undoing or
// redoing it swaps the document's picture for the slot's.
#pragma once

#include "base/Graphic.h"
#include "image/DIB.h"

#include <cstdint>
#include <vector>

// One step: the pixels of a document rectangle (rectangle pixel (x, y) at image pixel
// (x - Left, y - Top)) with the document's palette of that moment. A whole step's rectangle is
// its picture's, from 0, 0.
struct TUndoSlot {
    TDIB Image;
    TRect Rect{};
    bool PaletteFlag = false;
    bool WholeFlag = false;
};

using TUndoSlots = std::vector<TUndoSlot>;

// Moves count slots starting at from to start at to, whichever way they overlap. The one way
// slots move: the image, the rectangle and the flag go together, and the image is shared with
// the source slot, so no pixels are copied.
void MoveSlots(TUndoSlots& slots, uint32_t from, uint32_t to, uint32_t count);

// Makes slot a snapshot of rect of doc (pixels and palette). A slot image that shares its
// storage with another slot gets storage of its own; an unshared one is reused in place.
void TakeSnapshot(TUndoSlot& slot, const TDIB& doc, const TRect& rect, bool paletteFlag);
// Makes slot a whole step holding doc, sharing its storage.
void TakeWholeSnapshot(TUndoSlot& slot, const TDIB& doc, bool paletteFlag);

// Records a step before a change of rect in doc (of the whole of doc for a whole step): drops the
// redo steps, moves the others up one slot (the oldest falls out when all slots are in use) and
// puts the snapshot in slot 1.
void RecordStep(TUndoSlots& slots, uint32_t& undoCount, uint32_t& redoCount, const TDIB& doc,
                const TRect& rect, bool paletteFlag, bool wholeFlag = false);

// Undoes or redoes one step: the present content of the step's rectangle goes to the slot on the
// other side, and the step's stored pixels are copied into doc; a whole step keeps the present
// picture and gives doc the step's, size and all. doc's palette is not touched; the caller
// applies the returned slot's palette when it is a palette step. Returns null, changing nothing,
// when there is no step to undo (or redo).
const TUndoSlot* UndoStep(TUndoSlots& slots, uint32_t undoCount, uint32_t& redoCount, TDIB& doc);
const TUndoSlot* RedoStep(TUndoSlots& slots, uint32_t undoCount, uint32_t& redoCount, TDIB& doc);

// The run a step belongs to: a run of shifts of one rectangle, or of palette bar presses, is one
// step.
enum class TStepRun : uint8_t { None, Shift, PaletteBar };

// Merging of repeated actions: a run of shifts of one rectangle, or a run of palette bar presses,
// with no other recording between them is one step. A shift of another rectangle (the edit area
// moved or resized) begins a step of its own: merged into the last, it could never be undone.
struct TPushMerge {
    bool LastPushShift = false;
    bool LastPushPalette = false;
    // The rectangle of the last shift's step, while LastPushShift.
    TRect LastShiftRect;
    // Notes a recording of rect by a step of run; false when it merges into the step before and
    // records nothing.
    bool Admit(TStepRun run, const TRect& rect);
};
