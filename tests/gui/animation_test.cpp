// The animation preview and the tiled preview: what they show, read from the window on screen,
// frame by frame and after edits; what they repaint; the timer; and the settings they report.
#include "docview_shown.h"
#include "editor/animation.h"
#include "editor/tilepreview.h"
#include "editor_fixture.h"

#include <QBackingStore>
#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

namespace {
// A 32 x 16 sheet of eight 8 x 8 cells: cell k (in reading order) holds index k + 1, and its
// pixel (1, 1) the transparent index 0. Entry i is a colour of its own.
void MakeSheet() {
    TDIB& image = *Doc().DocImage();
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[size_t(i)] =
            TPaletteEntry{uint8_t(i * 10), uint8_t(255 - i * 10), uint8_t(i * 3), 0};
    image.ApplyPalette();
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32; ++x)
            image.RowForWrite(y)[x] = x % 8 == 1 && y % 8 == 1 ? 0 : uint8_t(x / 8 + y / 8 * 4 + 1);
}

QRgb Colour(int32_t index) {
    const TPaletteEntry& e = Doc().DocImage()->PaletteBlock[size_t(index)];
    return qRgb(e.Red, e.Green, e.Blue);
}

// The board's values are surface values, which a QRgb of an opaque pixel is too.
bool IsChecker(QRgb pixel) {
    return pixel == kCheckerLight || pixel == kCheckerDark;
}

// The picture of a preview as the window on screen holds it, once the repaints asked for are made.
QImage OnScreen(TCellPreview* preview) {
    PaintPending();
    auto* store = dynamic_cast<QImage*>(preview->backingStore()->paintDevice());
    if (!store) return {};
    const QPoint at = preview->Box->mapTo(preview, QPoint());
    return store->copy(QRect(at, preview->Box->size())).convertToFormat(QImage::Format_RGB32);
}

// Where shown differs from copies x copies of cell at scale (transparent pixels must show the
// checkerboard); empty when it agrees.
std::string Difference(const QImage& shown, const TRect& cell, int32_t scale, int32_t copies) {
    const QSize size(cell.Width() * scale * copies, cell.Height() * scale * copies);
    if (shown.size() != size) return "the picture has another size";
    for (int32_t y = 0; y < size.height(); ++y)
        for (int32_t x = 0; x < size.width(); ++x) {
            const int32_t index = Doc().DocImage()->GetPixel(cell.Left + x / scale % cell.Width(),
                                                             cell.Top + y / scale % cell.Height());
            const QRgb pixel = shown.pixel(x, y);
            if (index == Doc().TransparentIndex() ? !IsChecker(pixel) : pixel != Colour(index))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                       ") does not show index " + std::to_string(index);
        }
    return {};
}

// The regions a widget was asked to paint.
struct TPaintRecorder : QObject {
    QRegion Painted;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

class AnimationTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        NewDocument("32", "16");
        Editor().SetLupeCells(8, 8);
        MakeSheet();
        Editor().SetAnimation(TAnimation{.Frames = 4, .Fps = 8, .Scale = 1});
    }
    static TRect Cell(int32_t k) {
        return TRect{k % 4 * 8, k / 4 * 8, k % 4 * 8 + 8, k / 4 * 8 + 8};
    }
};

TEST_F(AnimationTest, PlaysTheCellsInOrderLoopingAndSteps) {
    mainform->acAnimation->trigger();
    ASSERT_TRUE(AnimationForm->isVisible());
    TAnimationForm& form = *AnimationForm;
    struct Step {
        const char* Name;
        std::function<void()> Act;
        int32_t Frame;
        bool Playing;
    };
    const Step steps[] = {
        {"shown", [] {}, 0, false},
        {"play", [&] { form.btPlay->click(); }, 0, true},
        {"tick", [&] { form.TimerTick(); }, 1, true},
        {"tick", [&] { form.TimerTick(); }, 2, true},
        {"tick", [&] { form.TimerTick(); }, 3, true},
        {"tick loops", [&] { form.TimerTick(); }, 0, true},
        {"back wraps and pauses", [&] { form.btPrev->click(); }, 3, false},
        {"on wraps", [&] { form.btNext->click(); }, 0, false},
        {"on", [&] { form.btNext->click(); }, 1, false},
        {"play again", [&] { form.btPlay->click(); }, 1, true},
        {"pause", [&] { form.btPlay->click(); }, 1, false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.Name);
        step.Act();
        EXPECT_EQ(form.Frame, step.Frame);
        EXPECT_EQ(form.Playing, step.Playing);
        EXPECT_EQ(form.Timer->isActive(), step.Playing);
        EXPECT_EQ(form.FrameLabel->text(), QString("フレーム %1 / 4").arg(step.Frame + 1));
        EXPECT_EQ(Difference(OnScreen(&form), Cell(step.Frame), 1, 1), "");
    }
}

