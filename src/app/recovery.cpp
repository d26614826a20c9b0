#include "app/recovery.h"

#include "app/dialogs.h"
#include "app/errors.h"
#include "app/imagefile.h"
#include "app/main.h"
#include "app/state.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    const QString orphan = NewestOrphan();
    if (orphan.isEmpty()) return;
    switch (Dialogs().Confirm("前回保存されなかったデータがあります。\r\n復元しますか？")) {
    case TPromptAnswer::Cancel:
        // Kept for the next start.
        return;
    case TPromptAnswer::No:
        QFile::remove(orphan);
        return;
    case TPromptAnswer::Yes:
        break;
    }
    TReadImage read = ReadDocumentImage(QFile::encodeName(orphan).toStdString());
    InstallDocument(std::move(read.Image), QString(), read.TransparentIndex);
    // Its changes were never saved anywhere: the copy becomes this editor's own, kept until they
    // are saved and rewritten every minute meanwhile.
    const QString own = RecoveryPath();
    if (orphan != own) {
        QFile::remove(own);
        QFile::rename(orphan, own);
    }
    Saved = false;
}
