// The document window's view: rendering, the frames over it, placement with the three snap steps,
// the layer switch and the zoom.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/selection.h"
#include "editor_fixture.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

namespace {
// The overlay painted over a white picture of the document's size.
QImage RenderOverlay() {
    QImage picture(Doc().DocWidth() * mainform->ZoomFactor,
                   Doc().DocHeight() * mainform->ZoomFactor, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter canvas(&picture);
    mainform->PaintBox2Paint(canvas);
    return picture;
}

const QRgb kBlue = qRgb(0, 0, 255), kRed = qRgb(255, 0, 0), kBlack = qRgb(0, 0, 0),
           kWhite = qRgb(255, 255, 255);

struct PixelCase {
    int x, y;
    QRgb expected;
};

void ExpectPixels(const QImage& picture, const std::vector<PixelCase>& cases) {
    for (const PixelCase& c : cases)
        EXPECT_EQ(picture.pixel(c.x, c.y), c.expected) << "pixel (" << c.x << ", " << c.y << ")";
}
} // namespace

TEST_F(EditorTest, DocumentIsRenderedThroughItsPaletteAtEachZoom) {
    NewDocument("5", "4");
    Doc().DocImage()->PaletteBlock[0] = TPaletteEntry{0x10, 0x20, 0x30, 0};
    Doc().DocImage()->PaletteBlock[7] = TPaletteEntry{0xFF, 0x80, 0x01, 0};
    Doc().DocImage()->ApplyPalette();
    Doc().DocImage()->RowForWrite(2)[3] = 7;
    mainform->RenderDocBitmap();
    for (QAction* item : {mainform->x1, mainform->x2, mainform->x4}) {
        mainform->xClick(item);
        const int z = mainform->ZoomFactor;
        SCOPED_TRACE(z);
        EXPECT_EQ(z, item->data().toInt());
        EXPECT_TRUE(item->isChecked());
        ASSERT_EQ(mainform->PaintBox2->DevicePicture, QSize(5 * z, 4 * z));
        EXPECT_EQ(mainform->PaintBox->size(), QSize(5 * z, 4 * z));
        EXPECT_EQ(mainform->PaintBox2->size(), QSize(5 * z, 4 * z));
        const QImage painted = PaintedDocument();
        for (int y = 0; y < 4 * z; ++y)
            for (int x = 0; x < 5 * z; ++x) {
                const QRgb expected =
                    (x / z == 3 && y / z == 2) ? qRgb(0x01, 0x80, 0xFF) : qRgb(0x30, 0x20, 0x10);
                ASSERT_EQ(painted.pixel(x, y), expected) << x << ", " << y;
            }
        EXPECT_EQ(StaleDocumentView(), "");
    }
}

TEST_F(EditorTest, ChoosingTheCheckedZoomDoesNothing) {
    NewDocument("8", "8");
    ASSERT_EQ(StaleDocumentView(), "");
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    mainform->PaintBox->installEventFilter(&counter);
    mainform->xClick(mainform->x1);
    PaintPending();
    EXPECT_EQ(mainform->ZoomFactor, 1);
    EXPECT_EQ(counter.paints, 0) << "the view was rendered again";
}

TEST_F(EditorTest, ZoomWithoutDocumentOnlyRecordsTheFactor) {
    mainform->xClick(mainform->x2);
    EXPECT_EQ(mainform->ZoomFactor, 2);
    EXPECT_EQ(mainform->PaintBox->size(), QSize(105, 105));
}

TEST_F(EditorTest, PlacementSnapsToTheChosenStep) {
    struct Case {
        QToolButton* button;
        int zoom, x, y;
        int left, top;
    };
    NewDocument("256", "256");
    const Case cases[] = {
        {mainform->btLupeGrid, 1, 70, 40, 64, 32}, {mainform->bt8Dot, 1, 70, 40, 64, 40},
        {mainform->bt1Dot, 1, 70, 40, 70, 40},     {mainform->btLupeGrid, 2, 141, 81, 64, 32},
        {mainform->bt8Dot, 4, 283, 163, 64, 40},   {mainform->bt1Dot, 2, 141, 81, 70, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button->text().toStdString() << " zoom " << c.zoom
                                        << " at " << c.x << ", " << c.y);
        c.button->click();
        mainform->ZoomFactor = c.zoom;
        mainform->PaintBox2MouseDown(TMouseButton::Left, false, c.x, c.y);
        EXPECT_TRUE(mainform->ViewDragging);
        EXPECT_TRUE(mainform->DragEditArea);
        mainform->PaintBox2MouseUp();
        EXPECT_FALSE(mainform->ViewDragging);
        EXPECT_EQ(Editor().ViewLeft(0), c.left);
        EXPECT_EQ(Editor().ViewTop(0), c.top);
        EXPECT_EQ(Editor().ViewLeft(1), 0) << "the layer area moved";
        EXPECT_EQ(Editor().ViewWidth(0), 32);
    }
}

TEST_F(EditorTest, DragsLeavingTheSurfaceStopAtTheImageEdges) {
    NewDocument("100", "70");
    mainform->PaintBox2MouseDown(TMouseButton::Left, false, 10, 10);
    mainform->PaintBox2MouseMove(5000, 9000);
    EXPECT_EQ(Editor().ViewLeft(0), 96);
    EXPECT_EQ(Editor().ViewTop(0), 64);
    EXPECT_EQ(Editor().ViewWidth(0), 4);
    EXPECT_EQ(Editor().ViewHeight(0), 6);
    mainform->PaintBox2MouseMove(-40, -3);
    EXPECT_EQ(Editor().ViewLeft(0), 0);
    EXPECT_EQ(Editor().ViewTop(0), 0);
    mainform->PaintBox2MouseUp();
    // Without a press, moves place nothing.
    mainform->PaintBox2MouseMove(80, 50);
    EXPECT_EQ(Editor().ViewLeft(0), 0);
}

TEST_F(EditorTest, DraggedFramesStayInSightOfALargePicture) {
    NewDocument("2000", "2000");
    QScrollArea* area = mainform->ScrollBox;
    ASSERT_LT(area->viewport()->width(), 1000);
    // The part of the picture the view shows, in its screen pixels.
    const auto shown = [area] {
        return QRect(
            QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value()),
            area->viewport()->size());
    };
    const struct {
        TMouseButton button;
        int x, y;
    } drags[] = {
        {TMouseButton::Left, 1500, 1200}, {TMouseButton::Left, 5000, 5000},
        {TMouseButton::Left, 700, 1900},  {TMouseButton::Left, 0, 0},
        {TMouseButton::Right, 1999, 64},  {TMouseButton::Right, 40, 30},
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(testing::Message() << d.x << ", " << d.y);
        mainform->PaintBox2MouseDown(d.button, false, 10, 10);
        mainform->PaintBox2MouseMove(d.x, d.y);
        mainform->PaintBox2MouseUp();
        const int i = d.button == TMouseButton::Left ? 0 : 1;
        // The outer frame line, cut at the picture's edges.
        const QRect frame = QRect(Editor().ViewLeft(i) - 3, Editor().ViewTop(i) - 3,
                                  Editor().ViewWidth(i) + 6, Editor().ViewHeight(i) + 6)
                                .intersected(QRect(0, 0, 2000, 2000));
        EXPECT_TRUE(shown().contains(frame))
            << "frame (" << frame.x() << ", " << frame.y() << ") outside the view at ("
            << shown().x() << ", " << shown().y() << ")";
    }
}

