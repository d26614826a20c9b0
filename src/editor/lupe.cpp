#include "editor/lupe.h"

#include "app/devicepixels.h"
#include "app/docwindow.h"
#include "app/errors.h"
#include "app/state.h"
#include "app/zoomstep.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "editor/updown.h"

#include <QActionGroup>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

TLupeForm* LupeForm = nullptr;

namespace {
// The workspace colour of the scroll box, which the overlay's hatch lines also take.
const QColor kWorkspace(0xAB, 0xAB, 0xAB);

struct MenuItem {
    QAction** item;
    const char* caption;
    int tag;
};

// A menu of radio items, each carrying its tag and sending itself to handler.
void AddRadioMenu(TLupeForm* form, QMenu* menu, std::initializer_list<MenuItem> items,
                  void (TLupeForm::*handler)(QAction*)) {
    auto* group = new QActionGroup(menu);
    for (const MenuItem& m : items) {
        QAction* action = menu->addAction(m.caption);
        action->setCheckable(true);
        action->setData(m.tag);
        group->addAction(action);
        ConnectGuarded(action, [form, handler, action] { (form->*handler)(action); });
        *m.item = action;
    }
}

QLabel* AddLabel(QWidget* panel, const QString& text) {
    auto* label = new QLabel(text, panel);
    panel->layout()->addWidget(label);
    return label;
}

QToolButton* AddButton(QWidget* panel, const QString& caption, void (*click)()) {
    auto* button = new QToolButton(panel);
    button->setText(caption);
    panel->layout()->addWidget(button);
    QObject::connect(button, &QToolButton::clicked, panel, [click] { RunGuarded(click); });
    return button;
}
} // namespace

TLupeForm::TLupeForm(QWidget* owner) : TToolWindow(owner, "ルーペ") {
    // Known from the start, so that the undo history's captions reach this window's buttons.
    LupeForm = this;
    setGeometry(580, 350, 367, 358);
    LupeCellsX = 32;
    LupeCellsY = 32;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    LupeMenu = new QMenuBar(this);
    layout->setMenuBar(LupeMenu);
    Panel1 = new QWidget(this);
    Panel1->setFixedHeight(25);
    layout->addWidget(Panel1);
    ScrollBox1 = new QScrollArea(this);
    QPalette workspace = ScrollBox1->palette();
    workspace.setColor(QPalette::Window, kWorkspace);
    ScrollBox1->setPalette(workspace);
    ScrollBox1->setBackgroundRole(QPalette::Window);
    layout->addWidget(ScrollBox1);

    // Both boxes share one host at the scroll box's origin, the paint box on top.
    auto* host = new QWidget;
    host->resize(0, 0);
    LupeBox = new TImageControl(LupeBitmap, host);
    LupeBox2 = new TPaintSurface(host);
    LupeBox2->InDevicePixels = true;
    LupeBox2->OnPaint = [this](QPainter& canvas) { LupeBox2Paint(canvas); };
    LupeBox2->OnMouseDown = [this](TMouseButton button, bool, int32_t x, int32_t y) {
        LupeBox2MouseDown(button, x, y);
    };
    LupeBox2->OnMouseMove = [this](int32_t x, int32_t y) { LupeBox2MouseMove(x, y); };
    LupeBox2->OnMouseUp = [this] { LupeBox2MouseUp(); };
    LupeBox2->OnCtrlWheel = [this](int32_t direction, int32_t x, int32_t y) {
        StepPower(direction, QPoint(x, y));
    };
    LupeBox2->OnScaleChange = [this] { UpdateLupe(); };
    ScrollBox1->setWidget(host);

    CreateToolbar();
    CreateMenus();
    UpdateUndoButtons();
}

void TLupeForm::CreateMenus() {
    AddRadioMenu(this, LupeMenu->addMenu("表示"),
                 {{&N1, "等倍", 1},
                  {&N2, "二倍", 2},
                  {&N4, "四倍", 4},
                  {&N6, "六倍", 6},
                  {&N8, "八倍", 8},
                  {&N3, "十倍", 10},
                  {&N5, "十二倍", 12},
                  {&N7, "十四倍", 14}},
                 &TLupeForm::PowerChange);
    N3->setChecked(true);
    AddRadioMenu(this, LupeMenu->addMenu("グリッド"),
                 {{&N10, "グリッド無し", 0}, {&N11, "グリッド有り", 1}, {&N12, "特殊グリッド", 2}},
                 &TLupeForm::GridChange);
    N10->setChecked(true);
}

void TLupeForm::CreateToolbar() {
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(2, 0, 2, 0);
    row->setSpacing(2);
    xLabel = AddLabel(Panel1, "32");
    xUpDown = new TUpDown(8, 64, 8, 32, Panel1);
    row->addWidget(xUpDown);
    AddLabel(Panel1, "x");
    yLabel = AddLabel(Panel1, "32");
    yUpDown = new TUpDown(8, 64, 8, 32, Panel1);
    row->addWidget(yUpDown);
    for (QLabel* label : {xLabel, yLabel}) {
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(18);
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }
    for (TUpDown* upDown : {xUpDown, yUpDown})
        upDown->OnMouseUp = [this] { xUpDownMouseUp(); };
    btUndo = AddButton(Panel1, "Undo", btUndoClick);
    btRedo = AddButton(Panel1, "Redo", btRedoClick);
    row->addStretch();
}

