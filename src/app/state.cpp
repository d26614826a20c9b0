#include "app/state.h"

#include "app/press.h"
#include "editor/undo.h"
#include "image/DIB.h"

std::unique_ptr<TDIB> DocImage;
int32_t DocWidth = 0, DocHeight = 0;
bool Saved = false;
int32_t ViewLeft[kViewCount] = {0, 0}, ViewTop[kViewCount] = {0, 0};
int32_t ViewWidth[kViewCount] = {0, 0}, ViewHeight[kViewCount] = {0, 0};
int32_t LupeCellsX = 32, LupeCellsY = 32;
bool LayerActive = false;
int32_t DrawIndex = 0, TransparentIndex = 0;
TPaletteNames DocPaletteNames;
bool DocTransparent = false;
TTool CurrentTool = TTool::Pen;
bool Selecting = false, Floating = false;
int32_t SelLeft = 0, SelTop = 0, SelWidth = 0, SelHeight = 0;

void ResetEditorState() {
    DocImage.reset();
    DocWidth = DocHeight = 0;
    Saved = false;
    for (int i = 0; i < kViewCount; ++i) {
        ViewLeft[i] = ViewTop[i] = 0;
        ViewWidth[i] = ViewHeight[i] = 0;
    }
    LupeCellsX = LupeCellsY = 32;
    LayerActive = false;
    DrawIndex = TransparentIndex = 0;
    DocPaletteNames = {};
    DocTransparent = false;
    CurrentTool = TTool::Pen;
    Selecting = Floating = false;
    SelLeft = SelTop = SelWidth = SelHeight = 0;
    ResetUndoState();
    // Forgotten rather than released: the windows that followed it may be gone.
    PressEnded();
}

std::string EditorStateViolation() {
    if (Selecting && Floating) return "Selecting and Floating are both true";
    const std::string counts = "UndoCapacity " + std::to_string(UndoCapacity) + ", UndoCount " +
                               std::to_string(UndoCount) + ", RedoCount " +
                               std::to_string(RedoCount);
    if (!DocImage) {
        if (UndoCapacity != 0 || UndoCount != 0 || RedoCount != 0)
            return "no document open but the undo history is not released: " + counts;
        return {};
    }
    if (DocWidth != DocImage->Width() || DocHeight != DocImage->Height())
        return "DocWidth x DocHeight " + std::to_string(DocWidth) + " x " +
               std::to_string(DocHeight) + " but the document is " +
               std::to_string(DocImage->Width()) + " x " + std::to_string(DocImage->Height());
    if (UndoCapacity == 0 || UndoCount > UndoCapacity - 1 || RedoCount > UndoCount)
        return "undo counts out of order: " + counts;
    return {};
}
