#include "app/state.h"

#include "editor/undo.h"
#include "image/DIB.h"

std::unique_ptr<TDIB> DocImage;
int32_t DocWidth = 0, DocHeight = 0;
bool Saved = false;
int32_t ViewLeft[2] = {0, 0}, ViewTop[2] = {0, 0};
int32_t ViewWidth[2] = {0, 0}, ViewHeight[2] = {0, 0};
int32_t LupeCellsX = 32, LupeCellsY = 32;
bool LayerActive = false;
int32_t DrawIndex = 0, TransparentIndex = 0;
uint8_t CurrentTool = 0;
bool Selecting = false, Floating = false;
int32_t SelLeft = 0, SelTop = 0, SelWidth = 0, SelHeight = 0;

void ResetEditorState() {
    DocImage.reset();
    DocWidth = DocHeight = 0;
    Saved = false;
    for (int i = 0; i < 2; ++i) {
        ViewLeft[i] = ViewTop[i] = 0;
        ViewWidth[i] = ViewHeight[i] = 0;
    }
    LupeCellsX = LupeCellsY = 32;
    LayerActive = false;
    DrawIndex = TransparentIndex = 0;
    CurrentTool = 0;
    Selecting = Floating = false;
    SelLeft = SelTop = SelWidth = SelHeight = 0;
    UndoCapacity = UndoCount = RedoCount = 0;
}
