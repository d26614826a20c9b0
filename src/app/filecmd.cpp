// The file commands of the document window: New, Open, Save, Save As, the exports, Close and the
// quit path.
#include "app/docwindow.h"
#include "app/imagefile.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "base/Stream.h"
#include "formats/FrameRead.h"
#include "formats/Gif.h"
#include "image/Enlarge.h"
#include "ui/dialogs.h"
#include "ui/session.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {
const char* const kOpenFilter = "標準サポートファイル (*.png *.bmp *.gif);;PNGファイル (*.png);;"
                                "BMPファイル (*.bmp);;GIFファイル (*.gif);;すべてのファイル (*)";
const char* const kSaveFilter = "PNGファイル (*.png);;BMPファイル (*.bmp);;GIFファイル (*.gif);;"
                                "すべてのファイル (*)";
const char* const kGifFilter = "GIFファイル (*.gif)";
const char* const kUnknownExtension = "対応していない拡張子なので保存できませんでした";
// The line feed and the form feed between the two lines are part of the message.
const char* const kUnknownFormat = "対応していない形式か、\n\f拡張子が違うので読み込めませんでした";

const char* const kOverwriteLossy = "開いたときに読み込めなかった内容は、上書きすると元のファイル"
                                    "からも失われます。\r\n上書きしますか？";

