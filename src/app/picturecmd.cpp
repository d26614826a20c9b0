// The picture menu of the document window: flips, turns, the canvas size, the crop to the
// selection and the enlargements, each one undo step of the whole picture (document/
// PictureCommands.h).
#include "app/docwindow.h"
#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/session.h"

#include <QMenuBar>

namespace {
// The transforms' captions, by TTransform.
const char* const kTransformCaptions[] = {"左右反転", "上下反転", "右に90度回転", "左に90度回転",
                                          "180度回転"};
} // namespace

void Tmainform::CreatePictureMenu() {
    QMenu* picture = menuBar()->addMenu("画像");
    for (size_t i = 0; i < acTransform.size(); ++i) {
        const auto transform = TTransform(i);
        acTransform[i] = picture->addAction(kTransformCaptions[i]);
        ConnectGuarded(acTransform[i], [this, transform] {
            ChangePictureCommand(TransformChange(Doc(), transform));
        });
    }
    picture->addSeparator();
    acCanvasSize = picture->addAction("キャンバスサイズ…");
    ConnectGuarded(acCanvasSize, [this] { acCanvasSizeExecute(); });
    acCrop = picture->addAction("選択範囲で切り抜き");
    ConnectGuarded(acCrop, [this] {
        if (Doc().Selecting()) ChangePictureCommand(CropChange(Doc()));
    });
    mnEnlarge = picture->addMenu("拡大");
    for (size_t i = 0; i < acEnlarge.size(); ++i) {
        const auto factor = int32_t(i + 2);
        acEnlarge[i] = mnEnlarge->addAction(QString("%1倍").arg(factor));
        ConnectGuarded(acEnlarge[i],
                       [this, factor] { ChangePictureCommand(EnlargeChange(Doc(), factor)); });
    }
    ShowTransformItems();
}

void Tmainform::ShowTransformItems() {
    for (QAction* item : acBlock)
        item->setEnabled(Doc().Floating());
    const bool changes = CanChangePicture(Editor());
    for (QAction* item : acTransform)
        item->setEnabled(changes);
    for (QAction* item : acEnlarge)
        item->setEnabled(changes);
    mnEnlarge->setEnabled(changes);
    acCanvasSize->setEnabled(changes);
    acCrop->setEnabled(changes && Doc().Selecting());
}

void Tmainform::ChangePictureCommand(const TPictureChange& change) {
    if (!CanChangePicture(Editor())) return;
    if (!ChangeFits(change)) {
        Dialogs().Warning(QString("%1×%2 ピクセルの画像は大きすぎて作れません")
                              .arg(change.Width)
                              .arg(change.Height));
        return;
    }
    // As for a new picture: one too large for any display bitmap is refused before it replaces
    // anything.
    ScreenExtent(int32_t(change.Width));
    ScreenExtent(int32_t(change.Height));
    ChangePicture(Editor(), change);
}

void Tmainform::acCanvasSizeExecute() {
    if (!CanChangePicture(Editor())) return;
    const std::optional<TCanvasChoice> choice =
        Dialogs().AskCanvasSize(TPixelSize{Doc().DocWidth(), Doc().DocHeight()});
    if (choice)
        ChangePictureCommand(
            CanvasChange(Doc(), choice->Size.Width, choice->Size.Height, choice->Anchor));
}
