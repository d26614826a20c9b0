// The transform commands over the editor and its document, without any window: the floating
// block's, which record nothing, and the whole picture's, one undo step each, with the areas
// moved inside a picture that shrank.
#include "ImageRows.h"
#include "document/PictureCommands.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {
using TRows = std::vector<std::string>;

struct TRecorder : TObserver {
    std::vector<TChange> Changes;
    void Changed(const TChange& change) override { Changes.push_back(change); }
};

class PictureCommandsTest : public testing::Test {
protected:
    void SetUp() override { editor.Doc.Subscribe(&recorder); }
    void TearDown() override { editor.Doc.Unsubscribe(&recorder); }

    void Open(const TRows& rows) {
        auto image = std::make_unique<TDIB>(FromRows(rows));
        image->PaletteBlock = GreyRampPalette();
        image->ApplyPalette();
        editor.Doc.Open(std::move(image), "");
    }
    // A w x h picture whose pixels tell where they are.
    void Open(int32_t w, int32_t h) {
        auto image = std::make_unique<TDIB>();
        image->Resize(w, h, 8);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                image->SetPixel(x, y, uint32_t(x + 7 * y) % 251);
        editor.Doc.Open(std::move(image), "");
    }
    TRows Shown() const { return ToRows(*editor.Doc.DocImage()); }
    TCell Origin(int i) const { return TCell{editor.ViewLeft(i), editor.ViewTop(i)}; }

    TEditor editor;
    TRecorder recorder;
};
} // namespace

