#include "editor/undo.h"

#include "app/docpalette.h"
#include "app/docwindow.h"
#include "app/errors.h"
#include "app/press.h"
#include "app/state.h"
#include "editor/lupe.h"

#include <QAction>
#include <QToolButton>
#include <QWidget>

uint32_t UndoCapacity = 0, UndoCount = 0, RedoCount = 0;
bool ShiftPushing = false, PalettePushing = false;
TUndoSlots UndoSlots;
TPushMerge UndoMerge;

void InitUndo(uint32_t n) {
    UndoSlots.assign(n, TUndoSlot{});
    // A run of shifts or bar presses never reaches into another document.
    UndoMerge = TPushMerge{};
    UndoCapacity = n;
    UndoCount = 0;
    RedoCount = 0;
}

// No slot exists afterwards, so the capacity is 0 rather than n.
void FreeUndo(uint32_t) {
    InitUndo(0);
    UndoSlots.shrink_to_fit();
}

void PushUndo(int32_t left, int32_t top, int32_t right, int32_t bottom, bool paletteFlag) {
    if (!DocImage) return;
    Saved = false;
    const TRect rect{left, top, right, bottom};
    if (!UndoMerge.Admit(ShiftPushing, PalettePushing, rect)) return;
    RecordStep(UndoSlots, UndoCount, RedoCount, *DocImage, rect, paletteFlag);
    UpdateUndoButtons();
}

namespace {
// Shows a restored step: its palette only when it is a palette step (a pen or fill step leaves
// the document's palette as it is), then both views.
void ShowRestored(const TUndoSlot* step) {
    if (!step) return;
    if (step->PaletteFlag) SetDocumentPalette(step->Image.PaletteBlock);
    UpdateUndoButtons();
    mainform->UpdateDocView();
    mainform->UpdateViewSizes();
    LupeForm->UpdateLupe();
}
} // namespace

// Undo and redo end a run of shifts or bar presses: merging the next one into a step that was just
// undone would leave the change it makes without a step of its own, so it could not be undone.
void btUndoClick() {
    if (!DocImage || !CanUndo()) return;
    UndoMerge = TPushMerge{};
    ShowRestored(UndoStep(UndoSlots, UndoCount, RedoCount, *DocImage));
}

void btRedoClick() {
    if (!DocImage || !CanRedo()) return;
    UndoMerge = TPushMerge{};
    ShowRestored(RedoStep(UndoSlots, UndoCount, RedoCount, *DocImage));
}

// In the middle of a press the step being made is not finished: the rest of the stroke would
// belong to no step.
bool CanUndo() {
    return UndoCount != RedoCount && !Selecting && !Floating && !PressInProgress();
}

bool CanRedo() {
    return RedoCount != 0 && !Selecting && !Floating && !PressInProgress();
}

void UpdateUndoButtons() {
    if (mainform && mainform->acUndo) {
        mainform->acUndo->setEnabled(CanUndo());
        mainform->acRedo->setEnabled(CanRedo());
    }
    if (!LupeForm) return;
    if (QToolButton* button = LupeForm->btUndo) {
        button->setEnabled(CanUndo());
        button->setText("Undo " + QString::number(UndoCount - RedoCount));
    }
    if (QToolButton* button = LupeForm->btRedo) {
        button->setEnabled(CanRedo());
        button->setText("Redo " + QString::number(RedoCount));
    }
}

void ResetUndoState() {
    FreeUndo(UndoCapacity);
    ShiftPushing = false;
    PalettePushing = false;
    UndoMerge = TPushMerge{};
}
