#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/toolwindow.h"
#include "editor_fixture.h"
#include "image/DIB.h"
#include "lupe_shown.h"
#include "ui/session.h"

#include <QToolButton>
#include <qpa/qwindowsysteminterface.h>

namespace {
// The Undo and Redo buttons belong to the magnifier's tool bar; where it does not make them,
// stand-ins are put in their place so that the captions and states can be read.
void EnsureUndoButtons() {
    if (!LupeForm->btUndo) LupeForm->btUndo = new QToolButton(LupeForm);
    if (!LupeForm->btRedo) LupeForm->btRedo = new QToolButton(LupeForm);
    LupeForm->Changed({});
}

// The buttons as the user sees them: "Undo 3 on / Redo 0 off".
std::string Buttons() {
    auto show = [](QToolButton* button) {
        return button->text().toStdString() + (button->isEnabled() ? " on" : " off");
    };
    return show(LupeForm->btUndo) + " / " + show(LupeForm->btRedo);
}

// The document view must show exactly the document's pixels through the palette its storage
// holds, pixel by pixel at the zoom: rendered here from those two alone.
void ExpectViewShowsDocument() {
    const int z = mainform->ZoomFactor;
    const TDIB stored(*Doc().DocImage()); // a copy carries the storage's colour table
    EXPECT_EQ(stored.PaletteBlock, Doc().DocImage()->PaletteBlock) << "palette edit not applied";
    QImage expected(Doc().DocImage()->Width() * z, Doc().DocImage()->Height() * z,
                    QImage::Format_ARGB32);
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const TPaletteEntry e = stored.PaletteBlock[Doc().DocImage()->GetPixel(x / z, y / z)];
            expected.setPixel(x, y, qRgb(e.Red, e.Green, e.Blue));
        }
    EXPECT_EQ(StaleDocumentView(), "");
    EXPECT_EQ(PaintedDocument(), expected);
}

TPalette PaletteWith(uint8_t index, uint8_t red) {
    TPalette palette = GreyRampPalette();
    palette[index] = TPaletteEntry{0, 0, red, 0};
    return palette;
}

class UndoTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        NewDocument("16", "8");
        EnsureUndoButtons();
        // On screen as it is now, so that a change undo or redo fails to show stays visible.
        EXPECT_EQ(StaleDocumentView(), "");
    }
    // A pen step as the pen makes it: the edit area recorded, then one pixel drawn.
    void Pen(int32_t x, int32_t y, uint8_t index) {
        Doc().Edit(TStep{Editor().ViewRect(kEditArea)},
                   {.Pixels = true, .Rect = {x, y, x + 1, y + 1}},
                   [&](TDIB& image) { image.SetPixel(x, y, index); });
    }
    // The tool window's shift to the left.
    static void Shift() { toolform->ShiftButtonClick(TShiftDirection(3)); }
    // A press on a palette colour bar, standing in until the palette window exists.
    void PressBar(uint8_t index, uint8_t red) {
        TPalette palette = Doc().DocImage()->PaletteBlock;
        palette[index].Red = red;
        const ::TStep step{TRect{0, 0, 1, 1}, true, TStepRun::PaletteBar};
        Doc().EditPalette(&step, palette);
    }
};
} // namespace

