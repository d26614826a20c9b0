// The magnifier: the edit area enlarged Power times, where the pixel tools draw. The view
// (lupe.cpp) composes and draws the picture; the tools (lupetools.cpp) take the mouse.
#pragma once

#include "document/Document.h"
#include "document/Tools.h"
#include "image/DIB.h"
#include "image/DisplayColor.h"
#include "image/LupeRender.h"
#include "ui/paintbox.h"
#include "ui/toolframe.h"

#include <QImage>
#include <cstdint>
#include <optional>

class QAction;
class QKeyEvent;
class QLabel;
class QMenuBar;
class QPainter;
class QScrollArea;
class QToolButton;
class TImageControl;
class TPaintSurface;
class TUpDown;

class TLupeForm : public TToolWindow, public TObserver {
public:
    explicit TLupeForm(QWidget* owner);
    ~TLupeForm() override;

    // Redraws what the change touched and shows what can be undone and redone.
    void Changed(const TChange& change) override;

    // View (lupe.cpp); each needs an open document.
    // Resizes the view to the edit area times CellPixels and redraws it.
    void UpdateLupe();
    // Redraws the view at its current size.
    void RenderLupe();
    // Redraws cell (cx, cy) of the edit area after its pixel became index.
    void DrawCell(int32_t cx, int32_t cy, uint8_t index);
    // Redraws the cells that show the document's pixels in rect (image pixels).
    void ShowRect(const TRect& rect);
    // The hatched selection or floating block, the shape being dragged out and the mirror axes,
    // over the picture.
    void LupeBox2Paint(QPainter& canvas);
    // Menu handlers; item is one of the menu's radio items, its data the new value. The
    // magnification reaches the editor state, whose notice redraws the view.
    void PowerChange(QAction* item);
    void GridChange(QAction* item);
    // The wheel with Ctrl or the keys + and -: the next magnification up (direction > 0) or
    // down; anchor, in device pixels of LupeBox2, stays under the pointer where the view allows.
    void StepPower(int32_t direction, QPoint anchor);
    // Release of either up-down control: both take effect now.
    void xUpDownMouseUp();
    // The Undo and Redo buttons; each does nothing while the editor's rule says no.
    void btUndoClick();
    void btRedoClick();

    // Tools (lupetools.cpp). x, y in device pixels of LupeBox2 (screen pixels at display scale
    // 1); cells are of the edit area. Alt with the left button picks colours as the other buttons
    // do; Ctrl with the left button sets the mirror axes through the pressed pixel, Ctrl with
    // another button puts them back in the middle of the edit area. Shift keeps a shape's line
    // to 0, 45 or 90 degrees and its box square.
    void LupeBox2MouseDown(TMouseButton button, int32_t x, int32_t y, TModifiers keys = {});
    void LupeBox2MouseMove(int32_t x, int32_t y, TModifiers keys = {});
    // Ends a press being followed, drawing the shape being dragged out; nothing when none is.
    void LupeBox2MouseUp();
    // The pointer left the view.
    void LupeBox2MouseLeave();
    // Shows cell (cx, cy) as the document now has it; nothing outside the view.
    void ShowCell(int32_t cx, int32_t cy);
    void FillArea(int32_t cx, int32_t cy, uint8_t index);
    void PickColor(int32_t cx, int32_t cy);

    // The magnification chosen: the editor state's (TEditor::LupePower).
    int32_t Power() const;
    // Device pixels per image pixel: Power at the display scale (app/devicepixels.h).
    int32_t CellPixels() const;
    TGridMode GridMode = TGridMode::None;
    // A press is being followed until mouse-up; it was the left button.
    bool MouseHeld = false, LeftHeld = false;
    // The pen stroke of the press being followed.
    std::optional<TPenStroke> Stroke;
    // Grid line colour, a display colour 0x00BBGGRR.
    uint32_t GridColor = DisplayColor::Grey;
    // The edit area composed with the layer beneath it: the edit area's size in indices.
    TDIB LupeImage;
    // The view LupeImage and LupeBitmap were last made for.
    TLupeView ShownView;
    // What the magnifier shows, in device pixels.
    QImage LupeBitmap;

    QMenuBar* LupeMenu;
    // "表示": magnifications; "グリッド": grid modes.
    QAction *N1, *N2, *N4, *N6, *N8, *N3, *N5, *N7;
    QAction *N10, *N11, *N12;
    QWidget* Panel1;
    QLabel *xLabel, *yLabel;
    TUpDown *xUpDown, *yUpDown;
    // The tool bar's Undo and Redo buttons; the undo history sets their captions and states.
    QToolButton* btUndo = nullptr;
    QToolButton* btRedo = nullptr;
    QScrollArea* ScrollBox1;
    // LupeBox shows LupeBitmap; LupeBox2 lies over it, takes the mouse and draws the overlay.
    TImageControl* LupeBox;
    TPaintSurface* LupeBox2;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateMenus();
    void CreateToolbar();
    // The editor state as the picture routines take it.
    TLupeView CurrentView() const;
    TSurface LupeSurface();
    // The view's extent in device pixels.
    QSize ViewPixels() const;
    bool InsideView(int32_t cx, int32_t cy) const;
    // Follows the press just made until its release: a drawing tool's (left) or a colour pick's.
    void HoldPress(bool left);
    // The image pixel of cell (cx, cy).
    TCell PixelOf(int32_t cx, int32_t cy) const;
    // The shape being dragged out, in the drawing index's colour.
    void PaintShapeDrag(QPainter& canvas);
    // Dashed lines along the mirror axes in force.
    void PaintMirrorAxes(QPainter& canvas);
    // The Undo and Redo buttons' captions and states.
    void ShowHistory();
    // Checks the magnification item of the editor state's magnification.
    void ShowPower();
};

extern TLupeForm* LupeForm;
