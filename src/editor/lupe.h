// The magnifier: the edit area enlarged Power times, where the pixel tools draw.
#pragma once

#include "app/toolwindow.h"
#include "image/DIB.h"
#include "image/DisplayColor.h"

#include <QImage>
#include <cstdint>

class QToolButton;

class TLupeForm : public TToolWindow {
public:
    explicit TLupeForm(QWidget* owner);

    // Resizes the view to the edit area times Power and redraws it.
    void UpdateLupe();
    // Redraws the view at its current size.
    void RenderLupe();

    // Display pixels per image pixel: 1, 2, 4, 6, 8, 10, 12 or 14.
    int32_t Power = 10;
    // Grid line colour, a display colour 0x00BBGGRR.
    uint32_t GridColor = DisplayColor::Grey;
    // The edit area composed with the layer beneath it: ViewWidth[0] x ViewHeight[0] indices.
    TDIB LupeImage;
    // What the magnifier shows, in display pixels.
    QImage LupeBitmap;
    // The tool bar's Undo and Redo buttons; the undo history sets their captions and states.
    QToolButton* btUndo = nullptr;
    QToolButton* btRedo = nullptr;
};

extern TLupeForm* LupeForm;
