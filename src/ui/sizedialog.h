// A dialog that asks for a width and a height in pixels, each within 1 and a most, with OK and
// Cancel; the width is ready to be typed over when it opens.
#pragma once

#include "document/Editor.h"

#include <QDialog>
#include <cstdint>

class QBoxLayout;
class QSpinBox;
class QVBoxLayout;

// OK (the default button) and キャンセル at the end of layout, accepting and rejecting dialog.
void AddOkAndCancel(QDialog& dialog, QBoxLayout& layout);

class TSizeDialog : public QDialog {
public:
    TSizeDialog(const QString& caption, TPixelSize current, int32_t most);

    QSpinBox *Width, *Height;
    TPixelSize Size() const;

protected:
    void showEvent(QShowEvent* event) override;

    // The size rows, then the buttons; a dialog built on this one inserts rows of its own between
    // them, at index 1.
    QVBoxLayout* Column;
};
