// The undo history of the open document: a fixed number of snapshot slots shared by Undo and
// Redo.
#pragma once

#include <cstdint>

// Number of slots (0 while no history is allocated), and the steps that can be undone and redone
// now. While a history exists: 0 <= RedoCount <= UndoCount <= UndoCapacity - 1.
extern uint32_t UndoCapacity, UndoCount, RedoCount;

// Sets up an empty history of n slots for a new document.
void InitUndo(uint32_t n);
// Releases the history of n slots when the document is closed; afterwards no slot exists, so the
// capacity is 0.
void FreeUndo(uint32_t n);
// Shows in the magnifier's Undo and Redo buttons what can be undone and redone.
void UpdateUndoButtons();
// Puts the history back to its start-up state: released. Called by ResetEditorState.
void ResetUndoState();
