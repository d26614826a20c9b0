#include "palette/palettewindow.h"

#include "app/dialogs.h"
#include "app/docpalette.h"
#include "app/docwindow.h"
#include "app/errors.h"
#include "app/press.h"
#include "app/state.h"
#include "editor/lupe.h"
#include "editor/undo.h"
#include "image/DIB.h"
#include "image/DisplayColor.h"
#include "image/PaletteEdit.h"

#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <utility>

Tpalletform* palletform = nullptr;

TColorBar::TColorBar(QLabel* tag, QWidget* parent) : QProgressBar(parent), Tag(tag) {
    setRange(0, 31);
    setValue(0);
    setTextVisible(false);
}

void TColorBar::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown) RunGuarded([&] { OnMouseDown(this, event->position().toPoint().x()); });
}

void TColorBar::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) RunGuarded([&] { OnMouseMove(this, event->position().toPoint().x()); });
}

void TColorBar::mouseReleaseEvent(QMouseEvent*) {
    if (OnMouseUp) RunGuarded(OnMouseUp);
}

namespace {
// Top of the swatch grid and of the three bar rows in the client area.
constexpr int kGridTop = 4;
constexpr int kBarTops[3] = {264, 284, 304};

// Bold 16-pixel captions on the caption colour, as the row labels and the value labels share.
QLabel* AddCaption(QWidget* client, const QString& text, QRect place, Qt::Alignment align) {
    auto* label = new QLabel(text, client);
    label->setGeometry(place);
    label->setAlignment(align | Qt::AlignVCenter);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(16);
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Button));
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    return label;
}
} // namespace

Tpalletform::Tpalletform(QWidget* owner) : TToolWindow(owner, "パレット") {
    move(734, 111);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    PalletMenu = new QMenuBar(this);
    layout->setMenuBar(PalletMenu);
    auto* client = new QWidget(this);
    client->setFixedSize(256, 321);
    layout->addWidget(client);

    PalletBitmap = QImage(kSwatchGridSide, kSwatchGridSide, QImage::Format_RGB32);
    palletImage = new TPaintSurface(client);
    palletImage->setGeometry(0, kGridTop, kSwatchGridSide, kSwatchGridSide);
    palletImage->OnPaint = [this](QPainter& canvas) { canvas.drawImage(0, 0, PalletBitmap); };
    palletImage->OnMouseDown = [this](TMouseButton button, bool, int32_t x, int32_t y) {
        palletImageMouseDown(button, x, y);
    };
    palletImage->OnMouseMove = [this](int32_t x, int32_t y) { palletImageMouseMove(x, y); };
    palletImage->OnMouseUp = [this] { palletImageMouseUp(); };
    CreateBars(client);
    CreateMenus();

    RebuildPaletteImage();
    DrawIndex = 0;
    TransparentIndex = 0;
}

void Tpalletform::CreateBars(QWidget* client) {
    const char* captions[3] = {"R", "G", "B"};
    QLabel** values[3] = {&RLab, &GLab, &BLab};
    TColorBar** bars[3] = {&RBar, &GBar, &BBar};
    for (int i = 0; i < 3; ++i) {
        AddCaption(client, captions[i], QRect(0, kBarTops[i], 16, 16), Qt::AlignHCenter);
        *values[i] = AddCaption(client, "0", QRect(208, kBarTops[i], 48, 16), Qt::AlignRight);
        auto* bar = new TColorBar(*values[i], client);
        bar->setGeometry(20, kBarTops[i], kBarWidth, 16);
        bar->OnMouseDown = [this](TColorBar* b, int32_t x) { RBarMouseDown(b, x); };
        bar->OnMouseMove = [this](TColorBar* b, int32_t x) { RBarMouseMove(b, x); };
        bar->OnMouseUp = [this] { RBarMouseUp(); };
        *bars[i] = bar;
    }
}

