// The transforms through the windows: the picture menu and its canvas dialog, each change one
// undo step that the document view, the magnifier, the areas and the status line follow; and the
// floating block's transforms from the edit menu and from the block keys of every window.
#include "app/statusbar.h"
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/toolwindow.h"
#include "editor_fixture.h"
#include "image/Enlarge.h"
#include "lupe_shown.h"
#include "palette/palettewindow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace {
std::vector<uint8_t> PixelsOf(const TDIB& image) {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < image.Height(); ++y)
        out.insert(out.end(), image.RowForRead(y), image.RowForRead(y) + image.Width());
    return out;
}

// Every view shows the picture as it is now: the document view sized to it and painted from it
// (no stale pixel on screen), the magnifier composed from the edit area inside it and drawn as a
// full redraw draws it, and the status line as the state gives it.
void ExpectViewsFollow() {
    const int32_t z = mainform->ZoomPixels();
    EXPECT_EQ(mainform->PaintBox2->DevicePicture,
              QSize(Doc().DocWidth() * z, Doc().DocHeight() * z));
    EXPECT_EQ(StaleDocumentView(), "");
    EXPECT_TRUE(PaintedDocument() == FullRender()) << "document view";
    ExpectMagnifierShowsEditArea();
    EXPECT_EQ(mainform->StatusLine->Text(), StatusText(Editor(), mainform->ZoomFactor));
    EXPECT_EQ(Editor().Violation(), "");
}
} // namespace

class TransformTest : public EditorTest {
protected:
    // A 45 x 30 picture in grey, each pixel telling where it is, with the edit area at (32, 0)
    // and the pointer over pixel (40, 20).
    void SetUp() override {
        EditorTest::SetUp();
        NewDocument("45", "30");
        Doc().EditPalette(nullptr, GreyRampPalette());
        RecordedEdit({0, 0, 45, 30}, [](TDIB& image) {
            for (int32_t y = 0; y < 30; ++y)
                for (int32_t x = 0; x < 45; ++x)
                    image.SetPixel(x, y, uint32_t(x * 3 + y * 5) % 256);
        });
        Editor().SetViewOrigin(kEditArea, 32, 0);
        Editor().SetPointer(TCell{40, 20});
        Doc().SetSaved(true);
        original = *Doc().DocImage(); // copy-on-write keeps it as it is now
    }
    void ExpectOriginal() {
        EXPECT_EQ(Doc().DocWidth(), 45);
        EXPECT_EQ(PixelsOf(*Doc().DocImage()), PixelsOf(original));
    }

    TDIB original;
};

// Every item of the picture menu changes the picture as one step; the views follow it there, back
// with Undo and forth again with Redo, and the edit area moves inside a picture too narrow for it.
TEST_F(TransformTest, PictureMenuChangesThePictureAsOneStepTheViewsFollow) {
    struct TCase {
        const char* name;
        std::function<void()> run;
        TDIB expected;
        int32_t editLeft;
    };
    const TCase cases[] = {
        {"左右反転", [] { mainform->acTransform[0]->trigger(); },
         Transformed(original, TTransform::FlipLeftRight), 32},
        {"上下反転", [] { mainform->acTransform[1]->trigger(); },
         Transformed(original, TTransform::FlipTopBottom), 32},
        {"右に90度回転", [] { mainform->acTransform[2]->trigger(); },
         Transformed(original, TTransform::TurnRight), 0},
        {"左に90度回転", [] { mainform->acTransform[3]->trigger(); },
         Transformed(original, TTransform::TurnLeft), 0},
        {"180度回転", [] { mainform->acTransform[4]->trigger(); },
         Transformed(original, TTransform::TurnHalf), 32},
        {"キャンバスサイズ",
         [this] {
             dialogs->CanvasChoices.push_back(TCanvasChoice{{20, 41}, TAnchor{2, 1}});
             mainform->acCanvasSize->trigger();
         },
         Reframed(original, CanvasFrame(45, 30, 20, 41, TAnchor{2, 1}), 0), 0},
        {"選択範囲で切り抜き",
         [] {
             SelectBox(40, 20, 5, 9);
             mainform->acCrop->trigger();
         },
         Reframed(original, TRect{40, 20, 45, 29}, 0), 0},
        {"3倍", [] { mainform->acEnlarge[1]->trigger(); }, Enlarged(original, 3), 32},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        c.run();
        EXPECT_EQ(Doc().DocWidth(), c.expected.Width());
        EXPECT_EQ(Doc().DocHeight(), c.expected.Height());
        EXPECT_EQ(PixelsOf(*Doc().DocImage()), PixelsOf(c.expected));
        EXPECT_EQ(Editor().ViewLeft(kEditArea), c.editLeft);
        EXPECT_EQ(Doc().Region(), TRegionState::None);
        EXPECT_FALSE(Doc().Saved());
        EXPECT_EQ(Doc().History.UndoCount(), 2u);
        ExpectViewsFollow();
        mainform->acUndo->trigger();
        ExpectOriginal();
        ExpectViewsFollow();
        mainform->acRedo->trigger();
        EXPECT_EQ(PixelsOf(*Doc().DocImage()), PixelsOf(c.expected));
        ExpectViewsFollow();
        mainform->acUndo->trigger();
        Editor().SetViewOrigin(kEditArea, 32, 0);
    }
    EXPECT_TRUE(dialogs->Warnings.empty());
    EXPECT_TRUE(dialogs->Errors.empty());
    EXPECT_EQ(dialogs->CanvasStarts, (std::vector<TPixelSize>{{45, 30}}));
}

