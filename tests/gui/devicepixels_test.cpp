// Image pixels on whole device pixels. The GUI cases check the document view and the magnifier
// as the window system would show them, at the display scale the suite runs under: ctest runs
// them again under QT_SCALE_FACTOR 1.25, 1.5 and 2. Every image pixel of a checkerboard must
// cover the same whole number of device pixels in the window's picture, and a click on any
// device pixel of an image pixel must reach that image pixel.
#include "docview_shown.h"
#include "editor/animation.h"
#include "editor/lupe.h"
#include "editor/tilepreview.h"
#include "editor/updown.h"
#include "editor_fixture.h"
#include "ui/devicepixels.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>
#include <cmath>
#include <functional>
#include <string>

TEST(DevicePixelsTest, PixelsPerImagePixelAreTheNearestWholeNumber) {
    const struct {
        int32_t magnification;
        double ratio;
        int32_t pixels;
    } cases[] = {
        {1, 1, 1},      {4, 1, 4},   {14, 1, 14}, {1, 1.25, 1},  {2, 1.25, 3}, {4, 1.25, 5},
        {10, 1.25, 13}, {1, 1.5, 2}, {4, 1.5, 6}, {14, 1.5, 21}, {1, 1.75, 2}, {6, 1.75, 11},
        {1, 2, 2},      {10, 2, 20}, {1, 0.5, 1}, {4, 0.5, 2},   {1, 0.25, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DevicePixelsPer(c.magnification, c.ratio), c.pixels)
            << c.magnification << " x " << c.ratio;
}

TEST(DevicePixelsTest, LogicalSizeHoldsTheDevicePixels) {
    const struct {
        QSize device;
        double ratio;
        QSize logical;
    } cases[] = {
        // At a fractional ratio one logical pixel more where the last device pixel's logical
        // position would round past the widget.
        {{105, 7}, 1, {105, 7}},    {{32, 30}, 1.5, {22, 21}}, {{3, 2}, 1.5, {3, 2}},
        {{25, 26}, 1.25, {21, 21}}, {{0, 1}, 2, {0, 1}},       {{40, 41}, 2, {20, 21}},
        {{0, 0}, 1.5, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogicalSize(c.device, c.ratio), c.logical)
            << c.device.width() << "x" << c.device.height() << " at " << c.ratio;
}

namespace {
constexpr int32_t kWidth = 16, kHeight = 12;
// The two colours of the checkerboard, found nowhere else in the windows.
constexpr QRgb kDark = qRgb(200, 16, 120), kLight = qRgb(16, 220, 90);

QRgb Checker(int32_t x, int32_t y) {
    return (x + y) % 2 ? kDark : kLight;
}

// Where a view shows its picture in its window's device pixels, and at what size per pixel.
struct TShownPicture {
    QImage window; // the window as its backing store holds it, in device pixels
    QRect picture; // the checkerboard's device pixels within window
    int32_t pixels = 0;
};

class ScaledViewTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ratio = mainform->devicePixelRatioF();
        // A scale asked for in the environment must be the one the views work at.
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
            ASSERT_DOUBLE_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
        }
        NewDocument(QString::number(kWidth), QString::number(kHeight));
        Doc().DocImage()->PaletteBlock[1] = TPaletteEntry{120, 16, 200, 0};
        Doc().DocImage()->PaletteBlock[2] = TPaletteEntry{90, 220, 16, 0};
        Doc().DocImage()->PaletteBlock[3] = TPaletteEntry{0, 0, 0, 0};
        Doc().DocImage()->ApplyPalette();
        PaintChecker();
        mainform->UpdateDocView();
        LupeForm->UpdateLupe();
    }

    static void PaintChecker() {
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x)
                Doc().DocImage()->SetPixel(x, y, Checker(x, y) == kDark ? 1 : 2);
    }

    // Grabs the window holding view and finds the checkerboard in it: the bounding box of its
    // two colours, which must be a whole number of device pixels per image pixel. The view
    // shows size image pixels.
    static TShownPicture Shown(QWidget* view, QSize size = QSize(kWidth, kHeight)) {
        TShownPicture shown;
        shown.window = view->window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int32_t left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
        for (int32_t y = 0; y < shown.window.height(); ++y)
            for (int32_t x = 0; x < shown.window.width(); ++x) {
                const QRgb c = shown.window.pixel(x, y);
                if (c != kDark && c != kLight) continue;
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        shown.picture = QRect(QPoint(left, top), QPoint(right, bottom));
        EXPECT_EQ(shown.picture.width() % size.width(), 0) << "width " << shown.picture.width();
        EXPECT_EQ(shown.picture.height() % size.height(), 0) << "height " << shown.picture.height();
        shown.pixels = shown.picture.width() / size.width();
        EXPECT_EQ(shown.picture.height() / size.height(), shown.pixels) << "pixels not square";
        return shown;
    }

    // Every device pixel of the picture shows the image pixel of its k x k block.
    static void ExpectSquarePixels(const TShownPicture& shown) {
        const int32_t k = shown.pixels;
        for (int32_t y = 0; y < shown.picture.height(); ++y)
            for (int32_t x = 0; x < shown.picture.width(); ++x)
                ASSERT_EQ(shown.window.pixel(shown.picture.left() + x, shown.picture.top() + y),
                          Checker(x / k, y / k))
                    << "device pixel " << x << ", " << y << " of the picture";
    }

    // Presses and releases the left button on view at a device pixel of its window.
    void Click(QWidget* view, QPoint device) const {
        const QPointF at = QPointF(device) / ratio - QPointF(view->mapTo(view->window(), QPoint()));
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(view, &event);
        }
    }

    // The first and last device pixel of every image pixel, in both directions, in the window.
    static std::vector<std::pair<QPoint, QPoint>> PixelCorners(const TShownPicture& shown) {
        std::vector<std::pair<QPoint, QPoint>> corners;
        const int32_t k = shown.pixels;
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) {
                const QPoint first = shown.picture.topLeft() + QPoint(x * k, y * k);
                for (QPoint offset :
                     {QPoint(0, 0), QPoint(k - 1, 0), QPoint(0, k - 1), QPoint(k - 1, k - 1)})
                    corners.emplace_back(QPoint(x, y), first + offset);
            }
        return corners;
    }

    double ratio = 1;
};

