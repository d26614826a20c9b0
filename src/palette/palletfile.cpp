// The palette window's file menu: loading the colours of a palette file or picture into the
// document's palette, and saving the palette.
#include "app/dialogs.h"
#include "app/docpalette.h"
#include "app/docwindow.h"
#include "app/state.h"
#include "editor/undo.h"
#include "formats/PaletteRead.h"
#include "image/PaletteFile.h"
#include "palette/palettewindow.h"

#include <QFile>

namespace {
const char* const kLoadFilter =
    "パレットファイル (*.gpl *.pal *.act *.png *.bmp);;GIMPパレット (*.gpl);;"
    "JASC-PALパレット (*.pal);;Adobeカラーテーブル (*.act);;画像ファイル (*.png *.bmp);;"
    "すべてのファイル (*)";
const char* const kSaveFilter =
    "GIMPパレット (*.gpl);;JASC-PALパレット (*.pal);;Adobeカラーテーブル (*.act)";
} // namespace

void Tpalletform::mnLoadPaletteClick() {
    if (!DocImage || RefusedByLock("パレットを読み込めません")) return;
    const std::optional<QString> path = Dialogs().OpenFileName(kLoadFilter, mainform->LastFolder);
    if (!path) return;
    mainform->RememberFolder(*path); // one last folder for every file dialog
    // Read whole before anything changes: a file refused leaves the document as it was.
    TPaletteNames names;
    const TPaletteColors colors = ReadPaletteFile(QFile::encodeName(*path).toStdString(), &names);
    // A step of its own (not merged into a run of bar presses), which also marks the document.
    PushUndo(0, 0, 1, 1, true);
    SetDocumentPalette(WithColors(DocImage->PaletteBlock, colors));
    DocPaletteNames = std::move(names); // the file's, for a palette that is now the file's
}

void Tpalletform::mnSavePaletteClick() {
    if (!DocImage) return;
    const std::optional<QString> path =
        Dialogs().SaveFileName(kSaveFilter, "gpl", mainform->LastFolder);
    if (!path) return;
    mainform->RememberFolder(*path); // one last folder for every file dialog
    const std::optional<TPaletteFormat> format = PaletteFormatForExtension(path->toStdString());
    if (!format) {
        Dialogs().Warning("対応していない拡張子なので保存できませんでした");
        return;
    }
    WritePaletteFile(QFile::encodeName(*path).toStdString(), *format, DocImage->PaletteBlock,
                     DocPaletteNames);
}
