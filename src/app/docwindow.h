// The document window: shows the whole document at zoom 1, 2 or 4, places the edit area and the
// layer area with the mouse, and carries the file commands.
#pragma once

#include "document/Change.h"
#include "document/PictureCommands.h"
#include "image/DIB.h"
#include "ui/paintbox.h"
#include "ui/toolkeys.h"

#include <QMainWindow>
#include <array>
#include <cstdint>

class QAction;
class QPainter;
class QScrollArea;
class QToolButton;
class TStatusLine;

class Tmainform : public QMainWindow, public TObserver {
public:
    explicit Tmainform(QWidget* parent = nullptr);
    ~Tmainform() override;

    // Path of the open document; empty when it came from New and was never saved.
    QString FileName() const;
    // The zoom chosen in this window: 1, 2 or 4.
    int32_t ZoomFactor = 1;
    // A view rectangle is being placed (press to release); the press was the left button, so
    // the edit area moves rather than the layer area.
    bool ViewDragging = false, DragEditArea = false;

    QWidget* Panel1;
    QToolButton *btLayer, *btLupeGrid, *bt8Dot, *bt1Dot;
    QScrollArea* ScrollBox;
    // PaintBox shows the document at ZoomPixels (a TDocCanvas); PaintBox2 lies over it, draws
    // the frames and takes the mouse.
    QWidget* PaintBox;
    TPaintSurface* PaintBox2;
    QAction *acNew, *asOpen, *acSave, *acSaveAs, *acClose, *acExit;
    // The exports, which write a file made from the document and leave its file and saved flag
    // as they were; enabled while a document is open.
    QAction *acExportGif, *acExportEnlarged;
    // The scale the enlarged export asks with: the last one chosen, 1 to kMostExportScale.
    int32_t ExportScale = 2;
    // Checked while the document keeps its transparent index in its file.
    QAction* acTransparent;
    // The edit menu; Undo and Redo are enabled under the rule of the magnifier's buttons.
    QAction *acUndo = nullptr, *acRedo = nullptr, *acCopy, *acPaste;
    // The edit menu's transforms of the floating block, in the order of kBlockItems
    // (ui/toolkeys.h); enabled while a block floats.
    std::array<QAction*, std::size(kBlockItems)> acBlock{};
    // The picture menu (picturecmd.cpp): the transforms by TTransform, the canvas size, the crop
    // (enabled while a selection is being made) and the enlargements by 2 to 8 (acEnlarge[0] is
    // 2x). Each is off while a block floats.
    std::array<QAction*, 5> acTransform{};
    QAction *acCanvasSize, *acCrop;
    QMenu* mnEnlarge;
    std::array<QAction*, 7> acEnlarge{};
    QAction *x1, *x2, *x4, *mnLayerView;
    // The grid items of the view menu; the check items show the editor state's choices.
    QAction *acPixelGrid, *acTileGrid, *acTileSize;
    // The view menu's preview windows, checked while each is shown.
    QAction *acAnimation, *acTilePreview;
    // The status bar's text (app/statusbar.h).
    TStatusLine* StatusLine;
    // The files of RecentFiles, refilled each time it opens.
    QMenu* mnRecent;

    // Redraws what the change touched and shows what can be undone and redone.
    void Changed(const TChange& change) override;

    // Document view (docview.cpp). Sizes the view to the document at the zoom and repaints it.
    void UpdateDocView();
    // The document's pixels changed: the view repaints what of it is on screen.
    void RenderDocBitmap();
    // Shows the document's pixels in rect after they changed: repaints their squares.
    void ShowDocRect(const TRect& rect);
    void PaintBox2Paint(QPainter& canvas);
    // x, y in device pixels of PaintBox2 (screen pixels at display scale 1).
    void PaintBox2MouseDown(TMouseButton button, bool shift, int32_t x, int32_t y);
    void PaintBox2MouseMove(int32_t x, int32_t y);
    void PaintBox2MouseUp();
    // The pointer left the view.
    void PaintBox2MouseLeave();
    void xClick(QAction* sender);
    // One zoom up (direction > 0) or down from the wheel; anchor, in device pixels of PaintBox2,
    // stays under the pointer where the scroll range allows.
    void StepZoom(int32_t direction, QPoint anchor);
    // Called after the button or menu item has toggled itself: the layer choices reach the
    // editor state.
    void btLayerClick();
    void mnLayerViewClick();
    // Called after a snap button was pressed: the snap step reaches the editor state.
    void SnapButtonClick();
    // Called after a grid item toggled itself: both grid choices reach the editor state.
    void GridItemClick();
    // Asks for the tile size, which the tile grid then shows.
    void acTileSizeExecute();
    // Called after a preview item toggled itself: the preview windows are shown as the items
    // are checked.
    void PreviewItemClick();

