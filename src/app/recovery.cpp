#include "app/recovery.h"

#include "app/docwindow.h"
#include "app/imagefile.h"
#include "base/Stream.h"
#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/session.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>
#include <csignal>

namespace {
constexpr int kRecoveryIntervalMs = 60 * 1000;

QString RecoveryFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

// Whether process pid runs. One that ended but that its parent has not collected yet still
// answers kill(), so its state is read too.
bool Running(qint64 pid) {
    if (::kill(static_cast<pid_t>(pid), 0) != 0) return errno != ESRCH;
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return true;
    // "pid (name) state ...": the name may hold any character, so look after its last ')'.
    const QByteArray line = stat.readAll();
    const qsizetype end = line.lastIndexOf(')');
    return end < 0 || end + 2 >= line.size() || line[end + 2] != 'Z';
}

// A copy whose editor is gone: its process no longer runs, or its id is now this process's (an
// editor that ended before this one started), or the name carries no id (older versions).
bool Orphaned(const QFileInfo& copy) {
    const QString id = copy.completeBaseName().section('-', 1);
    bool number = false;
    const qint64 pid = id.toLongLong(&number);
    if (!number || pid <= 0 || pid == QCoreApplication::applicationPid()) return true;
    return !Running(pid);
}

// What the picture alone cannot carry, kept in a note beside the copy: the document's file, and
// the file whose open left parts out (the first save over it still asks). Empty for a new
// picture, and for a copy of older versions, which wrote no note.
struct TRecoveryNote {
    QString FileName, LossyFile;
};

QString NotePath(const QString& copy) {
    const QFileInfo info(copy);
    return info.dir().filePath(info.completeBaseName() + ".json");
}

// Written after the copy, so that a note never describes an older picture than its copy.
void WriteNote(const QString& copy, const TRecoveryNote& note) {
    const QByteArray text =
        QJsonDocument(QJsonObject{{"fileName", note.FileName}, {"lossyFile", note.LossyFile}})
            .toJson();
    WriteFileAtomically(QFile::encodeName(NotePath(copy)).toStdString(),
                        [&text](TStream& out) { out.WriteBuffer(text.constData(), text.size()); });
}

TRecoveryNote ReadNote(const QString& copy) {
    QFile file(NotePath(copy));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QJsonObject note = QJsonDocument::fromJson(file.readAll()).object();
    return {note["fileName"].toString(), note["lossyFile"].toString()};
}

void RemoveCopy(const QString& copy) {
    QFile::remove(copy);
    QFile::remove(NotePath(copy));
}

// The offer names the work and when its copy was last written.
QString OfferText(const QString& copy, const TRecoveryNote& note) {
    const QString file = note.FileName.isEmpty() ? QString("（名前のない新しい画像）")
                                                 : QDir::toNativeSeparators(note.FileName);
    const QString written = QFileInfo(copy).lastModified().toString("yyyy-MM-dd HH:mm");
    return "前回保存されなかったデータがあります。\r\n復元しますか？\r\nファイル：" + file +
           "\r\n記録日時：" + written;
}

// The newest copy left by an editor that is gone; empty when there is none.
QString NewestOrphan() {
    const QFileInfoList copies =
        QDir(RecoveryFolder())
            .entryInfoList({"recovery.png", "recovery-*.png"}, QDir::Files, QDir::Time);
    for (const QFileInfo& copy : copies)
        if (Orphaned(copy)) return copy.filePath();
    return {};
}
} // namespace

QString RecoveryPath() {
    return RecoveryFolder() + QString("/recovery-%1.png").arg(QCoreApplication::applicationPid());
}

void RemoveRecovery() {
    RemoveCopy(RecoveryPath());
}

void Tmainform::StartRecoveryTimer() {
    auto* timer = new QTimer(this);
    timer->setInterval(kRecoveryIntervalMs);
    connect(timer, &QTimer::timeout, this, [this] { RunGuarded([this] { WriteRecovery(); }); });
    timer->start();
}

void Tmainform::WriteRecovery() {
    // A copy taken in the middle of a press would hold half a stroke, and a warning about it would
    // take the mouse from the user; the next tick comes soon enough.
    if (!Doc().IsOpen() || Doc().Saved() || Editor().PressInProgress()) return;
    const QString path = RecoveryPath();
    try {
        QDir().mkpath(RecoveryFolder());
        // The writer replaces the old copy only once the new one is complete.
        WriteDocumentImage(QFile::encodeName(path).toStdString(), *FormatOfPath(".png"),
                           WritableCopy(*Doc().DocImage()), DocumentTransparency(Doc()));
        WriteNote(path, {FileName(), QString::fromStdString(Doc().LossyFile)});
    } catch (...) {
        // Every minute a box would stop the user's work for the same fault: told once, the
        // timer keeps trying silently.
        if (!RecoveryFailureShown)
            Dialogs().Warning(
                QString("復元用のデータをフォルダ %1 に書き込めません。\n%2\n"
                        "書き込めるようになるまで、知らせずに試し続けます。")
                    .arg(QDir::toNativeSeparators(RecoveryFolder()), CaughtMessage()));
        RecoveryFailureShown = true;
        return;
    }
    RecoveryFailureShown = false;
}

void Tmainform::OfferRecovery() {
    const QString orphan = NewestOrphan();
    if (orphan.isEmpty()) return;
    const TRecoveryNote note = ReadNote(orphan);
    switch (Dialogs().Confirm(OfferText(orphan, note))) {
    case TPromptAnswer::Cancel:
        // Kept for the next start.
        return;
    case TPromptAnswer::No:
        // The copy is all that is left of that work: removed only when the user says so twice.
        if (Dialogs().Confirm("復元しないデータを削除しますか？") == TPromptAnswer::Yes)
            RemoveCopy(orphan);
        return;
    case TPromptAnswer::Yes:
        break;
    }
    TReadImage read = ReadDocumentImage(QFile::encodeName(orphan).toStdString());
    InstallDocument(std::move(read.Image), note.FileName, read.TransparentIndex);
    Doc().LossyFile = note.LossyFile.toStdString();
    // Its changes were never saved anywhere: the copy becomes this editor's own, kept until they
    // are saved and rewritten every minute meanwhile.
    const QString own = RecoveryPath();
    if (orphan != own) {
        RemoveCopy(own);
        QFile::rename(orphan, own);
        QFile::rename(NotePath(orphan), NotePath(own));
    }
    Doc().MarkUnsaved();
}