// Three steps A, B, C, two undos, a redo, and D, as the user sees them.
TEST_F(UndoTest, WorkedExampleThroughTheButtons) {
    EXPECT_EQ(Buttons(), "Undo 0 off / Redo 0 off");
    struct TStep {
        char action; // A..D draw at pixel (action - 'A', 0), u undoes, r redoes
        std::string buttons;
        std::vector<uint8_t> firstRow;
    };
    const std::vector<TStep> steps = {
        {'A', "Undo 1 on / Redo 0 off", {1, 0, 0, 0}},
        {'B', "Undo 2 on / Redo 0 off", {1, 2, 0, 0}},
        {'C', "Undo 3 on / Redo 0 off", {1, 2, 3, 0}},
        {'u', "Undo 2 on / Redo 1 on", {1, 2, 0, 0}},
        {'u', "Undo 1 on / Redo 2 on", {1, 0, 0, 0}},
        {'r', "Undo 2 on / Redo 1 on", {1, 2, 0, 0}},
        {'D', "Undo 3 on / Redo 0 off", {1, 2, 0, 4}},
        {'u', "Undo 2 on / Redo 1 on", {1, 2, 0, 0}},
        {'u', "Undo 1 on / Redo 2 on", {1, 0, 0, 0}},
        {'u', "Undo 0 off / Redo 3 on", {0, 0, 0, 0}},
        {'u', "Undo 0 off / Redo 3 on", {0, 0, 0, 0}},
        {'r', "Undo 1 on / Redo 2 on", {1, 0, 0, 0}},
    };
    for (size_t i = 0; i < steps.size(); ++i) {
        const TStep& step = steps[i];
        SCOPED_TRACE(testing::Message() << "step " << i << " " << step.action);
        if (step.action == 'u')
            Editor().Undo();
        else if (step.action == 'r')
            Editor().Redo();
        else
            Pen(step.action - 'A', 0, uint8_t(step.action - 'A' + 1));
        EXPECT_EQ(Buttons(), step.buttons);
        EXPECT_EQ(std::vector<uint8_t>(Doc().DocImage()->RowForRead(0),
                                       Doc().DocImage()->RowForRead(0) + 4),
                  step.firstRow);
        if (step.action == 'u' || step.action == 'r') ExpectViewShowsDocument();
    }
}

TEST_F(UndoTest, HistoryKeepsFortyNineSteps) {
    for (int i = 1; i <= 49; ++i)
        Pen(0, 0, uint8_t(i));
    EXPECT_EQ(Buttons(), "Undo 49 on / Redo 0 off");
    Pen(0, 0, 50);
    EXPECT_EQ(Buttons(), "Undo 49 on / Redo 0 off");
    for (int i = 0; i < 50; ++i)
        Editor().Undo();
    EXPECT_EQ(Buttons(), "Undo 0 off / Redo 49 on");
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), 1u) << "only the first step is lost";
}

TEST_F(UndoTest, DrawingAfterUndoDropsTheRedoSteps) {
    for (int i = 1; i <= 5; ++i)
        Pen(i, 1, uint8_t(i));
    Editor().Undo();
    Editor().Undo();
    Pen(7, 7, 9);
    EXPECT_EQ(Buttons(), "Undo 4 on / Redo 0 off");
    EXPECT_EQ(Doc().History.UndoCount(), 4u);
    Editor().Redo();
    EXPECT_EQ(Doc().DocImage()->GetPixel(5, 1), 0u) << "a dropped step came back";
}

TEST_F(UndoTest, UndoThenRedoRestoresPixelsAndPaletteExactly) {
    for (int i = 0; i < 4; ++i)
        Pen(i, i, uint8_t(i + 1));
    PressBar(3, 200);
    Pen(9, 2, 3);
    const std::vector<uint8_t> now = DocPixels();
    const TPalette palette = Doc().DocImage()->PaletteBlock;
    for (int undos = 1; undos <= 6; ++undos) {
        SCOPED_TRACE(undos);
        for (int i = 0; i < undos; ++i)
            Editor().Undo();
        const std::vector<uint8_t> undone = DocPixels();
        const TPalette undonePalette = Doc().DocImage()->PaletteBlock;
        Editor().Redo();
        Editor().Undo();
        EXPECT_EQ(DocPixels(), undone);
        EXPECT_EQ(Doc().DocImage()->PaletteBlock, undonePalette);
        for (int i = 0; i < undos; ++i)
            Editor().Redo();
        EXPECT_EQ(DocPixels(), now);
        EXPECT_EQ(Doc().DocImage()->PaletteBlock, palette);
        ExpectViewShowsDocument();
    }
}

