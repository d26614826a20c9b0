#include "app/docwindow.h"

#include "app/clipboard.h"
#include "app/doccanvas.h"
#include "app/imagefile.h"
#include "app/settings.h"
#include "app/statusbar.h"
#include "editor/animation.h"
#include "editor/tilepreview.h"
#include "ui/dialogs.h"
#include "ui/errors.h"
#include "ui/session.h"
#include "ui/toolkeys.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

Tmainform* mainform = nullptr;

namespace {
QToolButton* AddButton(QWidget* panel, const QString& caption) {
    auto* button = new QToolButton(panel);
    button->setText(caption);
    button->setCheckable(true);
    button->setMinimumHeight(29);
    panel->layout()->addWidget(button);
    return button;
}

QAction* AddItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setShortcut(shortcut);
    return action;
}
} // namespace

Tmainform::Tmainform(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Varnet計画");
    SetApplicationTitle(windowTitle());
    resize(483, 429);
    setAcceptDrops(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Panel1 = new QWidget(central);
    Panel1->setFixedHeight(37);
    layout->addWidget(Panel1);
    ScrollBox = new QScrollArea(central);
    layout->addWidget(ScrollBox);
    setCentralWidget(central);

    // PaintBox and PaintBox2 share one host so that they scroll together, the surface on top.
    auto* host = new QWidget;
    host->resize(105, 105);
    PaintBox =
        new TDocCanvas([] { return Doc().DocImage(); }, [this] { return ZoomPixels(); }, host);
    PaintBox->resize(host->size());
    auto* surface = new TPaintSurface(host);
    surface->resize(host->size());
    surface->InDevicePixels = true;
    surface->OnPaint = [this](QPainter& canvas) { PaintBox2Paint(canvas); };
    surface->OnMouseDown = [this](TMouseButton button, TModifiers keys, int32_t x, int32_t y) {
        PaintBox2MouseDown(button, keys.Shift, x, y);
    };
    surface->OnMouseMove = [this](int32_t x, int32_t y, TModifiers) { PaintBox2MouseMove(x, y); };
    surface->OnMouseUp = [this] { PaintBox2MouseUp(); };
    surface->OnMouseLeave = [this] { PaintBox2MouseLeave(); };
    surface->OnCtrlWheel = [this](int32_t direction, int32_t x, int32_t y) {
        StepZoom(direction, QPoint(x, y));
    };
    surface->OnScaleChange = [this] {
        if (Doc().IsOpen()) UpdateDocView();
    };
    PaintBox2 = surface;
    ScrollBox->setWidget(host);
    StatusLine = new TStatusLine([this] { return ZoomFactor; }, statusBar());
    statusBar()->addWidget(StatusLine, 1);

    CreateToolbar();
    StartRecoveryTimer();
    CreateMenus();
    SetDialogOwner(this);
    Doc().Subscribe(this);
    // Another application took the pointer and the keyboard; the release will not come here.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) RunGuarded([] { Editor().EndPressInProgress(); });
    });
}

Tmainform::~Tmainform() {
    Doc().Unsubscribe(this);
    SetDialogOwner(nullptr);
}

QString Tmainform::FileName() const {
    return QString::fromStdString(Doc().FileName);
}

void Tmainform::Changed(const TChange& change) {
    if (change.Document || change.Resized) {
        UpdateDocView();
    } else if (change.Palette) {
        RenderDocBitmap();
    } else if (change.Pixels) {
        ShowDocRect(change.Rect);
    }
    // The floating block on the overlay shows the palette's colours and lets the transparent
    // index through.
    const bool blockLooks = Doc().Floating() && (change.Palette || change.Indices);
    if (change.Document || change.Resized || change.Areas || change.Selection || change.Grids ||
        blockLooks)
        PaintBox2->update();
    acPixelGrid->setChecked(Editor().PixelGrid());
    acTileGrid->setChecked(Editor().TileGrid());
    acTransparent->setChecked(Doc().DocTransparent());
    ShowExportItems();
    acUndo->setEnabled(Editor().CanUndo());
    acRedo->setEnabled(Editor().CanRedo());
    ShowTransformItems();
}

