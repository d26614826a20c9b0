#include "editor/tilepreview.h"

#include "ui/session.h"

TTileForm* TileForm = nullptr;

TTileForm::TTileForm(QWidget* owner) : TCellPreview(owner, "タイル表示", 3) {
    TileForm = this;
    resize(420, 420);
}

TRect TTileForm::ShownCell() const {
    return Doc().IsOpen() ? Editor().ViewRect(kEditArea) : TRect{};
}
