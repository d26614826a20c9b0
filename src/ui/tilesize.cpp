// The tile size dialog: a width and a height, each chosen within the sizes a tile may have.
#include "ui/centred.h"
#include "ui/dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
class TTileSizeDialog : public QDialog {
public:
    explicit TTileSizeDialog(TPixelSize current) : QDialog(DialogOwner()) {
        setWindowTitle("タイルの大きさ");
        auto* grid = new QGridLayout(this);
        Width = AddRow(grid, 0, "幅", current.Width);
        Height = AddRow(grid, 1, "高さ", current.Height);
        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setDefault(true);
        buttons->addButton("キャンセル", QDialogButtonBox::RejectRole);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        grid->addWidget(buttons, 2, 0, 1, 3);
    }

    QSpinBox *Width, *Height;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        CentreOnScreen(*this);
        Width->setFocus(Qt::OtherFocusReason);
        Width->selectAll();
    }

private:
    QSpinBox* AddRow(QGridLayout* grid, int row, const QString& caption, int32_t value) {
        auto* box = new QSpinBox(this);
        box->setRange(1, kMostTileSide);
        box->setValue(value);
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(new QLabel("pixel", this), row, 2);
        return box;
    }
};
} // namespace

std::optional<TPixelSize> TQtDialogs::AskTileSize(TPixelSize current) {
    TTileSizeDialog dialog(current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return TPixelSize{dialog.Width->value(), dialog.Height->value()};
}
