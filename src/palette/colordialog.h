// The colour dialog of one palette entry: the entry's number, its old colour beside the new one,
// and the new colour as three channels and as "#RRGGBB" text, each following the other.
#pragma once

#include "image/DIB.h"

#include <QDialog>
#include <cstdint>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

class TColorDialog : public QDialog {
public:
    // initial is entry index's colour, where the new colour starts.
    TColorDialog(int32_t index, const TPaletteEntry& initial, QWidget* parent);

    // The colour the channels hold (reserved byte 0).
    TPaletteEntry Color() const;

    QSpinBox *RedEdit, *GreenEdit, *BlueEdit;
    QLineEdit* HexEdit;
    QWidget *OldSwatch, *NewSwatch;
    QPushButton *OkButton, *CancelButton;

private:
    // A channel changed: the text and the preview follow.
    void ChannelsChanged();
    // The text changed: valid text sets the channels, other text is marked and OK is off.
    void HexChanged();
    // Shows whether the text is a colour, with OK on only while it is.
    void ShowHexValid(bool valid);

    // The channels are being set from the text, which they must not rewrite meanwhile.
    bool followingHex_ = false;
};
