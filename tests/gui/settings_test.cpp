// What the editor remembers between runs: the recent files, the magnifier's settings and the
// windows' places, kept by one set of windows and found again by the next; and where the windows
// stand when nothing is remembered.
#include "app/settings.h"
#include "app/windowplace.h"
#include "editor/animation.h"
#include "editor/lupe.h"
#include "editor/tilepreview.h"
#include "editor/toolwindow.h"
#include "editor_fixture.h"
#include "palette/palettewindow.h"
#include "window_system.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <optional>

class SettingsTest : public EditorTest {
protected:
    void SetUp() override {
        QSettings("Varnet", "Varnet").clear();
        EditorTest::SetUp();
    }
    void TearDown() override {
        EditorTest::TearDown();
        scale.reset();
        QSettings("Varnet", "Varnet").clear();
    }
    // Ends this run, keeping only its settings, and starts the next at the display scale.
    void RestartAt(qreal displayScale) {
        DestroyWindows();
        Editor().Reset();
        scale.reset();
        scale.emplace(displayScale);
        CreateWindows();
    }

    static TNamedFrames ShownFrames() {
        return {{"document", mainform->frameGeometry()},
                {"tools", toolform->frameGeometry()},
                {"palette", palletform->frameGeometry()},
                {"magnifier", LupeForm->frameGeometry()}};
    }
    // The available area of the screen the windows are on, in logical pixels.
    static QRect Area() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    std::optional<TDisplayScale> scale;
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
    EXPECT_EQ(Doc().DocImage(), nullptr);
}

TEST_F(SettingsTest, WindowSizesMagnifierSortChoiceAndLastFolderComeBackInTheNextRun) {
    mainform->resize(611, 503);
    LupeForm->PowerChange(LupeForm->N4);
    LupeForm->GridChange(LupeForm->N12);
    palletform->mnKeepTransparent->trigger();
    LastFolder() = QString::fromStdString(MakeTempDir());
    const QString folder = LastFolder();
    SaveSettings();
    RestartAt(1);
    EXPECT_EQ(mainform->size(), QSize(611, 503));
    EXPECT_EQ(LupeForm->Power(), 4);
    EXPECT_TRUE(LupeForm->N4->isChecked());
    EXPECT_EQ(int(LupeForm->GridMode), 2);
    EXPECT_TRUE(Editor().SortKeepsTransparent);
    EXPECT_TRUE(palletform->mnKeepTransparent->isChecked());
    EXPECT_EQ(LastFolder(), folder);
}

TEST_F(SettingsTest, ExportScaleComesBackInTheNextRun) {
    EXPECT_EQ(mainform->ExportScale, 2);
    mainform->ExportScale = 7;
    SaveSettings();
    RestartAt(1);
    EXPECT_EQ(mainform->ExportScale, 7);
}

// The document view's grid choices come back; a tile size never set keeps following the
// magnifier's cell count.
TEST_F(SettingsTest, DocumentGridsComeBackInTheNextRun) {
    struct Case {
        bool pixel, tile;
        std::optional<TPixelSize> size;
    };
    const Case cases[] = {{true, false, TPixelSize{12, 4096}}, {false, true, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pixel << c.tile << c.size.has_value());
        QSettings("Varnet", "Varnet").clear();
        RestartAt(1);
        if (c.size) {
            dialogs->TileSizes.push_back(c.size);
            mainform->acTileSize->trigger();
        }
        if (mainform->acPixelGrid->isChecked() != c.pixel) mainform->acPixelGrid->trigger();
        if (mainform->acTileGrid->isChecked() != c.tile) mainform->acTileGrid->trigger();
        SaveSettings();
        RestartAt(1);
        EXPECT_EQ(Editor().PixelGrid(), c.pixel);
        EXPECT_EQ(Editor().TileGrid(), c.tile);
        EXPECT_EQ(mainform->acPixelGrid->isChecked(), c.pixel);
        EXPECT_EQ(mainform->acTileGrid->isChecked(), c.tile);
        EXPECT_EQ(Editor().TileSizeSet(), c.size);
        Editor().SetLupeCells(16, 8);
        EXPECT_EQ(Editor().TileSize(), c.size.value_or(TPixelSize{16, 8}));
    }
}

