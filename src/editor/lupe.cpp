#include "editor/lupe.h"

#include "app/state.h"
#include "editor/undo.h"

TLupeForm* LupeForm = nullptr;

TLupeForm::TLupeForm(QWidget* owner) : TToolWindow(owner, "ルーペ") {
    setGeometry(580, 350, 367, 358);
    LupeCellsX = 32;
    LupeCellsY = 32;
    UpdateUndoButtons();
}

// Composing and drawing the enlarged view arrive with the magnifier's own work; until then the
// magnifier shows nothing.
void TLupeForm::UpdateLupe() {}

void TLupeForm::RenderLupe() {}
