// The region tool driven through both windows' mouse handlers: sizing with each snap step,
// lifting, moving and placing as one undo step, cutting at the edges and cancelling.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/selection.h"
#include "editor_fixture.h"

#include <QAction>
#include <QToolButton>
#include <functional>

namespace {
// A window that takes the region tool's presses and moves, addressed by document pixel.
struct TWindow {
    const char* Name;
    std::function<void(TMouseButton, int32_t, int32_t)> Press;
    std::function<void(int32_t, int32_t)> Move;
};

// The document window's screen pixel of document pixel p.
int32_t DocScreen(int32_t p) {
    return p * mainform->ZoomFactor;
}

// The magnifier's display pixel inside the cell of document pixel p, for an edit area at origin;
// cells left of or above the edit area lie at negative positions (division truncates to zero).
int32_t LupeScreen(int32_t p, int32_t origin) {
    const int32_t power = LupeForm->Power(), cell = p - origin;
    return cell * power + (cell < 0 ? -power / 2 : power / 2);
}

const TWindow kWindows[] = {
    {"document window",
     [](TMouseButton button, int32_t x, int32_t y) {
         mainform->PaintBox2MouseDown(button, false, DocScreen(x), DocScreen(y));
         mainform->PaintBox2MouseUp();
     },
     [](int32_t x, int32_t y) { mainform->PaintBox2MouseMove(DocScreen(x), DocScreen(y)); }},
    {"magnifier",
     [](TMouseButton button, int32_t x, int32_t y) {
         LupeForm->LupeBox2MouseDown(button, LupeScreen(x, Editor().ViewLeft(kEditArea)),
                                     LupeScreen(y, Editor().ViewTop(kEditArea)));
         LupeForm->LupeBox2MouseUp();
     },
     [](int32_t x, int32_t y) {
         LupeForm->LupeBox2MouseMove(LupeScreen(x, Editor().ViewLeft(kEditArea)),
                                     LupeScreen(y, Editor().ViewTop(kEditArea)));
     }},
};

std::string Box() {
    return std::to_string(Doc().Sel().Left) + "," + std::to_string(Doc().Sel().Top) + " " +
           std::to_string(Doc().Sel().Width) + "x" + std::to_string(Doc().Sel().Height);
}

std::string Buttons() {
    const auto show = [](QToolButton* b) {
        return b->text().toStdString() + (b->isEnabled() ? " on" : " off");
    };
    return show(LupeForm->btUndo) + " / " + show(LupeForm->btRedo);
}
} // namespace

class SelectionTest : public EditorTest {
protected:
    // A w x h document whose pixel (x, y) is (x + 3 y) mod 256, saved, with the edit area at
    // (left, top); the region tool chosen.
    void Open(int32_t w, int32_t h, int32_t left = 0, int32_t top = 0) {
        Doc().SetSaved(true);
        NewDocument(QString::number(w), QString::number(h));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                Doc().DocImage()->RowForWrite(y)[x] = uint8_t(x + 3 * y);
        original = *Doc().DocImage(); // copy-on-write keeps it as it is now
        Editor().SetViewOrigin(kEditArea, left, top);
        mainform->RenderDocBitmap();
        LupeForm->UpdateLupe();
        Editor().SetTool(TTool::Region);
        // On screen as it is now, so that a change the tools fail to show stays visible.
        EXPECT_EQ(StaleDocumentView(), "");
    }
    // The document pixel, compared with the original shifted by (dx, dy) inside part and with the
    // original elsewhere.
    void ExpectDocument(const TRect& part, int32_t dx, int32_t dy) {
        for (int32_t y = 0; y < Doc().DocHeight(); ++y)
            for (int32_t x = 0; x < Doc().DocWidth(); ++x) {
                const bool inside =
                    x >= part.Left && x < part.Right && y >= part.Top && y < part.Bottom;
                const uint32_t expected =
                    inside ? original.GetPixel(x - dx, y - dy) : original.GetPixel(x, y);
                ASSERT_EQ(Doc().DocImage()->GetPixel(x, y), expected) << x << "," << y;
            }
    }
    // The document view shows the document: the grey ramp makes index i the colour (i, i, i).
    void ExpectDocViewShowsDocument() {
        EXPECT_EQ(StaleDocumentView(), "");
        EXPECT_TRUE(PaintedDocument() == FullRender());
    }