// One warning for all that an open left out of the file.
QString LossWarning(const TReadImage& read) {
    const std::pair<bool TReadImage::*, const char*> losses[] = {
        {&TReadImage::PartialAlpha, "半透明の色、または二つ以上の透明色（不透明にしました）"},
        {&TReadImage::AlphaChannel, "アルファチャンネル（透明度を捨てました）"},
        {&TReadImage::WideSamples, "16ビットの色の精度（8ビットにしました）"},
        {&TReadImage::Reduced, "色数が256を超えているため、256色に減色しました"},
        {&TReadImage::KeyLost, "透明色（減色で他の色と混ざるため、不透明にしました）"},
        {&TReadImage::OtherFrames, "2枚目以降のフレーム（最初のフレームだけを開きました）"},
        {&TReadImage::FrameTiming, "フレームの表示時間（フレームを横一列に並べて開きました）"},
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
    Editor().EndPressInProgress();
    // A picture too large for any display bitmap is refused before it replaces anything.
    ScreenExtent(image->Width());
    ScreenExtent(image->Height());
    Editor().ClampViewOrigins(image->Width(), image->Height());
    try {
        Doc().Open(std::move(image), fileName.toStdString(), transparentIndex);
    } catch (...) {
        // A document the windows could not take up (no memory for its display bitmap) is not
        // left open with views that still describe the previous one. It is saved, so this
        // closes without asking.
        CloseDocument();
        throw;
    }
}

void Tmainform::asOpenExecute() {
    if (!CloseDocument()) return;
    const std::optional<QString> path = Dialogs().OpenFileName(kOpenFilter, LastFolder());
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
    if (read.Frames > 1) {
        switch (Dialogs().AskFrames(read.Frames)) {
        case TFramesAnswer::Cancel:
            return;
        case TFramesAnswer::Sheet:
            read = ReadDocumentImage(LocalPath(path), true);
            break;
        case TFramesAnswer::First:
            break;
        }
    }
    InstallDocument(std::move(read.Image), path, read.TransparentIndex);
    AddRecentFile(path);
    if (read.Lossy()) {
        Doc().LossyFile = path.toStdString();
        Dialogs().Warning(LossWarning(read));
    }
}

bool Tmainform::SaveDocument() {
    if (!Doc().IsOpen()) return false;
    if (FileName().isEmpty()) return SaveDocumentAs();
    return WriteDocument(FileName());
}

bool Tmainform::SaveDocumentAs() {
    if (!Doc().IsOpen()) return false;
    // The document's own file, so that saving a changed copy beside it takes one edit.
    const QString start = FileName().isEmpty() ? LastFolder() : FileName();
    const std::optional<QString> path = Dialogs().SaveFileName(kSaveFilter, "png", start);
    if (!path) return false;
    RememberFolder(*path);
    return WriteDocument(*path);
}

void Tmainform::acTransparentExecute() {
    if (!Doc().IsOpen()) {
        acTransparent->setChecked(false);
        return;
    }
    Doc().SetDocTransparent(acTransparent->isChecked());
}

bool Tmainform::WriteDocument(const QString& path) {
    // A stroke that went on after the save would leave changes the saved flag does not know of.
    Editor().EndPressInProgress();
    // A file that cannot be written is refused before the user is asked whether to overwrite it.
    if (FormatOfPath(path.toStdString()) != nullptr) CheckWritable(LocalPath(path));
    // Compared as files, so that another spelling of the same path asks too.
    const QString lossy = QString::fromStdString(Doc().LossyFile);
    const bool overLossy = !lossy.isEmpty() && QFileInfo(path) == QFileInfo(lossy);
    if (overLossy && Dialogs().Confirm(kOverwriteLossy) != TPromptAnswer::Yes) return false;
    if (WriteImageFile(path, WritableCopy(*Doc().DocImage()))) {
        if (overLossy) Doc().LossyFile.clear();
        AddRecentFile(path);
        return true;
    }
    Dialogs().Warning(kUnknownExtension);
    return false;
}

bool Tmainform::WriteImageFile(const QString& path, const TDIB& image) {
    const TImageFormat* format = FormatOfPath(path.toStdString());
    if (format == nullptr) return false;
    WriteDocumentImage(LocalPath(path), *format, image, DocumentTransparency(Doc()));
    Doc().SavedAs(path.toStdString());
    RemoveRecovery();
    return true;
}

bool Tmainform::CloseDocument() {
    Editor().EndPressInProgress();
    if (!Doc().IsOpen()) return true;
    if (!Doc().Saved()) {
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
    RemoveRecovery();
    // Every view lets the closed picture go: the magnifier empties, the swatches turn black.
    Doc().Close();
    return true;
}

void Tmainform::acExportGifExecute() {
    if (!Doc().IsOpen()) return;
    const std::optional<QString> path = Dialogs().SaveFileName(kGifFilter, "gif", LastFolder());
    if (!path) return;
    RememberFolder(*path);
    if (const TImageFormat* format = FormatOfPath(path->toStdString());
        format == nullptr || !HoldsFrames(*format)) {
        Dialogs().Warning(kUnknownExtension);
        return;
    }
    const TDIB sheet = WritableCopy(*Doc().DocImage());
    const TTransparency transparency = DocumentTransparency(Doc());
    const std::vector<TRect> cells = Editor().AnimationCells();
    const int32_t fps = Editor().Animation().Fps;
    ExportImageFile(LocalPath(*path), sheet, [&](TStream& stream) {
        SaveGifAnimation(sheet, transparency, cells, fps, stream);
    });
}

void Tmainform::acExportEnlargedExecute() {
    if (!Doc().IsOpen()) return;
    const std::optional<int32_t> scale = Dialogs().AskExportScale(ExportScale);
    if (!scale) return;
    ExportScale = *scale;
    const std::optional<QString> path = Dialogs().SaveFileName(kSaveFilter, "png", LastFolder());
    if (!path) return;
    RememberFolder(*path);
    const TImageFormat* format = FormatOfPath(path->toStdString());
    if (format == nullptr) {
        Dialogs().Warning(kUnknownExtension);
        return;
    }
    const TDIB enlarged = Enlarged(WritableCopy(*Doc().DocImage()), *scale);
    const TTransparency transparency = DocumentTransparency(Doc());
    ExportImageFile(LocalPath(*path), enlarged,
                    [&](TStream& stream) { format->Save(enlarged, transparency, stream); });
}
