// The press in progress across the windows: whatever comes between a press and its release (a
// dialog, Close, New, Open, Save As, focus loss, a release that went elsewhere) ends it, and
// Undo and Redo wait for it.
#include "editor/lupe.h"
#include "editor_fixture.h"
#include "palette/palettewindow.h"

#include <QAction>
#include <QMouseEvent>
#include <QToolButton>
#include <qpa/qwindowsysteminterface.h>

namespace {
// The magnifier's pointer at the centre of cell (cx, cy), in its device pixels.
QPoint Cell(int32_t cx, int32_t cy) {
    const int32_t c = LupeForm->CellPixels();
    return QPoint(cx * c + c / 2, cy * c + c / 2);
}

// What a press could still change after its release was lost.
struct TEditorShot {
    std::vector<uint8_t> pixels;
    TPalette palette;
    bool saved;
    int32_t drawIndex, transparentIndex, editLeft, editTop, layerLeft, layerTop;
    uint32_t undoCount;

    static TEditorShot Take() {
        return TEditorShot{DocPixels(),
                           Doc().DocImage()->PaletteBlock,
                           Doc().Saved(),
                           Editor().DrawIndex(),
                           Doc().TransparentIndex(),
                           Editor().ViewLeft(kEditArea),
                           Editor().ViewTop(kEditArea),
                           Editor().ViewLeft(kLayerArea),
                           Editor().ViewTop(kLayerArea),
                           Doc().History.UndoCount()};
    }
    bool operator==(const TEditorShot&) const = default;
};

struct TPressKind {
    const char* name;
    std::function<void()> press, move;
};

// Each press begins at one place and, while held, would change something at another.
const std::vector<TPressKind>& PressKinds() {
    static const std::vector<TPressKind> kinds = {
        {"pen",
         [] {
             const QPoint p = Cell(1, 1);
             LupeForm->LupeBox2MouseDown(TMouseButton::Left, p.x(), p.y());
         },
         [] {
             const QPoint p = Cell(9, 6);
             LupeForm->LupeBox2MouseMove(p.x(), p.y());
         }},
        {"colour pick",
         [] {
             const QPoint p = Cell(0, 0);
             LupeForm->LupeBox2MouseDown(TMouseButton::Right, p.x(), p.y());
         },
         [] {
             const QPoint p = Cell(9, 6);
             LupeForm->LupeBox2MouseMove(p.x(), p.y());
         }},
        {"edit area frame", [] { mainform->PaintBox2MouseDown(TMouseButton::Left, false, 0, 0); },
         [] { mainform->PaintBox2MouseMove(12 * mainform->ZoomPixels(), 9); }},
        {"layer frame", [] { mainform->PaintBox2MouseDown(TMouseButton::Right, false, 0, 0); },
         [] { mainform->PaintBox2MouseMove(12 * mainform->ZoomPixels(), 9); }},
        {"swatch", [] { palletform->palletImageMouseDown(TMouseButton::Left, 1, 1); },
         [] { palletform->palletImageMouseMove(100, 100); }},
        {"bar", [] { palletform->RBarMouseDown(palletform->RBar, 10); },
         [] { palletform->RBarMouseMove(palletform->RBar, 150); }},
    };
    return kinds;
}

class PressTest : public EditorTest {
protected:
    // A fresh 16 x 16 document of index 3 with grey pixels at (9, 6), saved, 1-dot snap.
    void FreshDocument() {
        Doc().SetSaved(true);
        NewDocument("16", "16");
        mainform->bt1Dot->click();
        for (int32_t y = 0; y < 16; ++y)
            std::fill_n(Doc().DocImage()->RowForWrite(y), 16, uint8_t(3));
        Doc().DocImage()->SetPixel(9, 6, 77);
        Editor().SetViewOrigin(kEditArea, 0, 0);
        mainform->UpdateDocView();
        LupeForm->UpdateLupe();
        Doc().SetSaved(true);
    }
};
} // namespace

