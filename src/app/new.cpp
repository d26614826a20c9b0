#include "app/new.h"

#include "app/docwindow.h"
#include "ui/centred.h"
#include "ui/dialogs.h"
#include "ui/errors.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TNewForm* NewForm = nullptr;

void TQtDialogs::RunNewForm() {
    NewForm->exec();
}

TNewForm::TNewForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle("新規作成");
    auto* grid = new QGridLayout(this);
    XEdit = new QLineEdit("256", this);
    YEdit = new QLineEdit("256", this);
    grid->addWidget(new QLabel("幅", this), 0, 0);
    grid->addWidget(XEdit, 0, 1);
    grid->addWidget(new QLabel("pixel", this), 0, 2);
    grid->addWidget(new QLabel("高さ", this), 1, 0);
    grid->addWidget(YEdit, 1, 1);
    grid->addWidget(new QLabel("pixel", this), 1, 2);
    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("作成", this);
    Button2 = new QPushButton("キャンセル", this);
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 2, 0, 1, 3);
    connect(Button1, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TNewForm::Button1Click() {
    // Text that is not a whole number counts as 0.
    const int32_t width = XEdit->text().toInt();
    const int32_t height = YEdit->text().toInt();
    if (width <= 0 || height <= 0) {
        Dialogs().Warning("0サイズの画像は作れません");
        return;
    }
    if (!mainform->CloseDocument()) return;
    mainform->CreateDocument(width, height);
    accept();
}

void TNewForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    // Each New begins at the width, ready to be typed over, whichever field was used last.
    XEdit->setFocus(Qt::OtherFocusReason);
    XEdit->selectAll();
}