    // Picture commands (picturecmd.cpp). Each changes the whole picture as one undo step; a size
    // too large for an image, or for the view at its zoom, is refused with a message before
    // anything is made.
    void ChangePictureCommand(const TPictureChange& change);
    // Asks for the canvas and puts the picture on it.
    void acCanvasSizeExecute();
    // Device pixels per image pixel: ZoomFactor at the display scale (app/devicepixels.h).
    int32_t ZoomPixels() const;

    // File commands (filecmd.cpp).
    void acNewExecute();
    void asOpenExecute();
    // Open without the dialog: for a file named on the command line or dropped on the window.
    void OpenPath(const QString& path);
    // True when the document was written; the unsaved-changes prompt relies on it.
    bool SaveDocument();
    bool SaveDocumentAs();
    // Called after the check item toggled itself: the document keeps its transparent index in
    // its file or stops doing so.
    void acTransparentExecute();
    // Asks for a GIF file and writes the animation's cells (TEditor::AnimationCells) as its
    // frames at the animation's speed.
    void acExportGifExecute();
    // Asks for a scale and a PNG, BMP or GIF file and writes the document enlarged that much.
    void acExportEnlargedExecute();
    // Writes image in the format the extension names, the document then saved as that file;
    // false for an unknown extension.
    bool WriteImageFile(const QString& path, const TDIB& image);
    // False when the user kept the document (Cancel, or a Yes whose save wrote nothing).
    bool CloseDocument();
    // Whether the window may close: with a document open, the answer of CloseDocument.
    bool CloseQuery();
    // Creates the document of the new-image dialog and shows it. Called by TNewForm.
    void CreateDocument(int32_t width, int32_t height);

    // Recovery file (recovery.cpp). Writes the copy while the document has unsaved changes; a
    // failure is reported once, until a write succeeds again.
    void WriteRecovery();
    // At start: a copy left by a run that ended without saving is offered, naming its file and
    // time, and, when the user takes it, opened as an unsaved document of that file. Declined,
    // it is removed only when the user confirms.
    void OfferRecovery();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The tool and block keys work here as in the tool windows.
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateEditMenu();
    void CreatePictureMenu();
    // The block and picture items are on while they can act.
    void ShowTransformItems();
    // The export items are on while a document is open.
    void ShowExportItems();
    void FillRecentMenu();
    // Opens a file of the recent list; one no longer there is dropped from it with a message.
    void OpenRecent(const QString& path);
    void CreateToolbar();
    // The layer button and the layer view item, as they stand, reach the editor state.
    void ReportLayerChoice();
    // The view menu's grid items.
    void CreateGridItems(QMenu* view);
    void CreatePreviewItems(QMenu* view);
    // Has WriteRecovery run every minute.
    void StartRecoveryTimer();
    // A write of the recovery copy failed and a warning said so; later failures stay silent
    // until a write succeeds again.
    bool RecoveryFailureShown = false;
    // Image pixels times ZoomPixels, in device pixels; raises when no widget can be that big.
    int32_t ScreenExtent(int32_t pixels) const;
    // Makes image the document, which every window then shows; a transparentIndex of 0..255
    // becomes the transparent index, kept in the document's file.
    void InstallDocument(std::unique_ptr<TDIB> image, const QString& fileName,
                         int32_t transparentIndex = -1);
    void LoadDocument(const QString& path);
    bool WriteDocument(const QString& path);
};

extern Tmainform* mainform;
