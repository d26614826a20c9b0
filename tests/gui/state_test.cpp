// The rules of the editor state and putting it back to start-up.
#include "editor_fixture.h"
#include "image/DIB.h"

#include <functional>

TEST_F(EditorTest, ViolationNamesTheBrokenRule) {
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
             for (uint32_t i = 0; i < Doc().History.UndoCapacity(); ++i)
                 RecordedEdit({0, 0, 1, 1}, [i](TDIB& image) { image.SetPixel(0, 0, i); });
             while (Editor().CanUndo())
                 Editor().Undo();
         },
         ""},
        {"edit area past the right edge",
         [&] {
             open();
             Editor().SetViewOrigin(kEditArea, 40, 0);
         },
         "the edit area begins outside the document at 40, 0"},
        {"layer area above the top",
         [&] {
             open();
             Editor().SetViewOrigin(kLayerArea, 0, -1);
         },
         "the layer area begins outside the document at 0, -1"},
        {"origins anywhere without a document", [] { Editor().SetViewOrigin(kEditArea, 500, 500); },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Editor().Reset();
        c.arrange();
        const std::string violation = Editor().Violation();
        if (c.expected.empty())
            EXPECT_EQ(violation, "");
        else
            EXPECT_NE(violation.find(c.expected), std::string::npos) << violation;
    }
    Editor().Reset();
}

TEST_F(EditorTest, ResetPutsTheUndoHistoryBack) {
    NewDocument("40", "30");
    ASSERT_EQ(Doc().History.UndoCapacity(), 50u);
    for (int i = 0; i < 3; ++i)
        RecordedEdit({0, 0, 1, 1}, [i](TDIB& image) { image.SetPixel(0, 0, i + 1); });
    Editor().Undo();
    ASSERT_EQ(Doc().History.RedoCount(), 1u);
    Editor().Reset();
    EXPECT_EQ(Doc().History.UndoCapacity(), 0u);
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_EQ(Doc().History.RedoCount(), 0u);
}
