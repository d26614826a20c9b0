// The editor state's animation settings: kept in range, told once, and the cells they play
// following the edit area.
#include "document/Editor.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct TCounter : TObserver {
    int Animation = 0;
    void Changed(const TChange& change) override { Animation += change.Animation; }
};

TEST(EditorStateTest, AnimationSettingsAreKeptInRangeAndToldOnce) {
    TEditor editor;
    TCounter counter;
    editor.Doc.Subscribe(&counter);
    editor.SetAnimation(
        {.Frames = 0, .Fps = 500, .Scale = 9, .Checker = false, .Backdrop = 0xAB123456});
    EXPECT_EQ(
        editor.Animation(),
        (TAnimation{
            .Frames = 1, .Fps = kMostFps, .Scale = 8, .Checker = false, .Backdrop = 0x123456}));
    editor.SetAnimation({.Frames = 1 << 30, .Fps = -3, .Scale = 0});
    EXPECT_EQ(editor.Animation().Frames, kMostSheetCells);
    EXPECT_EQ(editor.Animation().Fps, 1);
    EXPECT_EQ(editor.Animation().Scale, 1);
    EXPECT_EQ(counter.Animation, 2);
    editor.SetAnimation(editor.Animation()); // no change, no notice
    EXPECT_EQ(counter.Animation, 2);
    editor.Reset();
    EXPECT_EQ(editor.Animation(), TAnimation{});
    editor.Doc.Unsubscribe(&counter);
}

TEST(EditorStateTest, AnimationCellsStartAtTheEditArea) {
    TEditor editor;
    auto image = std::make_unique<TDIB>();
    image->Resize(64, 40, 8);
    editor.Doc.Open(std::move(image), "");
    editor.SetLupeCells(16, 16);
    editor.SetViewOrigin(kEditArea, 32, 0);
    editor.SetAnimation({.Frames = 4});
    EXPECT_EQ(
        editor.AnimationCells(),
        (std::vector<TRect>{{32, 0, 48, 16}, {48, 0, 64, 16}, {0, 16, 16, 32}, {16, 16, 32, 32}}));
    // Rows below 32 would be cut at the picture's bottom: no cell there.
    editor.SetAnimation({.Frames = 100});
    EXPECT_EQ(editor.AnimationCells().size(), size_t(6));
}

} // namespace
