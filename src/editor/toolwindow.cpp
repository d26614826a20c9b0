#include "editor/toolwindow.h"

#include "app/docwindow.h"
#include "app/errors.h"
#include "app/state.h"
#include "base/ScopedValue.h"
#include "editor/lupe.h"
#include "editor/toolglyphs.h"
#include "editor/undo.h"
#include "image/Shift.h"

#include <QButtonGroup>
#include <QFrame>
#include <QToolButton>

Ttoolform* toolform = nullptr;

namespace {
QToolButton* SpeedButton(QWidget* parent, int x, int y, int side, const QIcon& glyph) {
    auto* button = new QToolButton(parent);
    button->setGeometry(x, y, side, side);
    button->setIcon(glyph);
    button->setIconSize(glyph.availableSizes().value(0));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

Ttoolform::Ttoolform(QWidget* owner) : TToolWindow(owner, "ツール") {
    setFixedSize(223, 106);
    move(66, 584);

    SpeedButton1 = SpeedButton(this, 8, 8, 40, PencilGlyph());
    SpeedButton2 = SpeedButton(this, 56, 8, 40, PotGlyph());
    SpeedButton3 = SpeedButton(this, 8, 56, 40, RegionGlyph());
    ToolGroup = new QButtonGroup(this);
    ToolGroup->setExclusive(true);
    int32_t tag = 0;
    for (QToolButton* button : {SpeedButton1, SpeedButton2, SpeedButton3}) {
        button->setCheckable(true);
        ToolGroup->addButton(button, tag);
        connect(button, &QToolButton::clicked, this,
                [this, tag] { RunGuarded([this, tag] { SToolClick(tag); }); });
        ++tag;
    }
    SpeedButton1->setChecked(true); // CurrentTool starts as the pen

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(124, 8, 89, 89);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->lower();
    SpeedButton4 = SpeedButton(this, 160, 16, 20, ArrowGlyph(TShiftDirection::Up));
    SpeedButton6 = SpeedButton(this, 184, 40, 20, ArrowGlyph(TShiftDirection::Right));
    SpeedButton5 = SpeedButton(this, 160, 64, 20, ArrowGlyph(TShiftDirection::Down));
    SpeedButton7 = SpeedButton(this, 136, 40, 20, ArrowGlyph(TShiftDirection::Left));
    tag = 0;
    for (QToolButton* button : {SpeedButton4, SpeedButton6, SpeedButton5, SpeedButton7}) {
        connect(button, &QToolButton::clicked, this,
                [this, tag] { RunGuarded([this, tag] { ShiftButtonClick(tag); }); });
        ++tag;
    }
}

void Ttoolform::SToolClick(int32_t tag) {
    CurrentTool = TTool(tag);
    ToolGroup->button(tag)->setChecked(true);
}

void Ttoolform::ShiftButtonClick(int32_t tag) {
    if (!DocImage) return;
    const TRect area{ViewLeft[kEditArea], ViewTop[kEditArea],
                     ViewLeft[kEditArea] + ViewWidth[kEditArea],
                     ViewTop[kEditArea] + ViewHeight[kEditArea]};
    {
        const TScopedValue<bool> shifting(ShiftPushing, true);
        PushUndo(area.Left, area.Top, area.Right, area.Bottom, false);
    }
    // In place with storage of its own: WorkImage may hold a floating block still to be placed.
    ShiftArea(*DocImage, area, TShiftDirection(tag));
    mainform->UpdateDocView();
    mainform->UpdateViewSizes();
    LupeForm->UpdateLupe();
    Saved = false;
}
