#include "editor/lupe.h"
#include "ui/session.h"

#include "editor/selection.h"
#include "editor/updown.h"
#include "ui/devicepixels.h"
#include "ui/errors.h"
#include "ui/zoomstep.h"

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
#include <algorithm>

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

QToolButton* AddButton(QWidget* panel, const QString& caption, std::function<void()> click) {
    auto* button = new QToolButton(panel);
    button->setText(caption);
    panel->layout()->addWidget(button);
    QObject::connect(button, &QToolButton::clicked, panel, [click] { RunGuarded(click); });
    return button;
}
} // namespace

TLupeForm::TLupeForm(QWidget* owner) : TToolWindow(owner, "ルーペ") {
    LupeForm = this;
    setGeometry(580, 350, 367, 358);
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
    LupeBox2->OnMouseDown = [this](TMouseButton button, TModifiers keys, int32_t x, int32_t y) {
        LupeBox2MouseDown(button, x, y, keys);
    };
    LupeBox2->OnMouseMove = [this](int32_t x, int32_t y, TModifiers keys) {
        LupeBox2MouseMove(x, y, keys);
    };
    LupeBox2->OnMouseUp = [this] { LupeBox2MouseUp(); };
    LupeBox2->OnMouseLeave = [this] { LupeBox2MouseLeave(); };
    LupeBox2->OnCtrlWheel = [this](int32_t direction, int32_t x, int32_t y) {
        StepPower(direction, QPoint(x, y));
    };
    LupeBox2->OnScaleChange = [this] { UpdateLupe(); };
    ScrollBox1->setWidget(host);

    CreateToolbar();
    CreateMenus();
    ShowHistory();
    Doc().Subscribe(this);
}

TLupeForm::~TLupeForm() {
    Doc().Unsubscribe(this);
}

void TLupeForm::Changed(const TChange& change) {
    ShowHistory();
    if (change.Zoom) ShowPower();
    if (!Doc().IsOpen() || change.Document || change.Resized || change.Zoom) return UpdateLupe();
    // Areas and indices matter only as far as they change what is shown: a layer dragged while
    // it lies beneath nothing, or a new drawing index, leave the view as it is.
    if (change.Palette || ((change.Areas || change.Indices) &&
                           (LupeBitmap.size() != ViewPixels() || CurrentView() != ShownView)))
        return UpdateLupe();
    if (change.Pixels) ShowRect(change.Rect);
    if (change.Selection || change.Areas || change.Preview || change.Tool) LupeBox2->update();
}

void TLupeForm::btUndoClick() {
    Editor().Undo();
}

void TLupeForm::btRedoClick() {
    Editor().Redo();
}

void TLupeForm::ShowHistory() {
    const TUndoHistory& history = Doc().History;
    btUndo->setEnabled(Editor().CanUndo());
    btUndo->setText("Undo " + QString::number(history.UndoCount() - history.RedoCount()));
    btRedo->setEnabled(Editor().CanRedo());
    btRedo->setText("Redo " + QString::number(history.RedoCount()));
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
    ShowPower();
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
    btUndo = AddButton(Panel1, "Undo", [this] { btUndoClick(); });
    btRedo = AddButton(Panel1, "Redo", [this] { btRedoClick(); });
    row->addStretch();
}

TLupeView TLupeForm::CurrentView() const {
    const TEditor& editor = Editor();
    TLupeView view;
    view.Edit = editor.ViewRect(kEditArea);
    view.Layer = editor.ViewRect(kLayerArea);
    view.LayerActive = editor.LayerActive();
    view.LayerView = view.LayerActive && editor.LayerView();
    view.Transparent = static_cast<uint8_t>(Doc().TransparentIndex());
    view.Power = CellPixels();
    // Whether a grid shows is the user's magnification's to decide, whatever the display scale.
    view.GridMode = Power() > 4 ? GridMode : TGridMode::None;
    view.GridColor = GridColor;
    return view;
}

TSurface TLupeForm::LupeSurface() {
    return TSurface{LupeBitmap.bits(), LupeBitmap.bytesPerLine(), LupeBitmap.width(),
                    LupeBitmap.height(), 32};
}

bool TLupeForm::InsideView(int32_t cx, int32_t cy) const {
    return cx >= 0 && cx < Editor().ViewWidth(kEditArea) && cy >= 0 &&
           cy < Editor().ViewHeight(kEditArea);
}

int32_t TLupeForm::Power() const {
    return Editor().LupePower();
}

int32_t TLupeForm::CellPixels() const {
    return DevicePixelsPer(Power(), LupeBox2->devicePixelRatioF());
}

QSize TLupeForm::ViewPixels() const {
    return QSize(Editor().ViewWidth(kEditArea), Editor().ViewHeight(kEditArea)) * CellPixels();
}