// The view's magnifications, each set through its menu item.
struct TZoomCase {
    const char* view;
    int32_t magnification;
};
const TZoomCase kZooms[] = {{"document", 1},  {"document", 2},   {"document", 4},
                            {"magnifier", 1}, {"magnifier", 2},  {"magnifier", 4},
                            {"magnifier", 6}, {"magnifier", 10}, {"magnifier", 14}};

bool IsDocument(const TZoomCase& c) {
    return std::string(c.view) == "document";
}

void SetZoom(const TZoomCase& c) {
    if (IsDocument(c)) {
        for (QAction* item : {mainform->x1, mainform->x2, mainform->x4})
            if (item->data().toInt() == c.magnification) mainform->xClick(item);
        return;
    }
    for (QAction* item : {LupeForm->N1, LupeForm->N2, LupeForm->N4, LupeForm->N6, LupeForm->N8,
                          LupeForm->N3, LupeForm->N5, LupeForm->N7})
        if (item->data().toInt() == c.magnification) LupeForm->PowerChange(item);
}

QWidget* Surface(const TZoomCase& c) {
    return IsDocument(c) ? mainform->PaintBox2 : static_cast<QWidget*>(LupeForm->LupeBox2);
}
} // namespace

// The previews draw every image pixel as their scale at the display scale, whole device pixels
// each way, the tiled preview's nine copies meeting without a seam.
TEST_F(ScaledViewTest, PreviewsDrawEveryImagePixelAsTheSameSquare) {
    mainform->acAnimation->trigger();
    mainform->acTilePreview->trigger();
    const struct {
        const char* name;
        TCellPreview* preview;
        int32_t copies;
    } previews[] = {{"animation", AnimationForm, 1}, {"tiles", TileForm, 3}};
    for (const int32_t scale : {1, 3, 8}) {
        Editor().SetAnimation(TAnimation{.Frames = 1, .Scale = scale});
        for (const auto& p : previews) {
            SCOPED_TRACE(testing::Message() << p.name << " at " << scale << ", scale " << ratio);
            const TShownPicture shown = Shown(p.preview->Box, QSize(kWidth, kHeight) * p.copies);
            EXPECT_EQ(shown.pixels, DevicePixelsPer(scale, ratio));
            ExpectSquarePixels(shown);
        }
    }
}

TEST_F(ScaledViewTest, EveryImagePixelIsTheSameWholeNumberOfDevicePixels) {
    for (const TZoomCase& c : kZooms) {
        SCOPED_TRACE(testing::Message()
                     << c.view << " at " << c.magnification << ", scale " << ratio);
        SetZoom(c);
        const TShownPicture shown = Shown(Surface(c));
        // The nearest whole number of device pixels to the magnification at this scale.
        EXPECT_LE(std::abs(shown.pixels - c.magnification * ratio), 0.5);
        EXPECT_GE(shown.pixels, 1);
        EXPECT_EQ(shown.pixels, IsDocument(c) ? mainform->ZoomPixels() : LupeForm->CellPixels());
        ExpectSquarePixels(shown);
    }
}

