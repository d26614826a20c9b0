// The edit menu: Undo and Redo following the magnifier's rule, Copy of the floating block, the
// selection or the edit area, and Paste mapping a picture's colours onto the palette as a new
// floating block.
#include "app/clipboard.h"
#include "editor/selection.h"
#include "editor/toolwindow.h"
#include "editor_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QToolButton>
#include <functional>

namespace {
// Pixel (x, y) of the fixture's document; the new document's grey ramp shows index i as (i, i, i).
uint8_t Index(int32_t x, int32_t y) {
    return uint8_t(x + 3 * y);
}

QClipboard* Clipboard() {
    return QGuiApplication::clipboard();
}
} // namespace

class ClipboardTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        Doc().SetSaved(true);
        NewDocument("40", "30");
        for (int32_t y = 0; y < Doc().DocHeight(); ++y)
            for (int32_t x = 0; x < Doc().DocWidth(); ++x)
                Doc().DocImage()->RowForWrite(y)[x] = Index(x, y);
        Editor().SetViewOrigin(kEditArea, 8, 4);
        Clipboard()->clear();
    }
    void Select(int32_t left, int32_t top, int32_t width, int32_t height) {
        SelectBox(left, top, width, height);
    }
};

TEST_F(ClipboardTest, CopyPutsTheFloatingBlockElseTheSelectionElseTheEditAreaAsAPicture) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        // The document rectangle whose colours the picture must show.
        int32_t left, top, width, height;
    };
    const Case cases[] = {
        {"edit area", [] {}, 8, 4, 32, 26},
        {"selection", [this] { Select(2, 3, 5, 4); }, 2, 3, 5, 4},
        {"floating block moved away from where it was lifted",
         [this] { FloatBox(1, 2, 6, 3, 20, 20); }, 1, 2, 6, 3},
    };
    // The edit area is cut at the document's right and bottom edges.
    ASSERT_EQ(Editor().ViewWidth(kEditArea), 32);
    ASSERT_EQ(Editor().ViewHeight(kEditArea), 26);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CancelSelection();
        Clipboard()->clear();
        c.prepare();
        mainform->acCopy->trigger();
        const QImage picture = Clipboard()->image();
        ASSERT_EQ(picture.size(), QSize(c.width, c.height));
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x) {
                const int g = Index(c.left + x, c.top + y);
                ASSERT_EQ(picture.pixel(x, y), qRgb(g, g, g)) << x << "," << y;
            }
    }
}

TEST_F(ClipboardTest, PasteMapsColoursToTheNearestEntryAndFloatsAtTheEditAreaOrigin) {
    Doc().SetTransparentIndex(200);
    struct Pixel {
        QRgb color;
        uint8_t index;
    };
    const Pixel pixels[] = {
        {qRgb(10, 10, 10), 10},          // exact
        {qRgb(11, 12, 10), 11},          // nearest by distance, not by any one channel
        {qRgb(255, 0, 0), 85},           // far from every grey
        {qRgba(40, 50, 60, 0), 200},     // fully transparent: the transparent index
        {qRgba(254, 254, 254, 128), 254} // half transparent keeps its colour
    };
    QImage picture(int(std::size(pixels)), 1, QImage::Format_ARGB32);
    for (int x = 0; x < picture.width(); ++x)
        picture.setPixel(x, 0, pixels[x].color);
    Clipboard()->setImage(picture);
    const std::vector<uint8_t> before = DocPixels();

    mainform->acPaste->trigger();

    ASSERT_TRUE(Doc().Floating());
    EXPECT_FALSE(Doc().Selecting());
    EXPECT_EQ(Editor().CurrentTool(), TTool::Region);
    EXPECT_TRUE(toolform->SpeedButton3->isChecked());
    EXPECT_EQ(Doc().Sel().Left, 8);
    EXPECT_EQ(Doc().Sel().Top, 4);
    EXPECT_EQ(Doc().Sel().Width, picture.width());
    EXPECT_EQ(Doc().Sel().Height, 1);
    // Nothing is written until the block is placed, and no step can be undone meanwhile.
    EXPECT_EQ(DocPixels(), before);
    EXPECT_FALSE(mainform->acUndo->isEnabled());
    for (int x = 0; x < picture.width(); ++x)
        EXPECT_EQ(Doc().WorkImage().GetPixel(x, 0), pixels[x].index) << x;

    PlaceFloat();
    for (int x = 0; x < picture.width(); ++x)
        EXPECT_EQ(Doc().DocImage()->GetPixel(8 + x, 4), pixels[x].index) << x;
    EXPECT_FALSE(Doc().Saved());
    ASSERT_TRUE(mainform->acUndo->isEnabled());
    mainform->acUndo->trigger();
    for (int x = 0; x < picture.width(); ++x)
        EXPECT_EQ(Doc().DocImage()->GetPixel(8 + x, 4), Index(8 + x, 4)) << x;
}

TEST_F(ClipboardTest, CopyThenPasteGivesBackTheIndicesAndReplacesAFloatingBlock) {
    Select(3, 5, 4, 2);
    mainform->acCopy->trigger();
    FloatBox(0, 0, 2, 2, 30, 20);
    const std::vector<uint8_t> before = DocPixels();
    Doc().SetSaved(true);

    mainform->acPaste->trigger();

    // The earlier block is dropped, not written where it floated.
    EXPECT_EQ(DocPixels(), before);
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    ASSERT_TRUE(Doc().Floating());
    ASSERT_EQ(Doc().WorkImage().Width(), 4);
    ASSERT_EQ(Doc().WorkImage().Height(), 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(Doc().WorkImage().GetPixel(x, y), Index(3 + x, 5 + y)) << x << "," << y;
}

TEST_F(ClipboardTest, PasteWithoutAPictureWarnsAndChangesNothing) {
    Clipboard()->setText("not a picture");
    Select(1, 1, 2, 2);
    mainform->acPaste->trigger();
    EXPECT_EQ(dialogs->Warnings, std::vector<QString>{"クリップボードに画像がありません。"});
    EXPECT_TRUE(Doc().Selecting());
    EXPECT_FALSE(Doc().Floating());
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(ClipboardTest, UndoAndRedoItemsFollowTheHistoryAndTheSelection) {
    const auto states = [] {
        return std::string(mainform->acUndo->isEnabled() ? "undo on" : "undo off") + " / " +
               (mainform->acRedo->isEnabled() ? "redo on" : "redo off");
    };
    EXPECT_EQ(states(), "undo off / redo off");
    RecordedEdit({0, 0, 1, 1}, [](TDIB& image) { image.RowForWrite(0)[0] = 99; });
    EXPECT_EQ(states(), "undo on / redo off");
    StartSelection(5, 5);
    EXPECT_EQ(states(), "undo off / redo off");
    CancelSelection();
    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), Index(0, 0));
    EXPECT_EQ(states(), "undo off / redo on");
    mainform->acRedo->trigger();
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), 99u);
    EXPECT_EQ(states(), "undo on / redo off");
}
