// The scale dialog of the enlarged export: one number, the side of the square each pixel becomes.
#include "ui/centred.h"
#include "ui/dialogs.h"
#include "ui/sizedialog.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
class TScaleDialog : public QDialog {
public:
    explicit TScaleDialog(int32_t current) : QDialog(DialogOwner()) {
        setWindowTitle("拡大して書き出す");
        auto* column = new QVBoxLayout(this);
        auto* row = new QHBoxLayout;
        column->addLayout(row);
        Scale = new QSpinBox(this);
        Scale->setRange(1, kMostExportScale);
        Scale->setValue(current);
        row->addWidget(new QLabel("倍率", this));
        row->addWidget(Scale);
        row->addWidget(new QLabel("倍", this));
        AddOkAndCancel(*this, *column);
    }

    QSpinBox* Scale;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        CentreOnScreen(*this);
        Scale->setFocus(Qt::OtherFocusReason);
        Scale->selectAll();
    }
};
} // namespace

std::optional<int32_t> TQtDialogs::AskExportScale(int32_t current) {
    TScaleDialog dialog(current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Scale->value();
}
