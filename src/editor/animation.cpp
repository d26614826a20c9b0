#include "editor/animation.h"

#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/session.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

TAnimationForm* AnimationForm = nullptr;

namespace {
QToolButton* AddButton(QBoxLayout* row, const QString& caption, std::function<void()> click) {
    auto* button = new QToolButton;
    button->setText(caption);
    button->setFocusPolicy(Qt::NoFocus);
    row->addWidget(button);
    QObject::connect(button, &QToolButton::clicked, button, [click] { RunGuarded(click); });
    return button;
}

QSpinBox* AddSpin(QBoxLayout* row, const QString& caption, int least, int most,
                  const QString& suffix) {
    row->addWidget(new QLabel(caption));
    auto* spin = new QSpinBox;
    spin->setRange(least, most);
    spin->setSuffix(suffix);
    row->addWidget(spin);
    return spin;
}
} // namespace

TAnimationForm::TAnimationForm(QWidget* owner) : TCellPreview(owner, "アニメーション", 1) {
    AnimationForm = this;
    resize(340, 400);
    auto* controls = new QWidget(this);
    auto* rows = new QVBoxLayout(controls);
    rows->setContentsMargins(4, 4, 4, 4);
    rows->setSpacing(2);
    auto* play = new QHBoxLayout;
    btPrev = AddButton(play, "◀", [this] { btPrevClick(); });
    btPlay = AddButton(play, "再生", [this] { btPlayClick(); });
    btNext = AddButton(play, "▶", [this] { btNextClick(); });
    btPrev->setToolTip("前のフレーム");
    btNext->setToolTip("次のフレーム");
    FrameLabel = new QLabel;
    play->addWidget(FrameLabel);
    play->addStretch();
    auto* timing = new QHBoxLayout;
    FramesEdit = AddSpin(timing, "フレーム数", 1, kMostSheetCells, "");
    FpsEdit = AddSpin(timing, "速さ", 1, kMostFps, " fps");
    timing->addStretch();
    auto* look = new QHBoxLayout;
    ScaleEdit = AddSpin(look, "倍率", 1, 8, "倍");
    cbChecker = new QCheckBox("市松模様");
    cbChecker->setToolTip("透明色を市松模様で表示する (外すと背景色)");
    look->addWidget(cbChecker);
    btBackdrop = AddButton(look, "背景色…", [this] { btBackdropClick(); });
    look->addStretch();
    for (QHBoxLayout* row : {play, timing, look})
        rows->addLayout(row);
    Layout->insertWidget(0, controls);
    for (QSpinBox* spin : {FramesEdit, FpsEdit, ScaleEdit})
        connect(spin, &QSpinBox::valueChanged, this,
                [this] { RunGuarded([this] { SettingsChange(); }); });
    connect(cbChecker, &QCheckBox::clicked, this,
            [this] { RunGuarded([this] { SettingsChange(); }); });

    Timer = new QTimer(this);
    Timer->setTimerType(Qt::PreciseTimer);
    connect(Timer, &QTimer::timeout, this, [this] { RunGuarded([this] { TimerTick(); }); });
    ShowSettings();
}

TRect TAnimationForm::ShownCell() const {
    const std::vector<TRect> cells = Editor().AnimationCells();
    return cells.empty() ? TRect{}
                         : cells[size_t(std::min<size_t>(size_t(Frame), cells.size() - 1))];
}

void TAnimationForm::StateChanged(const TChange&) {
    ShowFrame(Frame);
    ShowSettings();
}

void TAnimationForm::hideEvent(QHideEvent* event) {
    Timer->stop();
    TCellPreview::hideEvent(event);
}

void TAnimationForm::ShowFrame(int32_t frame) {
    const int32_t count = int32_t(Editor().AnimationCells().size());
    Frame = count == 0 ? 0 : std::clamp(frame, 0, count - 1);
    FrameLabel->setText(QString("フレーム %1 / %2").arg(count == 0 ? 0 : Frame + 1).arg(count));
}

void TAnimationForm::ShowSettings() {
    const TAnimation& animation = Editor().Animation();
    for (const auto& [spin, value] :
         {std::pair{FramesEdit, animation.Frames}, std::pair{FpsEdit, animation.Fps},
          std::pair{ScaleEdit, animation.Scale}}) {
        const QSignalBlocker quiet(spin);
        spin->setValue(value);
    }
    cbChecker->setChecked(animation.Checker);
    btPlay->setText(Playing ? "停止" : "再生");
    const int interval = (1000 + animation.Fps / 2) / animation.Fps;
    if (Timer->interval() != interval) Timer->setInterval(interval);
    const bool run = Playing && isVisible();
    if (run && !Timer->isActive()) Timer->start();
    if (!run) Timer->stop();
}

void TAnimationForm::SettingsChange() {
    TAnimation animation = Editor().Animation();
    animation.Frames = FramesEdit->value();
    animation.Fps = FpsEdit->value();
    animation.Scale = ScaleEdit->value();
    animation.Checker = cbChecker->isChecked();
    Editor().SetAnimation(animation);
}

void TAnimationForm::btBackdropClick() {
    TAnimation animation = Editor().Animation();
    const std::optional<uint32_t> colour = Dialogs().AskBackdrop(animation.Backdrop);
    if (!colour) return;
    animation.Backdrop = *colour;
    animation.Checker = false;
    Editor().SetAnimation(animation);
}

void TAnimationForm::btPlayClick() {
    Playing = !Playing;
    ShowSettings();
}

void TAnimationForm::btPrevClick() {
    const int32_t count = int32_t(Editor().AnimationCells().size());
    Playing = false;
    ShowSettings();
    if (count > 0) ShowFrame((Frame + count - 1) % count);
    RenderPreview();
}

void TAnimationForm::btNextClick() {
    Playing = false;
    ShowSettings();
    TimerTick();
}

void TAnimationForm::TimerTick() {
    const int32_t count = int32_t(Editor().AnimationCells().size());
    if (count > 0) ShowFrame((Frame + 1) % count);
    if (ShownCell() != ShownRect || Bitmap.size() != PreviewPixels()) RenderPreview();
}
