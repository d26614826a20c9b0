#include "editor/toolwindow.h"
#include "ui/session.h"

#include "editor/toolglyphs.h"
#include "image/Shift.h"
#include "ui/errors.h"
#include "ui/toolkeys.h"

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

// A check button with a caption for a drawing option.
QToolButton* OptionButton(QWidget* parent, int x, int y, const QString& caption) {
    auto* button = new QToolButton(parent);
    button->setGeometry(x, y, 62, 24);
    button->setText(caption);
    button->setCheckable(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

Ttoolform::Ttoolform(QWidget* owner) : TToolWindow(owner, "ツール") {
    setFixedSize(223, 186);
    move(66, 584);

    SpeedButton1 = SpeedButton(this, 8, 8, 40, PencilGlyph());
    SpeedButton2 = SpeedButton(this, 56, 8, 40, PotGlyph());
    SpeedButton3 = SpeedButton(this, 8, 56, 40, RegionGlyph());
    btLine = SpeedButton(this, 56, 56, 40, ShapeGlyph(TShapeKind::Line));
    btRect = SpeedButton(this, 8, 104, 40, ShapeGlyph(TShapeKind::Rect));
    btFilledRect = SpeedButton(this, 56, 104, 40, ShapeGlyph(TShapeKind::FilledRect));
    btEllipse = SpeedButton(this, 104, 104, 40, ShapeGlyph(TShapeKind::Ellipse));
    btFilledEllipse = SpeedButton(this, 152, 104, 40, ShapeGlyph(TShapeKind::FilledEllipse));
    ToolGroup = new QButtonGroup(this);
    ToolGroup->setExclusive(true);
    const std::pair<QToolButton*, TTool> tools[] = {
        {SpeedButton1, TTool::Pen},    {SpeedButton2, TTool::Fill},
        {SpeedButton3, TTool::Region}, {btLine, TTool::Line},
        {btRect, TTool::Rect},         {btFilledRect, TTool::FilledRect},
        {btEllipse, TTool::Ellipse},   {btFilledEllipse, TTool::FilledEllipse}};
    for (const auto& [button, tool] : tools) {
        button->setCheckable(true);
        button->setToolTip(ToolCaption(tool));
        ToolGroup->addButton(button, int(tool));
        connect(button, &QToolButton::clicked, this,
                [this, tool] { RunGuarded([this, tool] { SToolClick(tool); }); });
    }
    SpeedButton1->setChecked(true); // the tool starts as the pen

    btMirrorX = OptionButton(this, 8, 152, "左右対称");
    btMirrorY = OptionButton(this, 74, 152, "上下対称");
    btPixelPerfect = OptionButton(this, 140, 152, "1ドット線");
    btMirrorX->setToolTip("左右に鏡写しで描く (Ctrl+クリックで軸を決める)");
    btMirrorY->setToolTip("上下に鏡写しで描く (Ctrl+クリックで軸を決める)");
    btPixelPerfect->setToolTip("ペンの線の角を取り、1ドット幅に保つ");
    for (QToolButton* button : {btMirrorX, btMirrorY, btPixelPerfect})
        connect(button, &QToolButton::clicked, this,
                [this] { RunGuarded([this] { OptionClick(); }); });

    Bevel1 = new QFrame(this);
    Bevel1->setGeometry(124, 8, 89, 89);
    Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Bevel1->lower();
    SpeedButton4 = SpeedButton(this, 160, 16, 20, ArrowGlyph(TShiftDirection::Up));
    SpeedButton6 = SpeedButton(this, 184, 40, 20, ArrowGlyph(TShiftDirection::Right));
    SpeedButton5 = SpeedButton(this, 160, 64, 20, ArrowGlyph(TShiftDirection::Down));
    SpeedButton7 = SpeedButton(this, 136, 40, 20, ArrowGlyph(TShiftDirection::Left));
    int32_t tag = 0;
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
    ToolGroup->button(int(Editor().CurrentTool()))->setChecked(true);
    btMirrorX->setChecked(Editor().MirrorX());
    btMirrorY->setChecked(Editor().MirrorY());
    btPixelPerfect->setChecked(Editor().PixelPerfect());
}

void Ttoolform::OptionClick() {
    // Read before either reaches the state: the first one's notice sets every button from it.
    const bool mirrorX = btMirrorX->isChecked(), mirrorY = btMirrorY->isChecked();
    const bool pixelPerfect = btPixelPerfect->isChecked();
    Editor().SetMirror(mirrorX, mirrorY);
    Editor().SetPixelPerfect(pixelPerfect);
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