void Tpalletform::CreateMenus() {
    QMenu* files = PalletMenu->addMenu("パレットファイル");
    mnLoadPalette = files->addAction("パレット読み込み");
    ConnectGuarded(mnLoadPalette, [this] { mnLoadPaletteClick(); });
    mnSavePalette = files->addAction("パレット保存");
    ConnectGuarded(mnSavePalette, [this] { mnSavePaletteClick(); });
    QMenu* edit = PalletMenu->addMenu("パレット編集");
    mnPalletChange = edit->addAction("パレットを変更しない");
    // The lock is only its check mark, which the item toggles itself; bar presses read it.
    mnPalletChange->setCheckable(true);
    edit->addSeparator();
    mnCut15Bit = edit->addAction("精度を15Bitに切り捨てる");
    ConnectGuarded(mnCut15Bit, [this] { mnCut15BitClick(); });
    mnSwapIndices = edit->addAction("選択色と透明色を入れ替える");
    ConnectGuarded(mnSwapIndices, [this] { mnSwapIndicesClick(); });
}

void Tpalletform::RebuildPaletteImage() {
    for (int32_t i = 0; i < 256; ++i) {
        uint32_t colour = SurfaceValueOfDisplayColor(DisplayColor::Black);
        if (DocImage) colour = SurfaceValueOf(DocImage->PaletteBlock[i]);
        FillSwatch(i, colour);
        FrameSwatch(i, DisplayColor::White);
    }
    FrameSwatch(TransparentIndex, DisplayColor::Red);
    FrameSwatch(DrawIndex, DisplayColor::Blue);
    ShowEntryOnBars(DrawIndex);
}

void Tpalletform::FrameSwatch(int32_t index, uint32_t colour) {
    const int32_t x = index % 16 * kSwatchSide, y = index / 16 * kSwatchSide;
    const int32_t last = kSwatchSide - 1;
    const QRgb rgb = SurfaceValueOfDisplayColor(colour);
    for (int32_t k = 0; k < kSwatchSide; ++k) {
        PalletBitmap.setPixel(x + k, y, rgb);
        PalletBitmap.setPixel(x + k, y + last, rgb);
        PalletBitmap.setPixel(x, y + k, rgb);
        PalletBitmap.setPixel(x + last, y + k, rgb);
    }
    palletImage->update(x, y, kSwatchSide, kSwatchSide);
}

void Tpalletform::FillSwatch(int32_t index, uint32_t colour) {
    const int32_t x = index % 16 * kSwatchSide, y = index / 16 * kSwatchSide;
    for (int32_t row = y; row < y + kSwatchSide; ++row) {
        auto* line = reinterpret_cast<QRgb*>(PalletBitmap.scanLine(row));
        std::fill(line + x, line + x + kSwatchSide, colour);
    }
    palletImage->update(x, y, kSwatchSide, kSwatchSide);
}

void Tpalletform::SelectSwatch(int32_t index, bool left) {
    if (left) {
        FrameSwatch(DrawIndex,
                    DrawIndex == TransparentIndex ? DisplayColor::Red : DisplayColor::White);
        DrawIndex = index;
        FrameSwatch(DrawIndex, DisplayColor::Blue);
        ShowEntryOnBars(DrawIndex);
    } else {
        FrameSwatch(TransparentIndex,
                    TransparentIndex == DrawIndex ? DisplayColor::Blue : DisplayColor::White);
        // The file keeps the transparent index when the document carries transparency, so
        // moving it is a change to save.
        if (DocTransparent && DocImage && index != TransparentIndex) Saved = false;
        TransparentIndex = index;
        FrameSwatch(TransparentIndex, DisplayColor::Red);
    }
}

void Tpalletform::ShowEntryOnBars(int32_t index) {
    if (!DocImage) return;
    const TPaletteEntry& e = DocImage->PaletteBlock[index];
    const uint8_t channels[3] = {e.Red, e.Green, e.Blue};
    TColorBar* bars[3] = {RBar, GBar, BBar};
    for (int i = 0; i < 3; ++i) {
        bars[i]->setValue(BarPosition(channels[i]));
        bars[i]->Tag->setText(QString::number(bars[i]->value()));
    }
}

