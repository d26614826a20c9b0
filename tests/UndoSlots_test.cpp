#include "image/UndoSlots.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// A one-row document of width pixels, all 0, with a grey palette.
TDIB Row(int32_t width) {
    TDIB doc;
    doc.Resize(width, 1, 8);
    for (int32_t x = 0; x < width; ++x)
        doc.SetPixel(x, 0, 0);
    doc.PaletteBlock = GreyRampPalette();
    doc.ApplyPalette();
    return doc;
}

TRect Pixel(int32_t x) {
    return TRect{x, 0, x + 1, 1};
}

std::vector<uint8_t> Pixels(const TDIB& image) {
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < image.Height(); ++y)
        out.insert(out.end(), image.RowForRead(y), image.RowForRead(y) + image.Width());
    return out;
}

// A slot written as "left:value" for a one-pixel step.
std::string Describe(const TUndoSlot& slot) {
    if (slot.Image.IsEmpty()) return "-";
    return std::to_string(slot.Rect.Left) + ":" + std::to_string(slot.Image.GetPixel(0, 0));
}

struct THistory {
    TUndoSlots slots = TUndoSlots(50);
    uint32_t undoCount = 0, redoCount = 0;
    TDIB doc = Row(4);

    // Records a step on pixel x, then makes the change.
    void Draw(int32_t x, uint8_t value) {
        RecordStep(slots, undoCount, redoCount, doc, Pixel(x), false);
        doc.SetPixel(x, 0, value);
    }
    bool Undo() { return UndoStep(slots, undoCount, redoCount, doc) != nullptr; }
    bool Redo() { return RedoStep(slots, undoCount, redoCount, doc) != nullptr; }
};
} // namespace

// Three steps A, B, C, two undos, a redo and a new step D, slot by slot.
TEST(UndoSlots, WorkedExampleSlotBySlot) {
    struct TStep {
        const char* action;
        std::vector<std::string> slots; // slots 0, 1, 2, 3
        uint32_t undoCount, redoCount;
        std::vector<uint8_t> doc;
    };
    const std::vector<TStep> steps = {
        {"A", {"-", "0:0", "-", "-"}, 1, 0, {10, 0, 0, 0}},
        {"B", {"-", "1:0", "0:0", "-"}, 2, 0, {10, 11, 0, 0}},
        {"C", {"-", "2:0", "1:0", "0:0"}, 3, 0, {10, 11, 12, 0}},
        {"undo", {"2:12", "2:0", "1:0", "0:0"}, 3, 1, {10, 11, 0, 0}},
        {"undo", {"2:12", "1:11", "1:0", "0:0"}, 3, 2, {10, 0, 0, 0}},
        {"redo", {"2:12", "1:11", "1:0", "0:0"}, 3, 1, {10, 11, 0, 0}},
        {"D", {"-", "3:0", "1:0", "0:0"}, 3, 0, {10, 11, 0, 13}},
    };
    THistory h;
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.action);
        const std::string action = step.action;
        if (action == "undo") {
            ASSERT_TRUE(h.Undo());
        } else if (action == "redo") {
            ASSERT_TRUE(h.Redo());
        } else {
            h.Draw(action[0] == 'D' ? 3 : action[0] - 'A', uint8_t(10 + (action[0] - 'A')));
        }
        for (size_t i = 0; i < step.slots.size(); ++i)
            if (step.slots[i] != "-") {
                EXPECT_EQ(Describe(h.slots[i]), step.slots[i]) << "slot " << i;
            }
        EXPECT_EQ(h.undoCount, step.undoCount);
        EXPECT_EQ(h.redoCount, step.redoCount);
        EXPECT_EQ(Pixels(h.doc), step.doc);
    }
    // C is gone: undoing all three and redoing all three passes through D, B and A only.
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(h.Undo());
    EXPECT_FALSE(h.Undo());
    EXPECT_EQ(Pixels(h.doc), (std::vector<uint8_t>{0, 0, 0, 0}));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(h.Redo());
    EXPECT_FALSE(h.Redo());
    EXPECT_EQ(Pixels(h.doc), (std::vector<uint8_t>{10, 11, 0, 13}));
}

// 49 steps fill the history; a 50th drops the oldest.
TEST(UndoSlots, FiftiethStepDropsTheOldest) {
    THistory h;
    for (int step = 1; step <= 50; ++step) {
        h.Draw(0, uint8_t(step));
        EXPECT_EQ(h.undoCount, std::min(step, 49));
    }
    EXPECT_EQ(Describe(h.slots[1]), "0:49");
    EXPECT_EQ(Describe(h.slots[49]), "0:1") << "the step from before the first change is gone";
    int undone = 0;
    while (h.Undo())
        ++undone;
    EXPECT_EQ(undone, 49);
    EXPECT_EQ(h.doc.GetPixel(0, 0), 1u);
    while (h.Redo()) {
    }
    EXPECT_EQ(h.doc.GetPixel(0, 0), 50u);
}