// Hidden, the window runs no timer and draws nothing; shown again it catches up.
TEST_F(AnimationTest, HiddenItRunsNoTimerAndDrawsNothing) {
    TAnimationForm& form = *AnimationForm;
    EXPECT_FALSE(form.isVisible());
    form.btPlay->click();
    EXPECT_FALSE(form.Timer->isActive()) << "a timer runs for a hidden window";
    mainform->acAnimation->trigger();
    EXPECT_TRUE(form.Timer->isActive());
    EXPECT_EQ(form.Timer->interval(), 125);
    mainform->acAnimation->trigger();
    ASSERT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Timer->isActive());
    const QImage before = form.Bitmap.copy();
    RecordedEdit({2, 2, 6, 6}, [](TDIB& image) {
        for (int32_t y = 2; y < 6; ++y)
            for (int32_t x = 2; x < 6; ++x)
                image.SetPixel(x, y, 9);
    });
    EXPECT_TRUE(form.Bitmap == before) << "a hidden window drew an edit";
    mainform->acAnimation->trigger();
    EXPECT_TRUE(form.Timer->isActive());
    EXPECT_EQ(Difference(OnScreen(&form), Cell(0), 1, 1), "");
}

// An edit repaints the part of the cell shown that it touched, and nothing for other cells;
// palette and transparent index changes repaint the whole cell, a new drawing index nothing.
TEST_F(AnimationTest, EditsRepaintOnlyWhatTheyChangeInTheCellShown) {
    Editor().SetAnimation(TAnimation{.Frames = 4, .Fps = 8, .Scale = 2});
    mainform->acAnimation->trigger();
    TAnimationForm& form = *AnimationForm;
    form.btNext->click(); // cell 1, x 8 to 16
    ASSERT_EQ(Difference(OnScreen(&form), Cell(1), 2, 1), "");
    struct Case {
        const char* Name;
        std::function<void()> Change;
        QRegion Repainted;
    };
    const Case cases[] = {
        {"a pixel of the cell shown",
         [] {
             RecordedEdit({10, 3, 11, 4}, [](TDIB& image) { image.SetPixel(10, 3, 7); });
         },
         QRegion(4, 6, 2, 2)},
        {"a rectangle across its left edge",
         [] {
             RecordedEdit({6, 5, 10, 7}, [](TDIB& image) {
                 for (int32_t x = 6; x < 10; ++x)
                     image.SetPixel(x, 5, 11), image.SetPixel(x, 6, 11);
             });
         },
         QRegion(0, 10, 4, 4)},
        {"a pixel of a cell not shown",
         [] {
             RecordedEdit({20, 3, 21, 4}, [](TDIB& image) { image.SetPixel(20, 3, 7); });
         },
         QRegion()},
        {"the drawing index", [] { Editor().SetDrawIndex(12); }, QRegion()},
        {"the layer area", [] { Editor().SetViewOrigin(kLayerArea, 16, 8); }, QRegion()},
        {"the palette",
         [] {
             TPalette palette = Doc().DocImage()->PaletteBlock;
             palette[2].Red ^= 0x55;
             Doc().EditPalette(nullptr, palette);
         },
         QRegion(0, 0, 16, 16)},
        {"the transparent index", [] { Doc().SetTransparentIndex(2); }, QRegion(0, 0, 16, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PaintPending();
        TPaintRecorder recorder;
        form.Box->installEventFilter(&recorder);
        c.Change();
        const QImage shown = OnScreen(&form);
        form.Box->removeEventFilter(&recorder);
        EXPECT_EQ(recorder.Painted, c.Repainted);
        EXPECT_EQ(Difference(shown, Cell(1), 2, 1), "");
    }
}

TEST_F(AnimationTest, ScaleAndBackdropAreReportedAndShown) {
    mainform->acAnimation->trigger();
    TAnimationForm& form = *AnimationForm;
    form.ScaleEdit->setValue(3);
    form.FpsEdit->setValue(20);
    EXPECT_EQ(Editor().Animation().Scale, 3);
    EXPECT_EQ(Editor().Animation().Fps, 20);
    EXPECT_EQ(form.Timer->interval(), 50);
    EXPECT_EQ(Difference(OnScreen(&form), Cell(0), 3, 1), "");
    // The transparent pixel (1, 1) covers picture pixels 3 to 5 each way.
    form.cbChecker->click();
    EXPECT_FALSE(Editor().Animation().Checker);
    EXPECT_EQ(OnScreen(&form).pixel(4, 4), qRgb(0xFF, 0x00, 0xFF));
    dialogs->Backdrops = {0x123456, std::nullopt};
    form.cbChecker->click();
    form.btBackdrop->click();
    EXPECT_EQ(dialogs->BackdropStarts, std::vector<uint32_t>{0xFF00FF});
    EXPECT_FALSE(Editor().Animation().Checker) << "a chosen backdrop takes the board's place";
    EXPECT_FALSE(form.cbChecker->isChecked());
    EXPECT_EQ(OnScreen(&form).pixel(4, 4), qRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(OnScreen(&form).pixel(5, 6), Colour(1));
    form.btBackdrop->click(); // cancelled
    EXPECT_EQ(Editor().Animation().Backdrop, 0x123456u);
    // Settings changed elsewhere (the GIF export shares them) reach the controls.
    Editor().SetAnimation(TAnimation{.Frames = 3, .Fps = 12, .Scale = 5, .Checker = true});
    EXPECT_EQ(form.FramesEdit->value(), 3);
    EXPECT_EQ(form.FpsEdit->value(), 12);
    EXPECT_EQ(form.ScaleEdit->value(), 5);
    EXPECT_TRUE(form.cbChecker->isChecked());
    EXPECT_EQ(Difference(OnScreen(&form), Cell(0), 5, 1), "");
}

// The frame shown stays among the cells when their count or the edit area changes.
TEST_F(AnimationTest, TheFrameStaysInRange) {
    mainform->acAnimation->trigger();
    TAnimationForm& form = *AnimationForm;
    form.btPrev->click();
    ASSERT_EQ(form.Frame, 3);
    form.FramesEdit->setValue(2);
    EXPECT_EQ(Editor().Animation().Frames, 2);
    EXPECT_EQ(form.Frame, 1);
    EXPECT_EQ(form.FrameLabel->text(), "フレーム 2 / 2");
    EXPECT_EQ(Difference(OnScreen(&form), Cell(1), 1, 1), "");
    // From the last cell of the sheet on there is only that one.
    Editor().SetViewOrigin(kEditArea, 24, 8);
    EXPECT_EQ(form.Frame, 0);
    EXPECT_EQ(form.FrameLabel->text(), "フレーム 1 / 1");
    EXPECT_EQ(Difference(OnScreen(&form), Cell(7), 1, 1), "");
    ASSERT_TRUE(mainform->CloseDocument());
    EXPECT_EQ(form.FrameLabel->text(), "フレーム 0 / 0");
    EXPECT_TRUE(form.Bitmap.isNull());
    form.TimerTick(); // nothing to play
    EXPECT_EQ(form.Frame, 0);
}

TEST_F(AnimationTest, TiledPreviewShowsTheEditAreaNineTimesAndRepaintsThemAlone) {
    Editor().SetAnimation(TAnimation{.Frames = 4, .Fps = 8, .Scale = 2});
    Editor().SetViewOrigin(kEditArea, 8, 8);
    mainform->acTilePreview->trigger();
    TTileForm& form = *TileForm;
    ASSERT_TRUE(form.isVisible());
    EXPECT_EQ(Difference(OnScreen(&form), Cell(5), 2, 3), "");
    struct Case {
        const char* Name;
        TRect Edit;
        QRegion Repainted;
    };
    QRegion nine;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            nine += QRect(i * 16 + 4, j * 16 + 2, 2, 2);
    const Case cases[] = {
        {"a pixel of the edit area", {10, 9, 11, 10}, nine},
        {"a pixel beside it", {7, 9, 8, 10}, QRegion()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        PaintPending();
        TPaintRecorder recorder;
        form.Box->installEventFilter(&recorder);
        RecordedEdit(c.Edit, [&](TDIB& image) { image.SetPixel(c.Edit.Left, c.Edit.Top, 13); });
        const QImage shown = OnScreen(&form);
        form.Box->removeEventFilter(&recorder);
        EXPECT_EQ(recorder.Painted, c.Repainted);
        EXPECT_EQ(Difference(shown, Cell(5), 2, 3), "");
    }
    // A new scale or edit area makes the picture anew.
    Editor().SetAnimation(TAnimation{.Frames = 4, .Fps = 8, .Scale = 1});
    Editor().SetViewOrigin(kEditArea, 0, 0);
    EXPECT_EQ(Difference(OnScreen(&form), Cell(0), 1, 3), "");
    mainform->acTilePreview->trigger();
    EXPECT_FALSE(form.isVisible());
}
} // namespace
