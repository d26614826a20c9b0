// The error funnel: exceptions end in an error box, and in test builds a handler that leaves the
// editor state broken stops the program loudly.
#include "base/Exceptions.h"
#include "editor_fixture.h"
#include "ui/errors.h"

#include <QAction>

TEST_F(EditorTest, RunGuardedShowsTheErrorAndCarriesOn) {
    RunGuarded([] { throw EInvalidGraphic("不正な DIB です"); });
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0], QString("不正な DIB です"));
}

TEST_F(EditorTest, AHandlerThatBreaksTheEditorStateAborts) {
    // The child re-runs this test alone instead of forking a process that already runs Qt.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* name;
        std::function<void()> run;
    };
    const auto breakSelection = [this] {
        NewDocument("40", "30");
        Editor().SetViewOrigin(kEditArea, 40, 0);
    };
    const Case cases[] = {
        {"a guarded handler", [&] { RunGuarded(breakSelection); }},
        {"a handler that throws after breaking the state",
         [&] {
             RunGuarded([&] {
                 breakSelection();
                 throw EInvalidGraphic("不正な DIB です");
             });
         }},
        {"a menu command",
         [&] {
             breakSelection();
             mainform->mnLayerView->trigger();
         }},
    };
    for (const Case& c : cases)
        EXPECT_DEATH(c.run(), "editor state broken after a handler") << c.name;
}