TEST(UndoSlots, NothingToUndoOrRedoChangesNothing) {
    THistory h;
    EXPECT_FALSE(h.Undo());
    EXPECT_FALSE(h.Redo());
    h.Draw(2, 7);
    EXPECT_FALSE(h.Redo());
    ASSERT_TRUE(h.Undo());
    EXPECT_FALSE(h.Undo());
    EXPECT_EQ(h.redoCount, 1u);
    EXPECT_EQ(Pixels(h.doc), (std::vector<uint8_t>{0, 0, 0, 0}));
    // Without slots nothing is recorded at all.
    TUndoSlots none;
    uint32_t undoCount = 0, redoCount = 0;
    RecordStep(none, undoCount, redoCount, h.doc, Pixel(0), false);
    EXPECT_EQ(undoCount, 0u);
}

// A multi-row rectangle goes back exactly, and undo then redo returns to the state before the
// undo; the document's palette is never touched, the slot keeps the palette of its moment.
TEST(UndoSlots, UndoRedoRoundTripOfARectangle) {
    TUndoSlots slots(50);
    uint32_t undoCount = 0, redoCount = 0;
    TDIB doc;
    doc.Resize(7, 5, 8);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            doc.SetPixel(x, y, uint32_t(y * 7 + x));
    doc.PaletteBlock = GreyRampPalette();
    doc.ApplyPalette();
    const std::vector<uint8_t> before = Pixels(doc);
    const TRect rect{2, 1, 6, 4};
    RecordStep(slots, undoCount, redoCount, doc, rect, false);
    for (int32_t y = rect.Top; y < rect.Bottom; ++y)
        for (int32_t x = rect.Left; x < rect.Right; ++x)
            doc.SetPixel(x, y, 200);
    const std::vector<uint8_t> after = Pixels(doc);
    TPalette other = GreyRampPalette();
    other[5] = TPaletteEntry{1, 2, 3, 0};
    doc.PaletteBlock = other;
    doc.ApplyPalette();

    const TUndoSlot* step = UndoStep(slots, undoCount, redoCount, doc);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->Rect, rect);
    EXPECT_FALSE(step->PaletteFlag);
    EXPECT_EQ(step->Image.PaletteBlock, GreyRampPalette());
    EXPECT_EQ(Pixels(doc), before);
    EXPECT_EQ(doc.PaletteBlock, other);
    EXPECT_EQ(slots[0].Image.PaletteBlock, other) << "the present keeps the palette of now";
    ASSERT_NE(RedoStep(slots, undoCount, redoCount, doc), nullptr);
    EXPECT_EQ(Pixels(doc), after);
    ASSERT_NE(UndoStep(slots, undoCount, redoCount, doc), nullptr);
    EXPECT_EQ(Pixels(doc), before);
}

// A rectangle reaching past the document records only its inside part.
TEST(UndoSlots, RectangleIsCutToTheDocument) {
    THistory h;
    RecordStep(h.slots, h.undoCount, h.redoCount, h.doc, TRect{-3, -1, 9, 2}, false);
    EXPECT_EQ(h.slots[1].Rect, (TRect{0, 0, 4, 1}));
    for (int32_t x = 0; x < 4; ++x)
        h.doc.SetPixel(x, 0, 9);
    ASSERT_TRUE(h.Undo());
    EXPECT_EQ(Pixels(h.doc), (std::vector<uint8_t>{0, 0, 0, 0}));
}

// Moving steps between slots shares their pixels: shifting the history copies none, and a slot
// written afterwards gets storage of its own without disturbing the step it shared with.
TEST(UndoSlots, MovingStepsSharesPixelStorage) {
    THistory h;
    h.Draw(0, 1);
    h.Draw(1, 2);
    h.Draw(2, 3);
    const TDIB first = h.slots[1].Image; // the snapshot of step 3
    const TDIB third = h.slots[3].Image; // the snapshot of step 1
    h.Draw(3, 4);
    EXPECT_TRUE(h.slots[2].Image.SharesStorageWith(first));
    EXPECT_TRUE(h.slots[4].Image.SharesStorageWith(third));
    EXPECT_FALSE(h.slots[1].Image.SharesStorageWith(first));
    EXPECT_EQ(Describe(h.slots[2]), "2:0");

    // Dropping redo steps moves the rest down, again without copying.
    ASSERT_TRUE(h.Undo());
    ASSERT_TRUE(h.Undo());
    const TDIB oldest = h.slots[4].Image;
    h.Draw(0, 5);
    EXPECT_EQ(h.undoCount, 3u);
    EXPECT_TRUE(h.slots[3].Image.SharesStorageWith(oldest));
    EXPECT_EQ(Describe(h.slots[2]), "1:0");
    EXPECT_EQ(Describe(h.slots[3]), "0:0");
}

