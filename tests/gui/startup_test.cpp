// Start-up: the editor state and the five windows as the editor begins, and quitting.
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor/toolwindow.h"
#include "editor_fixture.h"
#include "palette/palettewindow.h"
#include "window_system.h"

#include <QAction>
#include <QToolButton>

TEST_F(EditorTest, StartsWithEmptyEditorState) {
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().DocWidth(), 0);
    EXPECT_EQ(Doc().DocHeight(), 0);
    EXPECT_EQ(Editor().LupeCellsX(), 32);
    EXPECT_EQ(Editor().LupeCellsY(), 32);
    EXPECT_EQ(mainform->ZoomFactor, 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Editor().ViewLeft(i), 0);
        EXPECT_EQ(Editor().ViewTop(i), 0);
    }
    EXPECT_EQ(Editor().DrawIndex(), 0);
    EXPECT_EQ(Doc().TransparentIndex(), 0);
    EXPECT_EQ(Editor().CurrentTool(), TTool::Pen);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_FALSE(Editor().LayerActive());
    EXPECT_FALSE(Doc().Selecting());
    EXPECT_FALSE(Doc().Floating());
    EXPECT_TRUE(mainform->FileName().isEmpty());
    EXPECT_TRUE(Doc().WorkImage().IsEmpty());
    EXPECT_TRUE(PaintsNothing());
    EXPECT_EQ(LupeForm->Power(), 10);
    EXPECT_EQ(LupeForm->GridColor, 0x808080u);
    EXPECT_EQ(ApplicationTitle(), QString("Varnet計画"));
}

TEST_F(EditorTest, CreatesTheFiveWindowsWithTheirCaptionsAndFrames) {
    EXPECT_EQ(mainform->windowTitle(), QString("Varnet計画"));
    EXPECT_EQ(mainform->size(), QSize(483, 429));
    EXPECT_TRUE(mainform->isVisible());

    struct Case {
        QWidget* window;
        const char* caption;
        bool sizeable;
    };
    const Case tools[] = {
        {toolform, "ツール", false}, {palletform, "パレット", false}, {LupeForm, "ルーペ", true}};
    for (const Case& c : tools) {
        SCOPED_TRACE(c.caption);
        EXPECT_EQ(c.window->windowTitle(), QString(c.caption));
        EXPECT_TRUE(c.window->isVisible());
        const Qt::WindowFlags flags = c.window->windowFlags();
        EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
        EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
        EXPECT_FALSE(flags & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint));
        EXPECT_EQ(c.window->parentWidget(), mainform) << "stays above the document window";
        EXPECT_EQ(c.window->minimumSize() == c.window->maximumSize(), !c.sizeable);
        // The user cannot close a tool window on its own.
        EXPECT_FALSE(c.window->close());
        EXPECT_TRUE(c.window->isVisible());
    }

    EXPECT_EQ(NewForm->windowTitle(), QString("新規作成"));
    EXPECT_FALSE(NewForm->isVisible());
    EXPECT_EQ(NewForm->XEdit->text(), QString("256"));
    EXPECT_EQ(NewForm->YEdit->text(), QString("256"));
}

TEST_F(EditorTest, CaptionsReachTheWindowSystemUnchanged) {
    const std::pair<QWidget*, const char*> windows[] = {{mainform, "Varnet計画"},
                                                        {toolform, "ツール"},
                                                        {palletform, "パレット"},
                                                        {NewForm, "新規作成"},
                                                        {LupeForm, "ルーペ"}};
    for (const auto& [window, caption] : windows)
        EXPECT_EQ(PlatformTitle(window->windowTitle()), QString(caption));
}

TEST_F(EditorTest, DocumentWindowControlsStartUpAsDescribed) {
    EXPECT_FALSE(mainform->btLayer->isChecked());
    EXPECT_TRUE(mainform->btLupeGrid->isChecked());
    EXPECT_FALSE(mainform->bt8Dot->isChecked());
    EXPECT_FALSE(mainform->bt1Dot->isChecked());
    EXPECT_EQ(mainform->Panel1->height(), 37);
    EXPECT_EQ(mainform->PaintBox->size(), QSize(105, 105));
    EXPECT_EQ(mainform->PaintBox2->size(), QSize(105, 105));
    EXPECT_TRUE(mainform->x1->isChecked());
    EXPECT_TRUE(mainform->x1->isEnabled());
    EXPECT_TRUE(mainform->x2->isEnabled());
    EXPECT_TRUE(mainform->x4->isEnabled());
    EXPECT_FALSE(mainform->mnLayerView->isChecked());
    const QAction* items[] = {mainform->acNew,    mainform->asOpen,  mainform->acSave,
                              mainform->acSaveAs, mainform->acClose, mainform->acExit};
    const char* captions[] = {"新規作成(&N)",         "開く(&O)",   "保存(&S)",
                              "名前を付けて保存(&A)", "閉じる(&C)", "終了(&X)"};
    const QKeySequence keys[] = {QKeySequence("Ctrl+N"), QKeySequence("Ctrl+O"),
                                 QKeySequence("Ctrl+S"), QKeySequence("Ctrl+Shift+S"),
                                 QKeySequence("Ctrl+W"), QKeySequence("Ctrl+Q")};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(items[i]->text(), QString(captions[i]));
        EXPECT_EQ(items[i]->shortcut(), keys[i]) << captions[i];
    }
}

TEST_F(EditorTest, QuittingWithNoDocumentClosesAtOnce) {
    ASSERT_FALSE(Doc().Saved());
    EXPECT_TRUE(mainform->close());
    EXPECT_FALSE(mainform->isVisible());
    EXPECT_TRUE(dialogs->Prompts.empty());
}

TEST_F(EditorTest, ResetPutsTheStateBack) {
    NewDocument("40", "30");
    Editor().SetViewOrigin(1, 8, Editor().ViewTop(1));
    Editor().SetTool(TTool::Region);
    StartSelection(4, 4);
    Editor().SetDrawIndex(5);
    Editor().Reset();
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().DocWidth(), 0);
    EXPECT_EQ(Editor().ViewLeft(1), 0);
    EXPECT_EQ(Editor().CurrentTool(), TTool::Pen);
    EXPECT_FALSE(Doc().Selecting());
    EXPECT_EQ(Editor().DrawIndex(), 0);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCapacity(), 0u);
}