TEST_F(EditorTest, OtherButtonsPlaceTheLayerArea) {
    NewDocument("256", "256");
    for (TMouseButton button : {TMouseButton::Right, TMouseButton::Middle}) {
        mainform->PaintBox2MouseDown(button, false, 100, 200);
        EXPECT_FALSE(mainform->DragEditArea);
        mainform->PaintBox2MouseUp();
        EXPECT_EQ(Editor().ViewLeft(1), 96);
        EXPECT_EQ(Editor().ViewTop(1), 192);
        EXPECT_EQ(Editor().ViewLeft(0), 0);
        EXPECT_EQ(Editor().ViewTop(0), 0);
        Editor().SetViewOrigin(1, 0, 0);
    }
}

TEST_F(EditorTest, PressesWithoutDocumentAreIgnored) {
    mainform->PaintBox2MouseDown(TMouseButton::Left, false, 50, 50);
    EXPECT_FALSE(mainform->ViewDragging);
    EXPECT_EQ(Editor().ViewLeft(0), 0);
}

TEST_F(EditorTest, RegionToolTakesPressesUnlessShiftIsHeld) {
    NewDocument("256", "256");
    Editor().SetTool(TTool::Region);
    mainform->PaintBox2MouseDown(TMouseButton::Left, false, 70, 40);
    EXPECT_FALSE(mainform->ViewDragging);
    EXPECT_EQ(Editor().ViewLeft(0), 0) << "a press of the region tool placed the edit area";
    mainform->PaintBox2MouseUp();
    mainform->PaintBox2MouseDown(TMouseButton::Left, true, 70, 40);
    EXPECT_TRUE(mainform->ViewDragging);
    EXPECT_EQ(Editor().ViewLeft(0), 64);
    EXPECT_EQ(Editor().ViewTop(0), 32);
}

