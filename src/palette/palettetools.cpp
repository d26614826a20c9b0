// The palette window's tools: dragging entries to swap or move them, the ramp's range, the sorts,
// the unused and duplicate entries, the pixel counts, and the marks they show on the swatches.
#include "document/PaletteTools.h"
#include "image/PaletteEdit.h"
#include "palette/palettewindow.h"
#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/session.h"

#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <algorithm>

void Tpalletform::CreateToolMenu(QMenu* edit) {
    edit->addSeparator();
    mnGradient = edit->addAction("グラデーション");
    ConnectGuarded(mnGradient, [this] { mnGradientClick(); });
    edit->addSeparator();
    mnSortHue = edit->addAction("色相で並べ替え");
    ConnectGuarded(mnSortHue, [this] { mnSortClick(TSortKey::Hue); });
    mnSortBrightness = edit->addAction("明るさで並べ替え");
    ConnectGuarded(mnSortBrightness, [this] { mnSortClick(TSortKey::Brightness); });
    mnSortUsage = edit->addAction("使用回数で並べ替え");
    ConnectGuarded(mnSortUsage, [this] { mnSortClick(TSortKey::Usage); });
    mnKeepTransparent = edit->addAction("透明色を動かさない");
    mnKeepTransparent->setCheckable(true);
    mnKeepTransparent->setChecked(Editor().SortKeepsTransparent);
    ConnectGuarded(mnKeepTransparent, [this] { mnKeepTransparentClick(); });
    edit->addSeparator();
    mnSelectUnused = edit->addAction("未使用の色を選択");
    ConnectGuarded(mnSelectUnused, [this] { mnSelectUnusedClick(); });
    mnMergeDuplicates = edit->addAction("重複する色をまとめる");
    ConnectGuarded(mnMergeDuplicates, [this] { mnMergeDuplicatesClick(); });
}

void Tpalletform::BeginEntryDrag(int32_t index, TEntryDrag mode) {
    if (!Doc().IsOpen() ||
        RefusedByLock(mode == TEntryDrag::Swap ? "色を入れ替えられません" : "色を移動できません"))
        return;
    Editor().PressBegan([this] { palletImageMouseUp(); });
    SwatchDragging = true;
    EntryDrag = mode;
    DragSource = DragTarget = index;
    palletImage->update();
}

void Tpalletform::EndEntryDrag() {
    const TEntryDrag mode = std::exchange(EntryDrag, TEntryDrag::None);
    if (mode == TEntryDrag::None) return;
    palletImage->update();
    const auto from = uint8_t(DragSource), to = uint8_t(DragTarget);
    if (mode == TEntryDrag::Swap)
        SwapEntries(Editor(), from, to);
    else
        MoveEntry(Editor(), from, to);
}

void Tpalletform::ChooseRangeEnd(int32_t index) {
    if (!Doc().IsOpen()) return;
    if (!RangeFirst || RangeLast) {
        RangeFirst = index;
        RangeLast.reset();
    } else {
        RangeLast = index;
    }
    palletImage->update();
}

void Tpalletform::mnGradientClick() {
    if (!Doc().IsOpen() || RefusedByLock("グラデーションを作れません")) return;
    if (!RangeLast) {
        Dialogs().Warning("グラデーションの両端の色を Shift+クリックで選んでください");
        return;
    }
    RampEntries(Doc(), uint8_t(*RangeFirst), uint8_t(*RangeLast));
}

void Tpalletform::mnSortClick(TSortKey key) {
    if (!Doc().IsOpen() || RefusedByLock("並べ替えられません")) return;
    SortEntries(Editor(), key, Editor().SortKeepsTransparent);
}

void Tpalletform::mnKeepTransparentClick() {
    Editor().SortKeepsTransparent = mnKeepTransparent->isChecked();
}

void Tpalletform::mnSelectUnusedClick() {
    if (!Doc().IsOpen()) return;
    const TUsage& usage = UsageNow();
    for (size_t i = 0; i < 256; ++i)
        UnusedMarks[i] = usage[i] == 0;
    palletImage->update();
    UsageLab->setText(QString("未使用の色: %1").arg(UnusedMarks.count()));
}

void Tpalletform::mnMergeDuplicatesClick() {
    if (!Doc().IsOpen() || RefusedByLock("重複する色をまとめられません")) return;
    const int32_t merged = MergeDuplicates(Editor());
    UsageLab->setText(QString("まとめた色: %1").arg(merged));
}

const TUsage& Tpalletform::UsageNow() {
    if (!Usage) Usage = CountUsage(*Doc().DocImage());
    return *Usage;
}

void Tpalletform::ShowUsage(int32_t index) {
    if (!Doc().IsOpen()) return UsageLab->clear();
    UsageLab->setText(
        QString("#%1: %2 ピクセル").arg(index).arg(qulonglong(UsageNow()[size_t(index)])));
}

namespace {
// A line colour that shows on entry's colour: black on light colours, white on dark.
QColor ContrastTo(const TPaletteEntry& entry) {
    return 299 * entry.Red + 587 * entry.Green + 114 * entry.Blue >= 128000 ? Qt::black : Qt::white;
}
} // namespace

// The range's cells get an inner frame, the unused ones a cross, the drag's target a square in
// the middle; each in the colour that shows on its swatch.
void Tpalletform::PaintMarks(QPainter& canvas) const {
    if (!Doc().IsOpen()) return;
    const TPalette& palette = Doc().DocImage()->PaletteBlock;
    const auto cell = [&](int32_t index) {
        canvas.setPen(ContrastTo(palette[size_t(index)]));
        canvas.setBrush(Qt::NoBrush);
        return QPoint(index % 16 * kSwatchSide, index / 16 * kSwatchSide);
    };
    if (RangeFirst) {
        const int32_t last = RangeLast.value_or(*RangeFirst);
        for (int32_t i = std::min(*RangeFirst, last); i <= std::max(*RangeFirst, last); ++i)
            canvas.drawRect(QRect(cell(i) + QPoint(2, 2), QSize(kSwatchSide - 5, kSwatchSide - 5)));
    }
    for (int32_t i = 0; i < 256; ++i) {
        if (!UnusedMarks[size_t(i)]) continue;
        const QPoint at = cell(i);
        canvas.drawLine(at + QPoint(4, 4), at + QPoint(kSwatchSide - 5, kSwatchSide - 5));
        canvas.drawLine(at + QPoint(kSwatchSide - 5, 4), at + QPoint(4, kSwatchSide - 5));
    }
    if (EntryDrag != TEntryDrag::None) {
        const QPoint at = cell(DragTarget);
        canvas.fillRect(QRect(at + QPoint(5, 5), QSize(kSwatchSide - 10, kSwatchSide - 10)),
                        canvas.pen().color());
    }
}
