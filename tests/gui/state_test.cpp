// The rules of the editor state and putting it back to start-up.
#include "editor/undo.h"
#include "editor_fixture.h"
#include "image/DIB.h"

#include <functional>

TEST_F(EditorTest, EditorStateViolationNamesTheBrokenRule) {
    const auto open = [this] { NewDocument("40", "30"); };
    const auto openAndClose = [this] {
        NewDocument("40", "30");
        mainform->CloseDocument();
    };
    struct Case {
        const char* name;
        std::function<void()> arrange;
        // A part of the expected report; empty when every rule holds.
        std::string expected;
    };
    const Case cases[] = {
        {"start-up", [] {}, ""},
        {"document open", open, ""},
        {"document closed again", openAndClose, ""},
        {"full history with every step undone",
         [&] {
             open();
             UndoCount = RedoCount = UndoCapacity - 1;
         },
         ""},
        {"selecting and floating", [] { Selecting = Floating = true; }, "Selecting and Floating"},
        {"stale width",
         [&] {
             open();
             DocWidth = 41;
         },
         "DocWidth x DocHeight 41 x 30 but the document is 40 x 30"},
        {"stale height",
         [&] {
             open();
             DocHeight = 29;
         },
         "DocWidth x DocHeight 40 x 29"},
        {"more to redo than to undo",
         [&] {
             open();
             UndoCount = 2;
             RedoCount = 3;
         },
         "undo counts out of order"},
        {"a step in slot 0",
         [&] {
             open();
             UndoCount = UndoCapacity;
         },
         "undo counts out of order"},
        {"an open document without a history",
         [&] {
             open();
             FreeUndo(UndoCapacity);
         },
         "undo counts out of order: UndoCapacity 0"},
        {"a history left after close",
         [&] {
             openAndClose();
             InitUndo(50);
         },
         "no document open but the undo history is not released: UndoCapacity 50"},
        {"steps counted without a document", [] { UndoCount = 1; }, "not released"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetEditorState();
        c.arrange();
        const std::string violation = EditorStateViolation();
        if (c.expected.empty())
            EXPECT_EQ(violation, "");
        else
            EXPECT_NE(violation.find(c.expected), std::string::npos) << violation;
    }
    ResetEditorState();
}

TEST_F(EditorTest, ResetPutsTheUndoHistoryBack) {
    NewDocument("40", "30");
    ASSERT_EQ(UndoCapacity, 50u);
    UndoCount = 3;
    RedoCount = 1;
    ResetEditorState();
    EXPECT_EQ(UndoCapacity, 0u);
    EXPECT_EQ(UndoCount, 0u);
    EXPECT_EQ(RedoCount, 0u);
}
