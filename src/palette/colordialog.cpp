#include "palette/colordialog.h"

#include "base/ScopedValue.h"
#include "image/HexColor.h"
#include "palette/palettewindow.h"
#include "ui/dialogs.h"
#include "ui/errors.h"

#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

std::optional<TPaletteEntry> TQtDialogs::EditColor(int32_t index, const TPaletteEntry& initial) {
    // Owned by the palette window, so that it comes up over the swatches it edits.
    TColorDialog dialog(index, initial, palletform);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Color();
}

namespace {
void Paint(QWidget* swatch, const TPaletteEntry& colour) {
    QPalette colours = swatch->palette();
    colours.setColor(QPalette::Window, QColor(colour.Red, colour.Green, colour.Blue));
    swatch->setPalette(colours);
}

QWidget* AddSwatch(QWidget* dialog, QGridLayout* grid, int column, const QString& caption,
                   const TPaletteEntry& colour) {
    auto* swatch = new QFrame(dialog);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setFixedSize(64, 40);
    swatch->setAutoFillBackground(true);
    Paint(swatch, colour);
    grid->addWidget(swatch, 0, column, Qt::AlignHCenter);
    grid->addWidget(new QLabel(caption, dialog), 1, column, Qt::AlignHCenter);
    return swatch;
}

QSpinBox* AddChannel(QWidget* dialog, QFormLayout* form, const QString& caption, uint8_t value) {
    auto* edit = new QSpinBox(dialog);
    edit->setRange(0, 255);
    edit->setValue(value);
    form->addRow(caption, edit);
    return edit;
}
} // namespace

TColorDialog::TColorDialog(int32_t index, const TPaletteEntry& initial, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle("色の編集");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString("パレット番号 %1").arg(index), this));

    auto* swatches = new QGridLayout;
    layout->addLayout(swatches);
    OldSwatch = AddSwatch(this, swatches, 0, "元の色", initial);
    NewSwatch = AddSwatch(this, swatches, 1, "新しい色", initial);

    auto* channels = new QFormLayout;
    layout->addLayout(channels);
    RedEdit = AddChannel(this, channels, "R", initial.Red);
    GreenEdit = AddChannel(this, channels, "G", initial.Green);
    BlueEdit = AddChannel(this, channels, "B", initial.Blue);
    HexEdit = new QLineEdit(QString::fromStdString(HexColorText(initial)), this);
    HexEdit->setPlaceholderText("#RRGGBB");
    channels->addRow("16進", HexEdit);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkButton = new QPushButton("OK", this);
    CancelButton = new QPushButton("キャンセル", this);
    OkButton->setDefault(true);
    buttons->addWidget(OkButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (QSpinBox* edit : {RedEdit, GreenEdit, BlueEdit})
        connect(edit, &QSpinBox::valueChanged, this,
                [this] { RunGuarded([this] { ChannelsChanged(); }); });
    connect(HexEdit, &QLineEdit::textChanged, this,
            [this] { RunGuarded([this] { HexChanged(); }); });
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TPaletteEntry TColorDialog::Color() const {
    return TPaletteEntry{uint8_t(BlueEdit->value()), uint8_t(GreenEdit->value()),
                         uint8_t(RedEdit->value()), 0};
}

void TColorDialog::ChannelsChanged() {
    Paint(NewSwatch, Color());
    if (!followingHex_) HexEdit->setText(QString::fromStdString(HexColorText(Color())));
}

void TColorDialog::HexChanged() {
    const std::optional<TPaletteEntry> colour = ParseHexColor(HexEdit->text().toStdString());
    ShowHexValid(colour.has_value());
    if (!colour) return;
    const TScopedValue following(followingHex_, true);
    RedEdit->setValue(colour->Red);
    GreenEdit->setValue(colour->Green);
    BlueEdit->setValue(colour->Blue);
}

void TColorDialog::ShowHexValid(bool valid) {
    QPalette colours = palette();
    if (!valid) colours.setColor(QPalette::Text, Qt::red);
    HexEdit->setPalette(colours);
    HexEdit->setToolTip(valid ? QString() : "#RRGGBB の形で入力してください");
    OkButton->setEnabled(valid);
}