// A pixel changed on its own is repainted on every device pixel it covers: the window then
// holds what a repaint of all of it gives, and the canvas paints the core's render.
TEST_F(ScaledViewTest, AChangedPixelIsRepaintedOnEveryDevicePixelOfIt) {
    for (const TZoomCase& c : kZooms) {
        if (!IsDocument(c)) continue;
        SCOPED_TRACE(testing::Message()
                     << "document at " << c.magnification << ", scale " << ratio);
        SetZoom(c);
        ASSERT_EQ(StaleDocumentView(), "");
        for (const QPoint pixel :
             {QPoint(0, 0), QPoint(kWidth - 1, 0), QPoint(5, 7), QPoint(kWidth - 1, kHeight - 1)}) {
            const TRect rect{pixel.x(), pixel.y(), pixel.x() + 1, pixel.y() + 1};
            RecordedEdit(rect, [&](TDIB& image) { image.SetPixel(pixel.x(), pixel.y(), 3); });
            EXPECT_EQ(StaleDocumentView(), "") << "pixel " << pixel.x() << ", " << pixel.y();
        }
        EXPECT_TRUE(PaintedDocument() == FullRender());
        PaintChecker();
        mainform->RenderDocBitmap();
    }
}

// With both grids shown, the parts repainted after a pixel changed or the edit area moved hold
// what a repaint of the whole view gives: the overlay paints the part it is asked for on the same
// device pixels as a whole paint.
TEST_F(ScaledViewTest, GridsRepaintedInPartMatchAWholeRepaint) {
    mainform->acPixelGrid->trigger();
    dialogs->TileSizes.push_back(TPixelSize{3, 2});
    mainform->acTileSize->trigger();
    mainform->bt1Dot->click();
    for (const int32_t zoom : {1, 2, 4}) {
        SCOPED_TRACE(testing::Message() << "document at " << zoom << ", scale " << ratio);
        SetZoom({"document", zoom});
        ASSERT_EQ(StaleDocumentView(), "");
        for (const QPoint pixel : {QPoint(0, 0), QPoint(5, 7), QPoint(kWidth - 1, kHeight - 1)}) {
            const TRect rect{pixel.x(), pixel.y(), pixel.x() + 1, pixel.y() + 1};
            RecordedEdit(rect, [&](TDIB& image) { image.SetPixel(pixel.x(), pixel.y(), 1); });
            EXPECT_EQ(StaleDocumentView(), "") << "pixel " << pixel.x() << ", " << pixel.y();
            Editor().SetViewOrigin(kEditArea, pixel.x(), pixel.y());
            EXPECT_EQ(StaleDocumentView(), "") << "edit area at " << pixel.x() << ", " << pixel.y();
        }
    }
}

TEST_F(ScaledViewTest, ClicksOnEveryDevicePixelOfAPixelReachThatPixel) {
    Editor().SetTool(TTool::Pen);
    Editor().SetDrawIndex(3);
    mainform->bt1Dot->click();
    for (const TZoomCase& c : kZooms) {
        SCOPED_TRACE(testing::Message()
                     << c.view << " at " << c.magnification << ", scale " << ratio);
        SetZoom(c);
        const TShownPicture shown = Shown(Surface(c));
        for (const auto& [pixel, device] : PixelCorners(shown)) {
            SCOPED_TRACE(testing::Message() << "pixel " << pixel.x() << ", " << pixel.y()
                                            << " at device " << device.x() << ", " << device.y());
            Click(Surface(c), device);
            if (IsDocument(c)) {
                // The one-pixel snap places the edit area on the pixel clicked.
                ASSERT_EQ(QPoint(Editor().ViewLeft(kEditArea), Editor().ViewTop(kEditArea)), pixel);
                continue;
            }
            // The pen paints the pixel clicked and nothing else.
            std::vector<QPoint> painted;
            for (int32_t y = 0; y < kHeight; ++y)
                for (int32_t x = 0; x < kWidth; ++x)
                    if (Doc().DocImage()->GetPixel(x, y) == 3) painted.emplace_back(x, y);
            ASSERT_EQ(painted, std::vector<QPoint>{pixel});
            PaintChecker();
        }
        Editor().SetViewOrigin(kEditArea, 0, 0);
        LupeForm->UpdateLupe();
    }
}

