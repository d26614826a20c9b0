// The animation preview ("アニメーション"): plays the cells of the editor state's animation
// (TEditor::AnimationCells) in order at its speed, looping, and reports the user's settings
// (frames, speed, scale, what shows behind the transparent index) into that state.
#pragma once

#include "editor/cellpreview.h"

#include <cstdint>

class QCheckBox;
class QLabel;
class QSpinBox;
class QTimer;
class QToolButton;

class TAnimationForm : public TCellPreview {
public:
    explicit TAnimationForm(QWidget* owner);

    TRect ShownCell() const override;

    // The play button: plays from the frame shown, or pauses there.
    void btPlayClick();
    // One frame back or on, wrapping round; playing pauses.
    void btPrevClick();
    void btNextClick();
    // The timer's handler: the next frame, wrapping round.
    void TimerTick();
    // Called after a control changed its value: the settings reach the editor state.
    void SettingsChange();
    // Asks for the backdrop colour, which then shows instead of the checkerboard.
    void btBackdropClick();

    // The frame shown, 0 to the number of cells - 1 (0 with none).
    int32_t Frame = 0;
    // Playing, which the timer does only while the window is shown.
    bool Playing = false;
    QTimer* Timer;
    QToolButton *btPrev, *btPlay, *btNext, *btBackdrop;
    // "フレーム k / n".
    QLabel* FrameLabel;
    QSpinBox *FramesEdit, *FpsEdit, *ScaleEdit;
    QCheckBox* cbChecker;

protected:
    void StateChanged(const TChange& change) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Shows frame, brought into range.
    void ShowFrame(int32_t frame);
    // The controls show the editor state's settings and the frame; the timer runs at the
    // speed while playing.
    void ShowSettings();
};

extern TAnimationForm* AnimationForm;