    TDIB original;
};

TEST_F(SelectionTest, SizesFollowTheSnapStepAndTheAnchorRule) {
    struct Step {
        int32_t x, y;
        const char* box;
    };
    struct Drag {
        const char* what;
        QToolButton* button;
        int32_t clickX, clickY;
        const char* anchored;
        std::vector<Step> moves;
    };
    Open(100, 100, 32, 64);
    const Drag drags[] = {
        {"magnifier grid",
         mainform->btLupeGrid,
         37,
         70,
         "32,64 32x32",
         {{70, 99, "32,64 64x36"}, {63, 95, "32,64 32x32"}, {31, 80, "32,64 32x32"}}},
        {"one pixel",
         mainform->bt1Dot,
         32,
         64,
         "32,64 1x1",
         {{40, 70, "32,64 9x7"},
          {40, 50, "32,64 1x1"},
          {-10, 90, "32,64 1x1"},
          {150, 150, "32,64 68x36"}}},
        {"eight pixels", mainform->bt8Dot, 37, 70, "32,64 8x8", {{40, 71, "32,64 16x8"}}},
    };
    for (const TWindow& window : kWindows)
        for (const Drag& d : drags) {
            SCOPED_TRACE(std::string(window.Name) + ", " + d.what);
            d.button->click();
            window.Press(TMouseButton::Left, d.clickX, d.clickY);
            EXPECT_TRUE(Doc().Selecting());
            EXPECT_EQ(Box(), d.anchored);
            for (const Step& s : d.moves) {
                window.Move(s.x, s.y);
                EXPECT_EQ(Box(), s.box) << "pointer at " << s.x << "," << s.y;
            }
            window.Press(TMouseButton::Right, d.clickX, d.clickY);
            EXPECT_FALSE(Doc().Selecting());
        }
}

// Select (8, 8) 16 x 8, lift, move to (40, 33) snapped to (40, 32), place: the copy appears, the
// source stays, and one Undo takes the copy away again.
TEST_F(SelectionTest, LiftMovePlaceIsOneUndoStep) {
    for (const TWindow& window : kWindows) {
        SCOPED_TRACE(window.Name);
        Open(64, 64);
        mainform->bt8Dot->click();
        window.Press(TMouseButton::Left, 8, 8);
        window.Move(20, 10);
        ASSERT_EQ(Box(), "8,8 16x8");
        window.Press(TMouseButton::Left, 0, 0);
        EXPECT_FALSE(Doc().Selecting());
        EXPECT_TRUE(Doc().Floating());
        EXPECT_EQ(Box(), "8,8 16x8") << "the block floats where it was lifted";
        EXPECT_EQ(Doc().WorkImage().Width(), 16);
        EXPECT_EQ(Doc().WorkImage().Height(), 8);
        ExpectDocument(TRect{}, 0, 0);
        EXPECT_TRUE(Doc().Saved()) << "lifting copies; the document is unchanged";
        EXPECT_EQ(Buttons(), "Undo 0 off / Redo 0 off");

        window.Move(41, 33);
        EXPECT_EQ(Box(), "40,32 16x8");
        window.Press(TMouseButton::Left, 0, 0);
        EXPECT_FALSE(Doc().Floating());
        ExpectDocument(TRect{40, 32, 56, 40}, 32, 24);
        EXPECT_FALSE(Doc().Saved());
        EXPECT_EQ(Doc().History.UndoCount(), 1u);
        EXPECT_EQ(Doc().History.Slots()[1].Rect, (TRect{40, 32, 56, 40}));
        EXPECT_EQ(Buttons(), "Undo 1 on / Redo 0 off");
        ExpectDocViewShowsDocument();

        Editor().Undo();
        ExpectDocument(TRect{}, 0, 0);
        EXPECT_EQ(Buttons(), "Undo 0 off / Redo 1 on");
        ExpectDocViewShowsDocument();
    }
}

