// The palette window: the 256 swatches of the document's palette, the drawing and transparent
// indices chosen on them, the three 32-step bars that edit the drawing index's colour, and the
// colour dialog that sets an entry's exact colour.
#pragma once

#include "document/Document.h"
#include "ui/paintbox.h"
#include "ui/toolframe.h"

#include <QImage>
#include <QProgressBar>
#include <cstdint>
#include <functional>

class QAction;
class QLabel;
class QMenuBar;

// A colour bar that reports presses, moves while pressed, and releases in its own pixels, and
// carries the label that shows its position.
class TColorBar : public QProgressBar {
public:
    TColorBar(QLabel* tag, QWidget* parent);

    QLabel* const Tag;
    std::function<void(TColorBar*bar, int32_t x)> OnMouseDown, OnMouseMove;
    std::function<void()> OnMouseUp;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class Tpalletform : public TToolWindow, public TObserver {
public:
    explicit Tpalletform(QWidget* owner);
    ~Tpalletform() override;

    // Redraws the swatches after a palette change, the markers after an index moved.
    void Changed(const TChange& change) override;

    // Redraws every swatch from DocImage's palette (black without a document) with white
    // outlines, then the transparent marker in red and the drawing marker in blue, and shows the
    // drawing index's entry on the bars.
    void RebuildPaletteImage();
    // Draws the outline of index's cell in colour (0x00BBGGRR).
    void FrameSwatch(int32_t index, uint32_t colour);
    // Fills index's whole cell, outline included, with the surface value colour (0xFFRRGGBB).
    void FillSwatch(int32_t index, uint32_t colour);
    // Makes index the drawing index (left) or the transparent index (not left).
    void SelectSwatch(int32_t index, bool left);
    // Shows the document's entry index on the bars and their labels; nothing without a document.
    void ShowEntryOnBars(int32_t index);

    // Mouse handlers; x, y in pixels of the swatch grid or of the bar pressed.
    void palletImageMouseDown(TMouseButton button, int32_t x, int32_t y);
    void palletImageMouseMove(int32_t x, int32_t y);
    void palletImageMouseUp();
    // A left double click edits the colour of the swatch under (x, y), which its press has made
    // the drawing index (EditEntryColor); other buttons do nothing more than their press.
    void palletImageDblClick(TMouseButton button, int32_t x, int32_t y);
    void RBarMouseDown(TColorBar* bar, int32_t x);
    void RBarMouseMove(TColorBar* bar, int32_t x);
    void RBarMouseUp();
    // The 15-bit cut of the menu: one palette undo step, refused under the lock.
    void mnCut15BitClick();
    // The colour dialog for entry index: a changed colour is one palette undo step; Cancel or the
    // same colour changes nothing. Refused under the lock before the dialog opens; nothing
    // without a document.
    void EditEntryColor(int32_t index);
    // "色の編集…": EditEntryColor for the drawing index.
    void mnEditColorClick();
    // Called after the lock item toggled itself: the lock reaches the editor state.
    void mnPalletChangeClick();
    // Under the lock: warns that the command cannot go on (refusal says what it cannot do) and
    // answers true.
    bool RefusedByLock(const QString& refusal);
    // Exchanges the drawing and the transparent index: their palette entries and every pixel's
    // index between the two, so the picture looks the same. One undo step; the lock and a
    // floating block refuse it.
    void mnSwapIndicesClick();
    // The palette file menu (palletfile.cpp). Loading replaces the document's first entries with
    // the file's colours as one undo step, refused under the lock; a file that cannot be read
    // changes nothing. Saving writes all 256 entries in the format of the file's extension.
    void mnLoadPaletteClick();
    void mnSavePaletteClick();

    // The swatch grid, 256 x 256.
    QImage PalletBitmap;
    TPaintSurface* palletImage = nullptr;
    TColorBar *RBar = nullptr, *GBar = nullptr, *BBar = nullptr;
    QLabel *RLab = nullptr, *GLab = nullptr, *BLab = nullptr;
    QMenuBar* PalletMenu = nullptr;
    QAction *mnPalletChange = nullptr, *mnEditColor = nullptr, *mnCut15Bit = nullptr,
            *mnSwapIndices = nullptr;
    QAction *mnLoadPalette = nullptr, *mnSavePalette = nullptr;
    // A press on a bar, or on the swatch grid (and with which button), is being followed.
    bool BarDragging = false, SwatchDragging = false, SwatchLeftButton = false;

private:
    void CreateMenus();
    void CreateBars(QWidget* client);
    // Sets the drawing entry's channel of bar from x, the press recording step.
    void ApplyBar(TColorBar* bar, int32_t x, const TStep* step);
    // The indices the blue and the red marker stand at.
    int32_t MarkedDraw = 0, MarkedTransparent = 0;
};

extern Tpalletform* palletform;
