#include "app/dialogs.h"

#include "app/centred.h"
#include "app/main.h"
#include "app/new.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {
std::unique_ptr<TDialogs>& Installed() {
    static std::unique_ptr<TDialogs> dialogs = std::make_unique<TQtDialogs>();
    return dialogs;
}

// Message boxes belong to the document window so that they stay above it.
QWidget* Owner() {
    return mainform;
}

class TScreenBox : public QMessageBox {
public:
    TScreenBox(Icon icon, const QString& caption, const QString& text)
        : QMessageBox(icon, caption, text, NoButton, Owner()) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        CentreOnScreen(*this);
    }
};
} // namespace

TDialogs& Dialogs() {
    return *Installed();
}

void SetDialogs(std::unique_ptr<TDialogs> dialogs) {
    Installed() = std::move(dialogs);
}

void TQtDialogs::Warning(const QString& text) {
    TScreenBox box(QMessageBox::Warning, "警告", text);
    box.addButton("OK", QMessageBox::AcceptRole);
    box.exec();
}

void TQtDialogs::Error(const QString& text) {
    TScreenBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text);
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

std::optional<QString> TQtDialogs::OpenFileName(const QString& filter) {
    QFileDialog dialog(Owner(), QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist is accepted here and answered with the editor's own warning.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> TQtDialogs::SaveFileName(const QString& filter,
                                                const QString& defaultSuffix) {
    QFileDialog dialog(Owner(), QString(), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front();
}

void TQtDialogs::RunNewForm() {
    NewForm->exec();
}
