#include "editor/cellpreview.h"

#include "image/DIB.h"
#include "image/DisplayColor.h"
#include "ui/devicepixels.h"
#include "ui/errors.h"
#include "ui/paintbox.h"
#include "ui/session.h"

#include <QEvent>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
// The workspace colour round the picture, as the magnifier has it.
const QColor kWorkspace(0xAB, 0xAB, 0xAB);
// The checkerboard's squares, logical pixels.
constexpr int32_t kCheckerSide = 8;
} // namespace

TCellPreview::TCellPreview(QWidget* owner, const QString& caption, int32_t copies)
    : TToolWindow(owner, caption), Copies_(copies) {
    Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    ScrollBox = new QScrollArea(this);
    QPalette workspace = ScrollBox->palette();
    workspace.setColor(QPalette::Window, kWorkspace);
    ScrollBox->setPalette(workspace);
    ScrollBox->setBackgroundRole(QPalette::Window);
    Layout->addWidget(ScrollBox);
    Box = new TImageControl(Bitmap, nullptr);
    Box->resize(0, 0);
    ScrollBox->setWidget(Box);
    Doc().Subscribe(this);
}

TCellPreview::~TCellPreview() {
    Doc().Unsubscribe(this);
}

int32_t TCellPreview::CellPixels() const {
    return DevicePixelsPer(Editor().Animation().Scale, Box->devicePixelRatioF());
}

TCellLook TCellPreview::CurrentLook() const {
    const TAnimation& animation = Editor().Animation();
    return TCellLook{CellPixels(), uint8_t(Doc().TransparentIndex()), animation.Checker,
                     SurfaceValue(uint8_t(animation.Backdrop >> 16),
                                  uint8_t(animation.Backdrop >> 8), uint8_t(animation.Backdrop)),
                     DevicePixelsPer(kCheckerSide, Box->devicePixelRatioF())};
}

QSize TCellPreview::PreviewPixels() const {
    const TRect cell = ShownCell();
    return QSize(cell.Width(), cell.Height()) * (CellPixels() * Copies_);
}

void TCellPreview::Changed(const TChange& change) {
    if (!isVisible()) return;
    // Which cell is shown, and how big, follows the picture's size, the edit area and the
    // animation's settings; its look follows the transparent index too.
    const bool cellMayMove = change.Document || change.Resized || change.Areas || change.Animation;
    const bool lookMayChange = change.Indices || change.Animation;
    if (!cellMayMove && !lookMayChange && !change.Palette && !change.Pixels) return;
    StateChanged(change);
    if (!Doc().IsOpen() || change.Document || change.Resized || change.Palette ||
        (cellMayMove && (ShownCell() != ShownRect || Bitmap.size() != PreviewPixels())) ||
        (lookMayChange && CurrentLook() != ShownLook))
        return RenderPreview();
    if (change.Pixels) ShowRect(change.Rect);
}

void TCellPreview::showEvent(QShowEvent* event) {
    // Notices passed over while hidden: everything may have changed.
    StateChanged(TChange{.Document = true});
    RenderPreview();
    TToolWindow::showEvent(event);
}

bool TCellPreview::event(QEvent* event) {
    if (event->type() == QEvent::ScreenChangeInternal && isVisible())
        RunGuarded([this] { RenderPreview(); });
    return TToolWindow::event(event);
}

void TCellPreview::RenderPreview() {
    const QSize pixels = Doc().IsOpen() ? PreviewPixels() : QSize(0, 0);
    Box->resize(LogicalSize(pixels, Box->devicePixelRatioF()));
    if (Bitmap.size() != pixels)
        Bitmap = pixels.isEmpty() ? QImage() : QImage(pixels, QImage::Format_RGB32);
    ShownRect = pixels.isEmpty() ? TRect{} : ShownCell();
    ShownLook = CurrentLook();
    if (!pixels.isEmpty()) ShowRect(ShownRect);
    Box->update();
}

void TCellPreview::ShowRect(const TRect& rect) {
    if (!RectsMeet(rect, ShownRect)) return;
    const TRect part = CommonRect(rect, ShownRect);
    TSurface surface{Bitmap.bits(), Bitmap.bytesPerLine(), Bitmap.width(), Bitmap.height(), 32};
    const TSurfaceColors colors = SurfaceColorsOf(*Doc().DocImage());
    const int32_t s = ShownLook.Scale;
    const int32_t w = ShownRect.Width() * s, h = ShownRect.Height() * s;
    const int32_t x = (part.Left - ShownRect.Left) * s, y = (part.Top - ShownRect.Top) * s;
    for (int32_t row = 0; row < Copies_; ++row)
        for (int32_t column = 0; column < Copies_; ++column) {
            const int32_t left = column * w + x, top = row * h + y;
            RenderCell(surface, left, top, *Doc().DocImage(), part, colors, ShownLook);
            Box->update(LogicalCover(*Box, QRect(left, top, part.Width() * s, part.Height() * s)));
        }
}
