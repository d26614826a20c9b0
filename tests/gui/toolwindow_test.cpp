// The tool window: choosing the tool and the one-pixel shift of the edit area.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/selection.h"
#include "editor/toolwindow.h"
#include "editor_fixture.h"
#include "image/DIB.h"

#include <QButtonGroup>
#include <QToolButton>

namespace {
class ToolTest : public EditorTest {
protected:
    // A document whose every pixel differs from its neighbours, with the edit area at (left,
    // top), cut at the document's edges. A document left open before is closed unasked.
    void OpenPatterned(const QString& width, const QString& height, int32_t left, int32_t top) {
        Doc().SetSaved(true);
        if (Doc().DocImage()) {
            ASSERT_TRUE(mainform->CloseDocument());
        }
        NewDocument(width, height);
        for (int32_t y = 0; y < Doc().DocHeight(); ++y)
            for (int32_t x = 0; x < Doc().DocWidth(); ++x)
                Doc().DocImage()->SetPixel(x, y, uint32_t(x * 7 + y * 31) & 0xff);
        Editor().SetViewOrigin(kEditArea, left, top);
        mainform->UpdateDocView();
        LupeForm->UpdateLupe();
        Doc().SetSaved(true);
        // On screen as it is now, so that a change the tools fail to show stays visible.
        EXPECT_EQ(StaleDocumentView(), "");
    }
    // The arrow buttons by tag: up, right, down, left.
    QToolButton* Arrow(int tag) const {
        QToolButton* const arrows[] = {toolform->SpeedButton4, toolform->SpeedButton6,
                                       toolform->SpeedButton5, toolform->SpeedButton7};
        return arrows[tag];
    }
    // A pen dot in the magnifier at cell (cx, cy), pressed and released as the user does.
    void PenDot(int32_t cx, int32_t cy) {
        const int32_t p = LupeForm->Power();
        LupeForm->LupeBox2MouseDown(TMouseButton::Left, cx * p + p / 2, cy * p + p / 2);
        LupeForm->LupeBox2MouseUp();
    }
};

// Each tool button, clicked as the user does, sets the tool and is the one button down; with no
// document too, and a second click on the button that is down keeps its tool.
TEST_F(ToolTest, ToolButtonsChooseTheToolOneButtonDown) {
    QToolButton* const buttons[] = {toolform->SpeedButton1, toolform->SpeedButton2,
                                    toolform->SpeedButton3};
    EXPECT_EQ(Editor().CurrentTool(), TTool::Pen);
    EXPECT_TRUE(toolform->SpeedButton1->isChecked()) << "the pen's button is down at start";
    const int order[] = {2, 2, 1, 0, 0, 1, 2, 0};
    for (int tag : order) {
        buttons[tag]->click();
        EXPECT_EQ(Editor().CurrentTool(), TTool(tag)) << "after clicking button " << tag;
        for (int other = 0; other < 3; ++other)
            EXPECT_EQ(buttons[other]->isChecked(), other == tag)
                << "button " << other << " after clicking " << tag;
    }
}

// The selection state belongs to the region tool's clicks, not to the tool: a change of tool
// keeps a selection being made and a floating block as they are.
TEST_F(ToolTest, ChangingTheToolKeepsTheSelection) {
    NewDocument("64", "64");
    for (const bool floating : {false, true}) {
        toolform->SToolClick(TTool::Region);
        if (floating)
            FloatBox(0, 0, 24, 32, 8, 16);
        else
            SelectBox(8, 16, 24, 32);
        for (const TTool tool : {TTool::Pen, TTool::Fill, TTool::Region}) {
            toolform->SToolClick(tool);
            EXPECT_EQ(Doc().Selecting(), !floating) << "tool " << int(tool);
            EXPECT_EQ(Doc().Floating(), floating) << "tool " << int(tool);
            EXPECT_EQ(Doc().Sel().Left, 8);
            EXPECT_EQ(Doc().Sel().Top, 16);
            EXPECT_EQ(Doc().Sel().Width, 24);
            EXPECT_EQ(Doc().Sel().Height, 32);
        }
    }
    CancelSelection();
}

TEST_F(ToolTest, ArrowsWithoutADocumentDoNothing) {
    for (int tag = 0; tag < 4; ++tag)
        Arrow(tag)->click();
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
}

// The undo history's merging state carries over from one document to the next, so each
// direction starts in a fresh editor.
class ToolArrowTest : public ToolTest, public testing::WithParamInterface<int> {};

// Each arrow turns the edit area (here cut to 6 x 5 at the document's right and bottom edges)
// by one pixel; the rest of the document, the layer area included, stays; both views show it.
TEST_P(ToolArrowTest, TurnsTheEditAreaAndShowsIt) {
    const int tag = GetParam();
    const int32_t dx[] = {0, 1, 0, -1}, dy[] = {-1, 0, 1, 0}; // where a pixel moves
    OpenPatterned("38", "37", 32, 32);
    Editor().SetViewOrigin(kLayerArea, 30, 30);
    ASSERT_EQ(Editor().ViewWidth(kEditArea), 6);
    ASSERT_EQ(Editor().ViewHeight(kEditArea), 5);
    const TDIB before(*Doc().DocImage());
    Arrow(tag)->click();
    for (int32_t y = 0; y < Doc().DocHeight(); ++y)
        for (int32_t x = 0; x < Doc().DocWidth(); ++x) {
            int32_t sx = x, sy = y;
            if (x >= 32 && y >= 32) {
                sx = 32 + (x - 32 - dx[tag] + 6) % 6;
                sy = 32 + (y - 32 - dy[tag] + 5) % 5;
            }
            ASSERT_EQ(Doc().DocImage()->GetPixel(x, y), before.GetPixel(sx, sy)) << x << "," << y;
        }
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    // The grey ramp shows index i as grey i, at each zoomed pixel's top-left corner.
    const int z = mainform->ZoomFactor;
    EXPECT_EQ(StaleDocumentView(), "") << "document view";
    const QImage painted = PaintedDocument();
    for (const auto& [x, y] : {std::pair{32, 32}, std::pair{37, 36}, std::pair{35, 33}}) {
        const int i = int(Doc().DocImage()->GetPixel(x, y));
        EXPECT_EQ(painted.pixel(x * z, y * z), qRgb(i, i, i))
            << "document view at " << x << "," << y;
        EXPECT_EQ(LupeForm->LupeImage.GetPixel(x - 32, y - 32), uint32_t(i))
            << "magnifier at " << x << "," << y;
    }
    Editor().Undo();
    for (int32_t y = 0; y < Doc().DocHeight(); ++y)
        for (int32_t x = 0; x < Doc().DocWidth(); ++x)
            ASSERT_EQ(Doc().DocImage()->GetPixel(x, y), before.GetPixel(x, y))
                << "undone, " << x << "," << y;
}

// Across the direction of the shift the area is one pixel (at the document's right or bottom
// edge): it keeps its content, yet the shift is a step to undo and an unsaved change.
TEST_P(ToolArrowTest, OnePixelAcrossKeepsContentButCounts) {
    const int tag = GetParam();
    const bool sideways = tag % 2 == 1;
    OpenPatterned(sideways ? "33" : "8", sideways ? "8" : "33", sideways ? 32 : 0,
                  sideways ? 0 : 32);
    ASSERT_EQ(sideways ? Editor().ViewWidth(kEditArea) : Editor().ViewHeight(kEditArea), 1);
    const std::vector<uint8_t> before = DocPixels();
    Arrow(tag)->click();
    EXPECT_EQ(DocPixels(), before);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
}

INSTANTIATE_TEST_SUITE_P(UpRightDownLeft, ToolArrowTest, testing::Values(0, 1, 2, 3));

// Three shifts are one step to undo; a pen dot between shifts splits the run.
TEST_F(ToolTest, ShiftRunsAreOneUndoStep) {
    OpenPatterned("16", "12", 0, 0);
    const std::vector<uint8_t> start = DocPixels();
    Arrow(1)->click();
    Arrow(1)->click();
    Arrow(2)->click();
    EXPECT_NE(DocPixels(), start);
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    Editor().Undo();
    EXPECT_EQ(DocPixels(), start) << "one Undo after three shifts";

    PenDot(3, 3);
    const std::vector<uint8_t> dotted = DocPixels();
    Arrow(1)->click();
    const std::vector<uint8_t> shifted = DocPixels();
    PenDot(5, 7);
    const std::vector<uint8_t> dottedAgain = DocPixels();
    ASSERT_NE(dottedAgain, shifted);
    Arrow(0)->click();
    Arrow(3)->click();
    EXPECT_EQ(Doc().History.UndoCount(), 4u);
    const std::vector<uint8_t> expected[] = {dottedAgain, shifted, dotted, start};
    for (const std::vector<uint8_t>& state : expected) {
        Editor().Undo();
        EXPECT_EQ(DocPixels(), state)
            << "undo with " << Doc().History.UndoCount() - Doc().History.RedoCount() << " left";
    }
}

// The floating block lives in WorkImage; a shift must leave it to be placed as lifted.
TEST_F(ToolTest, ShiftLeavesTheFloatingBlockAlone) {
    OpenPatterned("16", "12", 0, 0);
    TDIB lifted;
    lifted.Resize(3, 2, 8);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            lifted.SetPixel(x, y, uint32_t(200 + x + y * 3));
    Doc().FloatBlock(lifted, 0, 0);
    const TDIB& block = Doc().WorkImage();
    for (int tag = 0; tag < 4; ++tag)
        Arrow(tag)->click();
    ASSERT_EQ(block.Width(), 3);
    ASSERT_EQ(block.Height(), 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(block.GetPixel(x, y), lifted.GetPixel(x, y)) << x << "," << y;
}

// The same through the region tool: lift a block, shift, place it; the block written is the one
// lifted, not the shifted edit area.
TEST_F(ToolTest, BlockLiftedBeforeAShiftIsPlacedAsLifted) {
    OpenPatterned("64", "64", 0, 0);
    mainform->bt1Dot->click();
    toolform->SToolClick(TTool::Region);
    const TDIB original(*Doc().DocImage());
    StartSelection(2, 2);
    DragSelection(5, 4);
    LiftSelection();
    if (!Doc().Floating()) GTEST_SKIP() << "this build's region tool does not lift blocks";
    const int32_t w = Doc().Sel().Width, h = Doc().Sel().Height;
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);
    MoveFloat(40, 40);
    const int32_t left = Doc().Sel().Left, top = Doc().Sel().Top;
    Arrow(1)->click();
    Arrow(2)->click();
    PlaceFloat();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            EXPECT_EQ(Doc().DocImage()->GetPixel(left + x, top + y),
                      original.GetPixel(2 + x, 2 + y))
                << x << "," << y;
}
} // namespace
