#include "editor/undo.h"

uint32_t UndoCapacity = 0, UndoCount = 0, RedoCount = 0;

// Only the counts are kept so far: the snapshot slots and recording arrive with the undo work.
void InitUndo(uint32_t n) {
    UndoCapacity = n;
    UndoCount = 0;
    RedoCount = 0;
}

void FreeUndo(uint32_t) {
    InitUndo(0);
}

// The magnifier has no Undo and Redo buttons yet; they arrive with the undo work.
void UpdateUndoButtons() {}

void ResetUndoState() {
    FreeUndo(UndoCapacity);
}