TLupeView TLupeForm::CurrentView() const {
    TLupeView view;
    view.Edit =
        TRect{ViewLeft[kEditArea], ViewTop[kEditArea], ViewLeft[kEditArea] + ViewWidth[kEditArea],
              ViewTop[kEditArea] + ViewHeight[kEditArea]};
    view.Layer = TRect{ViewLeft[kLayerArea], ViewTop[kLayerArea],
                       ViewLeft[kLayerArea] + ViewWidth[kLayerArea],
                       ViewTop[kLayerArea] + ViewHeight[kLayerArea]};
    view.LayerActive = LayerActive;
    view.LayerView = LayerActive && mainform->mnLayerView->isChecked();
    view.Transparent = static_cast<uint8_t>(TransparentIndex);
    view.Power = CellPixels();
    // Whether a grid shows is the user's magnification's to decide, whatever the display scale.
    view.GridMode = Power > 4 ? GridMode : 0;
    view.GridColor = GridColor;
    return view;
}

TSurface TLupeForm::LupeSurface() {
    return TSurface{LupeBitmap.bits(), LupeBitmap.bytesPerLine(), LupeBitmap.width(),
                    LupeBitmap.height(), 32};
}

bool TLupeForm::InsideView(int32_t cx, int32_t cy) const {
    return cx >= 0 && cx < ViewWidth[kEditArea] && cy >= 0 && cy < ViewHeight[kEditArea];
}

int32_t TLupeForm::CellPixels() const {
    return DevicePixelsPer(Power, LupeBox2->devicePixelRatioF());
}

QSize TLupeForm::ViewPixels() const {
    return QSize(ViewWidth[kEditArea], ViewHeight[kEditArea]) * CellPixels();
}

void TLupeForm::UpdateLupe() {
    // Without a document the view is empty, so that nothing of a closed picture stays.
    const QSize pixels = DocImage ? ViewPixels() : QSize(0, 0);
    const QSize size = LogicalSize(pixels, LupeBox2->devicePixelRatioF());
    LupeBox2->DevicePicture = pixels;
    ScrollBox1->widget()->resize(size);
    LupeBox->resize(size);
    LupeBox2->resize(size);
    if (LupeBitmap.size() != pixels)
        LupeBitmap = pixels.isEmpty() ? QImage() : QImage(pixels, QImage::Format_RGB32);
    if (!DocImage) return LupeBox->update();
    RenderLupe();
}

void TLupeForm::RenderLupe() {
    // A view that changed size (or display scale) since the last UpdateLupe is made anew rather
    // than drawn past.
    if (LupeBitmap.size() != ViewPixels()) return UpdateLupe();
    const TLupeView view = CurrentView();
    ComposeLupe(LupeImage, *DocImage, view);
    TSurface surface = LupeSurface();
    RenderLupeSurface(surface, LupeImage, *DocImage, view);
    LupeBox->update();
}

void TLupeForm::DrawCell(int32_t cx, int32_t cy, uint8_t index) {
    if (!InsideView(cx, cy)) return;
    // Cells of another display scale would be written past the bitmap: the whole view is made
    // anew instead.
    if (LupeBitmap.size() != ViewPixels()) return UpdateLupe();
    TSurface surface = LupeSurface();
    DrawCellSurface(surface, LupeImage, *DocImage, CurrentView(), cx, cy, index);
    // The repair reaches the first row and column of the right and lower neighbours.
    const int32_t c = CellPixels();
    LupeBox->update(LogicalCover(*LupeBox, QRect(cx * c, cy * c, c + 1, c + 1)));
}

void TLupeForm::LupeBox2Paint(QPainter& canvas) {
    if (!DocImage) return;
    const int32_t c = CellPixels();
    const QRect rect((SelLeft - ViewLeft[kEditArea]) * c, (SelTop - ViewTop[kEditArea]) * c,
                     SelWidth * c, SelHeight * c);
    if (Selecting) canvas.fillRect(rect, QBrush(kWorkspace, Qt::CrossPattern));
    if (Floating) PaintFloatingBlock(canvas, rect);
}

void TLupeForm::PowerChange(QAction* item) {
    if (item->data().toInt() == Power) return;
    Power = item->data().toInt();
    item->setChecked(true);
    if (DocImage) UpdateLupe();
}

void TLupeForm::StepPower(int32_t direction, QPoint anchor) {
    QAction* next = NeighbourZoom({N1, N2, N4, N6, N8, N3, N5, N7}, Power, direction);
    if (!next) return;
    const int32_t old = CellPixels();
    const QPointF spot = ViewportSpot(ScrollBox1, anchor);
    PowerChange(next);
    KeepPointInPlace(ScrollBox1, anchor, spot, old, CellPixels());
}

void TLupeForm::keyPressEvent(QKeyEvent* event) {
    const int32_t direction = event->key() == Qt::Key_Plus    ? 1
                              : event->key() == Qt::Key_Minus ? -1
                                                              : 0;
    if (direction == 0) return TToolWindow::keyPressEvent(event);
    // The pixel under the pointer stays put; with the pointer elsewhere, the one in the middle.
    QWidget* viewport = ScrollBox1->viewport();
    QPoint anchor = LupeBox2->mapFromGlobal(QCursor::pos());
    if (!viewport->rect().contains(LupeBox2->mapTo(viewport, anchor)))
        anchor = LupeBox2->mapFrom(viewport, viewport->rect().center());
    RunGuarded([&] { StepPower(direction, DevicePixelAt(*LupeBox2, anchor)); });
}

void TLupeForm::GridChange(QAction* item) {
    if (item->data().toInt() == GridMode) return;
    GridMode = static_cast<uint8_t>(item->data().toInt());
    item->setChecked(true);
    if (DocImage) UpdateLupe();
}

void TLupeForm::xUpDownMouseUp() {
    LupeCellsX = xUpDown->Position();
    LupeCellsY = yUpDown->Position();
    xLabel->setText(QString::number(LupeCellsX));
    yLabel->setText(QString::number(LupeCellsY));
    mainform->UpdateViewSizes();
    mainform->PaintBox2->update();
    if (DocImage) UpdateLupe();
}
