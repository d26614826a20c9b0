// The file commands of the document window: New, Open, Save, Save As, Close and the quit path.
#include "app/dialogs.h"
#include "app/docwindow.h"
#include "app/imagefile.h"
#include "app/press.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "app/state.h"
#include "base/Stream.h"
#include "editor/lupe.h"
#include "editor/undo.h"
#include "palette/palettewindow.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {
const char* const kOpenFilter = "標準サポートファイル (*.png *.bmp);;PNGファイル (*.png);;"
                                "BMPファイル (*.bmp);;すべてのファイル (*)";
const char* const kSaveFilter = "PNGファイル (*.png);;BMPファイル (*.bmp);;すべてのファイル (*)";
// The line feed and the form feed between the two lines are part of the message.
const char* const kUnknownFormat = "対応していない形式か、\n\f拡張子が違うので読み込めませんでした";

const char* const kOverwriteLossy = "開いたときに読み込めなかった内容は、上書きすると元のファイル"
                                    "からも失われます。\r\n上書きしますか？";

constexpr uint32_t kUndoSlots = 50;

// One warning for all that an open left out of the file.
QString LossWarning(const TReadImage& read) {
    const std::pair<bool TReadImage::*, const char*> losses[] = {
        {&TReadImage::PartialAlpha, "半透明の色、または二つ以上の透明色（不透明にしました）"},
        {&TReadImage::AlphaChannel, "アルファチャンネル（透明度を捨てました）"},
        {&TReadImage::WideSamples, "16ビットの色の精度（8ビットにしました）"},
        {&TReadImage::Reduced, "色数が256を超えているため、256色に減色しました"},
        {&TReadImage::KeyLost, "透明色（減色で他の色と混ざるため、不透明にしました）"},
    };
    QString text = "このファイルの次の内容は読み込めませんでした。";
    for (const auto& [lost, line] : losses)
        if (read.*lost) text += QString("\n・") + line;
    return text + "\n上書き保存すると、元のファイルからも失われます。";
}

// The path as the file system spells it.
std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
} // namespace

void Tmainform::acNewExecute() {
    Dialogs().RunNewForm();
}

void Tmainform::CreateDocument(int32_t width, int32_t height) {
    auto image = std::make_unique<TDIB>();
    image->Resize(width, height, 8);
    for (int32_t y = 0; y < height; ++y)
        std::memset(image->RowForWrite(y), 0, static_cast<size_t>(width));
    InstallDocument(std::move(image), QString());
}

void Tmainform::InstallDocument(std::unique_ptr<TDIB> image, const QString& fileName,
                                int32_t transparentIndex) {
    EndPressInProgress();
    // A picture too large for any display bitmap is refused before it replaces anything.
    ScreenExtent(image->Width());
    ScreenExtent(image->Height());
    DocImage = std::move(image);
    DocWidth = DocImage->Width();
    DocHeight = DocImage->Height();
    FileName = fileName;
    Saved = true;
    DocTransparent = transparentIndex >= 0;
    DocPaletteNames = {};
    if (DocTransparent) TransparentIndex = transparentIndex;
    acTransparent->setChecked(DocTransparent);
    ClampViewOrigins();
    InitUndo(kUndoSlots);
    UpdateUndoButtons();
    try {
        UpdateDocView();
        UpdateViewSizes();
        LupeForm->UpdateLupe();
        palletform->RebuildPaletteImage();
    } catch (...) {
        // A document the windows could not take up (no memory for its display bitmap) is not
        // left open with views that still describe the previous one. Saved is true, so this
        // closes without asking.
        CloseDocument();
        throw;
    }
}

void Tmainform::asOpenExecute() {
    if (!CloseDocument()) return;
    const std::optional<QString> path = Dialogs().OpenFileName(kOpenFilter, LastFolder);
    if (path) LoadDocument(*path);
}

void Tmainform::OpenPath(const QString& path) {
    if (CloseDocument()) LoadDocument(path);
}

