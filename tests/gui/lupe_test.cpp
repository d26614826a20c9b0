// The magnifier and its pixel tools, driven through the handlers. After every stroke and fill the
// incrementally updated pictures are compared with full re-renders of each.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/updown.h"
#include "editor_fixture.h"
#include "image/LupeRender.h"
#include "palette/palettewindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

namespace {
QRgb Rgb(uint8_t index) {
    const TPaletteEntry& e = Doc().DocImage()->PaletteBlock[index];
    return qRgb(e.Red, e.Green, e.Blue);
}

// The pointer at the centre of a cell, in display pixels of the magnifier.
int32_t Centre(int32_t cell) {
    return cell * LupeForm->Power() + LupeForm->Power() / 2;
}

uint8_t Pixel(int32_t x, int32_t y) {
    return static_cast<uint8_t>(Doc().DocImage()->GetPixel(x, y));
}

// The strong check: the document view on screen, LupeImage and the magnifier's bitmap as the
// tools left them equal what full renders make of the document now.
void ExpectViewsRerendered() {
    EXPECT_EQ(StaleDocumentView(), "") << "document view";
    EXPECT_TRUE(PaintedDocument() == FullRender()) << "document view";
    const TDIB lupe = LupeForm->LupeImage;
    TDIB lupeBefore;
    lupeBefore.Resize(lupe.Width(), lupe.Height(), 8);
    for (int32_t y = 0; y < lupe.Height(); ++y)
        std::copy_n(lupe.RowForRead(y), lupe.Width(), lupeBefore.RowForWrite(y));
    const QImage shown = LupeForm->LupeBitmap.copy();
    LupeForm->RenderLupe();
    for (int32_t y = 0; y < lupe.Height(); ++y)
        ASSERT_TRUE(std::equal(lupeBefore.RowForRead(y), lupeBefore.RowForRead(y) + lupe.Width(),
                               LupeForm->LupeImage.RowForRead(y)))
            << "LupeImage row " << y;
    EXPECT_TRUE(shown == LupeForm->LupeBitmap) << "magnifier";
}
} // namespace

class LupeTest : public EditorTest {
public:
    // A document of the given size whose palette entries differ from each other, filled with
    // index fill, the edit area at (left, top).
    void Open(int32_t w, int32_t h, uint8_t fill, int32_t left = 0, int32_t top = 0) {
        Doc().SetSaved(true); // an earlier picture of the test goes without a prompt
        NewDocument(QString::number(w), QString::number(h));
        TPalette palette;
        for (int i = 0; i < 256; ++i)
            palette[i] = TPaletteEntry{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 11 + 5), 0};
        Doc().DocImage()->PaletteBlock = palette;
        Doc().DocImage()->ApplyPalette();
        for (int32_t y = 0; y < h; ++y)
            std::fill_n(Doc().DocImage()->RowForWrite(y), w, fill);
        Editor().SetViewOrigin(kEditArea, left, top);
        mainform->RenderDocBitmap();
        LupeForm->UpdateLupe();
        // On screen as it is now, so that a change the tools fail to show stays visible.
        EXPECT_EQ(StaleDocumentView(), "");
    }
    // The up-down controls set to x and y, then released.
    void SetViewSize(int32_t x, int32_t y) {
        LupeForm->xUpDown->SetPosition(x);
        LupeForm->yUpDown->SetPosition(y);
        LupeForm->xUpDownMouseUp();
    }
    void Press(TMouseButton button, int32_t x, int32_t y) {
        LupeForm->LupeBox2MouseDown(button, x, y);
    }
    void Move(int32_t x, int32_t y) { LupeForm->LupeBox2MouseMove(x, y); }
    void Release() { LupeForm->LupeBox2MouseUp(); }
};