TEST_F(UndoTest, UndoRestoresWhereTheStepWasRecorded) {
    Doc().DocImage()->SetPixel(1, 1, 6);
    Pen(1, 1, 5);
    Editor().SetViewOrigin(kEditArea, 8, Editor().ViewTop(kEditArea));
    Editor().Undo();
    EXPECT_EQ(Doc().DocImage()->GetPixel(1, 1), 6u);
    Editor().Redo();
    EXPECT_EQ(Doc().DocImage()->GetPixel(1, 1), 5u);
    EXPECT_EQ(Editor().ViewLeft(kEditArea), 8) << "the edit area stays where the user put it";
}

TEST_F(UndoTest, RecordingClearsSavedAndUndoLeavesIt) {
    EXPECT_TRUE(Doc().Saved());
    Pen(0, 0, 1);
    EXPECT_FALSE(Doc().Saved());
    Doc().SetSaved(true);
    Editor().Undo();
    Editor().Redo();
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(UndoTest, ShiftRunsMakeOneStep) {
    for (int32_t x = 0; x < 16; ++x)
        Doc().DocImage()->SetPixel(x, 3, uint8_t(x));
    const std::vector<uint8_t> start = DocPixels();
    for (int i = 0; i < 5; ++i)
        Shift();
    EXPECT_EQ(Buttons(), "Undo 1 on / Redo 0 off");
    Editor().Undo();
    EXPECT_EQ(DocPixels(), start) << "not the state before the first shift";

    // A pen stroke between two shifts separates them.
    Pen(5, 5, 1);
    Shift();
    const std::vector<uint8_t> shiftedOnce = DocPixels();
    Pen(2, 2, 9);
    Shift();
    EXPECT_EQ(Buttons(), "Undo 4 on / Redo 0 off");
    Editor().Undo();
    Editor().Undo();
    EXPECT_EQ(DocPixels(), shiftedOnce);
}

// Undo, redo and a new document end a run of shifts: the next shift is a step of its own that
// undo takes back, and it drops the redo side like any other recorded change.
TEST_F(UndoTest, ShiftAfterUndoRedoOrNewDocumentIsAStepOfItsOwn) {
    const std::vector<uint8_t> start = DocPixels();
    Shift();
    Editor().Undo();
    Shift();
    EXPECT_EQ(Buttons(), "Undo 1 on / Redo 0 off");
    Editor().Undo();
    EXPECT_EQ(DocPixels(), start);

    Editor().Redo();
    const std::vector<uint8_t> redone = DocPixels();
    Shift();
    EXPECT_EQ(Buttons(), "Undo 2 on / Redo 0 off");
    Editor().Undo();
    EXPECT_EQ(DocPixels(), redone);

    Shift();
    Doc().SetSaved(true); // no prompt about the shifted document
    NewDocument("8", "8");
    Shift();
    EXPECT_EQ(Buttons(), "Undo 1 on / Redo 0 off");
}

TEST_F(UndoTest, PaletteBarRunsMakeOneStep) {
    const TPalette start = Doc().DocImage()->PaletteBlock;
    PressBar(3, 40);
    PressBar(3, 80);
    PressBar(4, 120);
    const TPalette pressed = Doc().DocImage()->PaletteBlock;
    EXPECT_EQ(Buttons(), "Undo 1 on / Redo 0 off");
    Editor().Undo();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, start);
    ExpectViewShowsDocument();
    Editor().Redo();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, pressed);
    ExpectViewShowsDocument();
}

// A palette change that records no step (the 15-bit cut) is not taken back by undoing a pen
// step: the palette shown, the palette kept and the palette saved stay the same.
TEST_F(UndoTest, PenStepLeavesThePaletteAsItIs) {
    Doc().DocImage()->SetPixel(2, 2, 7);
    Pen(2, 2, 9);
    const TPalette cut = PaletteWith(7, 0xF8);
    Doc().EditPalette(nullptr, cut);
    Editor().Undo();
    EXPECT_EQ(Doc().DocImage()->GetPixel(2, 2), 7u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, cut);
    ExpectViewShowsDocument();
    Editor().Redo();
    EXPECT_EQ(Doc().DocImage()->GetPixel(2, 2), 9u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, cut);
    ExpectViewShowsDocument();
}

