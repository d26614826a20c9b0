#include "palette/palettewindow.h"
#include "ui/session.h"

#include "document/PaletteTools.h"
#include "image/DIB.h"
#include "image/DisplayColor.h"
#include "image/PaletteEdit.h"
#include "ui/dialogs.h"
#include "ui/errors.h"

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
// The line of the pixel count under the bars.
constexpr int kUsageTop = 324;

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
    client->setFixedSize(256, kUsageTop + 18);
    layout->addWidget(client);

    PalletBitmap = QImage(kSwatchGridSide, kSwatchGridSide, QImage::Format_RGB32);
    palletImage = new TPaintSurface(client);
    palletImage->setGeometry(0, kGridTop, kSwatchGridSide, kSwatchGridSide);
    palletImage->OnPaint = [this](QPainter& canvas) {
        canvas.drawImage(0, 0, PalletBitmap);
        PaintMarks(canvas);
    };
    palletImage->OnMouseDown = [this](TMouseButton button, TModifiers keys, int32_t x, int32_t y) {
        palletImageMouseDown(button, x, y, keys);
    };
    palletImage->OnMouseMove = [this](int32_t x, int32_t y, TModifiers) {
        palletImageMouseMove(x, y);
    };
    palletImage->OnMouseUp = [this] { palletImageMouseUp(); };
    palletImage->OnMouseLeave = [this] { palletImageMouseLeave(); };
    palletImage->OnDoubleClick = [this](TMouseButton button, int32_t x, int32_t y) {
        palletImageDblClick(button, x, y);
    };
    CreateBars(client);
    UsageLab = new QLabel(client);
    UsageLab->setGeometry(4, kUsageTop, 252, 16);
    CreateMenus();

    RebuildPaletteImage();
    Doc().Subscribe(this);
}

Tpalletform::~Tpalletform() {
    Doc().Unsubscribe(this);
}

void Tpalletform::Changed(const TChange& change) {
    if (change.Document) RangeFirst = RangeLast = std::nullopt;
    if (change.Document || change.Pixels) Usage.reset();
    if (change.Document || change.Pixels || change.Palette) {
        if (UnusedMarks.any()) palletImage->update();
        UnusedMarks.reset();
        // The pointer rests on a swatch whose count may have changed (an undo by key, a drag).
        if (HoverIndex)
            ShowUsage(*HoverIndex);
        else
            UsageLab->clear();
    }
    if (change.Document || change.Palette) return RebuildPaletteImage();
    if (!change.Indices) return;
    // The marker moved last shows where the two meet.
    if (Editor().DrawIndex() != MarkedDraw) {
        FrameSwatch(MarkedDraw,
                    MarkedDraw == MarkedTransparent ? DisplayColor::Red : DisplayColor::White);
        MarkedDraw = Editor().DrawIndex();
        FrameSwatch(MarkedDraw, DisplayColor::Blue);
        ShowEntryOnBars(MarkedDraw);
    }
    if (Doc().TransparentIndex() != MarkedTransparent) {
        FrameSwatch(MarkedTransparent,
                    MarkedTransparent == MarkedDraw ? DisplayColor::Blue : DisplayColor::White);
        MarkedTransparent = Doc().TransparentIndex();
        FrameSwatch(MarkedTransparent, DisplayColor::Red);
    }
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
    mnLoadNearest = files->addAction("パレット読み込み (近い色に置き換え)…");
    ConnectGuarded(mnLoadNearest, [this] { mnLoadNearestClick(); });
    mnSavePalette = files->addAction("パレット保存");
    ConnectGuarded(mnSavePalette, [this] { mnSavePaletteClick(); });
    QMenu* edit = PalletMenu->addMenu("パレット編集");
    mnPalletChange = edit->addAction("パレットを変更しない");
    mnPalletChange->setCheckable(true);
    ConnectGuarded(mnPalletChange, [this] { mnPalletChangeClick(); });
    edit->addSeparator();
    mnEditColor = edit->addAction("色の編集…");
    ConnectGuarded(mnEditColor, [this] { mnEditColorClick(); });
    mnCut15Bit = edit->addAction("精度を15Bitに切り捨てる");
    ConnectGuarded(mnCut15Bit, [this] { mnCut15BitClick(); });
    mnSwapIndices = edit->addAction("選択色と透明色を入れ替える");
    ConnectGuarded(mnSwapIndices, [this] { mnSwapIndicesClick(); });
    CreateToolMenu(edit);
}

void Tpalletform::RebuildPaletteImage() {
    for (int32_t i = 0; i < 256; ++i) {
        uint32_t colour = SurfaceValueOfDisplayColor(DisplayColor::Black);
        if (Doc().IsOpen()) colour = SurfaceValueOf(Doc().DocImage()->PaletteBlock[i]);
        FillSwatch(i, colour);
        FrameSwatch(i, DisplayColor::White);
    }
    MarkedTransparent = Doc().TransparentIndex();
    MarkedDraw = Editor().DrawIndex();
    FrameSwatch(MarkedTransparent, DisplayColor::Red);
    FrameSwatch(MarkedDraw, DisplayColor::Blue);
    ShowEntryOnBars(MarkedDraw);
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
    if (left)
        Editor().SetDrawIndex(index);
    else
        Doc().SetTransparentIndex(index);
}