TEST_F(LupeTest, WindowStartsWithItsControls) {
    EXPECT_EQ(LupeForm->windowTitle(), "ルーペ");
    // The history's captions replace the buttons' own as soon as the window is made.
    EXPECT_EQ(LupeForm->btUndo->text(), "Undo 0");
    EXPECT_EQ(LupeForm->btRedo->text(), "Redo 0");
    EXPECT_FALSE(LupeForm->btUndo->isEnabled());
    EXPECT_FALSE(LupeForm->btRedo->isEnabled());
    EXPECT_EQ(LupeForm->xLabel->text(), "32");
    EXPECT_EQ(LupeForm->yLabel->text(), "32");
    EXPECT_EQ(LupeForm->Power(), 10);
    EXPECT_EQ(int(LupeForm->GridMode), 0);
    EXPECT_TRUE(LupeForm->N3->isChecked());
    EXPECT_TRUE(LupeForm->N10->isChecked());
    const QList<QAction*> menus = LupeForm->LupeMenu->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), "表示");
    EXPECT_EQ(menus[1]->text(), "グリッド");
    QStringList captions;
    for (QAction* item : menus[0]->menu()->actions())
        captions << item->text() + "=" + item->data().toString();
    EXPECT_EQ(captions.join(" "), "等倍=1 二倍=2 四倍=4 六倍=6 八倍=8 十倍=10 十二倍=12 十四倍=14");
    captions.clear();
    for (QAction* item : menus[1]->menu()->actions())
        captions << item->text() + "=" + item->data().toString();
    EXPECT_EQ(captions.join(" "), "グリッド無し=0 グリッド有り=1 特殊グリッド=2");
}

TEST_F(LupeTest, MagnificationAndGridResizeAndRedraw) {
    Open(40, 20, 3, 16, 8);
    ASSERT_EQ(Editor().ViewWidth(0), 24);
    ASSERT_EQ(Editor().ViewHeight(0), 12);
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(240, 120));
    LupeForm->PowerChange(LupeForm->N7);
    EXPECT_EQ(LupeForm->Power(), 14);
    EXPECT_TRUE(LupeForm->N7->isChecked());
    EXPECT_FALSE(LupeForm->N3->isChecked());
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(24 * 14, 12 * 14));
    EXPECT_EQ(LupeForm->LupeBox2->size(), QSize(24 * 14, 12 * 14));
    LupeForm->GridChange(LupeForm->N11);
    EXPECT_EQ(int(LupeForm->GridMode), 1);
    EXPECT_EQ(LupeForm->LupeBitmap.pixel(14, 5), qRgb(0x80, 0x80, 0x80));
    EXPECT_EQ(LupeForm->LupeBitmap.pixel(15, 5), Rgb(3));
    // The item already checked redraws nothing.
    const qint64 before = LupeForm->LupeBitmap.cacheKey();
    LupeForm->PowerChange(LupeForm->N7);
    LupeForm->GridChange(LupeForm->N11);
    EXPECT_EQ(LupeForm->LupeBitmap.cacheKey(), before);
    // No grid at 4x.
    LupeForm->PowerChange(LupeForm->N4);
    for (int32_t x = 0; x < LupeForm->LupeBitmap.width(); ++x)
        ASSERT_EQ(LupeForm->LupeBitmap.pixel(x, 0), Rgb(3)) << x;
}

TEST_F(LupeTest, ViewSizeTakesEffectOnRelease) {
    LupeForm->xUpDown->SetPosition(16);
    LupeForm->yUpDown->SetPosition(72); // past the end: stays at 64
    EXPECT_EQ(Editor().LupeCellsX(), 32) << "before the release";
    LupeForm->xUpDownMouseUp();
    EXPECT_EQ(Editor().LupeCellsX(), 16);
    EXPECT_EQ(Editor().LupeCellsY(), 64);
    EXPECT_EQ(LupeForm->xLabel->text(), "16");
    EXPECT_EQ(LupeForm->yLabel->text(), "64");
    EXPECT_TRUE(LupeForm->LupeBitmap.isNull()) << "nothing is drawn without a document";
    Open(100, 100, 0);
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(160, 640));
    LupeForm->xUpDown->SetPosition(8);
    LupeForm->xUpDownMouseUp();
    EXPECT_EQ(Editor().ViewWidth(0), 8);
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(80, 640));
    // The largest view: the scroll box scrolls what does not fit.
    SetViewSize(64, 64);
    LupeForm->PowerChange(LupeForm->N7);
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(896, 896));
    EXPECT_EQ(LupeForm->ScrollBox1->widget()->size(), QSize(896, 896));
}