TEST_F(PressTest, WhatComesBetweenAPressAndItsReleaseEndsThePress) {
    struct TInterruption {
        const char* name;
        std::function<void(TScriptedDialogs&)> run;
    };
    const TInterruption interruptions[] = {
        {"Close answered No, then New",
         [](TScriptedDialogs& d) {
             d.Answers.push_back(TPromptAnswer::No);
             mainform->acClose->trigger();
             if (!Doc().DocImage()) mainform->CreateDocument(16, 16);
         }},
        {"Open cancelled, then New",
         [](TScriptedDialogs& d) {
             d.Answers.push_back(TPromptAnswer::No);
             d.OpenNames.push_back(QString());
             mainform->asOpen->trigger();
             mainform->CreateDocument(16, 16);
         }},
        {"Save As cancelled",
         [](TScriptedDialogs& d) {
             d.SaveNames.push_back(QString());
             mainform->acSaveAs->trigger();
         }},
        {"a warning", [](TScriptedDialogs&) { Dialogs().Warning("!"); }},
        {"the application losing focus",
         [](TScriptedDialogs&) {
             for (const Qt::ApplicationState state :
                  {Qt::ApplicationActive, Qt::ApplicationInactive, Qt::ApplicationActive})
                 QWindowSystemInterface::handleApplicationStateChanged<
                     QWindowSystemInterface::SynchronousDelivery>(state);
         }},
    };
    for (const TPressKind& kind : PressKinds())
        for (const TInterruption& interruption : interruptions) {
            SCOPED_TRACE(std::string(kind.name) + " / " + interruption.name);
            FreshDocument();
            kind.press();
            ASSERT_TRUE(Editor().PressInProgress());
            // Close and Open ask only about unsaved work; the pen and the bar made some.
            if (Doc().Saved()) dialogs->Answers.clear();
            interruption.run(*dialogs);
            dialogs->Answers.clear();
            EXPECT_FALSE(Editor().PressInProgress());
            ASSERT_TRUE(Doc().DocImage());
            // The user moves on with no button held: the release went to the dialog.
            const TEditorShot before = TEditorShot::Take();
            kind.move();
            EXPECT_TRUE(TEditorShot::Take() == before);
            EXPECT_FALSE(Editor().PressInProgress());
        }
}

TEST_F(PressTest, MovesAfterCloseFindNoDocumentAndDoNothing) {
    // Under the sanitizers a move that reads the closed document fails here.
    for (const TPressKind& kind : PressKinds()) {
        SCOPED_TRACE(kind.name);
        FreshDocument();
        kind.press();
        // Ending the bar's press marks the document, so Close asks; the others close at once.
        Doc().SetSaved(true);
        dialogs->Answers.push_back(TPromptAnswer::No);
        mainform->CloseDocument();
        dialogs->Answers.clear();
        EXPECT_FALSE(Editor().PressInProgress());
        kind.move();
        EXPECT_FALSE(Doc().DocImage());
    }
}

TEST_F(PressTest, UndoAndRedoWaitForTheStrokeToEnd) {
    FreshDocument();
    const std::vector<uint8_t> blank = DocPixels();
    QPoint p = Cell(0, 0);
    LupeForm->LupeBox2MouseDown(TMouseButton::Left, p.x(), p.y());
    p = Cell(4, 0);
    LupeForm->LupeBox2MouseMove(p.x(), p.y());
    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    EXPECT_EQ(Doc().History.RedoCount(), 0u);
    p = Cell(4, 4);
    LupeForm->LupeBox2MouseMove(p.x(), p.y());
    LupeForm->LupeBox2MouseUp();
    const std::vector<uint8_t> stroke = DocPixels();
    EXPECT_EQ(Doc().DocImage()->GetPixel(4, 4), uint32_t(Editor().DrawIndex()));

    // The whole stroke is one step, undone and redone whole; Redo waits for a colour pick too.
    mainform->acUndo->trigger();
    EXPECT_EQ(DocPixels(), blank);
    p = Cell(9, 6);
    LupeForm->LupeBox2MouseDown(TMouseButton::Right, p.x(), p.y());
    mainform->acRedo->trigger();
    EXPECT_EQ(DocPixels(), blank);
    LupeForm->LupeBox2MouseUp();
    mainform->acRedo->trigger();
    EXPECT_EQ(DocPixels(), stroke);
}

TEST_F(PressTest, AMoveWithNoButtonHeldEndsAPressWhoseReleaseWentElsewhere) {
    FreshDocument();
    LupeForm->show();
    QPoint p = Cell(1, 1);
    LupeForm->LupeBox2MouseDown(TMouseButton::Left, p.x(), p.y());
    const std::vector<uint8_t> pressed = DocPixels();
    // As the window system reports it: a move, and no button down any more.
    p = Cell(9, 6);
    QMouseEvent move(QEvent::MouseMove, QPointF(p) / LupeForm->LupeBox2->devicePixelRatioF(),
                     QPointF(), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(LupeForm->LupeBox2, &move);
    EXPECT_FALSE(Editor().PressInProgress());
    EXPECT_EQ(DocPixels(), pressed);
}

TEST_F(PressTest, APressBeginningWhileAnotherIsFollowedEndsTheFirst) {
    FreshDocument();
    // The layer frame is held with the right button when the left one goes down elsewhere: the
    // edit area follows the new press, and the layer stays where the first one left it.
    mainform->PaintBox2MouseDown(TMouseButton::Right, false, 3 * mainform->ZoomPixels(), 0);
    mainform->PaintBox2MouseDown(TMouseButton::Left, false, 9 * mainform->ZoomPixels(), 0);
    mainform->PaintBox2MouseMove(11 * mainform->ZoomPixels(), 0);
    EXPECT_EQ(Editor().ViewLeft(kLayerArea), 3);
    EXPECT_EQ(Editor().ViewLeft(kEditArea), 11);
    mainform->PaintBox2MouseUp();
    EXPECT_FALSE(Editor().PressInProgress());
}