TEST_F(EditorTest, LayerIsActiveOnlyWithTheButtonDownAndOriginsApart) {
    struct Case {
        bool down;
        int left1, top1;
        bool active;
    };
    NewDocument("256", "256");
    const Case cases[] = {{false, 0, 0, false},
                          {false, 32, 0, false},
                          {true, 0, 0, false},
                          {true, 32, 0, true},
                          {true, 0, 64, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.down << " " << c.left1 << "," << c.top1);
        mainform->btLayer->setChecked(c.down);
        Editor().SetViewOrigin(1, c.left1, c.top1);
        mainform->btLayerClick();
        EXPECT_EQ(Editor().LayerActive(), c.active);
    }
}

TEST_F(EditorTest, ALayerDraggedOntoTheEditAreaLeavesTheMagnifier) {
    NewDocument("64", "32");
    mainform->bt8Dot->click();
    // The edit area at (0, 0) is all transparent index 0; the layer at (32, 0) is index 5.
    for (int32_t y = 0; y < 32; ++y)
        std::fill_n(Doc().DocImage()->RowForWrite(y) + 32, 32, uint8_t(5));
    mainform->btLayer->setChecked(true);
    mainform->btLayerClick();
    mainform->PaintBox2MouseDown(TMouseButton::Right, false, 32, 0);
    mainform->PaintBox2MouseUp();
    ASSERT_TRUE(Editor().LayerActive());
    ASSERT_EQ(LupeForm->LupeImage.GetPixel(3, 3), 5u);
    mainform->PaintBox2MouseDown(TMouseButton::Right, false, 0, 0);
    mainform->PaintBox2MouseUp();
    EXPECT_FALSE(Editor().LayerActive());
    EXPECT_EQ(LupeForm->LupeImage.GetPixel(3, 3), 0u);
    EXPECT_EQ(LupeForm->LupeBitmap.pixel(35, 35), qRgb(0, 0, 0));
}

TEST_F(EditorTest, LayerButtonAndItemToggleThemselves) {
    mainform->btLayer->click();
    EXPECT_TRUE(mainform->btLayer->isChecked());
    mainform->mnLayerView->trigger();
    EXPECT_TRUE(mainform->mnLayerView->isChecked());
    mainform->mnLayerView->trigger();
    EXPECT_FALSE(mainform->mnLayerView->isChecked());
}

TEST_F(EditorTest, FramesOutlineTheViewRectanglesAtExactPixels) {
    NewDocument("256", "256");
    mainform->PaintBox2MouseDown(TMouseButton::Left, false, 40, 40);
    mainform->PaintBox2MouseUp();
    ASSERT_EQ(Editor().ViewLeft(0), 32);
    const QImage picture = RenderOverlay();
    ExpectPixels(picture, {
                              // Edit area (32, 32, 32 x 32): blue at 31/64 and 30/65, black 29/66.
                              {31, 48, kBlue},
                              {64, 48, kBlue},
                              {48, 31, kBlue},
                              {48, 64, kBlue},
                              {30, 48, kBlue},
                              {65, 48, kBlue},
                              {48, 30, kBlue},
                              {48, 65, kBlue},
                              {29, 48, kBlack},
                              {66, 48, kBlack},
                              {48, 29, kBlack},
                              {48, 66, kBlack},
                              {28, 48, kWhite},
                              {67, 48, kWhite},
                              {32, 48, kWhite},
                              {63, 48, kWhite},
                              // Layer area at (0, 0): its left and top sides lie at -1.
                              {32, 10, kRed},
                              {10, 32, kRed},
                              {32, 32, kRed},
                              {0, 10, kWhite},
                              {10, 0, kWhite},
                              // Drawn last, the red frame covers the edit area's frames.
                              {32, 29, kRed},
                              {32, 31, kRed},
                              {29, 32, kRed},
                          });
}

TEST_F(EditorTest, FramesScaleWithTheZoom) {
    NewDocument("64", "64");
    mainform->xClick(mainform->x2);
    mainform->bt8Dot->click();
    mainform->PaintBox2MouseDown(TMouseButton::Left, false, 17, 17);
    mainform->PaintBox2MouseUp();
    ASSERT_EQ(Editor().ViewLeft(0), 8);
    ASSERT_EQ(Editor().ViewWidth(0), 32);
    const QImage picture = RenderOverlay();
    // The edit area covers screen pixels 16..79: outlines at 15/80, 14/81 and black 13/82.
    ExpectPixels(picture, {{15, 40, kBlue},
                           {80, 40, kBlue},
                           {14, 40, kBlue},
                           {81, 40, kBlue},
                           {13, 40, kBlack},
                           {82, 40, kBlack},
                           {16, 40, kWhite},
                           {79, 40, kWhite},
                           {40, 15, kBlue},
                           {40, 82, kBlack}});
}