void TLupeForm::UpdateLupe() {
    // Without a document (or with an edit area beyond it) the view is empty, so that nothing of
    // a closed picture stays.
    const QSize pixels = Doc().IsOpen() && !ViewPixels().isEmpty() ? ViewPixels() : QSize(0, 0);
    const QSize size = LogicalSize(pixels, LupeBox2->devicePixelRatioF());
    LupeBox2->DevicePicture = pixels;
    ScrollBox1->widget()->resize(size);
    LupeBox->resize(size);
    LupeBox2->resize(size);
    if (LupeBitmap.size() != pixels)
        LupeBitmap = pixels.isEmpty() ? QImage() : QImage(pixels, QImage::Format_RGB32);
    if (pixels.isEmpty()) {
        ShownView = {};
        return LupeBox->update();
    }
    RenderLupe();
}

void TLupeForm::RenderLupe() {
    // A view that changed size (or display scale) since the last UpdateLupe is made anew rather
    // than drawn past.
    if (LupeBitmap.size() != ViewPixels()) return UpdateLupe();
    const TLupeView view = CurrentView();
    ComposeLupe(LupeImage, *Doc().DocImage(), view);
    TSurface surface = LupeSurface();
    RenderLupeSurface(surface, LupeImage, *Doc().DocImage(), view);
    ShownView = view;
    LupeBox->update();
    LupeBox2->update();
}

void TLupeForm::DrawCell(int32_t cx, int32_t cy, uint8_t index) {
    if (!InsideView(cx, cy)) return;
    // Cells of another display scale would be written past the bitmap: the whole view is made
    // anew instead.
    if (LupeBitmap.size() != ViewPixels()) return UpdateLupe();
    TSurface surface = LupeSurface();
    DrawCellSurface(surface, LupeImage, *Doc().DocImage(), CurrentView(), cx, cy, index);
    // The repair reaches the first row and column of the right and lower neighbours.
    const int32_t c = CellPixels();
    LupeBox->update(LogicalCover(*LupeBox, QRect(cx * c, cy * c, c + 1, c + 1)));
}

void TLupeForm::ShowRect(const TRect& rect) {
    const TLupeView view = CurrentView();
    const auto meets = [&](const TRect& area) {
        return rect.Left < area.Right && area.Left < rect.Right && rect.Top < area.Bottom &&
               area.Top < rect.Bottom;
    };
    if (!meets(view.Edit) && !(view.LayerActive && meets(view.Layer))) return;
    // A pen's pixel is redrawn cell by cell, where the edit area shows it and where the layer
    // beneath shows it too; any larger change redraws the view, which is at most 64 x 64 cells.
    if (rect.Width() != 1 || rect.Height() != 1) return RenderLupe();
    ShowCell(rect.Left - view.Edit.Left, rect.Top - view.Edit.Top);
    if (view.LayerActive) ShowCell(rect.Left - view.Layer.Left, rect.Top - view.Layer.Top);
}

void TLupeForm::LupeBox2Paint(QPainter& canvas) {
    if (!Doc().IsOpen()) return;
    const int32_t c = CellPixels();
    const TSelectionBox& sel = Doc().Sel();
    const QRect rect((sel.Left - Editor().ViewLeft(kEditArea)) * c,
                     (sel.Top - Editor().ViewTop(kEditArea)) * c, sel.Width * c, sel.Height * c);
    if (Doc().Selecting()) canvas.fillRect(rect, QBrush(kWorkspace, Qt::CrossPattern));
    if (Doc().Floating()) PaintFloatingBlock(canvas, rect);
    PaintShapeDrag(canvas);
    PaintMirrorAxes(canvas);
}

void TLupeForm::PowerChange(QAction* item) {
    Editor().SetLupePower(item->data().toInt());
}

void TLupeForm::ShowPower() {
    for (QAction* item : {N1, N2, N4, N6, N8, N3, N5, N7})
        if (item->data().toInt() == Power()) item->setChecked(true);
}

void TLupeForm::StepPower(int32_t direction, QPoint anchor) {
    QAction* next = NeighbourZoom({N1, N2, N4, N6, N8, N3, N5, N7}, Power(), direction);
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
    if (item->data().toInt() == int(GridMode)) return;
    GridMode = TGridMode(item->data().toInt());
    item->setChecked(true);
    if (Doc().IsOpen()) UpdateLupe();
}

void TLupeForm::xUpDownMouseUp() {
    xLabel->setText(QString::number(xUpDown->Position()));
    yLabel->setText(QString::number(yUpDown->Position()));
    Editor().SetLupeCells(xUpDown->Position(), yUpDown->Position());
}
