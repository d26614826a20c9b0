// The document window's grids as the view shows them over the picture: the pixel grid at 4x,
// the tile grid at the size set or the magnifier's cell count, and partial repaints that draw
// what a whole paint draws there.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/updown.h"
#include "editor_fixture.h"

#include <QAction>
#include <QPainter>
#include <functional>

namespace {
constexpr QRgb kGrey = 0xFF808080, kFlip = 0x808080;

// The picture and the overlay over it, as the window shows the document view.
QImage ShownView() {
    return mainform->PaintBox->parentWidget()->grab().toImage().convertToFormat(
        QImage::Format_RGB32);
}

// The view with its grids switched off for a moment: the picture and the frames over it.
QImage ShownWithoutGrids() {
    const bool pixel = Editor().PixelGrid(), tile = Editor().TileGrid();
    Editor().SetGrids(false, false);
    const QImage bare = ShownView();
    Editor().SetGrids(pixel, tile);
    return bare;
}

std::string FirstDifference(const QImage& shown, const QImage& expected) {
    if (shown.size() != expected.size()) return "the sizes differ";
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if ((shown.pixel(x, y) ^ expected.pixel(x, y)) & 0xFFFFFF) {
                char text[120];
                std::snprintf(text, sizeof text, "(%d, %d) is #%06X where #%06X is expected", x, y,
                              shown.pixel(x, y) & 0xFFFFFF, expected.pixel(x, y) & 0xFFFFFF);
                return text;
            }
    return {};
}
} // namespace

class DocGridTest : public EditorTest {
protected:
    // A picture whose pixels differ from their neighbours, from the grid's grey and from the
    // frames' colours.
    void Open(const char* width, const char* height) {
        NewDocument(width, height);
        TDIB& image = *Doc().DocImage();
        for (int32_t y = 0; y < image.Height(); ++y)
            for (int32_t x = 0; x < image.Width(); ++x)
                image.SetPixel(x, y, uint8_t(1 + (x * 7 + y * 3) % 120));
        mainform->RenderDocBitmap();
    }
};

// At 4x every pixel but those of the first column and row has a grey line on its first column
// and row and shows its colour on the other nine device pixels of its square; at 1x and 2x the
// grid stays hidden.
TEST_F(DocGridTest, PixelGridLiesOnThePixelBoundariesAt4x) {
    Open("6", "5");
    mainform->acPixelGrid->trigger();
    EXPECT_TRUE(Editor().PixelGrid());
    EXPECT_TRUE(mainform->acPixelGrid->isChecked());
    for (QAction* zoom : {mainform->x1, mainform->x2, mainform->x4}) {
        zoom->trigger();
        const int32_t z = mainform->ZoomFactor;
        SCOPED_TRACE(z);
        QImage expected = FullRender().convertToFormat(QImage::Format_RGB32);
        if (z == 4)
            for (int y = 0; y < expected.height(); ++y)
                for (int x = 0; x < expected.width(); ++x)
                    if ((x % 4 == 0 && x > 0) || (y % 4 == 0 && y > 0))
                        expected.setPixel(x, y, kGrey);
        EXPECT_EQ(FirstDifference(ShownView(), expected), "");
        EXPECT_EQ(StaleDocumentView(), "");
    }
    mainform->acPixelGrid->trigger();
    EXPECT_FALSE(Editor().PixelGrid());
    EXPECT_EQ(FirstDifference(ShownView(), FullRender().convertToFormat(QImage::Format_RGB32)), "");
    EXPECT_EQ(StaleDocumentView(), "") << "switching the grid off left it on screen";
}