TEST_F(UndoTest, ButtonsAreOffWhileSelectingOrFloating) {
    Pen(0, 0, 1);
    Pen(0, 0, 2);
    Editor().Undo();
    for (const bool floating : {false, true}) {
        if (floating)
            FloatBox(0, 0, 2, 2, 4, 4);
        else
            SelectBox(0, 0, 2, 2);
        EXPECT_EQ(Buttons(), "Undo 1 off / Redo 1 off");
        EXPECT_FALSE(Editor().CanUndo());
        EXPECT_FALSE(Editor().CanRedo());
        CancelSelection();
        EXPECT_EQ(Buttons(), "Undo 1 on / Redo 1 on");
    }
}

TEST_F(UndoTest, NewAndClosedDocumentsStartWithEmptyHistory) {
    Pen(0, 0, 1);
    Pen(0, 0, 2);
    Editor().Undo();
    dialogs->Answers.push_back(TPromptAnswer::No);
    NewDocument("8", "8");
    EXPECT_EQ(Buttons(), "Undo 0 off / Redo 0 off");
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_EQ(Doc().History.RedoCount(), 0u);
    Pen(0, 0, 1);
    dialogs->Answers.push_back(TPromptAnswer::No);
    ASSERT_TRUE(mainform->CloseDocument());
    EXPECT_EQ(Buttons(), "Undo 0 off / Redo 0 off");
    Editor().Undo();
    Editor().Redo();
    RecordedEdit({0, 0, 1, 1}, [](TDIB& image) { image.SetPixel(0, 0, 3); });
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_EQ(Editor().Violation(), "");
}

// The keys follow the buttons' rule: they act only where the button would be enabled.
TEST_F(UndoTest, KeysUndoAndRedo) {
    QApplication::setActiveWindow(mainform);
    struct TKey {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool selecting;
        uint32_t redoCount;
    };
    Pen(0, 0, 1);
    Pen(0, 0, 2);
    const std::vector<TKey> keys = {
        {Qt::Key_Z, Qt::ControlModifier, false, 1},
        {Qt::Key_Z, Qt::ControlModifier, false, 2},
        {Qt::Key_Z, Qt::ControlModifier, false, 2},
        {Qt::Key_Y, Qt::ControlModifier, false, 1},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, false, 0},
        {Qt::Key_Y, Qt::ControlModifier, false, 0},
        {Qt::Key_Z, Qt::ControlModifier, true, 0},
        {Qt::Key_Z, Qt::ControlModifier, false, 1},
        {Qt::Key_Y, Qt::ControlModifier, true, 1},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, true, 1},
    };
    for (size_t i = 0; i < keys.size(); ++i) {
        SCOPED_TRACE(i);
        if (keys[i].selecting)
            SelectBox(0, 0, 2, 2);
        else
            CancelSelection();
        PressWindowKey(LupeForm, keys[i].key, keys[i].modifiers);
        EXPECT_EQ(Doc().History.RedoCount(), keys[i].redoCount);
    }
    CancelSelection();
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), 1u);
}

// After undo and redo the magnifier shows the restored edit area: its composition holds the
// document's edit-area pixels (no layer) and its picture is what a full redraw gives.
TEST_F(UndoTest, MagnifierShowsTheRestoredEditArea) {
    if (LupeForm->LupeImage.IsEmpty())
        GTEST_SKIP() << "this build's magnifier does not compose the edit area";
    for (int i = 1; i <= 3; ++i)
        Pen(i, i, uint8_t(i + 4));
    for (const char action : std::string("uuru")) {
        SCOPED_TRACE(action);
        if (action == 'u')
            Editor().Undo();
        else
            Editor().Redo();
        ExpectMagnifierShowsEditArea();
        ExpectViewShowsDocument();
    }
}
