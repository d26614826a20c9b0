// The undo history of the open document: a fixed number of snapshot slots shared by Undo and
// Redo.
#pragma once

#include <cstdint>

// Number of slots, and the steps that can be undone and redone now.
extern uint32_t UndoCapacity, UndoCount, RedoCount;

// Sets up an empty history of n slots for a new document.
void InitUndo(uint32_t n);
// Releases the history when the document is closed.
void FreeUndo(uint32_t n);
// Shows in the magnifier's Undo and Redo buttons what can be undone and redone.
void UpdateUndoButtons();
