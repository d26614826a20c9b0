// The tool window: chooses the drawing tool and shifts the edit area by one pixel.
#pragma once

#include "app/toolframe.h"

#include <cstdint>

class QButtonGroup;
class QFrame;
class QToolButton;

class Ttoolform : public TToolWindow {
public:
    explicit Ttoolform(QWidget* owner);

    // tag 0 pen, 1 fill, 2 region: becomes CurrentTool, and that tool's button is down. A
    // selection or floating block is left as it is.
    void SToolClick(int32_t tag);
    // tag 0 up, 1 right, 2 down, 3 left: turns the edit area by one pixel that way, wrapping
    // round. A run of shifts with no other recorded change between them is one undo step.
    void ShiftButtonClick(int32_t tag);

    // The tool buttons (exactly one down): pen, fill, region.
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3;
    QButtonGroup* ToolGroup;
    // The arrow cross: up, down, right, left.
    QToolButton *SpeedButton4, *SpeedButton5, *SpeedButton6, *SpeedButton7;
    QFrame* Bevel1;
};

extern Ttoolform* toolform;
