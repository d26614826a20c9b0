// The palette window's file menu: loading the colours of a palette file or picture into the
// document's palette, or loading them with the picture moved to the nearest of them, and saving
// the palette.
#include "document/PaletteTools.h"
#include "formats/PaletteRead.h"
#include "image/PaletteFile.h"
#include "palette/palettewindow.h"
#include "ui/dialogs.h"
#include "ui/session.h"

#include <QFile>

namespace {
const char* const kLoadFilter =
    "パレットファイル (*.gpl *.pal *.act *.png *.bmp);;GIMPパレット (*.gpl);;"
    "JASC-PALパレット (*.pal);;Adobeカラーテーブル (*.act);;画像ファイル (*.png *.bmp);;"
    "すべてのファイル (*)";
const char* const kSaveFilter =
    "GIMPパレット (*.gpl);;JASC-PALパレット (*.pal);;Adobeカラーテーブル (*.act)";

// The colours of the palette file the user chooses, with its names; nothing when the user
// cancelled or the lock refuses. Read whole before anything changes: a file refused leaves the
// document as it was.
std::optional<TPaletteColors> ChosenPaletteFile(TPaletteNames& names) {
    if (!Doc().IsOpen() || palletform->RefusedByLock("パレットを読み込めません")) return {};
    const std::optional<QString> path = Dialogs().OpenFileName(kLoadFilter, LastFolder());
    if (!path) return {};
    RememberFolder(*path); // one last folder for every file dialog
    return ReadPaletteFile(QFile::encodeName(*path).toStdString(), &names);
}
} // namespace

void Tpalletform::mnLoadPaletteClick() {
    TPaletteNames names;
    const std::optional<TPaletteColors> colors = ChosenPaletteFile(names);
    if (!colors) return;
    // A step of its own, not merged into a run of bar presses.
    const TStep step{TRect{0, 0, 1, 1}, true};
    Doc().EditPalette(&step, WithColors(Doc().DocImage()->PaletteBlock, *colors));
    Doc().SetPaletteNames(std::move(names)); // the file's, for a palette that is now the file's
}

void Tpalletform::mnLoadNearestClick() {
    TPaletteNames names;
    const std::optional<TPaletteColors> colors = ChosenPaletteFile(names);
    if (!colors || !LoadNearest(Editor(), *colors)) return;
    Doc().SetPaletteNames(std::move(names));
}

void Tpalletform::mnSavePaletteClick() {
    if (!Doc().IsOpen()) return;
    const std::optional<QString> path = Dialogs().SaveFileName(kSaveFilter, "gpl", LastFolder());
    if (!path) return;
    RememberFolder(*path); // one last folder for every file dialog
    const std::optional<TPaletteFormat> format = PaletteFormatForExtension(path->toStdString());
    if (!format) {
        Dialogs().Warning("対応していない拡張子なので保存できませんでした");
        return;
    }
    WritePaletteFile(QFile::encodeName(*path).toStdString(), *format,
                     Doc().DocImage()->PaletteBlock, Doc().DocPaletteNames());
}
