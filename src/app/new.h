// The new-image dialog. It is made once and only hidden between uses, so the fields keep what
// the user typed last.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TNewForm : public QDialog {
public:
    explicit TNewForm(QWidget* parent);

    QLineEdit *XEdit, *YEdit;
    QPushButton *Button1, *Button2;

    // "作成": makes the document of the typed size, or warns and stays open.
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TNewForm* NewForm;
