#include "ui/sizedialog.h"

#include "ui/centred.h"
#include "ui/dialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

void AddOkAndCancel(QDialog& dialog, QBoxLayout& layout) {
    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton("キャンセル", QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
}

TSizeDialog::TSizeDialog(const QString& caption, TPixelSize current, int32_t most)
    : QDialog(DialogOwner()) {
    setWindowTitle(caption);
    Column = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    Column->addLayout(grid);
    const auto addRow = [&](int row, const QString& name, int32_t value) {
        auto* box = new QSpinBox(this);
        box->setRange(1, most);
        box->setValue(value);
        grid->addWidget(new QLabel(name, this), row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(new QLabel("pixel", this), row, 2);
        return box;
    };
    Width = addRow(0, "幅", current.Width);
    Height = addRow(1, "高さ", current.Height);
    AddOkAndCancel(*this, *Column);
}

TPixelSize TSizeDialog::Size() const {
    return TPixelSize{Width->value(), Height->value()};
}

void TSizeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    Width->setFocus(Qt::OtherFocusReason);
    Width->selectAll();
}