// The tile grid follows the magnifier's cell count until the user sets a size; each line flips
// every other device pixel of the first column or row of a tile, the crossings left as they are.
TEST_F(DocGridTest, TileGridLiesOnTheTileBoundaries) {
    Open("40", "40");
    // The frames off the lines at the magnifier's cell count.
    Editor().SetViewOrigin(kEditArea, 8, 8);
    Editor().SetViewOrigin(kLayerArea, 8, 8);
    struct Step {
        const char* what;
        std::function<void()> act;
        int32_t zoom;
        TPixelSize tile;
    };
    const auto cells = [](int32_t x, int32_t y) {
        LupeForm->xUpDown->SetPosition(x);
        LupeForm->yUpDown->SetPosition(y);
        LupeForm->xUpDownMouseUp();
    };
    const auto askSize = [this](std::optional<TPixelSize> answer) {
        dialogs->TileSizes.push_back(answer);
        mainform->acTileSize->trigger();
    };
    const Step steps[] = {
        {"switched on", [] { mainform->acTileGrid->trigger(); }, 1, {32, 32}},
        {"cells 8 x 16", [&] { cells(8, 16); }, 1, {8, 16}},
        {"at 2x", [] { mainform->x2->trigger(); }, 2, {8, 16}},
        {"set to 5 x 3",
         [&] {
             askSize(TPixelSize{5, 3});
         },
         2,
         {5, 3}},
        {"cells 24 x 24", [&] { cells(24, 24); }, 2, {5, 3}},
        {"dialog cancelled", [&] { askSize(std::nullopt); }, 2, {5, 3}},
        {"at 1x", [] { mainform->x1->trigger(); }, 1, {5, 3}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        ASSERT_EQ(mainform->ZoomFactor, step.zoom);
        EXPECT_EQ(Editor().TileSize(), step.tile);
        EXPECT_TRUE(mainform->acTileGrid->isChecked());
        const int32_t stepX = step.tile.Width * step.zoom, stepY = step.tile.Height * step.zoom;
        const QImage shown = ShownView(), bare = ShownWithoutGrids();
        const QImage picture = FullRender().convertToFormat(QImage::Format_RGB32);
        // The frames lie over the grid.
        const auto framed = [&](int x, int y) { return bare.pixel(x, y) != picture.pixel(x, y); };
        const auto onColumn = [&](int x) { return x % stepX == 0 && x > 0; };
        const auto onRow = [&](int y) { return y % stepY == 0 && y > 0; };
        // Which of the two checkerboard colours the dots take, read from the first line pixel
        // outside the frames.
        int dotParity = -1;
        for (int y = 0; y < shown.height() && dotParity < 0; ++y)
            for (int x = 0; x < shown.width() && dotParity < 0; ++x)
                if (onColumn(x) != onRow(y) && !framed(x, y))
                    dotParity = (x + y + (shown.pixel(x, y) != bare.pixel(x, y) ? 0 : 1)) % 2;
        ASSERT_GE(dotParity, 0);
        QImage expected = bare;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                if (onColumn(x) != onRow(y) && (x + y) % 2 == dotParity && !framed(x, y))
                    expected.setPixel(x, y, expected.pixel(x, y) ^ kFlip);
        EXPECT_EQ(FirstDifference(shown, expected), "");
        EXPECT_EQ(StaleDocumentView(), "");
    }
    EXPECT_EQ(dialogs->TileSizeStarts,
              (std::vector<TPixelSize>{TPixelSize{8, 16}, TPixelSize{5, 3}}));
}

// A repaint of part of the view (the overlay clipped to it, as the surface paints) draws there
// exactly what a paint of the whole view draws, frames, both grids and their dots alike.
TEST_F(DocGridTest, APartialPaintDrawsWhatTheWholePaintDraws) {
    Open("60", "50");
    mainform->x4->trigger();
    Editor().SetViewOrigin(kEditArea, 8, 8);
    mainform->acPixelGrid->trigger();
    dialogs->TileSizes.push_back(TPixelSize{7, 5});
    mainform->acTileSize->trigger();
    const auto paint = [](const std::optional<QRect>& clip) {
        QImage picture(mainform->PaintBox2->DevicePicture, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter canvas(&picture);
        if (clip) canvas.setClipRect(*clip);
        mainform->PaintBox2Paint(canvas);
        return picture;
    };
    const QImage whole = paint(std::nullopt);
    // The tile grid's dots on the pixel grid's line at x = 7 x 4.
    ASSERT_NE(whole.pixel(28, 1), whole.pixel(28, 2)) << "the tile grid was not painted";
    for (const QRect& clip : {QRect(0, 0, 240, 200), QRect(1, 3, 29, 21), QRect(27, 19, 2, 2),
                              QRect(113, 57, 90, 101), QRect(230, 190, 40, 40)}) {
        SCOPED_TRACE(testing::Message() << clip.x() << ", " << clip.y());
        const QImage part = paint(clip);
        QImage expected(whole.size(), QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter(&expected).drawImage(clip.topLeft(), whole, clip);
        EXPECT_EQ(FirstDifference(part, expected), "");
    }
}
