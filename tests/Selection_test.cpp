// The region tool's rules: anchoring, sizing, moving, lifting and placing blocks.
#include "helpers.h"
#include "image/DIB.h"
#include "image/Selection.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

namespace {
// A pointer position and a step, and the top-left pixel they give.
struct PositionCase {
    int32_t x, y;
    TSnapStep step;
    int32_t left, top;
};
} // namespace

// Failure messages show boxes as numbers.
void PrintTo(const TSelectionBox& b, std::ostream* out) {
    *out << b.Left << "," << b.Top << " " << b.Width << "x" << b.Height;
}

TEST(Selection, AnchorSnapsDownFromTheImageOriginAndStaysInside) {
    const PositionCase cases[] = {
        {37, 70, {32, 32}, 32, 64}, {37, 70, {8, 8}, 32, 64},     {37, 70, {1, 1}, 37, 70},
        {37, 70, {16, 24}, 32, 48}, {0, 0, {32, 32}, 0, 0},       {31, 31, {32, 32}, 0, 0},
        {-5, -40, {8, 8}, 0, 0},    {250, 300, {32, 32}, 96, 96}, {250, 300, {1, 1}, 99, 99},
        {99, 99, {64, 64}, 64, 64},
    };
    for (const PositionCase& c : cases) {
        const TSelectionBox box = AnchorSelection(c.x, c.y, c.step, 100, 100);
        EXPECT_EQ(box, (TSelectionBox{c.left, c.top, 0, 0}))
            << "click " << c.x << "," << c.y << " step " << c.step.X << "x" << c.step.Y;
    }
}

TEST(Selection, SizeCoversWholeStepsUpToThePointer) {
    struct Case {
        const char* what;
        int32_t left, top, x, y;
        TSnapStep step;
        int32_t docWidth, docHeight, width, height;
    };
    const Case cases[] = {
        {"first step at the click", 32, 64, 37, 70, {32, 32}, 100, 100, 32, 32},
        {"first step cut at the bottom", 32, 64, 37, 70, {32, 32}, 100, 80, 32, 16},
        {"one-pixel steps", 32, 64, 40, 70, {1, 1}, 100, 100, 9, 7},
        {"above the anchor: one step", 32, 64, 40, 50, {1, 1}, 100, 100, 1, 1},
        {"left of the anchor: one step", 32, 64, 20, 90, {1, 1}, 100, 100, 1, 1},
        {"left of and above", 32, 64, 0, 0, {8, 8}, 100, 100, 8, 8},
        {"behind, cut at the edge", 96, 96, 0, 0, {32, 32}, 100, 100, 4, 4},
        {"eight-pixel steps", 0, 0, 8, 3, {8, 8}, 100, 100, 16, 8},
        {"last pixel of a step", 0, 0, 7, 15, {8, 8}, 100, 100, 8, 16},
        {"uneven steps", 0, 0, 20, 20, {16, 24}, 100, 100, 32, 24},
        {"to the right edge", 64, 0, 99, 0, {32, 32}, 100, 100, 36, 32},
        {"anchored in the last step", 96, 0, 99, 0, {32, 32}, 100, 100, 4, 32},
        {"pointer past the edges", 32, 32, 500, 600, {1, 1}, 100, 100, 68, 68},
        {"pointer at the largest position", 0, 0, INT32_MAX, INT32_MAX, {64, 64}, 100, 50, 100, 50},
    };
    for (const Case& c : cases) {
        const TSelectionBox box = SizeSelection(TSelectionBox{c.left, c.top, 0, 0}, c.x, c.y,
                                                c.step, c.docWidth, c.docHeight);
        EXPECT_EQ(box, (TSelectionBox{c.left, c.top, c.width, c.height})) << c.what;
    }
}

TEST(Selection, MovedBlockSnapsAndNeverGoesNegative) {
    const PositionCase cases[] = {
        {37, 70, {32, 32}, 32, 64},   {37, 70, {1, 1}, 37, 70}, {15, 17, {8, 8}, 8, 16},
        {-1, -1, {1, 1}, 0, 0},       {-9, 5, {8, 8}, 0, 0},    {5, -40, {32, 32}, 0, 0},
        {500, 300, {8, 8}, 496, 296},
    };
    for (const PositionCase& c : cases) {
        const TSelectionBox moved = MoveBlock(TSelectionBox{3, 4, 10, 20}, c.x, c.y, c.step);
        EXPECT_EQ(moved, (TSelectionBox{c.left, c.top, 10, 20})) << "pointer " << c.x << "," << c.y;
    }
}

TEST(Selection, LiftCopiesTheBlockAndLeavesTheDocument) {
    TDIB doc = Numbered(16, 16, 0);
    const TDIB before = Numbered(16, 16, 0);
    TDIB work = Numbered(3, 3, 77); // an earlier block of another size
    LiftBlock(work, doc, TSelectionBox{2, 3, 4, 5});
    ASSERT_EQ(work.Width(), 4);
    ASSERT_EQ(work.Height(), 5);
    EXPECT_EQ(work.BitCount(), 8);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 4; ++x)
            ASSERT_EQ(work.GetPixel(x, y), doc.GetPixel(2 + x, 3 + y)) << x << "," << y;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            ASSERT_EQ(doc.GetPixel(x, y), before.GetPixel(x, y)) << x << "," << y;
}

// Each placement is checked pixel by pixel against the rule: a document pixel takes the block's
// pixel when the block covers it, and keeps its own otherwise.
TEST(Selection, PlacingWritesOnlyWhatFallsInsideTheDocument) {
    struct Case {
        const char* what;
        int32_t left, top;
        TRect part;
    };
    const Case cases[] = {
        {"inside", 10, 1, {10, 1, 14, 6}},
        {"at the origin", 0, 0, {0, 0, 4, 5}},
        {"over the right edge", 14, 2, {14, 2, 16, 7}},
        {"over the bottom right corner", 13, 13, {13, 13, 16, 16}},
        {"just past the right edge", 16, 0, {16, 0, 16, 5}},
        {"just below", 0, 16, {0, 16, 4, 16}},
        {"far away", 1000, 2000, {16, 16, 16, 16}},
        {"at the largest position", INT32_MAX, INT32_MAX, {16, 16, 16, 16}},
        {"over the left and top edges", -2, -3, {0, 0, 2, 2}},
        {"wholly left", -4, 0, {0, 0, 0, 5}},
    };
    TDIB work = Numbered(4, 5, 200);
    work.SetPixel(1, 1, 0); // the transparent index of most pictures is written like any other
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDIB doc;
        doc.Resize(16, 16, 8);
        for (int32_t y = 0; y < 16; ++y)
            std::fill_n(doc.RowForWrite(y), 16, uint8_t(9));
        const TRect part = PlacedPart(doc, work, c.left, c.top);
        EXPECT_EQ(part, c.part);
        PlaceBlock(doc, part, work, c.left, c.top);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 16; ++x) {
                const int64_t bx = int64_t(x) - c.left, by = int64_t(y) - c.top;
                const bool covered = bx >= 0 && bx < 4 && by >= 0 && by < 5;
                const uint32_t expected =
                    covered ? work.GetPixel(int32_t(bx), int32_t(by)) : uint32_t(9);
                ASSERT_EQ(doc.GetPixel(x, y), expected) << x << "," << y;
            }
    }
}
