// The magnifier's drawing tools driven through its handlers and keys: shapes dragged out with a
// preview, mirrors, picking with Alt, the tool keys in every window.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/toolwindow.h"
#include "editor/updown.h"
#include "editor_fixture.h"
#include "palette/palettewindow.h"

#include <QButtonGroup>
#include <QToolButton>

namespace {
class LupeToolsTest : public EditorTest {
protected:
    // A 16 x 12 document of index 0 whose entries all differ, the edit area 8 x 8 at (4, 2).
    void SetUp() override {
        EditorTest::SetUp();
        NewDocument("16", "12");
        TPalette palette;
        for (int i = 0; i < 256; ++i)
            palette[i] = TPaletteEntry{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i * 11 + 5), 0};
        Doc().EditPalette(nullptr, palette);
        LupeForm->xUpDown->SetPosition(8);
        LupeForm->yUpDown->SetPosition(8);
        LupeForm->xUpDownMouseUp();
        Editor().SetViewOrigin(kEditArea, 4, 2);
        Doc().SetSaved(true);
        Editor().SetDrawIndex(1);
        undone = Doc().History.UndoCount();
    }
    // The pointer in the middle of the edit area's cell (cx, cy), in the magnifier's pixels.
    static int32_t At(int32_t cell) { return cell * LupeForm->CellPixels() + 2; }
    void Press(int32_t cx, int32_t cy, TModifiers keys = {},
               TMouseButton button = TMouseButton::Left) {
        LupeForm->LupeBox2MouseDown(button, At(cx), At(cy), keys);
    }
    void Move(int32_t cx, int32_t cy, TModifiers keys = {}) {
        LupeForm->LupeBox2MouseMove(At(cx), At(cy), keys);
    }
    // The document's pixels inside the edit area, '#' for index 1 and '.' for others.
    static std::vector<std::string> EditArea() {
        std::vector<std::string> rows;
        for (int32_t y = 2; y < 10; ++y) {
            std::string row;
            for (int32_t x = 4; x < 12; ++x)
                row += Doc().DocImage()->GetPixel(x, y) == 1 ? '#' : '.';
            rows.push_back(row);
        }
        return rows;
    }
    uint32_t undone = 0;
};

QRgb ColourOf(uint8_t index) {
    const TPaletteEntry& e = Doc().DocImage()->PaletteBlock[index];
    return qRgb(e.Red, e.Green, e.Blue);
}
} // namespace

// A rectangle follows the pointer as a preview that leaves the document alone, and the release
// draws it as one step that every view shows.
TEST_F(LupeToolsTest, ShapeIsPreviewedThenDrawnAtTheReleaseAsOneStep) {
    Editor().SetTool(TTool::Rect);
    Press(1, 1);
    Move(6, 3);
    Move(3, 4);
    ASSERT_TRUE(Editor().ShapeDrag());
    EXPECT_EQ(Editor().ShapeDrag()->X1, 7);
    EXPECT_EQ(Editor().ShapeDrag()->Y1, 6);
    EXPECT_EQ(EditArea()[1], "........") << "nothing drawn before the release";
    EXPECT_TRUE(Doc().Saved());
    // The preview is painted over the magnifier in the drawing colour, on the shape's cells only.
    const QImage overlay = LupeForm->LupeBox2->grab().toImage();
    EXPECT_EQ(overlay.pixel(At(1), At(1)), ColourOf(1));
    EXPECT_EQ(overlay.pixel(At(3), At(4)), ColourOf(1));
    EXPECT_NE(overlay.pixel(At(2), At(2)), ColourOf(1)) << "the outline's inside";
    EXPECT_NE(overlay.pixel(At(5), At(1)), ColourOf(1)) << "where the pointer went before";

    LupeForm->LupeBox2MouseUp();
    EXPECT_FALSE(Editor().ShapeDrag());
    EXPECT_EQ(EditArea(),
              (std::vector<std::string>{"........", ".###....", ".#.#....", ".#.#....", ".###....",
                                        "........", "........", "........"}));
    EXPECT_EQ(Doc().History.UndoCount(), undone + 1);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(StaleDocumentView(), "");
    EXPECT_EQ(LupeForm->LupeImage.GetPixel(1, 4), 1u);
    Editor().Undo();
    EXPECT_EQ(EditArea()[1], "........");
}

