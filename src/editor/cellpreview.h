// What the animation and tiled previews share: copies of one cell of the document drawn at the
// animation's scale (image/CellRender.h) into a bitmap that the window only blits. While the
// window is shown it follows the document's notices, redrawing only the part of each copy that an
// edit touched; while it is hidden it draws nothing and passes notices over.
#pragma once

#include "document/Change.h"
#include "image/CellRender.h"
#include "ui/toolframe.h"

#include <QImage>
#include <cstdint>

class QScrollArea;
class QVBoxLayout;
class TImageControl;

class TCellPreview : public TToolWindow, public TObserver {
public:
    // copies x copies of the cell, edges meeting.
    TCellPreview(QWidget* owner, const QString& caption, int32_t copies);
    ~TCellPreview() override;

    void Changed(const TChange& change) override;

    // Makes the picture anew: sized to the cell's copies and drawn whole.
    void RenderPreview();
    // Device pixels per image pixel: the animation's scale at the display scale.
    int32_t CellPixels() const;
    // The cell shown (image pixels of the document); empty when there is none.
    virtual TRect ShownCell() const = 0;
    // The look the picture should have now: scale, transparent index, checkerboard or backdrop.
    TCellLook CurrentLook() const;
    // The picture's extent in device pixels: the copies of ShownCell at CellPixels.
    QSize PreviewPixels() const;
    // Copies each way.
    int32_t Copies() const { return Copies_; }

    // What the view shows, in device pixels; null with no cell to show.
    QImage Bitmap;
    // The cell and look Bitmap was last made for.
    TRect ShownRect;
    TCellLook ShownLook;
    QScrollArea* ScrollBox;
    TImageControl* Box;

protected:
    // The controls above the picture go here.
    QVBoxLayout* Layout;
    // Called first for every notice that may change the picture while the window is shown, so
    // that the window's own state (a frame in range, controls showing the settings) is right
    // before the picture is made.
    virtual void StateChanged(const TChange&) {}
    void showEvent(QShowEvent* event) override;
    // The window moved to a screen, or its screen to a display scale, of other device pixels.
    bool event(QEvent* event) override;

private:
    int32_t Copies_;
    // Redraws the part of every copy that shows rect (image pixels).
    void ShowRect(const TRect& rect);
};