// Pen strokes at every magnification and grid mode and both document zooms; the strong check
// after each. The special grid's corners follow the repair rule, not the full render's, so its
// picture is checked against the render rules in LupeRender_test instead.
TEST_F(LupeTest, PenStrokeDrawsTheLineAndKeepsEveryViewConsistent) {
    struct Case {
        QAction* power;
        QAction* grid;
        QAction* zoom;
    };
    const Case cases[] = {
        {LupeForm->N1, LupeForm->N10, mainform->x1}, {LupeForm->N4, LupeForm->N11, mainform->x2},
        {LupeForm->N6, LupeForm->N11, mainform->x4}, {LupeForm->N3, LupeForm->N10, mainform->x1},
        {LupeForm->N7, LupeForm->N11, mainform->x2},
    };
    for (const Case& c : cases) {
        mainform->xClick(c.zoom);
        LupeForm->PowerChange(c.power);
        LupeForm->GridChange(c.grid);
        SCOPED_TRACE(testing::Message()
                     << "power " << LupeForm->Power() << " grid " << int(LupeForm->GridMode)
                     << " zoom " << mainform->ZoomFactor);
        Open(48, 40, 2, 8, 4);
        Editor().SetDrawIndex(9);
        Press(TMouseButton::Left, Centre(0), Centre(0));
        Move(Centre(1), Centre(2));
        Release();
        // (0, 0) -> (1, 2) passes (0, 1): the half step rounds to the even neighbour.
        EXPECT_EQ(Pixel(8, 4), 9);
        EXPECT_EQ(Pixel(8, 5), 9);
        EXPECT_EQ(Pixel(9, 5), 2);
        EXPECT_EQ(Pixel(9, 6), 9);
        EXPECT_FALSE(Doc().Saved());
        const int32_t z = mainform->ZoomFactor;
        EXPECT_EQ(PaintedDocument().pixel(9 * z + z - 1, 6 * z + z - 1), Rgb(9));
        ExpectViewsRerendered();
    }
}

TEST_F(LupeTest, StrokeLeavingTheViewResumesOnReentry) {
    Open(64, 64, 0, 8, 8);
    SetViewSize(8, 8);
    ASSERT_EQ(Editor().ViewWidth(0), 8);
    const int32_t p = LupeForm->Power();
    Editor().SetDrawIndex(5);
    // A pointer up to Power - 1 pixels left of the view counts as column 0.
    Press(TMouseButton::Left, -(p - 1), Centre(1));
    EXPECT_EQ(Pixel(8, 9), 5);
    Move(Centre(12), Centre(1)); // out to the right, four cells past the edge
    for (int32_t x = 16; x < 24; ++x)
        EXPECT_EQ(Pixel(x, 9), 0) << "nothing drawn outside at " << x;
    for (int32_t x = 8; x < 16; ++x)
        EXPECT_EQ(Pixel(x, 9), 5) << x;
    // Back in: the line runs from the outside cell (12, 1) to (6, 7), its first steps outside.
    Move(Centre(6), Centre(7));
    Release();
    EXPECT_EQ(Pixel(8 + 7, 8 + 6), 5);
    EXPECT_EQ(Pixel(8 + 6, 8 + 7), 5) << "the end cell";
    EXPECT_EQ(Pixel(8 + 8, 8 + 5), 0) << "the step just outside";
    // After release a move draws nothing.
    Move(Centre(0), Centre(6));
    EXPECT_EQ(Pixel(8, 14), 0);
    ExpectViewsRerendered();
}

TEST_F(LupeTest, FillStaysInsideTheEditAreaAndRefreshesEverything) {
    Open(20, 20, 0, 4, 4);
    SetViewSize(8, 8);
    // A diagonal of index 1 through the edit area: the fill must not pass it.
    for (int32_t i = 0; i < 8; ++i)
        Doc().DocImage()->SetPixel(4 + i, 4 + 7 - i, 1);
    mainform->RenderDocBitmap();
    LupeForm->RenderLupe();
    Editor().SetTool(TTool::Fill);
    Editor().SetDrawIndex(6);
    Doc().SetSaved(true);
    Press(TMouseButton::Left, Centre(0), Centre(0));
    EXPECT_FALSE(LupeForm->MouseHeld);
    EXPECT_FALSE(Doc().Saved());
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const bool edit = x >= 4 && x < 12 && y >= 4 && y < 12;
            const bool above = edit && (x - 4) + (y - 4) < 7;
            const int expected = !edit ? 0 : (x - 4) + (y - 4) == 7 ? 1 : above ? 6 : 0;
            ASSERT_EQ(Pixel(x, y), expected) << x << ", " << y;
        }
    // A later move draws nothing.
    Move(Centre(7), Centre(7));
    EXPECT_EQ(Pixel(11, 11), 0);
    ExpectViewsRerendered();
    // On a pixel that already has the index: nothing changes, the document is still unsaved.
    Doc().SetSaved(true);
    Press(TMouseButton::Left, Centre(0), Centre(0));
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Pixel(4, 4), 6);
}