// The animation's settings and the previews, shown or not and where, come back; at a first start
// the previews are hidden.
TEST_F(SettingsTest, AnimationSettingsAndPreviewsComeBackInTheNextRun) {
    EXPECT_FALSE(AnimationForm->isVisible());
    EXPECT_FALSE(TileForm->isVisible());
    // Shown, they stand on the screen, over none of the other windows.
    mainform->acAnimation->trigger();
    mainform->acTilePreview->trigger();
    TNamedFrames frames = ShownFrames();
    frames.emplace_back("animation", AnimationForm->frameGeometry());
    frames.emplace_back("tiles", TileForm->frameGeometry());
    for (const auto& [name, frame] : frames)
        EXPECT_TRUE(Area().contains(frame)) << name << " at " << frame;
    EXPECT_EQ(Overlaps(frames), "");
    mainform->acTilePreview->trigger();
    const TAnimation animation{
        .Frames = 12, .Fps = 24, .Scale = 6, .Checker = false, .Backdrop = 0x204060};
    Editor().SetAnimation(animation);
    const QRect place(Area().topLeft() + QPoint(200, 150), QSize(300, 380));
    AnimationForm->setGeometry(place);
    SaveSettings();
    RestartAt(1);
    EXPECT_EQ(Editor().Animation(), animation);
    EXPECT_TRUE(AnimationForm->isVisible());
    EXPECT_TRUE(mainform->acAnimation->isChecked());
    EXPECT_EQ(AnimationForm->geometry(), place);
    EXPECT_EQ(AnimationForm->ScaleEdit->value(), 6);
    EXPECT_FALSE(TileForm->isVisible());
    EXPECT_FALSE(mainform->acTilePreview->isChecked());
    mainform->acAnimation->trigger();
    mainform->acTilePreview->trigger();
    SaveSettings();
    RestartAt(1);
    EXPECT_FALSE(AnimationForm->isVisible());
    EXPECT_TRUE(TileForm->isVisible());
    EXPECT_TRUE(mainform->acTilePreview->isChecked());
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
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(mainform->FileName(), path);
}

// What the user sees at the first start: the four windows side by side on the screen, at
// display scales from roomy to tight (at 2 the document window and the magnifier both give up
// room).
TEST_F(SettingsTest, StartUpWindowsLieOnTheScreenWithoutOverlap) {
    for (qreal displayScale : {1.0, 1.5, 2.0}) {
        RestartAt(displayScale);
        SCOPED_TRACE(testing::Message() << "scale " << displayScale << " on " << Area());
        for (const auto& [name, frame] : ShownFrames())
            EXPECT_TRUE(Area().contains(frame)) << name << " at " << frame;
        EXPECT_EQ(Overlaps(ShownFrames()), "");
    }
}

// A place kept at one display scale comes back at another where it was on the screen, in device
// pixels, at its size; a window that would now run off the screen is moved onto it.
TEST_F(SettingsTest, PlacesKeptAtOneDisplayScaleComeBackAtAnother) {
    struct Case {
        qreal saved, restored;
    };
    const Case cases[] = {{1.5, 1}, {1, 1.5}, {1, 2}, {2, 1.25}, {1, 1.25}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kept at " << c.saved << ", back at " << c.restored);
        QSettings("Varnet", "Varnet").clear();
        RestartAt(c.saved);
        const QRect document(Area().topLeft() + QPoint(120, 90), QSize(400, 300));
        mainform->setGeometry(document);
        // The magnifier in the bottom right corner, its frame within the screen.
        const QRect corner(Area().bottomRight() -
                               QPoint(LupeForm->width() + kFrameAllowance.right(),
                                      LupeForm->height() + kFrameAllowance.bottom()) +
                               QPoint(1, 1),
                           LupeForm->size());
        LupeForm->setGeometry(corner);
        SaveSettings();

        RestartAt(c.restored);
        const qreal ratio = c.saved / c.restored;
        // The document window lies where it was on the screen, within a rounding.
        const QPointF wanted = QPointF(document.topLeft()) * ratio;
        EXPECT_LE((QPointF(mainform->geometry().topLeft()) - wanted).manhattanLength(), 2)
            << mainform->geometry();
        EXPECT_EQ(mainform->size(), document.size());
        // The magnifier too, unless that runs off the screen: then it is moved onto it.
        const QRect magnifier = LupeForm->geometry();
        const QRect allowed = Area().marginsRemoved(kFrameAllowance);
        if (c.saved > c.restored) {
            EXPECT_LE((QPointF(magnifier.topLeft()) - QPointF(corner.topLeft()) * ratio)
                          .manhattanLength(),
                      2)
                << magnifier;
        } else {
            EXPECT_EQ(magnifier.bottomRight(), allowed.bottomRight()) << magnifier;
        }
        EXPECT_EQ(magnifier.size(), corner.size());
        for (const auto& [name, frame] : ShownFrames())
            EXPECT_TRUE(Area().contains(frame)) << name << " at " << frame;
    }
}

TEST_F(SettingsTest, AMaximisedDocumentWindowComesBackMaximisedOverItsPlace) {
    const QRect normal(Area().topLeft() + QPoint(150, 100), QSize(500, 350));
    mainform->setGeometry(normal);
    mainform->showMaximized();
    ASSERT_TRUE(mainform->isMaximized());
    SaveSettings();
    RestartAt(1);
    EXPECT_TRUE(mainform->isMaximized());
    mainform->showNormal();
    EXPECT_EQ(mainform->geometry(), normal);
}