TEST(UndoSlots, MoveSlotsHandlesBothDirections) {
    struct TCase {
        uint32_t from, to, count;
        std::vector<int32_t> lefts; // Rect.Left of slots 0..5 afterwards
    };
    const std::vector<TCase> cases = {
        {1, 2, 3, {0, 1, 1, 2, 3, 5}}, {2, 1, 3, {0, 2, 3, 4, 4, 5}}, {0, 3, 3, {0, 1, 2, 0, 1, 2}},
        {3, 3, 2, {0, 1, 2, 3, 4, 5}}, {1, 4, 0, {0, 1, 2, 3, 4, 5}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << " x" << c.count);
        TUndoSlots slots(6);
        for (int32_t i = 0; i < 6; ++i) {
            slots[i].Rect = TRect{i, 0, i + 1, 1};
            slots[i].PaletteFlag = i % 2 == 1;
        }
        MoveSlots(slots, c.from, c.to, c.count);
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(slots[i].Rect.Left, c.lefts[i]) << "slot " << i;
            EXPECT_EQ(slots[i].PaletteFlag, c.lefts[i] % 2 == 1) << "slot " << i;
        }
    }
}

TEST(UndoSlots, MergingOfShiftAndPaletteRuns) {
    struct TPush {
        bool shift, palette, recorded;
        TRect rect = TRect{0, 0, 8, 8};
    };
    struct TCase {
        const char* name;
        std::vector<TPush> pushes;
    };
    const std::vector<TCase> cases = {
        {"shifts in a row", {{true, false, true}, {true, false, false}, {true, false, false}}},
        {"pen between shifts", {{true, false, true}, {false, false, true}, {true, false, true}}},
        {"palette presses in a row",
         {{false, true, true}, {false, true, false}, {false, true, false}}},
        {"pen between presses", {{false, true, true}, {false, false, true}, {false, true, true}}},
        {"shift between presses", {{false, true, true}, {true, false, true}, {false, true, true}}},
        {"press between shifts", {{true, false, true}, {false, true, true}, {true, false, true}}},
        {"pens never merge", {{false, false, true}, {false, false, true}}},
        {"shifts of a moved area",
         {{true, false, true},
          {true, false, true, TRect{8, 0, 16, 8}},
          {true, false, false, TRect{8, 0, 16, 8}}}},
        {"shifts of a resized area",
         {{true, false, true}, {true, false, true, TRect{0, 0, 8, 16}}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TPushMerge merge;
        for (size_t i = 0; i < c.pushes.size(); ++i)
            EXPECT_EQ(merge.Admit(c.pushes[i].shift     ? TStepRun::Shift
                                  : c.pushes[i].palette ? TStepRun::PaletteBar
                                                        : TStepRun::None,
                                  c.pushes[i].rect),
                      c.pushes[i].recorded)
                << "push " << i;
    }
}

// A whole step keeps the picture by sharing its storage, and undo and redo swap the document's
// picture for it, size and all, among steps of rectangles before and after it.
TEST(UndoSlots, WholeStepsSwapThePictureWithItsSize) {
    THistory h;
    h.Draw(1, 5);
    const TDIB before = h.doc;
    RecordStep(h.slots, h.undoCount, h.redoCount, h.doc, TRect{}, false, true);
    EXPECT_TRUE(h.slots[1].WholeFlag);
    EXPECT_EQ(h.slots[1].Rect, (TRect{0, 0, 4, 1}));
    EXPECT_TRUE(h.slots[1].Image.SharesStorageWith(before)) << "nothing is copied";
    TDIB taller;
    taller.Resize(2, 3, 8);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 2; ++x)
            taller.SetPixel(x, y, uint32_t(20 + 2 * y + x));
    taller.PaletteBlock = GreyRampPalette();
    taller.ApplyPalette();
    h.doc = taller;
    // A rectangle step of the new size after it.
    RecordStep(h.slots, h.undoCount, h.redoCount, h.doc, TRect{1, 2, 2, 3}, false);
    h.doc.SetPixel(1, 2, 9);
    const std::vector<uint8_t> after = Pixels(h.doc);

    ASSERT_TRUE(h.Undo());
    EXPECT_EQ(Pixels(h.doc), Pixels(taller));
    ASSERT_TRUE(h.Undo());
    EXPECT_EQ(h.doc.Width(), 4);
    EXPECT_EQ(h.doc.Height(), 1);
    EXPECT_EQ(Pixels(h.doc), (std::vector<uint8_t>{0, 5, 0, 0}));
    EXPECT_TRUE(h.slots[1].WholeFlag) << "the present, kept for redo, is a whole step too";
    EXPECT_EQ(h.slots[1].Rect, (TRect{0, 0, 2, 3}));
    ASSERT_TRUE(h.Undo());
    EXPECT_EQ(Pixels(h.doc), (std::vector<uint8_t>{0, 0, 0, 0}));
    while (h.Redo()) {
    }
    EXPECT_EQ(h.doc.Width(), 2);
    EXPECT_EQ(Pixels(h.doc), after);
    EXPECT_EQ(h.doc.PaletteBlock, GreyRampPalette());
}
