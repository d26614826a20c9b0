// The undo history of the open document: a fixed number of snapshot slots shared by Undo and
// Redo.
#pragma once

#include "image/UndoSlots.h"

#include <cstdint>

class QWidget;

// Number of slots (0 while no history is allocated), and the steps that can be undone and redone
// now. While a history exists: 0 <= RedoCount <= UndoCount <= UndoCapacity - 1.
extern uint32_t UndoCapacity, UndoCount, RedoCount;

// Sets up an empty history of n slots for a new document.
void InitUndo(uint32_t n);
// Releases the history of n slots when the document is closed; afterwards no slot exists, so the
// capacity is 0.
void FreeUndo(uint32_t n);
// Set by the tool window around its shift's PushUndo, and by the palette window around a bar
// press's PushUndo, so that a run of either records one step.
extern bool ShiftPushing, PalettePushing;

// Records a step before a change: the document rectangle (right and bottom exclusive) that the
// change may touch, and whether the change is a palette edit.
void PushUndo(int32_t left, int32_t top, int32_t right, int32_t bottom, bool paletteFlag);
// The magnifier's Undo and Redo buttons, the menu items and their keys; each does nothing when
// CanUndo (CanRedo) says no.
void btUndoClick();
void btRedoClick();
// Shows in the magnifier's Undo and Redo buttons what can be undone and redone.
void UpdateUndoButtons();
// The rule of the two buttons, used by the keyboard as well: something to undo (redo), no
// selection being made or floating and no mouse press in progress.
bool CanUndo();
bool CanRedo();
// The slots of the open document's history (empty while none is open), and the merging state of
// shift and palette bar recordings, which only PushUndo changes.
extern TUndoSlots UndoSlots;
extern TPushMerge UndoMerge;

// Puts the history back to its start-up state: released. Called by ResetEditorState.
void ResetUndoState();
