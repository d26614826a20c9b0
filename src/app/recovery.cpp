#include "app/recovery.h"

#include "app/dialogs.h"
#include "app/errors.h"
#include "app/imagefile.h"
#include "app/main.h"
#include "app/state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace {
constexpr int kRecoveryIntervalMs = 60 * 1000;
} // namespace

QString RecoveryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/recovery.png";
}

void RemoveRecovery() {
    QFile::remove(RecoveryPath());
}

void Tmainform::StartRecoveryTimer() {
    auto* timer = new QTimer(this);
    timer->setInterval(kRecoveryIntervalMs);
    connect(timer, &QTimer::timeout, this, [this] { RunGuarded([this] { WriteRecovery(); }); });
    timer->start();
}

void Tmainform::WriteRecovery() {
    if (!DocImage || Saved) return;
    const QString path = RecoveryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // The writer replaces the old copy only once the new one is complete.
    WriteDocumentImage(QFile::encodeName(path).toStdString(), *FormatOfPath(".png"),
                       WritableCopy(*DocImage, DocWidth, DocHeight), DocumentTransparency());
}

void Tmainform::OfferRecovery() {
    const QString path = RecoveryPath();
    if (!QFile::exists(path)) return;
    switch (Dialogs().Confirm("前回保存されなかったデータがあります。\r\n復元しますか？")) {
    case TPromptAnswer::Cancel:
        // Kept for the next start.
        return;
    case TPromptAnswer::No:
        RemoveRecovery();
        return;
    case TPromptAnswer::Yes:
        break;
    }
    TReadImage read = ReadDocumentImage(QFile::encodeName(path).toStdString());
    InstallDocument(std::move(read.Image), QString(), read.TransparentIndex);
    // Its changes were never saved anywhere; the copy stays until they are.
    Saved = false;
}
