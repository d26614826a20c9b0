// The two kinds of view control: an image control that shows a display bitmap, and a
// transparent paint surface that draws an overlay and reports the mouse in its own pixels.
// The image control draws its bitmap one bitmap pixel to a device pixel (app/devicepixels.h).
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>

enum class TMouseButton { Left, Right, Middle };
// The modifier keys held at a mouse event.
struct TModifiers {
    bool Shift = false, Ctrl = false, Alt = false;
};

class TImageControl : public QWidget {
public:
    // picture must outlive the control; the owner repaints the control after changing it.
    TImageControl(const QImage& picture, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& picture_;
};

class TPaintSurface : public QWidget {
public:
    explicit TPaintSurface(QWidget* parent);

    // Paints and reports the mouse in device pixels on the image control's grid rather than in
    // logical pixels; the views of image pixels need this, other surfaces do not.
    bool InDevicePixels = false;
    // With InDevicePixels, the device pixels the view's picture covers from the origin. At a
    // fractional scale the surface reaches a little past them; presses there are not reported,
    // as no press can fall outside the picture at scale 1.
    QSize DevicePicture;

    // The painter comes clipped to the part being painted (clipBoundingRect, in its units).
    std::function<void(QPainter&)> OnPaint;
    std::function<void(TMouseButton button, TModifiers keys, int32_t x, int32_t y)> OnMouseDown;
    // Also reported while no button is held.
    std::function<void(int32_t x, int32_t y, TModifiers keys)> OnMouseMove;
    // The pointer left the surface.
    std::function<void()> OnMouseLeave;
    // Also reported for a move with no button held, which a release that went elsewhere leaves:
    // the handler must do nothing when it follows no press.
    std::function<void()> OnMouseUp;
    // The second press of a double click, reported after OnMouseDown had it as a press.
    std::function<void(TMouseButton button, int32_t x, int32_t y)> OnDoubleClick;
    // The wheel turned with Ctrl held: direction +1 away from the user, -1 towards; x, y where
    // the pointer is. Without Ctrl or a handler the wheel scrolls the view as usual.
    std::function<void(int32_t direction, int32_t x, int32_t y)> OnCtrlWheel;
    // The surface moved to a screen, or its screen to a display scale, of other device pixels:
    // pictures made in device pixels must be made anew.
    std::function<void()> OnScaleChange;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // The pixel of this surface under a position of a mouse event.
    QPoint PixelAt(QPointF position) const;
    // PixelAt the event's position, made exact from the window system's own pointer position
    // where the event's was rounded to a logical pixel.
    QPoint PixelUnderPointer(const QMouseEvent& event) const;
    // The button and pixel of a press to report; false for a button other than the three, or a
    // device pixel outside the picture.
    bool ReportedPress(const QMouseEvent& event, TMouseButton& button, QPoint& at) const;
};