TEST_F(LupeTest, OtherButtonsPickAndDragPicking) {
    Open(16, 16, 0);
    Doc().DocImage()->SetPixel(2, 3, 7);
    Doc().DocImage()->SetPixel(5, 3, 8);
    for (const TTool tool : {TTool::Pen, TTool::Fill}) {
        Editor().SetTool(tool);
        Editor().SetDrawIndex(0);
        Press(TMouseButton::Right, Centre(2), Centre(3));
        EXPECT_EQ(Editor().DrawIndex(), 7);
        EXPECT_TRUE(LupeForm->MouseHeld);
        EXPECT_EQ(Pixel(2, 3), 7) << "picking draws nothing";
        Move(Centre(5), Centre(3));
        EXPECT_EQ(Editor().DrawIndex(), 8);
        Move(Centre(40), Centre(3)); // beyond the view: no change
        EXPECT_EQ(Editor().DrawIndex(), 8);
        Release();
        Move(Centre(2), Centre(3));
        EXPECT_EQ(Editor().DrawIndex(), 8) << "picking ends at release";
    }
}

TEST_F(LupeTest, PressWithoutDocumentIsIgnored) {
    Press(TMouseButton::Left, 5, 5);
    EXPECT_FALSE(LupeForm->MouseHeld);
    Move(50, 50);
    EXPECT_TRUE(LupeForm->LupeBitmap.isNull());
}

// With the layer, a transparent pen shows the layer pixel beneath, or stripes with the layer
// view; beyond the layer's extent the cell shows the transparent index.
TEST_F(LupeTest, TransparentPenOverTheLayer) {
    Open(40, 40, 0);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
            Doc().DocImage()->SetPixel(x, y, 3);
    mainform->btLayer->setChecked(true);
    mainform->btLayerClick();
    Editor().SetViewOrigin(kEditArea, 0, 0);
    // The layer is cut to 24 x 24 by the document's edge.
    Editor().SetViewOrigin(kLayerArea, 16, 16);
    Doc().DocImage()->SetPixel(16 + 1, 16 + 1, 4); // layer pixel under cell (1, 1)
    ASSERT_TRUE(Editor().LayerActive());
    ASSERT_EQ(Editor().ViewWidth(kLayerArea), 24);
    mainform->RenderDocBitmap();
    LupeForm->UpdateLupe();
    Doc().SetTransparentIndex(1);
    Editor().SetDrawIndex(1);
    const int32_t p = LupeForm->Power();
    for (const bool layerView : {false, true}) {
        SCOPED_TRACE(layerView);
        mainform->mnLayerView->setChecked(layerView);
        mainform->mnLayerViewClick();
        Press(TMouseButton::Left, Centre(1), Centre(1));
        Move(Centre(30), Centre(1)); // through cells beyond the layer's extent
        Release();
        EXPECT_EQ(LupeForm->LupeImage.GetPixel(1, 1), 4u);
        EXPECT_EQ(LupeForm->LupeImage.GetPixel(30, 1), 1u);
        const QImage& shown = LupeForm->LupeBitmap;
        EXPECT_EQ(shown.pixel(p + 1, p), Rgb(4));
        EXPECT_EQ(shown.pixel(p + 1, p + 1), layerView ? Rgb(1) : Rgb(4));
        EXPECT_EQ(shown.pixel(30 * p + 1, p), Rgb(1));
        ExpectViewsRerendered();
    }
}

TEST_F(LupeTest, SelectionOverlayIsHatchedOverThePicture) {
    Open(32, 32, 0, 8, 8);
    SelectBox(10, 10, 2, 2);
    QImage overlay(LupeForm->LupeBox2->size(), QImage::Format_RGB32);
    overlay.fill(Qt::black);
    {
        QPainter canvas(&overlay);
        LupeForm->LupeBox2Paint(canvas);
    }
    const int32_t p = LupeForm->Power();
    int hatched = 0;
    for (int32_t y = 0; y < overlay.height(); ++y)
        for (int32_t x = 0; x < overlay.width(); ++x) {
            const bool inside = x >= 2 * p && x < 4 * p && y >= 2 * p && y < 4 * p;
            if (overlay.pixel(x, y) != qRgb(0, 0, 0)) {
                ASSERT_TRUE(inside) << x << ", " << y;
                ++hatched;
            }
        }
    EXPECT_GT(hatched, 0);
    EXPECT_LT(hatched, 4 * p * p) << "the gaps stay transparent";
    CancelSelection();
}

