#include "editor/updown.h"

#include "ui/errors.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <algorithm>

TUpDown::TUpDown(int32_t min, int32_t max, int32_t increment, int32_t position, QWidget* parent)
    : QWidget(parent), min_(min), max_(max), increment_(increment), position_(position) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Down = new QToolButton(this);
    Down->setArrowType(Qt::LeftArrow);
    Up = new QToolButton(this);
    Up->setArrowType(Qt::RightArrow);
    for (QToolButton* button : {Down, Up}) {
        button->setFixedSize(16, 20);
        layout->addWidget(button);
        const int32_t step = button == Up ? increment_ : -increment_;
        connect(button, &QToolButton::pressed, this,
                [this, step] { SetPosition(position_ + step); });
        connect(button, &QToolButton::released, this, [this] {
            if (OnMouseUp) RunGuarded(OnMouseUp);
        });
    }
}

void TUpDown::SetPosition(int32_t position) {
    position_ = std::clamp(position, min_, max_);
}
