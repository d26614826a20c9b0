#include "editor/toolwindow.h"
#include "ui/session.h"

#include "editor/toolglyphs.h"
#include "image/Shift.h"
#include "ui/errors.h"

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
                [this, tag] { RunGuarded([this, tag] { SToolClick(TTool(tag)); }); });
        ++tag;
    }
    SpeedButton1->setChecked(true); // the tool starts as the pen

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
        connect(button, &QToolButton::clicked, this, [this, tag] {
            RunGuarded([this, tag] { ShiftButtonClick(TShiftDirection(tag)); });
        });
        ++tag;
    }
    Doc().Subscribe(this);
}

Ttoolform::~Ttoolform() {
    Doc().Unsubscribe(this);
}

void Ttoolform::Changed(const TChange& change) {
    if (!change.Tool) return;
    // The shape tools have no button here: choosing one leaves the buttons as they are.
    if (QAbstractButton* button = ToolGroup->button(int(Editor().CurrentTool())))
        button->setChecked(true);
}

void Ttoolform::SToolClick(TTool tool) {
    Editor().SetTool(tool);
}

void Ttoolform::ShiftButtonClick(TShiftDirection direction) {
    if (!Doc().IsOpen()) return;
    const TRect area = Editor().ViewRect(kEditArea);
    // In place with storage of its own: a block may float, still to be placed.
    Doc().Edit(TStep{area, false, TStepRun::Shift}, {.Pixels = true, .Rect = area},
               [&](TDIB& image) { ShiftArea(image, area, direction); });
}