namespace {
// Sizes the document view as if it had been made for another display scale.
void ShrinkDocView(int32_t devicePixels) {
    mainform->PaintBox2->DevicePicture = QSize(devicePixels, devicePixels);
    for (QWidget* view : {mainform->PaintBox, static_cast<QWidget*>(mainform->PaintBox2)})
        view->resize(devicePixels, devicePixels);
}
} // namespace

// A bitmap made for another display scale (smaller cells than the pointer now maps to) is made
// anew by the next cell drawn, never written past; the document view is sized anew.
TEST_F(LupeTest, ABitmapOfAnotherScaleIsMadeAnewNotWrittenPast) {
    Open(32, 32, 0);
    const int32_t c = LupeForm->CellPixels();
    LupeForm->LupeBitmap = QImage(32 * (c / 2), 32 * (c / 2), QImage::Format_RGB32);
    ShrinkDocView(16);
    LupeForm->LupeBox2MouseDown(TMouseButton::Left, Centre(30), Centre(30));
    LupeForm->LupeBox2MouseUp();
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(32 * c, 32 * c));
    EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(32, 32) * mainform->ZoomPixels());
    ExpectViewsRerendered();

    // Told of the change as Qt tells it, both views are made anew at once.
    LupeForm->LupeBitmap = QImage(8, 8, QImage::Format_RGB32);
    ShrinkDocView(8);
    for (QWidget* surface :
         {static_cast<QWidget*>(LupeForm->LupeBox2), static_cast<QWidget*>(mainform->PaintBox2)}) {
        QEvent change(QEvent::ScreenChangeInternal);
        QCoreApplication::sendEvent(surface, &change);
    }
    EXPECT_EQ(LupeForm->LupeBitmap.size(), QSize(32 * c, 32 * c));
    EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(32, 32) * mainform->ZoomPixels());
    ExpectViewsRerendered();
}

// Every press of the pen or the fill records one step of the whole edit area, even when nothing
// changes; a whole stroke is one step, and undoing it brings every view back.
TEST_F(LupeTest, EachPenOrFillPressRecordsOneStep) {
    Open(24, 24, 0, 8, 8);
    const QImage before = LupeForm->LupeBitmap.copy();
    Editor().SetDrawIndex(0); // the pixel already holds it
    Press(TMouseButton::Left, Centre(1), Centre(1));
    Release();
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    Editor().SetDrawIndex(4);
    Press(TMouseButton::Left, Centre(0), Centre(0));
    for (int32_t i = 1; i < 12; ++i)
        Move(Centre(i), Centre(i / 2));
    Release();
    EXPECT_EQ(Doc().History.UndoCount(), 2u);
    Editor().SetTool(TTool::Fill);
    Press(TMouseButton::Left, Centre(0), Centre(0)); // already index 4
    EXPECT_EQ(Doc().History.UndoCount(), 3u);
    Press(TMouseButton::Right, Centre(3), Centre(3));
    Release();
    EXPECT_EQ(Doc().History.UndoCount(), 3u) << "picking records nothing";
    LupeForm->btUndo->click();
    LupeForm->btUndo->click();
    EXPECT_EQ(Pixel(8, 8), 0);
    EXPECT_EQ(Pixel(18, 13), 0);
    EXPECT_TRUE(LupeForm->LupeBitmap == before);
    ExpectViewsRerendered();
}

namespace {
void CtrlWheel(QWidget* target, QPoint at, int32_t delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// A 64 x 64 edit area, wider and taller than the magnifier's window at ten times.
void WidenMagnifier() {
    Editor().SetLupeCells(64, 64);
    LupeForm->UpdateLupe();
}

void PressKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}
} // namespace

