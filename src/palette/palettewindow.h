// The palette window: the 256 swatches of the document's palette, the drawing and transparent
// indices chosen on them, the three 32-step bars that edit the drawing index's colour, the
// colour dialog that sets an entry's exact colour, and the commands that reorder, ramp and clean
// up the palette (palettetools.cpp) with the marks they show on the swatches.
#pragma once

#include "document/Document.h"
#include "image/PaletteRemap.h"
#include "ui/paintbox.h"
#include "ui/toolframe.h"

#include <QImage>
#include <QProgressBar>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>

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

    // Redraws the swatches after a palette change, the markers after an index moved; a change of
    // the picture or the palette drops the unused marks and the pixel counts.
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

    // Mouse handlers; x, y in pixels of the swatch grid or of the bar pressed. On the swatches a
    // press of the left button with Ctrl drags its entry to swap it with the entry where it is
    // released, with Ctrl+Shift to move it there (SwapEntries, MoveEntry); with Shift alone it
    // chooses an end of the ramp's range. Any other press chooses an index and follows the
    // pointer. Every move shows the pixel count of the entry under the pointer.
    void palletImageMouseDown(TMouseButton button, int32_t x, int32_t y, TModifiers keys = {});
    void palletImageMouseMove(int32_t x, int32_t y);
    void palletImageMouseUp();
    // The pointer left the swatches: no entry's count is shown.
    void palletImageMouseLeave();
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
    // Loading that keeps the picture: the file's colours replace the first entries and every
    // pixel takes the nearest of them to its colour (LoadNearest), one undo step, refused under
    // the lock.
    void mnLoadNearestClick();

    // The palette tools (palettetools.cpp), each refused under the lock when it would change the
    // document. "グラデーション" ramps the entries between the two ends chosen with Shift+click.
    void mnGradientClick();
    // The sorts; "透明色を動かさない" (SortKeepsTransparent) keeps the transparent entry's place.
    void mnSortClick(TSortKey key);
    void mnKeepTransparentClick();
    // Marks the entries no pixel uses, until the next change of the picture or the palette or
    // the next palette command, and shows how many there are.
    void mnSelectUnusedClick();
    // MergeDuplicates, and how many entries it freed.
    void mnMergeDuplicatesClick();
    // The pixel count of the entry index in the label under the bars ("#37: 1234 ピクセル"),
    // counting the picture again only when it changed since the last count.
    void ShowUsage(int32_t index);

    // The swatch grid, 256 x 256.
    QImage PalletBitmap;
    TPaintSurface* palletImage = nullptr;
    TColorBar *RBar = nullptr, *GBar = nullptr, *BBar = nullptr;
    QLabel *RLab = nullptr, *GLab = nullptr, *BLab = nullptr;
    QMenuBar* PalletMenu = nullptr;
    QAction *mnPalletChange = nullptr, *mnEditColor = nullptr, *mnCut15Bit = nullptr,
            *mnSwapIndices = nullptr;
    QAction *mnLoadPalette = nullptr, *mnLoadNearest = nullptr, *mnSavePalette = nullptr;
    QAction *mnGradient = nullptr, *mnSortHue = nullptr, *mnSortBrightness = nullptr,
            *mnSortUsage = nullptr, *mnKeepTransparent = nullptr, *mnSelectUnused = nullptr,
            *mnMergeDuplicates = nullptr;
    // The pixel count under the pointer, or what the last tool found.
    QLabel* UsageLab = nullptr;
    // A press on a bar, or on the swatch grid (and with which button), is being followed.
    bool BarDragging = false, SwatchDragging = false, SwatchLeftButton = false;

    // What a swatch press drags: an index to choose, or an entry to swap or to move.
    enum class TEntryDrag : uint8_t { None, Swap, Move };
    TEntryDrag EntryDrag = TEntryDrag::None;
    // The dragged entry and the one under the pointer, while EntryDrag is not None.
    int32_t DragSource = 0, DragTarget = 0;
    // The ends of the ramp's range in the order chosen; the second is missing while the first
    // waits for it. Both go when another document comes.
    std::optional<int32_t> RangeFirst, RangeLast;
    // The entries marked unused.
    std::bitset<256> UnusedMarks;

private:
    void CreateMenus();
    void CreateToolMenu(QMenu* edit);
    void CreateBars(QWidget* client);
    // Starts dragging entry index to swap or move it; refused under the lock.
    void BeginEntryDrag(int32_t index, TEntryDrag mode);
    // Ends an entry drag with its swap or move.
    void EndEntryDrag();
    // Shift+click: index begins a new range, or ends the one begun.
    void ChooseRangeEnd(int32_t index);
    // Draws the range, the unused marks and the drag target over the swatches.
    void PaintMarks(QPainter& canvas) const;
    // The pixel counts of the open picture, made when it changed since the last.
    const TUsage& UsageNow();
    std::optional<TUsage> Usage;
    // The entry under the pointer while it is over the swatches.
    std::optional<int32_t> HoverIndex;
    // Sets the drawing entry's channel of bar from x, the press recording step.
    void ApplyBar(TColorBar* bar, int32_t x, const TStep* step);
    // The indices the blue and the red marker stand at.
    int32_t MarkedDraw = 0, MarkedTransparent = 0;
};

extern Tpalletform* palletform;
