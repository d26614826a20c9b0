// The canvas size dialog: a width and a height, and of nine buttons the place where the picture
// stays on the new canvas.
#include "ui/dialogs.h"
#include "ui/sizedialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// Each button shows which way the canvas grows from the picture's place, the middle one none.
const char* const kAnchorGlyphs[] = {"↖", "↑", "↗", "←", "●", "→", "↙", "↓", "↘"};

class TCanvasDialog : public TSizeDialog {
public:
    explicit TCanvasDialog(TPixelSize current)
        : TSizeDialog("キャンバスサイズ", current, kMostCanvasSide) {
        auto* grid = new QGridLayout;
        grid->addWidget(new QLabel("基準位置", this), 0, 0, 1, 3);
        Anchors = new QButtonGroup(this);
        for (int id = 0; id < 9; ++id) {
            auto* button = new QToolButton(this);
            button->setText(kAnchorGlyphs[id]);
            button->setCheckable(true);
            button->setFixedSize(32, 32);
            Anchors->addButton(button, id);
            grid->addWidget(button, 1 + id / 3, id % 3);
        }
        Anchors->button(4)->setChecked(true);
        Column->insertLayout(1, grid);
    }

    // The buttons' ids are 3 * Y + X of the anchor.
    QButtonGroup* Anchors;
    TAnchor Anchor() const { return TAnchor{Anchors->checkedId() % 3, Anchors->checkedId() / 3}; }
};
} // namespace

std::optional<TCanvasChoice> TQtDialogs::AskCanvasSize(TPixelSize current) {
    TCanvasDialog dialog(current);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return TCanvasChoice{dialog.Size(), dialog.Anchor()};
}