TEST_F(EditorTest, MagnifierStepsThroughItsMagnificationsByWheelAndKeys) {
    NewDocument("64", "64");
    struct Step {
        const char* how;
        std::function<void()> act;
        int32_t power;
    };
    const auto wheel = [](int32_t delta, Qt::KeyboardModifiers modifiers) {
        return [=] { CtrlWheel(LupeForm->LupeBox2, QPoint(5, 5), delta, modifiers); };
    };
    const auto key = [](int k) { return [=] { PressKey(LupeForm, k); }; };
    const Step steps[] = {
        {"ctrl wheel up", wheel(120, Qt::ControlModifier), 12},
        {"ctrl wheel up", wheel(120, Qt::ControlModifier), 14},
        {"ctrl wheel up at the top", wheel(120, Qt::ControlModifier), 14},
        {"plain wheel scrolls", wheel(-120, Qt::NoModifier), 14},
        {"ctrl wheel down", wheel(-120, Qt::ControlModifier), 12},
        {"minus", key(Qt::Key_Minus), 10},
        {"minus", key(Qt::Key_Minus), 8},
        {"minus", key(Qt::Key_Minus), 6},
        {"minus", key(Qt::Key_Minus), 4},
        {"minus", key(Qt::Key_Minus), 2},
        {"minus", key(Qt::Key_Minus), 1},
        {"minus at the bottom", key(Qt::Key_Minus), 1},
        {"plus", key(Qt::Key_Plus), 2},
        {"another key", key(Qt::Key_A), 2},
    };
    for (const Step& step : steps) {
        step.act();
        SCOPED_TRACE(step.how);
        EXPECT_EQ(LupeForm->Power(), step.power);
        ASSERT_EQ(LupeForm->LupeBitmap.size(), QSize(32 * step.power, 32 * step.power));
        for (QAction* item : {LupeForm->N1, LupeForm->N2, LupeForm->N4, LupeForm->N6, LupeForm->N8,
                              LupeForm->N3, LupeForm->N5, LupeForm->N7})
            EXPECT_EQ(item->isChecked(), item->data().toInt() == step.power);
    }
}

TEST_F(EditorTest, MagnifierWheelKeepsThePixelUnderThePointer) {
    NewDocument("64", "64");
    WidenMagnifier();
    QWidget* viewport = LupeForm->ScrollBox1->viewport();
    ASSERT_LT(viewport->width(), 64 * 6) << "the view must scroll at the smaller magnification";
    ASSERT_LT(viewport->height(), 64 * 6);
    struct Case {
        int32_t delta;
        QPoint scroll, spot; // scroll position and pointer in the viewport
    };
    const Case cases[] = {
        {120, {100, 80}, {50, 60}}, {120, {0, 0}, {37, 91}},     {-120, {200, 150}, {120, 30}},
        {-120, {120, 100}, {5, 7}}, {120, {250, 10}, {140, 77}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "delta " << c.delta << " scroll " << c.scroll.x() << "," << c.scroll.y());
        LupeForm->PowerChange(LupeForm->N3); // 10
        QScrollBar *h = LupeForm->ScrollBox1->horizontalScrollBar(),
                   *v = LupeForm->ScrollBox1->verticalScrollBar();
        h->setValue(c.scroll.x());
        v->setValue(c.scroll.y());
        ASSERT_EQ(QPoint(h->value(), v->value()), c.scroll);
        const QPoint before = c.scroll + c.spot;
        CtrlWheel(LupeForm->LupeBox2, before, c.delta, Qt::ControlModifier);
        ASSERT_NE(LupeForm->Power(), 10);
        const QPoint after = QPoint(h->value(), v->value()) + c.spot;
        EXPECT_EQ(after.x() / LupeForm->Power(), before.x() / 10);
        EXPECT_EQ(after.y() / LupeForm->Power(), before.y() / 10);
    }
}

TEST_F(EditorTest, MagnifierZoomAtTheEdgeScrollsOnlyAsFarAsTheViewAllows) {
    NewDocument("64", "64");
    WidenMagnifier();
    QScrollBar* h = LupeForm->ScrollBox1->horizontalScrollBar();
    h->setValue(0);
    // Zooming out around a point near the left edge would want a scroll left of zero.
    CtrlWheel(LupeForm->LupeBox2, QPoint(5, 5), -120, Qt::ControlModifier);
    EXPECT_EQ(LupeForm->Power(), 8);
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(h->maximum(), std::max(0, 64 * 8 - LupeForm->ScrollBox1->viewport()->width()));
}