TEST_F(EditorTest, NothingIsDrawnWithoutDocument) {
    QImage picture(105, 105, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter canvas(&picture);
    mainform->PaintBox2Paint(canvas);
    canvas.end();
    QImage white(105, 105, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_EQ(picture, white);
}

TEST_F(EditorTest, SelectionIsHatchedOverTheImage) {
    NewDocument("128", "128");
    // Frames out of the way.
    Editor().SetViewOrigin(0, 64, 64);
    Editor().SetViewOrigin(1, 64, 64);
    SelectBox(4, 6, 20, 16);
    const QImage picture = RenderOverlay();
    CancelSelection();
    int changed = 0, kept = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool inside = x >= 4 && x < 24 && y >= 6 && y < 22;
            const QRgb pixel = picture.pixel(x, y);
            if (!inside) {
                ASSERT_EQ(pixel, kWhite) << x << ", " << y;
                continue;
            }
            // Hatch lines invert the white beneath; the gaps leave it.
            ASSERT_TRUE(pixel == kBlack || pixel == kWhite) << x << ", " << y;
            (pixel == kBlack ? changed : kept)++;
        }
    EXPECT_GT(changed, 0);
    EXPECT_GT(kept, 0);
}

// A floating block shows its own pixels where it floats, in both views, its transparent index
// letting what lies beneath show, inside an outline that inverts what it covers.
TEST_F(EditorTest, AFloatingBlockShowsItsPixelsInBothViews) {
    NewDocument("128", "128");
    mainform->xClick(mainform->x2);
    Editor().SetViewOrigin(0, 0, 0);
    Editor().SetViewOrigin(1, 0, 0);
    Doc().SetTransparentIndex(9);
    TDIB block;
    block.Resize(3, 2, 8);
    const uint8_t indices[2][3] = {{40, 9, 200}, {9, 0, 120}};
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            block.SetPixel(x, y, indices[y][x]);
    Doc().FloatBlock(block, 5, 7);

    // The document view at zoom 2 over white.
    const QImage doc = RenderOverlay();
    // The magnifier over white: the block lies at cell (5, 7) of the edit area.
    const int32_t c = LupeForm->CellPixels();
    QImage lupe(32 * c, 32 * c, QImage::Format_RGB32);
    lupe.fill(Qt::white);
    {
        QPainter canvas(&lupe);
        LupeForm->LupeBox2Paint(canvas);
    }
    const std::pair<const QImage*, int32_t> views[] = {{&doc, 2}, {&lupe, c}};
    for (const auto& [view, scale] : views) {
        SCOPED_TRACE(scale);
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x) {
                const uint8_t i = indices[y][x];
                const QRgb expected = i == 9 ? kWhite : qRgb(i, i, i); // the grey ramp
                EXPECT_EQ(view->pixel((5 + x) * scale + scale / 2, (7 + y) * scale + scale / 2),
                          expected)
                    << x << ", " << y;
            }
        // The outline just outside the block.
        EXPECT_EQ(view->pixel(5 * scale - 1, 7 * scale + 1), kBlack);
        EXPECT_EQ(view->pixel(8 * scale, 9 * scale - 1), kBlack);
        EXPECT_EQ(view->pixel(8 * scale + 1, 9 * scale - 1), kWhite);
    }
    CancelSelection();
}

TEST_F(EditorTest, MouseEventsOfTheSurfaceReachTheHandlers) {
    NewDocument("256", "256");
    auto send = [](QEvent::Type type, int x, int y, Qt::MouseButton button,
                   Qt::KeyboardModifiers modifiers) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, mainform->PaintBox2->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                             : Qt::MouseButtons(button),
                          modifiers);
        QApplication::sendEvent(mainform->PaintBox2, &event);
    };
    send(QEvent::MouseButtonPress, 100, 200, Qt::RightButton, Qt::NoModifier);
    EXPECT_TRUE(mainform->ViewDragging);
    EXPECT_EQ(Editor().ViewLeft(1), 96);
    EXPECT_EQ(Editor().ViewTop(1), 192);
    send(QEvent::MouseMove, 40, 70, Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(Editor().ViewLeft(1), 32);
    EXPECT_EQ(Editor().ViewTop(1), 64);
    send(QEvent::MouseButtonRelease, 40, 70, Qt::RightButton, Qt::NoModifier);
    EXPECT_FALSE(mainform->ViewDragging);
    EXPECT_EQ(Editor().ViewLeft(0), 0);

    // Shift reaches the handler: with the region tool it still places the edit area.
    Editor().SetTool(TTool::Region);
    send(QEvent::MouseButtonPress, 70, 40, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Editor().ViewLeft(0), 64);
    EXPECT_EQ(Editor().ViewTop(0), 32);
    send(QEvent::MouseButtonRelease, 70, 40, Qt::LeftButton, Qt::ShiftModifier);
}

