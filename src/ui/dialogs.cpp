#include "ui/dialogs.h"

#include "ui/centred.h"
#include "ui/session.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {
QString& Title() {
    static QString title;
    return title;
}

std::unique_ptr<TDialogs>& Installed() {
    static std::unique_ptr<TDialogs> dialogs = std::make_unique<TQtDialogs>();
    return dialogs;
}

// Message boxes belong to the document window so that they stay above it.
QWidget*& Owner() {
    static QWidget* owner = nullptr;
    return owner;
}

class TScreenBox : public QMessageBox {
public:
    TScreenBox(Icon icon, const QString& caption, const QString& text, QWidget* owner = Owner())
        : QMessageBox(icon, caption, text, NoButton, owner) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        CentreOnScreen(*this);
    }
};

void ShowWarning(const QString& text, QWidget* owner) {
    TScreenBox box(QMessageBox::Warning, "警告", text, owner);
    box.addButton("OK", QMessageBox::AcceptRole);
    box.exec();
}

// The save dialog: the chosen filter gives the extension, and a path whose folder is missing is
// refused here rather than failing once the dialog is gone.
class TSaveDialog : public QFileDialog {
public:
    TSaveDialog(const QString& filter, const QString& defaultSuffix, const QString& start)
        : QFileDialog(Owner(), QString(), start, filter), fallbackSuffix_(defaultSuffix) {
        setAcceptMode(AcceptSave);
        setFileMode(AnyFile);
        UseFilter(selectedNameFilter());
        connect(this, &QFileDialog::filterSelected, this, &TSaveDialog::UseFilter);
    }

    void accept() override {
        const QStringList files = selectedFiles();
        const QString warning = files.isEmpty() ? QString() : MissingFolderWarning(files.front());
        if (!warning.isEmpty()) {
            ShowWarning(warning, this);
            return;
        }
        QFileDialog::accept();
    }

private:
    void UseFilter(const QString& nameFilter) {
        const QString suffix = SuffixOfFilter(nameFilter);
        setDefaultSuffix(suffix.isEmpty() ? fallbackSuffix_ : suffix);
    }

    QString fallbackSuffix_;
};
} // namespace

QString SuffixOfFilter(const QString& nameFilter) {
    const qsizetype open = nameFilter.lastIndexOf('(');
    const QString patterns = nameFilter.mid(open + 1).section(')', 0, 0);
    const QString first = patterns.section(' ', 0, 0, QString::SectionSkipEmpty);
    if (!first.startsWith("*.")) return {};
    const QString suffix = first.mid(2);
    return suffix.contains('*') || suffix.contains('?') ? QString() : suffix;
}

QString MissingFolderWarning(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (folder.isDir()) return {};
    return QString("フォルダがありません\n%1").arg(QDir::toNativeSeparators(folder.filePath()));
}

const QString& ApplicationTitle() {
    return Title();
}

void SetApplicationTitle(const QString& title) {
    Title() = title;
}

TDialogs& Dialogs() {
    // Every modal box and dialog is reached through here. The button held down now will be
    // released over it, so the press ends here rather than never.
    Editor().EndPressInProgress();
    return *Installed();
}

void SetDialogOwner(QWidget* owner) {
    Owner() = owner;
}

QWidget* DialogOwner() {
    return Owner();
}

QString& LastFolder() {
    static QString folder;
    return folder;
}

void RememberFolder(const QString& path) {
    LastFolder() = QFileInfo(path).absolutePath();
}

void SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    Installed() = std::move(dialogs);
}

void TQtDialogs::Warning(const QString& text) {
    ShowWarning(text, Owner());
}

void TQtDialogs::Error(const QString& text) {
    TScreenBox box(QMessageBox::Critical, ApplicationTitle(), text);
    box.addButton("OK", QMessageBox::AcceptRole);
    box.exec();
}

TPromptAnswer TQtDialogs::Confirm(const QString& text) {
    TScreenBox box(QMessageBox::Question, "確認", text);
    QPushButton* yes = box.addButton("はい(&Y)", QMessageBox::YesRole);
    QPushButton* no = box.addButton("いいえ(&N)", QMessageBox::NoRole);
    QPushButton* cancel = box.addButton("キャンセル", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return TPromptAnswer::Yes;
    if (box.clickedButton() == no) return TPromptAnswer::No;
    return TPromptAnswer::Cancel;
}

TFramesAnswer TQtDialogs::AskFrames(int32_t frames) {
    TScreenBox box(QMessageBox::Question, "確認",
                   QString("このファイルには %1 枚のフレームがあります。\n"
                           "最初のフレームだけを開くか、すべてのフレームを横一列に並べた"
                           "一枚の画像として開くかを選んでください。")
                       .arg(frames));
    QPushButton* first = box.addButton("最初のフレーム(&F)", QMessageBox::AcceptRole);
    QPushButton* sheet = box.addButton("すべてのフレーム(&A)", QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton("キャンセル", QMessageBox::RejectRole);
    box.setDefaultButton(first);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == first) return TFramesAnswer::First;
    if (box.clickedButton() == sheet) return TFramesAnswer::Sheet;
    return TFramesAnswer::Cancel;
}

std::optional<QString> TQtDialogs::OpenFileName(const QString& filter, const QString& start) {
    QFileDialog dialog(Owner(), QString(), start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist is accepted here and answered with the editor's own warning.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> TQtDialogs::SaveFileName(const QString& filter, const QString& defaultSuffix,
                                                const QString& start) {
    TSaveDialog dialog(filter, defaultSuffix, start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<uint32_t> TQtDialogs::AskBackdrop(uint32_t current) {
    const QColor chosen = QColorDialog::getColor(QColor::fromRgb(current), Owner(), "背景色");
    if (!chosen.isValid()) return std::nullopt;
    return chosen.rgb() & 0xFFFFFF;
}
