// What the editor remembers between runs: the recent files and the magnifier's settings, kept
// by one set of windows and found again by the next.
#include "app/settings.h"
#include "editor/lupe.h"
#include "editor_fixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>

class SettingsTest : public EditorTest {
protected:
    void SetUp() override {
        QSettings("Varnet", "Varnet").clear();
        EditorTest::SetUp();
    }
    void TearDown() override {
        EditorTest::TearDown();
        QSettings("Varnet", "Varnet").clear();
    }
};

TEST_F(SettingsTest, RecentFilesKeepTenNewestFirstWithoutRepeats) {
    for (int i = 0; i < 12; ++i)
        AddRecentFile(TempPath(std::to_string(i) + ".png"));
    AddRecentFile(TempPath("5.png"));
    QStringList expected = {TempPath("5.png")};
    for (int i = 11; expected.size() < kRecentCount; --i)
        if (i != 5) expected.push_back(TempPath(std::to_string(i) + ".png"));
    EXPECT_EQ(RecentFiles(), expected);
}

TEST_F(SettingsTest, ChoosingAMissingRecentFileDropsItWithAMessage) {
    const QString missing = TempPath("gone.png");
    AddRecentFile(missing);
    emit mainform->mnRecent->aboutToShow(); // as when the menu opens
    ASSERT_EQ(mainform->mnRecent->actions().size(), 1);
    mainform->mnRecent->actions().front()->trigger();
    ASSERT_EQ(dialogs->Warnings.size(), 1u);
    EXPECT_TRUE(dialogs->Warnings.front().contains(missing));
    EXPECT_TRUE(RecentFiles().isEmpty());
    EXPECT_EQ(DocImage, nullptr);
}

TEST_F(SettingsTest, WindowSizesMagnifierAndLastFolderComeBackInTheNextRun) {
    mainform->resize(611, 503);
    LupeForm->PowerChange(LupeForm->N4);
    LupeForm->GridChange(LupeForm->N12);
    mainform->LastFolder = QString::fromStdString(MakeTempDir());
    const QString folder = mainform->LastFolder;
    SaveSettings();
    DestroyWindows();
    ResetEditorState();
    CreateWindows();
    EXPECT_EQ(mainform->size(), QSize(611, 503));
    EXPECT_EQ(LupeForm->Power, 4);
    EXPECT_TRUE(LupeForm->N4->isChecked());
    EXPECT_EQ(LupeForm->GridMode, 2);
    EXPECT_EQ(mainform->LastFolder, folder);
}

TEST_F(SettingsTest, SavedFilesJoinTheListAndOpenFromIt) {
    NewDocument("4", "3");
    const QString path = TempPath("kept.png");
    dialogs->SaveNames.push_back(path);
    ASSERT_TRUE(mainform->SaveDocumentAs());
    ASSERT_EQ(RecentFiles(), QStringList{path});
    ASSERT_TRUE(mainform->CloseDocument());
    emit mainform->mnRecent->aboutToShow();
    mainform->mnRecent->actions().front()->trigger();
    ASSERT_NE(DocImage, nullptr);
    EXPECT_EQ(mainform->FileName, path);
}