TEST_F(EditorTest, ZoomWhoseViewCannotBeMadeKeepsTheOldZoom) {
    // At four times this is wider than any widget may be; at two times it is not.
    NewDocument("5000000", "1");
    mainform->x2->trigger();
    ASSERT_EQ(mainform->ZoomFactor, 2);
    mainform->x4->trigger();
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0], QString("表示用ビットマップ を作成できません"));
    EXPECT_EQ(mainform->ZoomFactor, 2);
    EXPECT_TRUE(mainform->x2->isChecked());
    EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(10000000, 2));
    EXPECT_EQ(mainform->PaintBox->size(), QSize(10000000, 2));
}

TEST_F(EditorTest, CtrlWheelStepsTheDocumentZoomAroundThePointer) {
    NewDocument("256", "256");
    QScrollBar *h = mainform->ScrollBox->horizontalScrollBar(),
               *v = mainform->ScrollBox->verticalScrollBar();
    struct Step {
        int32_t delta;
        Qt::KeyboardModifiers modifiers;
        int32_t zoom;
    };
    const Step steps[] = {{120, Qt::ControlModifier, 2},  {120, Qt::ControlModifier, 4},
                          {120, Qt::ControlModifier, 4},  {-120, Qt::NoModifier, 4},
                          {-120, Qt::ControlModifier, 2}, {-120, Qt::ControlModifier, 1},
                          {-120, Qt::ControlModifier, 1}};
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message() << step.delta << " to " << step.zoom);
        const int32_t old = mainform->ZoomFactor;
        const QPoint spot(40, 30); // in the viewport
        const QPoint at = QPoint(h->value(), v->value()) + spot;
        QWheelEvent wheel(at, mainform->PaintBox2->mapToGlobal(at), QPoint(), QPoint(0, step.delta),
                          Qt::NoButton, step.modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(mainform->PaintBox2, &wheel);
        EXPECT_EQ(mainform->ZoomFactor, step.zoom);
        EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(256 * step.zoom, 256 * step.zoom));
        EXPECT_TRUE((step.zoom == 1   ? mainform->x1
                     : step.zoom == 2 ? mainform->x2
                                      : mainform->x4)
                        ->isChecked());
        // The image pixel under the pointer is the same where the scroll range allows it.
        if (step.zoom == old) continue;
        const auto expectKept = [&](QScrollBar* bar, int32_t point, int32_t offset) {
            const int32_t wanted = point * step.zoom / old - offset;
            if (wanted >= 0 && wanted <= bar->maximum())
                EXPECT_EQ((bar->value() + offset) / step.zoom, point / old);
            else
                EXPECT_EQ(bar->value(), wanted < 0 ? 0 : bar->maximum());
        };
        expectKept(h, at.x(), spot.x());
        expectKept(v, at.y(), spot.y());
    }
}

// A palette edit through the edit path reaches the pixels' storage, the view and the saved flag.
TEST_F(EditorTest, APaletteEditIsAppliedAndShown) {
    TPalette entries = GreyRampPalette();
    entries[0] = TPaletteEntry{0, 0, 255, 0}; // red
    Doc().EditPalette(nullptr, entries);      // no document: nothing to change
    EXPECT_EQ(Doc().DocImage(), nullptr);

    NewDocument("4", "3");
    ASSERT_NE(Doc().DocImage(), nullptr);
    ASSERT_EQ(PaintedDocument().pixel(0, 0), qRgb(0, 0, 0));
    Doc().EditPalette(nullptr, entries);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, entries);
    // A copy takes the storage's colour table, so it shows whether the palette was applied.
    EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock, entries);
    EXPECT_EQ(PaintedDocument().pixel(3, 2), qRgb(255, 0, 0));
    EXPECT_EQ(StaleDocumentView(), "") << "the document view was not redrawn";
    EXPECT_FALSE(Doc().Saved());
}