void Tmainform::LoadDocument(const QString& path) {
    // The folder the user pointed at, whether or not the file turns out readable.
    RememberFolder(path);
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        Dialogs().Warning("ファイルがありません(T.T)");
        return;
    }
    if (FormatOfPath(path.toStdString()) == nullptr) {
        Dialogs().Warning(kUnknownFormat);
        return;
    }
    TReadImage read = ReadDocumentImage(LocalPath(path));
    InstallDocument(std::move(read.Image), path, read.TransparentIndex);
    AddRecentFile(path);
    if (read.Lossy()) {
        LossyFile = path;
        Dialogs().Warning(LossWarning(read));
    }
}

bool Tmainform::SaveDocument() {
    if (!DocImage) return false;
    if (FileName.isEmpty()) return SaveDocumentAs();
    return WriteDocument(FileName);
}

bool Tmainform::SaveDocumentAs() {
    if (!DocImage) return false;
    // The document's own file, so that saving a changed copy beside it takes one edit.
    const QString start = FileName.isEmpty() ? LastFolder : FileName;
    const std::optional<QString> path = Dialogs().SaveFileName(kSaveFilter, "png", start);
    if (!path) return false;
    RememberFolder(*path);
    return WriteDocument(*path);
}

void Tmainform::acTransparentExecute() {
    if (!DocImage) {
        acTransparent->setChecked(false);
        return;
    }
    DocTransparent = acTransparent->isChecked();
    // The file to be written changed, so closing now asks to save.
    Saved = false;
}

void Tmainform::RememberFolder(const QString& path) {
    LastFolder = QFileInfo(path).absolutePath();
}

bool Tmainform::WriteDocument(const QString& path) {
    // A stroke that went on after the save would leave changes the saved flag does not know of.
    EndPressInProgress();
    // A file that cannot be written is refused before the user is asked whether to overwrite it.
    if (FormatOfPath(path.toStdString()) != nullptr) CheckWritable(LocalPath(path));
    // Compared as files, so that another spelling of the same path asks too.
    const bool overLossy = !LossyFile.isEmpty() && QFileInfo(path) == QFileInfo(LossyFile);
    if (overLossy && Dialogs().Confirm(kOverwriteLossy) != TPromptAnswer::Yes) return false;
    if (WriteImageFile(path, WritableCopy(*DocImage, DocWidth, DocHeight))) {
        if (overLossy) LossyFile.clear();
        AddRecentFile(path);
        return true;
    }
    Dialogs().Warning("対応していない拡張子なので保存できませんでした");
    return false;
}

bool Tmainform::WriteImageFile(const QString& path, const TDIB& image) {
    const TImageFormat* format = FormatOfPath(path.toStdString());
    if (format == nullptr) return false;
    WriteDocumentImage(LocalPath(path), *format, image, DocumentTransparency());
    Saved = true;
    FileName = path;
    RemoveRecovery();
    return true;
}

bool Tmainform::CloseDocument() {
    EndPressInProgress();
    if (!DocImage) return true;
    if (!Saved) {
        switch (Dialogs().Confirm("データが保存されていません。\r\n保存しますか？")) {
        case TPromptAnswer::Cancel:
            return false;
        // A save that wrote nothing keeps the document: the user asked to keep this picture.
        case TPromptAnswer::Yes:
            if (!SaveDocument()) return false;
            break;
        case TPromptAnswer::No:
            break;
        }
    }
    DocImage.reset();
    DocTransparent = false;
    DocPaletteNames = {};
    acTransparent->setChecked(false);
    LossyFile.clear();
    RemoveRecovery();
    FileName.clear();
    PaintBox->update();
    PaintBox2->update();
    Selecting = false;
    Floating = false;
    WorkImage.MakeEmpty();
    FreeUndo(kUndoSlots);
    UpdateUndoButtons();
    // Every view lets the closed picture go: the magnifier empties, the swatches turn black.
    LupeForm->UpdateLupe();
    palletform->RebuildPaletteImage();
    return true;
}
