// Every modal box and dialog the editor shows goes through TDialogs, so that tests can install a
// scripted set that answers without a user and records what was shown.
#pragma once

#include "document/Editor.h"
#include "image/DIB.h"
#include "image/Transform.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

class QWidget;

enum class TPromptAnswer { Yes, No, Cancel };

// A canvas size and where the picture stays on the canvas.
struct TCanvasChoice {
    TPixelSize Size;
    TAnchor Anchor;
};
// The canvas dialog offers sides of 1 up to the longest a view can show at 1x.
constexpr int32_t kMostCanvasSide = 16777215;

// How a file of several frames opens: its first frame, or every frame side by side as one sheet.
enum class TFramesAnswer { First, Sheet, Cancel };
// An enlarged export makes each pixel a square of 1 to kMostExportScale pixels a side.
constexpr int32_t kMostExportScale = 16;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A "警告" box with an OK button.
    virtual void Warning(const QString& text) = 0;
    // The error box of a command that raised an exception.
    virtual void Error(const QString& text) = 0;
    // A "確認" box with Yes, No and Cancel; dismissing it counts as Cancel.
    virtual TPromptAnswer Confirm(const QString& text) = 0;
    // The chosen path, or nothing when the user cancelled. filter is in Qt's "Name (*.x)" form,
    // its first entry chosen; start is the folder, or the file, the dialog shows first (empty:
    // the working folder).
    virtual std::optional<QString> OpenFileName(const QString& filter, const QString& start) = 0;
    // As OpenFileName. A name typed without an extension gets the one of the chosen filter, or
    // defaultSuffix under a filter that names none. The dialog asks before an existing file is
    // overwritten and keeps the user while the path's folder does not exist.
    virtual std::optional<QString> SaveFileName(const QString& filter, const QString& defaultSuffix,
                                                const QString& start) = 0;
    // Shows the new-image dialog modally; returns when it is closed.
    virtual void RunNewForm() = 0;
    // The colour the user chose for palette entry index, which holds initial; nothing when the
    // user cancelled. The reserved byte is no colour and means nothing here.
    virtual std::optional<TPaletteEntry> EditColor(int32_t index, const TPaletteEntry& initial) = 0;
    // Asks for the tile grid's size, current filled in: a width and a height of 1 to
    // kMostTileSide each, or nothing when the user cancelled.
    virtual std::optional<TPixelSize> AskTileSize(TPixelSize current) = 0;
    // Asks for the picture's canvas, the picture's size filled in and the anchor in the middle:
    // a width and a height of 1 to kMostCanvasSide and an anchor, or nothing when the user
    // cancelled.
    virtual std::optional<TCanvasChoice> AskCanvasSize(TPixelSize current) = 0;
    // Asks for the colour the previews show behind the transparent index, current (0xRRGGBB)
    // filled in: the colour chosen as 0xRRGGBB, or nothing when the user cancelled.
    virtual std::optional<uint32_t> AskBackdrop(uint32_t current) = 0;
    // Asks how to open a file that holds frames (more than one): the first frame, all of them
    // as one sheet, or not at all; dismissing it counts as Cancel.
    virtual TFramesAnswer AskFrames(int32_t frames) = 0;
    // Asks for the scale of an enlarged export, current filled in: 1 to kMostExportScale, or
    // nothing when the user cancelled.
    virtual std::optional<int32_t> AskExportScale(int32_t current) = 0;
};

// The extension, without its dot, that a name filter such as "BMPファイル (*.bmp)" gives to a
// name typed without one; empty when its first pattern names none ("(*)").
QString SuffixOfFilter(const QString& nameFilter);
// The warning that keeps the user in the save dialog when path's folder does not exist; empty
// when it does.
QString MissingFolderWarning(const QString& path);

// The application's title, the caption of the error box. Kept apart from Qt's application names:
// Qt appends a display name to every window title on X11, and the application name becomes the
// X11 window class.
const QString& ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The installed dialogs; the Qt ones unless a test installed others. Ends the press in progress,
// since a dialog is about to take the mouse.
TDialogs& Dialogs();
void SetDialogs(std::unique_ptr<TDialogs> dialogs);
// The window message boxes and file dialogs belong to, so that they stay above it.
void SetDialogOwner(QWidget* owner);
QWidget* DialogOwner();

// Folder of the file last opened or chosen in a file dialog; where every file dialog begins when
// there is no document file to begin with. Empty until then.
QString& LastFolder();
// Makes the folder of path the LastFolder.
void RememberFolder(const QString& path);

// The dialogs shown to a user.
class TQtDialogs : public TDialogs {
public:
    void Warning(const QString& text) override;
    void Error(const QString& text) override;
    TPromptAnswer Confirm(const QString& text) override;
    std::optional<QString> OpenFileName(const QString& filter, const QString& start) override;
    std::optional<QString> SaveFileName(const QString& filter, const QString& defaultSuffix,
                                        const QString& start) override;
    // Defined with the new-image dialog (app/new.cpp).
    void RunNewForm() override;
    // Defined with the colour dialog (palette/colordialog.cpp).
    std::optional<TPaletteEntry> EditColor(int32_t index, const TPaletteEntry& initial) override;
    // Defined with its dialog (ui/tilesize.cpp).
    std::optional<TPixelSize> AskTileSize(TPixelSize current) override;
    // Defined with its dialog (ui/canvassize.cpp).
    std::optional<TCanvasChoice> AskCanvasSize(TPixelSize current) override;
    std::optional<uint32_t> AskBackdrop(uint32_t current) override;
    TFramesAnswer AskFrames(int32_t frames) override;
    // Defined with its dialog (ui/scaledialog.cpp).
    std::optional<int32_t> AskExportScale(int32_t current) override;
};