void Tmainform::CreateToolbar() {
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(4, 4, 4, 4);
    btLayer = AddButton(Panel1, "レイヤ使用");
    btLupeGrid = AddButton(Panel1, "ルーペグリッド");
    bt8Dot = AddButton(Panel1, "8ドット");
    bt1Dot = AddButton(Panel1, "1ドット");
    row->addStretch();
    btLupeGrid->setChecked(true);
    auto* snap = new QButtonGroup(Panel1);
    snap->setExclusive(true);
    for (QToolButton* button : {btLupeGrid, bt8Dot, bt1Dot}) {
        snap->addButton(button);
        connect(button, &QToolButton::clicked, this,
                [this] { RunGuarded([this] { SnapButtonClick(); }); });
    }
    connect(btLayer, &QToolButton::clicked, this,
            [this] { RunGuarded([this] { btLayerClick(); }); });
}

void Tmainform::ShowExportItems() {
    acExportGif->setEnabled(Doc().IsOpen());
    acExportEnlarged->setEnabled(Doc().IsOpen());
}

void Tmainform::CreateMenus() {
    QMenu* file = menuBar()->addMenu("ファイル");
    acNew = AddItem(file, "新規作成(&N)", QKeySequence::New);
    file->addSeparator();
    asOpen = AddItem(file, "開く(&O)", QKeySequence::Open);
    file->addSeparator();
    acSave = AddItem(file, "保存(&S)", QKeySequence::Save);
    acSaveAs =
        AddItem(file, "名前を付けて保存(&A)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    acTransparent = file->addAction("透明色を保存する(&T)");
    acTransparent->setCheckable(true);
    file->addSeparator();
    acExportGif = file->addAction("GIF で書き出す…");
    acExportEnlarged = file->addAction("拡大して書き出す…");
    file->addSeparator();
    acClose = AddItem(file, "閉じる(&C)", QKeySequence(Qt::CTRL | Qt::Key_W));
    file->addSeparator();
    mnRecent = file->addMenu("最近使ったファイル");
    connect(mnRecent, &QMenu::aboutToShow, this,
            [this] { RunGuarded([this] { FillRecentMenu(); }); });
    file->addSeparator();
    acExit = AddItem(file, "終了(&X)", QKeySequence(Qt::CTRL | Qt::Key_Q));
    ConnectGuarded(acNew, [this] { acNewExecute(); });
    ConnectGuarded(asOpen, [this] { asOpenExecute(); });
    ConnectGuarded(acSave, [this] { SaveDocument(); });
    ConnectGuarded(acSaveAs, [this] { SaveDocumentAs(); });
    ConnectGuarded(acTransparent, [this] { acTransparentExecute(); });
    ConnectGuarded(acExportGif, [this] { acExportGifExecute(); });
    ConnectGuarded(acExportEnlarged, [this] { acExportEnlargedExecute(); });
    ShowExportItems();
    ConnectGuarded(acClose, [this] { CloseDocument(); });
    ConnectGuarded(acExit, [this] { close(); });

    CreateEditMenu();
    CreatePictureMenu();

    QMenu* view = menuBar()->addMenu("表示");
    auto* zoom = new QActionGroup(this);
    const std::pair<QAction**, std::pair<const char*, int>> items[] = {
        {&x1, {"等倍", 1}}, {&x2, {"２倍", 2}}, {&x4, {"４倍", 4}}};
    for (const auto& [item, captionAndTag] : items) {
        QAction* action = view->addAction(captionAndTag.first);
        action->setCheckable(true);
        action->setData(captionAndTag.second);
        zoom->addAction(action);
        ConnectGuarded(action, [this, action] { xClick(action); });
        *item = action;
    }
    x1->setChecked(true);
    CreateGridItems(view);
    CreatePreviewItems(view);

    QMenu* layer = menuBar()->addMenu("レイヤ");
    mnLayerView = layer->addAction("透過表示");
    mnLayerView->setCheckable(true);
    ConnectGuarded(mnLayerView, [this] { mnLayerViewClick(); });
}

void Tmainform::CreateGridItems(QMenu* view) {
    view->addSeparator();
    acPixelGrid = view->addAction("ピクセルグリッド");
    acTileGrid = view->addAction("タイルグリッド");
    for (QAction* item : {acPixelGrid, acTileGrid}) {
        item->setCheckable(true);
        ConnectGuarded(item, [this] { GridItemClick(); });
    }
    acTileSize = view->addAction("タイルの大きさ…");
    ConnectGuarded(acTileSize, [this] { acTileSizeExecute(); });
}

void Tmainform::CreatePreviewItems(QMenu* view) {
    view->addSeparator();
    acAnimation = view->addAction("アニメーション");
    acTilePreview = view->addAction("タイル表示");
    for (QAction* item : {acAnimation, acTilePreview}) {
        item->setCheckable(true);
        ConnectGuarded(item, [this] { PreviewItemClick(); });
    }
}

void Tmainform::PreviewItemClick() {
    AnimationForm->setVisible(acAnimation->isChecked());
    TileForm->setVisible(acTilePreview->isChecked());
}

// Undo and redo answer their keys in every editor window, not only in this one.
void Tmainform::CreateEditMenu() {
    QMenu* edit = menuBar()->addMenu("編集");
    acUndo = AddItem(edit, "元に戻す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z));
    acRedo = edit->addAction("やり直し(&R)");
    acRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {acUndo, acRedo})
        action->setShortcutContext(Qt::ApplicationShortcut);
    edit->addSeparator();
    acCopy = AddItem(edit, "コピー(&C)", QKeySequence::Copy);
    acPaste = AddItem(edit, "貼り付け(&P)", QKeySequence::Paste);
    ConnectGuarded(acUndo, [] { Editor().Undo(); });
    ConnectGuarded(acRedo, [] { Editor().Redo(); });
    ConnectGuarded(acCopy, [] { CopyToClipboard(); });
    ConnectGuarded(acPaste, [] { PasteFromClipboard(); });
    acUndo->setEnabled(false);
    acRedo->setEnabled(false);
    // The keys after the tab are the block keys every window answers (ui/toolkeys.h), not
    // shortcuts of their own.
    edit->addSeparator();
    for (size_t i = 0; i < acBlock.size(); ++i) {
        const TTransform transform = kBlockItems[i].Transform;
        acBlock[i] = edit->addAction(kBlockItems[i].Caption);
        acBlock[i]->setEnabled(false);
        ConnectGuarded(acBlock[i], [transform] { TransformBlock(Editor(), transform); });
    }
}

void Tmainform::FillRecentMenu() {
    mnRecent->clear();
    for (const QString& path : RecentFiles()) {
        QAction* item = mnRecent->addAction(path);
        ConnectGuarded(item, [this, path] { OpenRecent(path); });
    }
    mnRecent->setEnabled(!mnRecent->isEmpty());
}

void Tmainform::OpenRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        RemoveRecentFile(path);
        Dialogs().Warning("ファイルが見つからないので、最近使ったファイルから外しました: " + path);
        return;
    }
    OpenPath(path);
}

bool Tmainform::CloseQuery() {
    return !Doc().IsOpen() || CloseDocument();
}

void Tmainform::keyPressEvent(QKeyEvent* event) {
    if (!EditorKeyEvent(*event)) QMainWindow::keyPressEvent(event);
}

void Tmainform::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    RunGuarded([&] { mayClose = CloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    SaveSettings();
    // The tool windows stay open to the last, so the loop is ended here rather than by Qt's
    // last-window rule.
    QCoreApplication::exit(0);
}

namespace {
// The one local .png or .bmp file among the dropped URLs, if there is exactly one.
QString DroppedImagePath(const QMimeData* data) {
    if (!data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return {};
    const QString path = url.toLocalFile();
    return FormatOfPath(path.toStdString()) == nullptr ? QString() : path;
}
} // namespace

void Tmainform::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedImagePath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Tmainform::dropEvent(QDropEvent* event) {
    const QString path = DroppedImagePath(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    RunGuarded([&] { OpenPath(path); });
}