// The pixel under the pointer leaves the status line once the picture no longer reaches it, and
// the view follows a change at the magnified zoom too.
TEST_F(TransformTest, StatusLineAndZoomedViewFollowANewSize) {
    mainform->x4->trigger();
    EXPECT_TRUE(mainform->StatusLine->Text().startsWith("(40, 20)"));
    mainform->acTransform[2]->trigger();
    EXPECT_FALSE(mainform->StatusLine->Text().startsWith("("));
    ExpectViewsFollow();
    mainform->acEnlarge[0]->trigger();
    EXPECT_EQ(Doc().DocWidth(), 60);
    ExpectViewsFollow();
}

// The canvas dialog starts at the picture's size; Cancel changes nothing; a size no image may
// have, and one too large for the view at its zoom, are refused with a message before anything
// is made, the picture and its history as they were.
TEST_F(TransformTest, CanvasRefusalsChangeNothing) {
    struct TCase {
        const char* name;
        int32_t zoomItem;
        std::optional<TCanvasChoice> answer;
        std::vector<QString> warnings, errors;
    };
    const TCase cases[] = {
        {"cancel", 1, std::nullopt, {}, {}},
        {"beyond an image",
         1,
         TCanvasChoice{{50000, 50000}, {}},
         {"50000×50000 ピクセルの画像は大きすぎて作れません"},
         {}},
        {"beyond the view at 4x",
         4,
         TCanvasChoice{{5000000, 1}, {}},
         {},
         {"表示用ビットマップ を作成できません"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        (c.zoomItem == 4 ? mainform->x4 : mainform->x1)->trigger();
        dialogs->Warnings.clear();
        dialogs->Errors.clear();
        dialogs->CanvasChoices.push_back(c.answer);
        mainform->acCanvasSize->trigger();
        EXPECT_EQ(dialogs->Warnings, c.warnings);
        EXPECT_EQ(dialogs->Errors, c.errors);
        ExpectOriginal();
        EXPECT_EQ(Doc().History.UndoCount(), 1u);
        EXPECT_TRUE(Doc().Saved());
        ExpectViewsFollow();
    }
    EXPECT_EQ(dialogs->CanvasStarts.front(), (TPixelSize{45, 30}));
}

// A block floating turns the picture items off and the block items on; the crop is on only while
// a selection is being made; without a document all are off.
TEST_F(TransformTest, ItemsAreOnWhileTheyCanAct) {
    const auto state = [] {
        std::string text;
        for (QAction* item : mainform->acBlock)
            text += item->isEnabled() ? 'B' : 'b';
        text += ' ';
        for (QAction* item : mainform->acTransform)
            text += item->isEnabled() ? 'T' : 't';
        for (QAction* item : mainform->acEnlarge)
            text += item->isEnabled() ? 'E' : 'e';
        text += mainform->mnEnlarge->menuAction()->isEnabled() ? 'E' : 'e';
        text += mainform->acCanvasSize->isEnabled() ? 'S' : 's';
        text += mainform->acCrop->isEnabled() ? 'C' : 'c';
        return text;
    };
    EXPECT_EQ(state(), "bbbb TTTTTEEEEEEEESc");
    SelectBox(0, 0, 4, 4);
    EXPECT_EQ(state(), "bbbb TTTTTEEEEEEEESC");
    LiftSelection();
    EXPECT_EQ(state(), "BBBB ttttteeeeeeeesc");
    for (QAction* item : mainform->acTransform)
        item->trigger();
    EXPECT_EQ(Doc().History.UndoCount(), 1u) << "disabled items do nothing";
    PlaceFloat();
    EXPECT_EQ(state(), "bbbb TTTTTEEEEEEEESc");
    dialogs->Answers.push_back(TPromptAnswer::No);
    mainform->acClose->trigger();
    EXPECT_EQ(state(), "bbbb ttttteeeeeeeesc");
}

// The block keys in every editor window and the edit menu's items flip and turn the floating
// block where it floats, recording nothing; no key acts while a press is held in a view, nor
// without a block.
TEST_F(TransformTest, BlockKeysAndItemsTurnTheFloatingBlock) {
    FloatBox(0, 0, 3, 2, 10, 10);
    struct TKey {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        TTransform transform;
    };
    const TKey keys[] = {
        {Qt::Key_X, {}, TTransform::FlipLeftRight},
        {Qt::Key_Y, {}, TTransform::FlipTopBottom},
        {Qt::Key_R, {}, TTransform::TurnRight},
        {Qt::Key_R, Qt::ShiftModifier, TTransform::TurnLeft},
    };
    for (QWidget* window :
         std::initializer_list<QWidget*>{mainform, LupeForm, toolform, palletform}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        for (const TKey& k : keys) {
            const TDIB before = Doc().WorkImage();
            PressWindowKey(window, k.key, k.modifiers);
            EXPECT_EQ(PixelsOf(Doc().WorkImage()), PixelsOf(Transformed(before, k.transform)))
                << k.key;
            EXPECT_EQ(Doc().WorkImage().Width(), Doc().Sel().Width);
            EXPECT_EQ(Doc().Sel().Left, 10);
            EXPECT_EQ(Doc().Sel().Top, 10);
        }
    }
    for (size_t i = 0; i < mainform->acBlock.size(); ++i) {
        const TDIB before = Doc().WorkImage();
        mainform->acBlock[i]->trigger();
        EXPECT_EQ(PixelsOf(Doc().WorkImage()),
                  PixelsOf(Transformed(before, kBlockItems[i].Transform)))
            << mainform->acBlock[i]->text().toStdString();
    }
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    EXPECT_EQ(StaleDocumentView(), "");

    // Shift with the region tool places the edit area, a press the keys wait for.
    Editor().SetTool(TTool::Region);
    const TDIB held = Doc().WorkImage();
    mainform->PaintBox2MouseDown(TMouseButton::Left, true, 0, 0);
    PressWindowKey(mainform, Qt::Key_R);
    EXPECT_EQ(PixelsOf(Doc().WorkImage()), PixelsOf(held)) << "mid-press";
    mainform->PaintBox2MouseUp();
    PressWindowKey(mainform, Qt::Key_R);
    EXPECT_EQ(Doc().WorkImage().Width(), held.Height());

    // Placed, the block turned is one step; the keys then change nothing.
    PlaceFloat();
    EXPECT_EQ(Doc().History.UndoCount(), 2u);
    const std::vector<uint8_t> placed = DocPixels();
    PressWindowKey(LupeForm, Qt::Key_X);
    EXPECT_EQ(DocPixels(), placed);
    EXPECT_EQ(Editor().CurrentTool(), TTool::Region);
}