void Tpalletform::palletImageMouseDown(TMouseButton button, int32_t x, int32_t y) {
    PressBegan([this] { palletImageMouseUp(); });
    SwatchDragging = true;
    SwatchLeftButton = button == TMouseButton::Left;
    palletImageMouseMove(x, y);
}

void Tpalletform::palletImageMouseMove(int32_t x, int32_t y) {
    if (!SwatchDragging) return;
    SelectSwatch(SwatchIndexAt(x, y), SwatchLeftButton);
    // The transparent index decides what the layer overlay shows.
    if (!SwatchLeftButton && DocImage) LupeForm->RenderLupe();
}

void Tpalletform::palletImageMouseUp() {
    if (!SwatchDragging) return;
    SwatchDragging = false;
    SwatchLeftButton = false;
    PressEnded();
}

void Tpalletform::RBarMouseDown(TColorBar* bar, int32_t x) {
    if (!DocImage || mnPalletChange->isChecked()) return;
    PressBegan([this] { RBarMouseUp(); });
    BarDragging = true;
    // One undo step for a whole run of bar presses: the history merges while this is set.
    PalettePushing = true;
    PushUndo(0, 0, 1, 1, true);
    PalettePushing = false;
    RBarMouseMove(bar, x);
}

void Tpalletform::RBarMouseMove(TColorBar* bar, int32_t x) {
    if (!BarDragging || !DocImage) return;
    bar->setValue(BarPositionAt(x));
    TPalette palette = DocImage->PaletteBlock;
    palette[DrawIndex] =
        EntryFromBars(palette[DrawIndex], RBar->value(), GBar->value(), BBar->value());
    SetDocumentPalette(palette);
    // The edited cell shows its colour edge to edge until its outline is drawn again.
    FillSwatch(DrawIndex, SurfaceValueOf(palette[DrawIndex]));
    bar->Tag->setText(QString::number(bar->value()));
}

// Every release over a bar marks the document, also that of a press the lock refused.
void Tpalletform::RBarMouseUp() {
    if (BarDragging) PressEnded();
    BarDragging = false;
    if (!DocImage) return;
    Saved = false;
    RenderViews();
}

void Tpalletform::RenderViews() {
    mainform->RenderDocBitmap();
    mainform->PaintBox->update();
    LupeForm->RenderLupe();
}

bool Tpalletform::RefusedByLock(const QString& refusal) {
    if (!mnPalletChange->isChecked()) return false;
    Dialogs().Warning("「パレットを変更しない」が選ばれているので、" + refusal);
    return true;
}

// The low bits it drops are gone for good, so the cut is a step of its own that undo gives back.
void Tpalletform::mnCut15BitClick() {
    if (!DocImage || RefusedByLock("精度を切り捨てられません")) return;
    PushUndo(0, 0, 1, 1, true);
    SetDocumentPalette(Cut15Bit(DocImage->PaletteBlock));
}

void Tpalletform::mnSwapIndicesClick() {
    if (!DocImage || mnPalletChange->isChecked() || DrawIndex == TransparentIndex) return;
    // A floating block keeps its own pixels, which the swap would leave showing other colours.
    if (Floating) return;
    // One step holding every pixel and the palette, so undo restores both.
    PushUndo(0, 0, DocImage->Width(), DocImage->Height(), true);
    SwapPixelIndices(*DocImage, uint8_t(DrawIndex), uint8_t(TransparentIndex));
    TPalette palette = DocImage->PaletteBlock;
    std::swap(palette[DrawIndex], palette[TransparentIndex]);
    // Redraws the views too, now that the pixels are swapped already.
    SetDocumentPalette(palette);
}