TEST_F(ScaledViewTest, FramesAndSelectionLieOnTheDevicePixelGrid) {
    // An 8 x 8 edit area at (4, 4); the layer area at (12, 8), its frame away from the edit
    // area's left and top sides.
    LupeForm->xUpDown->SetPosition(8);
    LupeForm->yUpDown->SetPosition(8);
    LupeForm->xUpDownMouseUp();
    Editor().SetViewOrigin(kEditArea, 4, 4);
    Editor().SetViewOrigin(kLayerArea, 12, 8);
    LupeForm->UpdateLupe();
    const QRgb blue = qRgb(0, 0, 255), black = qRgb(0, 0, 0);
    for (int32_t zoom : {1, 2, 4}) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom << ", scale " << ratio);
        SetZoom({"document", zoom});
        const TShownPicture shown = Shown(mainform->PaintBox2);
        const int32_t k = shown.pixels;
        const QPoint origin = shown.picture.topLeft();
        // The outlines touch the edit area's pixels from outside, one device pixel each.
        for (int32_t along = 0; along < 6 * k; ++along) {
            const int32_t y = 4 * k + along, x = 4 * k + along;
            const auto at = [&](int32_t dx, int32_t dy) {
                return shown.window.pixel(origin + QPoint(dx, dy));
            };
            ASSERT_EQ(at(4 * k - 1, y), blue) << along;
            ASSERT_EQ(at(4 * k - 2, y), blue) << along;
            ASSERT_EQ(at(4 * k - 3, y), black) << along;
            ASSERT_EQ(at(4 * k, y), Checker(4, y / k)) << along;
            ASSERT_EQ(at(x, 4 * k - 1), blue) << along;
            ASSERT_EQ(at(x, 4 * k - 2), blue) << along;
            ASSERT_EQ(at(x, 4 * k - 3), black) << along;
            ASSERT_EQ(at(x, 4 * k), Checker(x / k, 4)) << along;
        }
    }

    // The magnifier's hatch covers the selected cells' device pixels and no others.
    SetZoom({"magnifier", 6});
    const TShownPicture plain = Shown(LupeForm->LupeBox2, QSize(8, 8));
    SelectBox(5, 4, 3, 2);
    const TShownPicture hatched = Shown(LupeForm->LupeBox2, QSize(8, 8));
    const int32_t k = plain.pixels;
    const QRect cells(plain.picture.topLeft() + QPoint(1 * k, 0), QSize(3 * k, 2 * k));
    int32_t changed = 0;
    for (int32_t y = 0; y < plain.window.height(); ++y)
        for (int32_t x = 0; x < plain.window.width(); ++x) {
            if (plain.window.pixel(x, y) == hatched.window.pixel(x, y)) continue;
            ASSERT_TRUE(cells.contains(x, y)) << x << ", " << y;
            ++changed;
        }
    EXPECT_GT(changed, 0);
}

TEST_F(ScaledViewTest, ZoomByWheelKeepsThePixelUnderThePointer) {
    Doc().SetSaved(true);
    NewDocument("400", "400");
    Editor().SetLupeCells(64, 64);
    const struct {
        TZoomCase start;
        int32_t delta;
        QPoint spot; // the pointer, in device pixels from the viewport's corner
        QPoint scroll;
    } cases[] = {
        {{"document", 1}, 120, {60, 45}, {0, 0}},
        {{"document", 1}, 120, {86, 121}, {3, 9}},
        {{"document", 2}, 120, {151, 19}, {300, 200}},
        {{"document", 2}, -120, {4, 10}, {41, 17}},
        {{"document", 4}, -120, {317, 225}, {900, 700}},
        {{"magnifier", 10}, 120, {75, 90}, {100, 80}},
        {{"magnifier", 10}, -120, {180, 45}, {201, 153}},
        {{"magnifier", 6}, 120, {50, 66}, {10, 15}},
        {{"magnifier", 12}, -120, {7, 10}, {120, 101}},
    };
    int32_t checked = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start.view << " from " << c.start.magnification
                                        << " delta " << c.delta << ", scale " << ratio);
        SetZoom(c.start);
        const bool document = IsDocument(c.start);
        QWidget* surface = Surface(c.start);
        QScrollArea* area = document ? mainform->ScrollBox : LupeForm->ScrollBox1;
        const auto pixels = [&] {
            return document ? mainform->ZoomPixels() : LupeForm->CellPixels();
        };
        QScrollBar *h = area->horizontalScrollBar(), *v = area->verticalScrollBar();
        h->setValue(c.scroll.x());
        v->setValue(c.scroll.y());
        // Where the window system reports the pointer on that device pixel of the window.
        QWidget* window = surface->window();
        const QPoint device =
            (area->viewport()->mapTo(window, QPointF(0, 0)) * ratio).toPoint() + c.spot;
        const auto pointer = [&] {
            return QPointF(device) / ratio - QPointF(surface->mapTo(window, QPoint()));
        };
        const auto pixelUnderSpot = [&] {
            const QPoint pixel = DevicePixelAt(*surface, pointer());
            return QPoint(pixel.x() / pixels(), pixel.y() / pixels());
        };
        const QPoint before = pixelUnderSpot();
        const int32_t oldPixels = pixels();
        const QPointF at = pointer();
        QWheelEvent wheel(at, surface->mapToGlobal(at), QPoint(), QPoint(0, c.delta), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(surface, &wheel);
        ASSERT_NE(pixels(), oldPixels);
        // Where a scroll bar stopped at an end of its range, the view could not follow.
        const auto free = [](QScrollBar* bar) {
            return bar->value() > 0 && bar->value() < bar->maximum();
        };
        const QPoint after = pixelUnderSpot();
        if (free(h)) {
            EXPECT_EQ(after.x(), before.x());
            ++checked;
        }
        if (free(v)) {
            EXPECT_EQ(after.y(), before.y());
            ++checked;
        }
    }
    EXPECT_GT(checked, 0) << "every case ended at an end of the scroll range";
}