// Each command changes the picture as one step with one notice, marked Resized where the size
// changed; undo gives back the old size and pixels exactly, redo the new.
TEST_F(PictureCommandsTest, EachChangeIsOneStepThatUndoAndRedoRestore) {
    struct TCase {
        const char* name;
        std::function<TPictureChange(const TDocument&)> change;
        TRows after;
    };
    const TRows before = {"123", "456"};
    const TCase cases[] = {
        {"flip",
         [](auto& d) { return TransformChange(d, TTransform::FlipTopBottom); },
         {"456", "123"}},
        {"turn",
         [](auto& d) { return TransformChange(d, TTransform::TurnLeft); },
         {"36", "25", "14"}},
        {"canvas",
         [](auto& d) {
             return CanvasChange(d, 4, 1, TAnchor{2, 2});
         },
         {"0456"}},
        {"enlarge",
         [](auto& d) { return EnlargeChange(d, 2); },
         {"112233", "112233", "445566", "445566"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open(before);
        editor.Doc.SetSaved(true);
        recorder.Changes.clear();
        const TPictureChange change = c.change(editor.Doc);
        EXPECT_EQ(change.Width, int64_t(c.after[0].size()));
        EXPECT_EQ(change.Height, int64_t(c.after.size()));
        ASSERT_TRUE(ChangePicture(editor, change));
        EXPECT_EQ(Shown(), c.after);
        EXPECT_FALSE(editor.Doc.Saved());
        EXPECT_EQ(editor.Doc.History.UndoCount(), 1u);
        ASSERT_EQ(recorder.Changes.size(), 1u);
        const bool resized = c.after != TRows{"456", "123"};
        EXPECT_EQ(recorder.Changes[0].Resized, resized);
        EXPECT_EQ(recorder.Changes[0].Rect,
                  (TRect{0, 0, editor.Doc.DocWidth(), editor.Doc.DocHeight()}));
        editor.Undo();
        EXPECT_EQ(Shown(), before);
        EXPECT_EQ(recorder.Changes.back().Resized, resized);
        editor.Redo();
        EXPECT_EQ(Shown(), c.after);
        EXPECT_EQ(editor.Doc.DocImage()->PaletteBlock, GreyRampPalette());
        EXPECT_EQ(editor.Violation(), "");
    }
}

// The canvas's new pixels hold the transparent index.
TEST_F(PictureCommandsTest, CanvasFillsWithTheTransparentIndex) {
    Open({"12"});
    editor.Doc.SetTransparentIndex(7);
    ASSERT_TRUE(ChangePicture(editor, CanvasChange(editor.Doc, 3, 2, TAnchor{1, 0})));
    EXPECT_EQ(Shown(), (TRows{"127", "777"}));
}

// A picture that shrinks takes the edit and layer areas inside it as an open of that size does;
// undo and redo move them again before their notice.
TEST_F(PictureCommandsTest, AreasMoveInsideAPictureThatShrank) {
    Open(100, 100);
    editor.SetViewOrigin(kEditArea, 64, 64);
    editor.SetViewOrigin(kLayerArea, 96, 32);
    // 32-pixel cells and snap: a 80 x 50 picture keeps x 64 (the area cut to 16), moves y to 0.
    ASSERT_TRUE(ChangePicture(editor, CanvasChange(editor.Doc, 80, 50, TAnchor{0, 0})));
    EXPECT_EQ(Origin(kEditArea), (TCell{64, 0}));
    EXPECT_EQ(Origin(kLayerArea), (TCell{32, 32}));
    editor.Undo();
    EXPECT_EQ(editor.Doc.DocWidth(), 100);
    editor.SetViewOrigin(kEditArea, 96, 96);
    editor.Redo();
    EXPECT_EQ(Origin(kEditArea), (TCell{32, 0}));
    EXPECT_EQ(editor.Violation(), "");
    // A turn of a tall picture moves them too.
    ASSERT_TRUE(ChangePicture(editor, CanvasChange(editor.Doc, 10, 70, TAnchor{0, 0})));
    editor.SetViewOrigin(kEditArea, 0, 64);
    ASSERT_TRUE(ChangePicture(editor, TransformChange(editor.Doc, TTransform::TurnRight)));
    EXPECT_EQ(Origin(kEditArea), (TCell{0, 0}));
    EXPECT_EQ(editor.Violation(), "");
}

// The crop cuts out the selection being made and ends it in the same notice; it is one step.
TEST_F(PictureCommandsTest, CropCutsOutTheSelectionAndEndsIt) {
    Open({"1234", "5678", "9:;<"});
    editor.Doc.StartSelection(1, 1, TSnapStep{});
    editor.Doc.DragSelection(3, 2, TSnapStep{});
    recorder.Changes.clear();
    ASSERT_TRUE(ChangePicture(editor, CropChange(editor.Doc)));
    EXPECT_EQ(Shown(), (TRows{"678", ":;<"}));
    EXPECT_EQ(editor.Doc.Region(), TRegionState::None);
    ASSERT_EQ(recorder.Changes.size(), 1u);
    EXPECT_TRUE(recorder.Changes[0].Selection);
    EXPECT_TRUE(editor.CanUndo());
    editor.Undo();
    EXPECT_EQ(Shown(), (TRows{"1234", "5678", "9:;<"}));
}

// Refused, with nothing changed and nothing recorded: a size beyond what an image may have
// (before anything is made), and any change while a block floats.
TEST_F(PictureCommandsTest, RefusesTooLargeSizesAndFloatingBlocks) {
    Open({"12", "34"});
    const TPictureChange huge = CanvasChange(editor.Doc, 50000, 50000, TAnchor{});
    EXPECT_FALSE(ChangeFits(huge));
    EXPECT_FALSE(ChangePicture(editor, huge));
    EXPECT_FALSE(ChangePicture(editor, CanvasChange(editor.Doc, 0, 3, TAnchor{})));
    EXPECT_TRUE(ChangeFits(EnlargeChange(editor.Doc, 8)));
    editor.Doc.FloatBlock(FromRows({"9"}), 0, 0);
    EXPECT_FALSE(CanChangePicture(editor));
    EXPECT_FALSE(ChangePicture(editor, TransformChange(editor.Doc, TTransform::TurnHalf)));
    EXPECT_EQ(Shown(), (TRows{"12", "34"}));
    EXPECT_EQ(editor.Doc.History.UndoCount(), 0u);
    EXPECT_TRUE(editor.Doc.Floating());
}

// A press in progress ends before the picture changes, so the stroke is its own step first.
TEST_F(PictureCommandsTest, APressInProgressEndsFirst) {
    Open({"12", "34"});
    bool released = false;
    editor.PressBegan([&] {
        released = true;
        editor.PressEnded();
    });
    ASSERT_TRUE(ChangePicture(editor, TransformChange(editor.Doc, TTransform::FlipLeftRight)));
    EXPECT_TRUE(released);
    EXPECT_FALSE(editor.PressInProgress());
}

// The floating block turns about its top-left pixel, which stays where it floats; the picture's
// pixels, the history and the saved flag stay. Nothing without a block or while a press is held.
TEST_F(PictureCommandsTest, BlockTransformsTurnTheBlockWhereItFloats) {
    Open(40, 40);
    editor.Doc.SetSaved(true);
    editor.Doc.FloatBlock(FromRows({"123", "456"}), 8, 16);
    const TRows picture = Shown();
    struct TStep {
        TTransform transform;
        TRows block;
    };
    const TStep steps[] = {
        {TTransform::TurnRight, {"41", "52", "63"}},
        {TTransform::FlipLeftRight, {"14", "25", "36"}},
        {TTransform::FlipTopBottom, {"36", "25", "14"}},
        {TTransform::TurnLeft, {"654", "321"}},
    };
    for (const TStep& step : steps) {
        recorder.Changes.clear();
        TransformBlock(editor, step.transform);
        EXPECT_EQ(ToRows(editor.Doc.WorkImage()), step.block);
        const int32_t width = int32_t(step.block[0].size()), height = int32_t(step.block.size());
        EXPECT_EQ(editor.Doc.Sel(), (TSelectionBox{8, 16, width, height}));
        ASSERT_EQ(recorder.Changes.size(), 1u);
        EXPECT_TRUE(recorder.Changes[0].Selection);
        EXPECT_FALSE(recorder.Changes[0].Pixels);
    }
    EXPECT_EQ(Shown(), picture);
    EXPECT_EQ(editor.Doc.History.UndoCount(), 0u);
    EXPECT_TRUE(editor.Doc.Saved());

    editor.PressBegan([&] { editor.PressEnded(); });
    TransformBlock(editor, TTransform::TurnRight);
    EXPECT_EQ(ToRows(editor.Doc.WorkImage()), (TRows{"654", "321"})) << "not while pressed";
    editor.PressEnded();
    editor.Doc.PlaceFloat();
    EXPECT_EQ(editor.Doc.History.UndoCount(), 1u) << "placing stays one step";
    EXPECT_EQ(editor.Doc.DocImage()->GetPixel(8, 16), 6u);
    recorder.Changes.clear();
    TransformBlock(editor, TTransform::TurnRight);
    EXPECT_TRUE(recorder.Changes.empty()) << "no block, nothing to turn";
}