// A 10 x 10 block from (0, 0) moved to the edges: what overhangs the document is cut, the undo
// step covers only the written part, and a block wholly outside writes nothing and records no
// step.
TEST_F(SelectionTest, PlacedBlockIsCutAtTheEdges) {
    struct Case {
        const char* what;
        int32_t x, y;
        TRect part;
    };
    const Case cases[] = {
        {"over the bottom right corner", 45, 35, {45, 35, 50, 40}},
        {"over the right edge", 44, 10, {44, 10, 50, 20}},
        {"left of and above the document", -30, -7, {0, 0, 10, 10}},
        {"wholly right of the document", 50, 0, {}},
        {"wholly below the document", 3, 47, {}},
    };
    for (const TWindow& window : kWindows)
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(window.Name) + ", " + c.what);
            Open(50, 40);
            mainform->bt1Dot->click();
            window.Press(TMouseButton::Left, 0, 0);
            window.Move(9, 9);
            window.Press(TMouseButton::Left, 0, 0);
            window.Move(c.x, c.y);
            EXPECT_GE(Doc().Sel().Left, 0);
            EXPECT_GE(Doc().Sel().Top, 0);
            window.Press(TMouseButton::Left, 0, 0);
            EXPECT_FALSE(Doc().Floating());
            const bool written = c.part.Width() > 0;
            ExpectDocument(c.part, c.part.Left, c.part.Top);
            EXPECT_EQ(Doc().Saved(), !written);
            EXPECT_EQ(Doc().History.UndoCount(), written ? 1u : 0u);
            if (written) {
                EXPECT_EQ(Doc().History.Slots()[1].Rect, c.part);
            }
        }
}

TEST_F(SelectionTest, OtherButtonsCancelAndDropTheBlock) {
    struct Case {
        const char* what;
        int clicks; // left clicks before the cancelling press: 1 selecting, 2 floating
        TMouseButton button;
    };
    const Case cases[] = {
        {"right button while selecting", 1, TMouseButton::Right},
        {"right button while floating", 2, TMouseButton::Right},
        {"middle button while floating", 2, TMouseButton::Middle},
    };
    for (const TWindow& window : kWindows)
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(window.Name) + ", " + c.what);
            Open(40, 40);
            // One step to undo, so the buttons show they come back by their counts.
            RecordedEdit({0, 0, 1, 1}, [](TDIB&) {});
            Doc().SetSaved(true);
            mainform->bt1Dot->click();
            for (int i = 0; i < c.clicks; ++i) {
                window.Press(TMouseButton::Left, 2, 2);
                window.Move(5, 6);
            }
            EXPECT_EQ(Buttons(), "Undo 1 off / Redo 0 off");
            window.Press(c.button, 20, 20);
            EXPECT_FALSE(Doc().Selecting());
            EXPECT_FALSE(Doc().Floating());
            EXPECT_EQ(Buttons(), "Undo 1 on / Redo 0 off");
            ExpectDocument(TRect{}, 0, 0);
            EXPECT_TRUE(Doc().Saved());
            // The next left click starts afresh rather than placing a dropped block.
            window.Press(TMouseButton::Left, 3, 3);
            EXPECT_TRUE(Doc().Selecting());
            EXPECT_EQ(Box(), "3,3 1x1");
            CancelSelection();
        }
}

// Pointer moves size and move the selection whatever tool is chosen; the region tool's next
// left click places the block.
TEST_F(SelectionTest, MovesFollowTheBlockWithAnyTool) {
    Open(64, 64);
    mainform->bt8Dot->click();
    kWindows[0].Press(TMouseButton::Left, 0, 0);
    kWindows[0].Press(TMouseButton::Left, 0, 0);
    ASSERT_TRUE(Doc().Floating());
    Editor().SetTool(TTool::Fill);
    kWindows[0].Move(17, 9);
    EXPECT_EQ(Box(), "16,8 8x8");
    kWindows[1].Move(25, 0);
    EXPECT_EQ(Box(), "24,0 8x8");
    Editor().SetTool(TTool::Region);
    kWindows[1].Press(TMouseButton::Left, 0, 0);
    EXPECT_FALSE(Doc().Floating());
    ExpectDocument(TRect{24, 0, 32, 8}, 24, 0);
}