namespace {
// The pixels of index 3, as text.
std::string PaintedPixels() {
    std::string text;
    for (int32_t y = 0; y < Doc().DocHeight(); ++y)
        for (int32_t x = 0; x < Doc().DocWidth(); ++x)
            if (Doc().DocImage()->GetPixel(x, y) == 3)
                text += "(" + std::to_string(x) + ", " + std::to_string(y) + ") ";
    return text;
}

// Runs the event loop until done() holds, for at most five seconds; whether it came to hold.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
} // namespace

// The same clicks with the real pointer of an X server (ctest runs this under Xvfb). Qt rounds
// X11 pointer positions to whole logical pixels, so at a fractional scale only the server's
// own position tells the first device pixel of an image pixel from the one before it.
TEST_F(ScaledViewTest, RealPointerClicksReachThePixelUnderThem) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    Editor().SetTool(TTool::Pen);
    Editor().SetDrawIndex(3);
    mainform->bt1Dot->click();
    const TZoomCase cases[] = {{"magnifier", 10}, {"magnifier", 1}, {"document", 2}};
    for (const TZoomCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.view << " at " << c.magnification << ", scale " << ratio);
        SetZoom(c);
        QWidget* view = Surface(c);
        // Only the view's window on screen, so no other window takes the clicks.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != view->window()) top->hide();
        view->window()->show();
        ASSERT_TRUE(WaitFor([&] { return view->window()->windowHandle()->isExposed(); }));
        const TShownPicture shown = Shown(view);
        const QString window = QString::number(view->window()->winId());
        // The first and last device pixels of the pixels along the diagonal.
        for (const auto& [pixel, device] : PixelCorners(shown)) {
            if (pixel.x() != pixel.y()) continue;
            SCOPED_TRACE(testing::Message() << "pixel " << pixel.x() << ", " << pixel.y()
                                            << " at device " << device.x() << ", " << device.y());
            ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", "--sync", "--window", window,
                                                    QString::number(device.x()),
                                                    QString::number(device.y()), "click", "1"}),
                      0);
            if (IsDocument(c)) {
                // The one-pixel snap places the edit area on the pixel clicked.
                ASSERT_TRUE(WaitFor([&] {
                    return QPoint(Editor().ViewLeft(kEditArea), Editor().ViewTop(kEditArea)) ==
                           pixel;
                })) << "edit area at "
                    << Editor().ViewLeft(kEditArea) << ", " << Editor().ViewTop(kEditArea);
                continue;
            }
            ASSERT_TRUE(WaitFor([&] {
                return Doc().DocImage()->GetPixel(pixel.x(), pixel.y()) == 3;
            })) << "painted: "
                << PaintedPixels();
            EXPECT_EQ(PaintedPixels(),
                      "(" + std::to_string(pixel.x()) + ", " + std::to_string(pixel.y()) + ") ");
            PaintChecker();
        }
        Editor().SetViewOrigin(kEditArea, 0, 0);
        LupeForm->UpdateLupe();
    }
}
