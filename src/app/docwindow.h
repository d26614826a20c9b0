// The document window: shows the whole document at zoom 1, 2 or 4, places the edit area and the
// layer area with the mouse, and carries the file commands.
#pragma once

#include "app/paintbox.h"
#include "image/DIB.h"

#include <QMainWindow>
#include <cstdint>

class QAction;
class QPainter;
class QScrollArea;
class QToolButton;

class Tmainform : public QMainWindow {
public:
    explicit Tmainform(QWidget* parent = nullptr);

    // Path of the open document; empty when it came from New and was never saved.
    QString FileName;
    // Folder of the file last opened or chosen in a file dialog; where the dialogs begin when
    // there is no document file to begin with. Empty until then.
    QString LastFolder;
    // Makes the folder of path the LastFolder: every file dialog, the palette's too, shares it.
    void RememberFolder(const QString& path);
    // The zoom chosen in this window: 1, 2 or 4.
    int32_t ZoomFactor = 1;
    // A view rectangle is being placed (press to release); the press was the left button, so
    // the edit area moves rather than the layer area.
    bool ViewDragging = false, DragEditArea = false;
    // The pixels of the floating block, from LiftSelection to PlaceFloat or CancelSelection.
    TDIB WorkImage;

    QWidget* Panel1;
    QToolButton *btLayer, *btLupeGrid, *bt8Dot, *bt1Dot;
    QScrollArea* ScrollBox;
    // PaintBox shows the document at ZoomPixels (a TDocCanvas); PaintBox2 lies over it, draws
    // the frames and takes the mouse.
    QWidget* PaintBox;
    TPaintSurface* PaintBox2;
    QAction *acNew, *asOpen, *acSave, *acSaveAs, *acClose, *acExit;
    // Checked while DocTransparent holds.
    QAction* acTransparent;
    // The file the document came from when opening it left part of the file out (a warning
    // said what); the first save over that file asks first. Empty otherwise.
    QString LossyFile;
    // The edit menu; Undo and Redo are enabled under the rule of the magnifier's buttons.
    QAction *acUndo = nullptr, *acRedo = nullptr, *acCopy, *acPaste;
    QAction *x1, *x2, *x4, *mnLayerView;
    // The files of RecentFiles, refilled each time it opens.
    QMenu* mnRecent;

    // Document view (docview.cpp). Sizes the view to the document at the zoom and repaints it.
    void UpdateDocView();
    // The document's pixels changed: the view repaints what of it is on screen.
    void RenderDocBitmap();
    // Shows the document's pixel (x, y) after it changed: repaints its square.
    void ShowDocPixel(int32_t x, int32_t y);
    void UpdateViewSizes();
    void PaintBox2Paint(QPainter& canvas);
    // x, y in device pixels of PaintBox2 (screen pixels at display scale 1).
    void PaintBox2MouseDown(TMouseButton button, bool shift, int32_t x, int32_t y);
    void PaintBox2MouseMove(int32_t x, int32_t y);
    void PaintBox2MouseUp();
    void xClick(QAction* sender);
    // One zoom up (direction > 0) or down from the wheel; anchor, in device pixels of PaintBox2,
    // stays under the pointer where the scroll range allows.
    void StepZoom(int32_t direction, QPoint anchor);
    // Called after the button or menu item has toggled itself.
    void btLayerClick();
    void mnLayerViewClick();
    // Device pixels per image pixel: ZoomFactor at the display scale (app/devicepixels.h).
    int32_t ZoomPixels() const;
    // The snap step of the pressed grid button, in image pixels; read afresh by every placement
    // and selection step.
    void SnapStep(int32_t& sx, int32_t& sy) const;

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
    // Writes image in the format the extension names; false for an unknown extension.
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
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateEditMenu();
    void FillRecentMenu();
    // Opens a file of the recent list; one no longer there is dropped from it with a message.
    void OpenRecent(const QString& path);
    void CreateToolbar();
    // Has WriteRecovery run every minute.
    void StartRecoveryTimer();
    // A write of the recovery copy failed and a warning said so; later failures stay silent
    // until a write succeeds again.
    bool RecoveryFailureShown = false;
    // Image pixels times ZoomPixels, in device pixels; raises when no widget can be that big.
    int32_t ScreenExtent(int32_t pixels) const;
    // Moves stored view origins that lie outside a newly installed document to the last snap
    // position where the whole view fits (0 where it fits nowhere).
    void ClampViewOrigins();
    // Makes image the document and brings every window up to date; a transparentIndex of 0..255
    // becomes TransparentIndex, kept in the document's file (DocTransparent).
    void InstallDocument(std::unique_ptr<TDIB> image, const QString& fileName,
                         int32_t transparentIndex = -1);
    void LoadDocument(const QString& path);
    bool WriteDocument(const QString& path);
};

extern Tmainform* mainform;
