// The tool window: chooses the drawing tool and shifts the edit area by one pixel.
#pragma once

#include "document/Editor.h"
#include "image/Shift.h"
#include "ui/toolframe.h"

#include <cstdint>

class QButtonGroup;
class QFrame;
class QToolButton;

class Ttoolform : public TToolWindow, public TObserver {
public:
    explicit Ttoolform(QWidget* owner);
    ~Ttoolform() override;

    // The tool's button is down whichever way the tool was chosen.
    void Changed(const TChange& change) override;

    // tool becomes the current tool. A selection or floating block is left as it is.
    void SToolClick(TTool tool);
    // Called after an option button toggled itself: the mirrors and the pixel-perfect pen reach
    // the editor state.
    void OptionClick();
    // Turns the edit area by one pixel towards direction, wrapping round. A run of shifts of the
    // same area with no other recorded change between them is one undo step.
    void ShiftButtonClick(TShiftDirection direction);

    // The tool buttons (exactly one down): pen, fill, region, then the shapes: line, rectangle,
    // filled rectangle, ellipse, filled ellipse. Their ids in ToolGroup are the tools.
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3;
    QToolButton *btLine, *btRect, *btFilledRect, *btEllipse, *btFilledEllipse;
    QButtonGroup* ToolGroup;
    // Options: mirror left-right, mirror top-bottom, the pixel-perfect pen.
    QToolButton *btMirrorX, *btMirrorY, *btPixelPerfect;
    // The arrow cross: up, down, right, left.
    QToolButton *SpeedButton4, *SpeedButton5, *SpeedButton6, *SpeedButton7;
    QFrame* Bevel1;
};

extern Ttoolform* toolform;
