// The tile size dialog: a width and a height, each chosen within the sizes a tile may have.
#include "ui/dialogs.h"
#include "ui/sizedialog.h"

std::optional<TPixelSize> TQtDialogs::AskTileSize(TPixelSize current) {
    TSizeDialog dialog("タイルの大きさ", current, kMostTileSide);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Size();
}