void Tpalletform::ShowEntryOnBars(int32_t index) {
    if (!Doc().IsOpen()) return;
    const TPaletteEntry& e = Doc().DocImage()->PaletteBlock[index];
    const uint8_t channels[3] = {e.Red, e.Green, e.Blue};
    TColorBar* bars[3] = {RBar, GBar, BBar};
    for (int i = 0; i < 3; ++i) {
        bars[i]->setValue(BarPosition(channels[i]));
        bars[i]->Tag->setText(QString::number(bars[i]->value()));
    }
}

void Tpalletform::palletImageMouseDown(TMouseButton button, int32_t x, int32_t y, TModifiers keys) {
    const int32_t index = SwatchIndexAt(x, y);
    if (button == TMouseButton::Left && keys.Ctrl)
        return BeginEntryDrag(index, keys.Shift ? TEntryDrag::Move : TEntryDrag::Swap);
    if (button == TMouseButton::Left && keys.Shift) return ChooseRangeEnd(index);
    Editor().PressBegan([this] { palletImageMouseUp(); });
    SwatchDragging = true;
    SwatchLeftButton = button == TMouseButton::Left;
    palletImageMouseMove(x, y);
}

void Tpalletform::palletImageMouseMove(int32_t x, int32_t y) {
    const int32_t index = SwatchIndexAt(x, y);
    if (x >= 0 && y >= 0 && x < kSwatchGridSide && y < kSwatchGridSide) {
        HoverIndex = index;
        ShowUsage(index);
    }
    if (!SwatchDragging) return;
    if (EntryDrag == TEntryDrag::None) return SelectSwatch(index, SwatchLeftButton);
    if (index == DragTarget) return;
    DragTarget = index;
    palletImage->update();
}

void Tpalletform::palletImageMouseUp() {
    if (!SwatchDragging) return;
    SwatchDragging = false;
    SwatchLeftButton = false;
    EndEntryDrag();
    Editor().PressEnded();
}

void Tpalletform::palletImageMouseLeave() {
    HoverIndex.reset();
    UsageLab->clear();
}

void Tpalletform::palletImageDblClick(TMouseButton button, int32_t x, int32_t y) {
    if (button == TMouseButton::Left) EditEntryColor(SwatchIndexAt(x, y));
}

void Tpalletform::RBarMouseDown(TColorBar* bar, int32_t x) {
    if (!Doc().IsOpen() || Editor().PaletteLocked) return;
    Editor().PressBegan([this] { RBarMouseUp(); });
    BarDragging = true;
    // One undo step for a whole run of bar presses.
    const TStep step{TRect{0, 0, 1, 1}, true, TStepRun::PaletteBar};
    ApplyBar(bar, x, &step);
}

void Tpalletform::RBarMouseMove(TColorBar* bar, int32_t x) {
    if (BarDragging && Doc().IsOpen()) ApplyBar(bar, x, nullptr);
}

void Tpalletform::ApplyBar(TColorBar* bar, int32_t x, const TStep* step) {
    bar->setValue(BarPositionAt(x));
    const int32_t index = Editor().DrawIndex();
    TPalette palette = Doc().DocImage()->PaletteBlock;
    palette[index] = EntryFromBars(palette[index], RBar->value(), GBar->value(), BBar->value());
    Doc().EditPalette(step, palette);
    // The edited cell shows its colour edge to edge until its outline is drawn again.
    FillSwatch(index, SurfaceValueOf(palette[index]));
    bar->Tag->setText(QString::number(bar->value()));
}

// Every release over a bar marks the document, also that of a press the lock refused.
void Tpalletform::RBarMouseUp() {
    if (BarDragging) Editor().PressEnded();
    BarDragging = false;
    Doc().MarkUnsaved();
}

bool Tpalletform::RefusedByLock(const QString& refusal) {
    if (!Editor().PaletteLocked) return false;
    Dialogs().Warning("「パレットを変更しない」が選ばれているので、" + refusal);
    return true;
}

void Tpalletform::mnPalletChangeClick() {
    Editor().PaletteLocked = mnPalletChange->isChecked();
}

void Tpalletform::EditEntryColor(int32_t index) {
    if (!Doc().IsOpen() || RefusedByLock("色を変更できません")) return;
    const TPaletteEntry old = Doc().DocImage()->PaletteBlock[index];
    const std::optional<TPaletteEntry> chosen = Dialogs().EditColor(index, old);
    if (!chosen) return;
    // The dialog chooses a colour; the entry's reserved byte stays.
    const TPaletteEntry entry{chosen->Blue, chosen->Green, chosen->Red, old.Reserved};
    if (entry == old) return;
    TPalette palette = Doc().DocImage()->PaletteBlock;
    palette[index] = entry;
    // A step of its own, not merged into a run of bar presses.
    const TStep step{TRect{0, 0, 1, 1}, true};
    Doc().EditPalette(&step, palette);
}

void Tpalletform::mnEditColorClick() {
    EditEntryColor(Editor().DrawIndex());
}

// The low bits it drops are gone for good, so the cut is a step of its own that undo gives back.
void Tpalletform::mnCut15BitClick() {
    if (!Doc().IsOpen() || RefusedByLock("精度を切り捨てられません")) return;
    const TStep step{TRect{0, 0, 1, 1}, true};
    Doc().EditPalette(&step, Cut15Bit(Doc().DocImage()->PaletteBlock));
}

void Tpalletform::mnSwapIndicesClick() {
    if (!Doc().IsOpen() || RefusedByLock("色を入れ替えられません")) return;
    // The indices stay: the transparent index now holds the drawing colour, and its pixels.
    SwapEntries(Editor(), uint8_t(Editor().DrawIndex()), uint8_t(Doc().TransparentIndex()), false);
}