// Shift keeps a line to 0, 45 or 90 degrees and a box square; the last move decides.
TEST_F(LupeToolsTest, ShiftConstrainsTheShapeBeingDragged) {
    struct Case {
        TTool tool;
        TCell to;
        TCell constrained;
    };
    const Case cases[] = {
        {TTool::Line, {6, 1}, {10, 2}},   // nearly flat: flat
        {TTool::Line, {4, 3}, {8, 6}},    // nearly diagonal: diagonal
        {TTool::Ellipse, {5, 2}, {9, 7}}, // the larger side for both
        {TTool::FilledRect, {0, 4}, {8, 6}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(int(k.tool));
        Editor().SetTool(k.tool);
        Press(0, 0);
        Move(k.to.X, k.to.Y, {.Shift = true});
        ASSERT_TRUE(Editor().ShapeDrag());
        EXPECT_EQ(TCell(Editor().ShapeDrag()->X1, Editor().ShapeDrag()->Y1), k.constrained);
        Move(k.to.X, k.to.Y);
        EXPECT_EQ(TCell(Editor().ShapeDrag()->X1, Editor().ShapeDrag()->Y1),
                  TCell(4 + k.to.X, 2 + k.to.Y))
            << "Shift let go";
        LupeForm->LupeBox2MouseUp();
    }
}

// A dialog that takes the mouse mid-drag ends the press as a release would: the shape is drawn
// and the press is over, so undo may act on it.
TEST_F(LupeToolsTest, PressEndedElsewhereDrawsTheShape) {
    Editor().SetTool(TTool::FilledRect);
    Press(0, 0);
    Move(1, 1);
    EXPECT_FALSE(Editor().CanUndo());
    Dialogs();
    EXPECT_FALSE(Editor().PressInProgress());
    EXPECT_EQ(EditArea()[1], "##......");
    EXPECT_EQ(Doc().History.UndoCount(), undone + 1);
    EXPECT_TRUE(Editor().CanUndo());
}

// Mirrors through the edit area's middle, or through the pixel Ctrl+click sets: pen, shape and
// fill draw their mirror images in the same step; Ctrl with another button goes back to the
// middle.
TEST_F(LupeToolsTest, MirrorsFollowTheAxisTheUserSets) {
    Editor().SetMirror(true, true);
    Press(0, 1);
    Move(1, 1);
    LupeForm->LupeBox2MouseUp();
    EXPECT_EQ(EditArea(),
              (std::vector<std::string>{"........", "##....##", "........", "........", "........",
                                        "........", "##....##", "........"}));
    EXPECT_EQ(Doc().History.UndoCount(), undone + 1);
    Editor().Undo();

    Press(2, 2, {.Ctrl = true});
    ASSERT_TRUE(Editor().MirrorAxis());
    EXPECT_EQ(*Editor().MirrorAxis(), TCell(6, 4));
    EXPECT_EQ(Doc().History.RedoCount(), 1u) << "setting the axis records nothing";
    Editor().SetMirror(true, false);
    Editor().SetTool(TTool::Line);
    Press(0, 0);
    Move(0, 1);
    LupeForm->LupeBox2MouseUp();
    EXPECT_EQ(EditArea()[0], "#...#...");
    EXPECT_EQ(EditArea()[1], "#...#...");
    Press(0, 0, {.Ctrl = true}, TMouseButton::Right);
    EXPECT_FALSE(Editor().MirrorAxis());
}

// The option buttons reach the state, each whatever the others are, and follow it.
TEST_F(LupeToolsTest, OptionButtonsSetTheMirrorsAndThePixelPerfectPen) {
    toolform->btPixelPerfect->click();
    EXPECT_TRUE(Editor().PixelPerfect());
    toolform->btMirrorY->click();
    EXPECT_TRUE(Editor().MirrorY());
    EXPECT_TRUE(Editor().PixelPerfect());
    EXPECT_TRUE(toolform->btPixelPerfect->isChecked());
    toolform->btMirrorX->click();
    toolform->btMirrorY->click();
    EXPECT_TRUE(Editor().MirrorX());
    EXPECT_FALSE(Editor().MirrorY());
    Editor().SetMirror(false, true);
    EXPECT_FALSE(toolform->btMirrorX->isChecked());
    EXPECT_TRUE(toolform->btMirrorY->isChecked());

    // The pen now drops the corner and mirrors top-bottom about the edit area's middle.
    Press(1, 1);
    Move(2, 1);
    Move(2, 2);
    LupeForm->LupeBox2MouseUp();
    EXPECT_EQ(EditArea(),
              (std::vector<std::string>{"........", ".#......", "..#.....", "........", "........",
                                        "..#.....", ".#......", "........"}));
}

// Alt with the left button picks like the right button, with any drawing tool, and draws nothing.
TEST_F(LupeToolsTest, AltPicksTheColourUnderThePointer) {
    Doc().DocImage()->SetPixel(6, 3, 7);
    for (const TTool tool : {TTool::Pen, TTool::Fill, TTool::Ellipse}) {
        SCOPED_TRACE(int(tool));
        Editor().SetTool(tool);
        Editor().SetDrawIndex(1);
        Press(0, 0, {.Alt = true});
        Move(2, 1, {.Alt = true});
        LupeForm->LupeBox2MouseUp();
        EXPECT_EQ(Editor().DrawIndex(), 7);
        EXPECT_EQ(Doc().History.UndoCount(), undone);
        EXPECT_FALSE(Editor().ShapeDrag());
    }
}

// A shape of the transparent index over the layer shows the layer beneath it in the magnifier,
// as the pen's pixels do.
TEST_F(LupeToolsTest, ShapeKeepsTheLayerRule) {
    for (int32_t y = 0; y < 12; ++y)
        Doc().DocImage()->SetPixel(0, y, 9);
    Editor().SetViewOrigin(kLayerArea, 0, 2);
    mainform->btLayer->setChecked(true);
    mainform->btLayerClick();
    Doc().DocImage()->SetPixel(4, 2, 5); // the edit area's own colour where the line runs
    Editor().SetDrawIndex(Doc().TransparentIndex());
    Editor().SetTool(TTool::Line);
    Press(0, 0);
    Move(0, 3);
    LupeForm->LupeBox2MouseUp();
    for (int32_t cy = 0; cy <= 3; ++cy)
        EXPECT_EQ(LupeForm->LupeImage.GetPixel(0, cy), 9u) << "row " << cy;
}

// The tool keys choose the tool in every editor window, the tool window's buttons follow, and no
// key changes the tool of a press in progress.
TEST_F(LupeToolsTest, ToolKeysWorkInEveryWindowButNotMidPress) {
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        TTool tool;
    };
    const Key keys[] = {
        {Qt::Key_L, {}, TTool::Line},
        {Qt::Key_U, {}, TTool::Rect},
        {Qt::Key_U, Qt::ShiftModifier, TTool::FilledRect},
        {Qt::Key_O, {}, TTool::Ellipse},
        {Qt::Key_O, Qt::ShiftModifier, TTool::FilledEllipse},
        {Qt::Key_M, {}, TTool::Region},
        {Qt::Key_G, {}, TTool::Fill},
        {Qt::Key_B, {}, TTool::Pen},
    };
    for (QWidget* window :
         std::initializer_list<QWidget*>{mainform, LupeForm, toolform, palletform}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        for (const Key& k : keys) {
            PressWindowKey(window, k.key, k.modifiers);
            EXPECT_EQ(Editor().CurrentTool(), k.tool) << k.key;
            EXPECT_EQ(toolform->ToolGroup->checkedId(), int(k.tool));
        }
    }
    // Ctrl+O is the menu's Open, never the ellipse.
    dialogs->OpenNames.push_back(QString());
    PressWindowKey(mainform, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Editor().CurrentTool(), TTool::Pen);

    Press(0, 0);
    PressWindowKey(LupeForm, Qt::Key_U);
    EXPECT_EQ(Editor().CurrentTool(), TTool::Pen) << "mid-stroke";
    Move(2, 0);
    LupeForm->LupeBox2MouseUp();
    EXPECT_EQ(EditArea()[0], "###.....");
    PressWindowKey(LupeForm, Qt::Key_U);
    EXPECT_EQ(Editor().CurrentTool(), TTool::Rect);
}
