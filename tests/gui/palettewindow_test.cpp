// The palette window through its handlers: choosing the two indices on the swatch grid, editing
// the drawing index's colour with the bars or an entry's exact colour in the colour dialog, the
// lock and the 15-bit cut.
#include "editor/lupe.h"
#include "formats/PaletteRead.h"
#include "palette_fixture.h"

#include <QDir>
#include <QMenuBar>
#include <cstring>

TEST_F(PalletTest, StartsWithBlackSwatchesBothMarkersOnIndexZeroAndTheMenus) {
    EXPECT_EQ(palletform->windowTitle(), "パレット");
    EXPECT_EQ(palletform->PalletBitmap.size(), QSize(256, 256));
    EXPECT_EQ(Outline(0), Rgb(DisplayColor::Blue));
    for (int32_t i : {1, 15, 98, 255}) {
        EXPECT_EQ(Outline(i), Rgb(DisplayColor::White)) << i;
        EXPECT_EQ(Interior(i), Rgb(DisplayColor::Black)) << i;
    }
    EXPECT_EQ(Bars(), "0 0 0");
    EXPECT_EQ(palletform->palletImage->geometry(), QRect(0, 4, 256, 256));
    EXPECT_EQ(palletform->GBar->geometry(), QRect(20, 284, 160, 16));
    EXPECT_EQ(palletform->BLab->geometry(), QRect(208, 304, 48, 16));

    // Caption and whether the user can choose it, item by item, submenus included.
    std::vector<std::string> items;
    for (QAction* top : palletform->PalletMenu->actions()) {
        items.push_back(top->text().toStdString() + (top->isEnabled() ? "" : " (off)"));
        for (QAction* a : top->menu()->actions())
            items.push_back("  " + (a->isSeparator() ? "-" : a->text().toStdString()) +
                            (a->isEnabled() ? "" : " (off)"));
    }
    const std::vector<std::string> expected = {
        "パレットファイル",
        "  パレット読み込み",
        "  パレット読み込み (近い色に置き換え)…",
        "  パレット保存",
        "パレット編集",
        "  パレットを変更しない",
        "  -",
        "  色の編集…",
        "  精度を15Bitに切り捨てる",
        "  選択色と透明色を入れ替える",
        "  -",
        "  グラデーション",
        "  -",
        "  色相で並べ替え",
        "  明るさで並べ替え",
        "  使用回数で並べ替え",
        "  透明色を動かさない",
        "  -",
        "  未使用の色を選択",
        "  重複する色をまとめる",
    };
    EXPECT_EQ(items, expected);
    for (QAction* item : {palletform->mnPalletChange, palletform->mnKeepTransparent}) {
        EXPECT_TRUE(item->isCheckable());
        EXPECT_FALSE(item->isChecked());
    }
    EXPECT_EQ(palletform->UsageLab->text(), "");
}

TEST_F(PalletTest, SwatchChoicesMoveTheMarkersAndTheirOutlines) {
    // The index under the point; the old drawing marker was also the transparent one, so it
    // stays red.
    Click(TMouseButton::Left, 37, 100);
    EXPECT_EQ(Editor().DrawIndex(), 98);
    EXPECT_EQ(Doc().TransparentIndex(), 0);
    EXPECT_EQ(Outline(98), Rgb(DisplayColor::Blue));
    EXPECT_EQ(Outline(0), Rgb(DisplayColor::Red));

    // Right on the drawing index turns its outline red; a left choice elsewhere then leaves it
    // red, not white.
    Click(TMouseButton::Right, 40, 100);
    EXPECT_EQ(Doc().TransparentIndex(), 98);
    EXPECT_EQ(Outline(98), Rgb(DisplayColor::Red));
    EXPECT_EQ(Outline(0), Rgb(DisplayColor::White));
    Click(TMouseButton::Left, 0, 0);
    EXPECT_EQ(Outline(98), Rgb(DisplayColor::Red));
    EXPECT_EQ(Outline(0), Rgb(DisplayColor::Blue));
    // The transparent marker leaving the drawing index gives the cell back its blue.
    Click(TMouseButton::Middle, 0, 0);
    Click(TMouseButton::Middle, 255, 255);
    EXPECT_EQ(Doc().TransparentIndex(), 255);
    EXPECT_EQ(Outline(0), Rgb(DisplayColor::Blue));
    EXPECT_EQ(Outline(98), Rgb(DisplayColor::White));
    EXPECT_EQ(Outline(255), Rgb(DisplayColor::Red));
}

TEST_F(PalletTest, DraggingFollowsThePointerClampedToTheGridUntilRelease) {
    struct Step {
        int32_t x, y, index;
    };
    const Step steps[] = {
        {37, 100, 98}, {-30, 100, 96}, {37, 400, 242}, {-5, -5, 0}, {999, 130, 143}};
    palletform->palletImageMouseDown(TMouseButton::Left, steps[0].x, steps[0].y);
    for (const Step& s : steps) {
        palletform->palletImageMouseMove(s.x, s.y);
        EXPECT_EQ(Editor().DrawIndex(), s.index) << s.x << "," << s.y;
        EXPECT_EQ(Outline(s.index), Rgb(DisplayColor::Blue));
    }
    palletform->palletImageMouseUp();
    palletform->palletImageMouseMove(0, 0);
    EXPECT_EQ(Editor().DrawIndex(), 143) << "moves after the release choose nothing";
    EXPECT_EQ(Doc().TransparentIndex(), 0);
}

TEST_F(PalletTest, MouseEventsReachTheGridAndTheBars) {
    OpenDocument();
    SendMouse(palletform->palletImage, QEvent::MouseButtonPress, Qt::RightButton, {20, 3});
    SendMouse(palletform->palletImage, QEvent::MouseMove, Qt::RightButton, {40, 3});
    SendMouse(palletform->palletImage, QEvent::MouseButtonRelease, Qt::RightButton, {40, 3});
    EXPECT_EQ(Doc().TransparentIndex(), 2);
    EXPECT_EQ(Editor().DrawIndex(), 0);
    SendMouse(palletform->palletImage, QEvent::MouseButtonPress, Qt::LeftButton, {20, 20});
    SendMouse(palletform->palletImage, QEvent::MouseButtonRelease, Qt::LeftButton, {20, 20});
    EXPECT_EQ(Editor().DrawIndex(), 17);
    EXPECT_EQ(Bars(), "2 2 2");

    SendMouse(palletform->BBar, QEvent::MouseButtonPress, Qt::LeftButton, {50, 8});
    SendMouse(palletform->BBar, QEvent::MouseMove, Qt::LeftButton, {100, 8});
    SendMouse(palletform->BBar, QEvent::MouseButtonRelease, Qt::LeftButton, {100, 8});
    EXPECT_FALSE(palletform->BarDragging);
    EXPECT_EQ(Bars(), "2 2 20");
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[17], (TPaletteEntry{165, 16, 16, 0}));
}

TEST_F(PalletTest, BarPressesRewriteTheDrawingEntryFromAllThreeBars) {
    struct Case {
        int32_t x, position;
        uint8_t green;
    };
    const Case cases[] = {{-10, 0, 0}, {4, 0, 0}, {200, 31, 255}, {125, 25, 206}};
    for (const Case& c : cases) {
        OpenDocument();
        Click(TMouseButton::Left, 5 * 16 + 3, 3);
        ASSERT_EQ(Editor().DrawIndex(), 5);
        SetEntry(5, 200, 100, 50);
        palletform->ShowEntryOnBars(5);
        ClickBar(palletform->GBar, c.x);
        EXPECT_EQ(palletform->GBar->value(), c.position) << c.x;
        EXPECT_EQ(palletform->GLab->text(), QString::number(c.position));
        // Red and blue are requantised from their bar positions 25 and 6.
        const TPaletteEntry want{49, c.green, 206, 0};
        EXPECT_EQ(Doc().DocImage()->PaletteBlock[5], want) << c.x;
        EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock[5], want) << "not applied to the storage";
        EXPECT_EQ(DocViewColourOf(5), Rgb(want)) << "document view not re-rendered";
        // The edited cell is one solid square of the new colour, outline included.
        EXPECT_EQ(Outline(5), Rgb(want));
        EXPECT_EQ(Interior(5), Rgb(want));
        EXPECT_FALSE(Doc().Saved());
    }
}

TEST_F(PalletTest, RequantisingShowsTheDocumentExampleOnTheBars) {
    OpenDocument();
    SetEntry(0, 200, 100, 50);
    palletform->ShowEntryOnBars(0);
    EXPECT_EQ(Bars(), "25 12 6");
    ClickBar(palletform->RBar, 125);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[0], (TPaletteEntry{49, 99, 206, 0}));
    EXPECT_EQ(Bars(), "25 12 6");
}

TEST_F(PalletTest, TheMagnifierShowsTheEditedColour) {
    OpenDocument();
    ClickBar(palletform->RBar, 159);
    // Document pixel (0, 0) is index 0, now pure red; the magnifier's first cell shows it.
    EXPECT_EQ(LupeForm->LupeBitmap.pixel(LupeForm->Power() / 2, LupeForm->Power() / 2) |
                  0xFF000000u,
              qRgb(255, 0, 0));
}

TEST_F(PalletTest, BarRunsRecordOneUndoStepThatRestoresTheEntry) {
    OpenDocument();
    Click(TMouseButton::Left, 3 * 16, 0);
    const TPaletteEntry before = Doc().DocImage()->PaletteBlock[3];
    palletform->RBarMouseDown(palletform->RBar, 10);
    for (int32_t x = 10; x < 160; x += 7)
        palletform->RBarMouseMove(palletform->RBar, x);
    palletform->RBarMouseUp();
    ClickBar(palletform->GBar, 80);
    ClickBar(palletform->BBar, 155);
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[3], (TPaletteEntry{255, 132, 255, 0}));

    Editor().Undo();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[3], before);
    EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock[3], before);
    EXPECT_EQ(Interior(3), Rgb(before));
    EXPECT_EQ(Outline(3), Rgb(DisplayColor::Blue)) << "undo rebuilds the swatch picture";
    EXPECT_EQ(Bars(), "0 0 0");
    EXPECT_EQ(DocViewColourOf(3), Rgb(before));
}

TEST_F(PalletTest, TheLockRefusesBarEditsButTheReleaseStillMarksTheDocument) {
    OpenDocument();
    palletform->mnPalletChange->trigger();
    EXPECT_TRUE(palletform->mnPalletChange->isChecked());
    const TPalette before = Doc().DocImage()->PaletteBlock;
    ClickBar(palletform->RBar, 150);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, before);
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_EQ(Bars(), "0 0 0");
    EXPECT_FALSE(Doc().Saved());

    palletform->mnPalletChange->trigger();
    EXPECT_FALSE(palletform->mnPalletChange->isChecked());
    ClickBar(palletform->RBar, 159);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[0].Red, 255);
}

TEST_F(PalletTest, TheCutTruncatesEveryEntryMarksTheDocumentAndShowsTheNewColours) {
    OpenDocument();
    SetEntry(0, 255, 255, 255);
    SetEntry(200, 13, 100, 255);
    palletform->ShowEntryOnBars(0);
    EXPECT_EQ(Bars(), "31 31 31");
    Doc().SetSaved(true);
    palletform->mnCut15Bit->trigger();
    for (int32_t i = 0; i < 256; ++i) {
        const TPaletteEntry& e = Doc().DocImage()->PaletteBlock[i];
        EXPECT_EQ((e.Red | e.Green | e.Blue) & 7, 0) << i;
    }
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[0], (TPaletteEntry{248, 248, 248, 0}));
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[200], (TPaletteEntry{248, 96, 8, 0}));
    EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock[200], Doc().DocImage()->PaletteBlock[200]);
    EXPECT_FALSE(Doc().Saved()) << "closing now would lose the cut without asking";
    EXPECT_EQ(Interior(200), Rgb(Doc().DocImage()->PaletteBlock[200]))
        << "swatch shows the old colour";
    EXPECT_EQ(Interior(0), qRgb(248, 248, 248));
    EXPECT_EQ(DocViewColourOf(0), qRgb(248, 248, 248));
    EXPECT_EQ(Bars(), "31 31 31");

    // The dropped bits come back with one Undo; Redo cuts again.
    const TPalette cut = Doc().DocImage()->PaletteBlock;
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[200], (TPaletteEntry{255, 100, 13, 0}));
    EXPECT_EQ(Interior(200), qRgb(13, 100, 255));
    mainform->acRedo->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, cut);

    ClickBar(palletform->BBar, 159);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[0], (TPaletteEntry{255, 255, 255, 0}));
}

TEST_F(PalletTest, TheLockRefusesTheCutWithTheLoadsMessage) {
    OpenDocument();
    SetEntry(7, 13, 100, 255);
    palletform->mnPalletChange->trigger();
    const TPalette before = Doc().DocImage()->PaletteBlock;
    palletform->mnCut15Bit->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, before);
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_TRUE(Doc().Saved());
    // The same sentence as a refused load, with what could not be done.
    dialogs->OpenNames.push_back(TempPath("never-read.gpl"));
    palletform->mnLoadPalette->trigger();
    ASSERT_EQ(dialogs->Warnings.size(), 2u);
    const QString lock = "「パレットを変更しない」が選ばれているので、";
    EXPECT_EQ(dialogs->Warnings[0], lock + "精度を切り捨てられません");
    EXPECT_EQ(dialogs->Warnings[1], lock + "パレットを読み込めません");
    dialogs->OpenNames.clear();
}

TEST_F(PalletTest, ADoubleClickOrTheMenuOpensTheColourDialogForItsEntry) {
    OpenDocument();
    // A double click whose second press lands a pixel past the first, on entry 37's swatch: that
    // entry becomes the drawing index and is edited, and the dialog ends the press, so a move
    // with the button still down chooses nothing.
    dialogs->ColorAnswers = {std::nullopt};
    DoubleClick(palletform->palletImage, Qt::LeftButton, {5 * 16 - 1, 40}, {5 * 16, 40});
    EXPECT_EQ(Editor().DrawIndex(), 37);
    EXPECT_FALSE(palletform->SwatchDragging);
    SendMouse(palletform->palletImage, QEvent::MouseMove, Qt::LeftButton, {0, 0});
    EXPECT_EQ(Editor().DrawIndex(), 37);
    // A right double click is two presses that choose the transparent index, and no dialog.
    DoubleClick(palletform->palletImage, Qt::RightButton, {2 * 16 + 8, 8}, {2 * 16 + 8, 8});
    EXPECT_EQ(Doc().TransparentIndex(), 2);
    // The menu edits the drawing index's entry.
    SetEntry(200, 13, 200, 77);
    Click(TMouseButton::Left, 8 * 16 + 8, 12 * 16 + 8);
    dialogs->ColorAnswers = {std::nullopt};
    palletform->mnEditColor->trigger();
    const std::vector<std::pair<int32_t, TPaletteEntry>> shown = {{37, Grey(37)}, {200, kExact}};
    EXPECT_EQ(dialogs->ColorDialogs, shown);
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(PalletTest, AnExactColourIsOneUndoStepThatEveryViewShows) {
    OpenDocument();
    ClickBar(palletform->GBar, 40); // a bar run before, which the dialog's step must not join
    Doc().SetSaved(true);
    const TPalette before = Doc().DocImage()->PaletteBlock;
    dialogs->ColorAnswers = {kExact};
    palletform->mnEditColor->trigger();
    TPalette after = before;
    after[0] = kExact;
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, after);
    EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock[0], kExact) << "the storage's colour table";
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 2u);
    // The bars show the exact colour in their steps of 8, as any entry.
    EXPECT_EQ(Bars(), "1 25 9");
    EXPECT_EQ(Interior(0), qRgb(13, 200, 77));
    EXPECT_EQ(DocViewColourOf(0), qRgb(13, 200, 77));
    EXPECT_EQ(LupeForm->LupeBitmap.pixel(LupeForm->Power() / 2, LupeForm->Power() / 2) |
                  0xFF000000u,
              qRgb(13, 200, 77));

    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, before);
    EXPECT_EQ(Interior(0), Rgb(before[0]));
    EXPECT_EQ(DocViewColourOf(0), Rgb(before[0]));
    EXPECT_EQ(Bars(), "0 8 0");
    mainform->acRedo->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, after);
    EXPECT_EQ(Interior(0), qRgb(13, 200, 77));
    EXPECT_EQ(Bars(), "1 25 9");
}

TEST_F(PalletTest, CancelOrTheSameColourRecordsNothing) {
    // The reserved byte is no colour: an answer that differs only there is the same colour.
    const std::optional<TPaletteEntry> answers[] = {std::nullopt, Grey(3),
                                                    TPaletteEntry{3, 3, 3, 9}};
    for (const std::optional<TPaletteEntry>& answer : answers) {
        OpenDocument();
        Click(TMouseButton::Left, 3 * 16, 0);
        dialogs->ColorAnswers = {answer};
        palletform->mnEditColor->trigger();
        EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
        EXPECT_EQ(Doc().History.UndoCount(), 0u);
        EXPECT_TRUE(Doc().Saved());
    }
    EXPECT_EQ(dialogs->ColorDialogs.size(), 3u);
}

TEST_F(PalletTest, TheLockRefusesTheColourDialogBeforeItOpens) {
    OpenDocument();
    palletform->mnPalletChange->trigger();
    palletform->mnEditColor->trigger();
    DoubleClick(palletform->palletImage, Qt::LeftButton, {9 * 16 + 8, 8}, {9 * 16 + 8, 8});
    EXPECT_EQ(Editor().DrawIndex(), 9) << "the double click still chooses the swatch";
    const QString refusal = "「パレットを変更しない」が選ばれているので、色を変更できません";
    EXPECT_EQ(dialogs->Warnings, (std::vector<QString>{refusal, refusal}));
    EXPECT_TRUE(dialogs->ColorDialogs.empty());
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(PalletTest, TheSwapMovesAColourToTheOtherIndexKeepingThePictureAndUndoesInOneStep) {
    OpenDocument();
    SetEntry(3, 200, 10, 20);
    Click(TMouseButton::Left, 3 * 16, 0);
    Click(TMouseButton::Right, 0, 0);
    Doc().SetSaved(true);
    const TPalette before = Doc().DocImage()->PaletteBlock;
    std::vector<QRgb> shown;
    for (int32_t i = 0; i < 64; ++i)
        shown.push_back(DocViewColourOf(i));

    palletform->mnSwapIndices->trigger();
    EXPECT_EQ(Doc().DocImage()->GetPixel(3, 0), 0u);
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), 3u);
    EXPECT_EQ(Doc().DocImage()->GetPixel(4, 0), 4u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[0], before[3]);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[3], before[0]);
    EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock[0], before[3]) << "the storage's colour table";
    for (int32_t i = 0; i < 64; ++i)
        EXPECT_EQ(DocViewColourOf(i), shown[i]) << "the picture looks the same at " << i;
    EXPECT_EQ(Interior(0), Rgb(before[3]));
    EXPECT_EQ(Bars(), "0 0 0") << "the drawing index 3 now holds index 0's black";
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 1u);

    Editor().Undo();
    EXPECT_EQ(Doc().DocImage()->GetPixel(3, 0), 3u);
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), 0u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, before);
    EXPECT_EQ(Interior(3), Rgb(before[3]));
}

TEST_F(PalletTest, TheSwapIsRefusedUnderTheLockWhileABlockFloatsAndWithOneIndexForBoth) {
    OpenDocument();
    Click(TMouseButton::Left, 5 * 16, 0);
    palletform->mnPalletChange->trigger();
    palletform->mnSwapIndices->trigger();
    palletform->mnPalletChange->trigger();
    FloatBox(0, 0, 1, 1, 0, 0);
    palletform->mnSwapIndices->trigger();
    CancelSelection();
    Click(TMouseButton::Right, 5 * 16, 0);
    palletform->mnSwapIndices->trigger();
    EXPECT_EQ(Doc().DocImage()->GetPixel(5, 0), 5u);
    EXPECT_EQ(Doc().DocImage()->GetPixel(0, 0), 0u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(PalletTest, WithoutADocumentOnlyTheMarkersChange) {
    Doc().SetSaved(true);
    ClickBar(palletform->RBar, 150);
    EXPECT_FALSE(palletform->BarDragging);
    EXPECT_EQ(Bars(), "0 0 0");
    palletform->mnCut15Bit->trigger();
    palletform->mnSwapIndices->trigger();
    Click(TMouseButton::Right, 255, 0);
    EXPECT_EQ(Doc().TransparentIndex(), 15);
    EXPECT_EQ(Outline(15), Rgb(DisplayColor::Red));
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(PalletTest, NewDocumentsKeepTheIndicesAndShowTheirPalette) {
    Click(TMouseButton::Left, 37, 100);
    Click(TMouseButton::Right, 0, 20);
    OpenDocument();
    EXPECT_EQ(Editor().DrawIndex(), 98);
    EXPECT_EQ(Doc().TransparentIndex(), 16);
    EXPECT_EQ(Outline(98), Rgb(DisplayColor::Blue));
    EXPECT_EQ(Outline(16), Rgb(DisplayColor::Red));
    EXPECT_EQ(Interior(98), qRgb(98, 98, 98));
    EXPECT_EQ(Bars(), "12 12 12");
}

TEST_F(PalletTest, TheEyedropperChoosesTheDrawingIndex) {
    OpenDocument();
    Editor().SetTool(TTool::Pen);
    LupeForm->PickColor(3, 2);
    EXPECT_EQ(Editor().DrawIndex(), 19);
    EXPECT_EQ(Outline(19), Rgb(DisplayColor::Blue));
    EXPECT_EQ(Outline(0), Rgb(DisplayColor::Red));
    EXPECT_EQ(Bars(), "2 2 2");
}

TEST_F(PalletTest, LoadingAPaletteFileReplacesItsEntriesAsOneUndoStepAndRedraws) {
    OpenDocument();
    ClickBar(palletform->GBar, 40); // an edit before, which the load must not merge into
    const TPalette before = Doc().DocImage()->PaletteBlock;
    Doc().SetSaved(true);
    LoadPalette(FileWith("warm.gpl", "GIMP Palette\nName: warm\n# two\n255 0 0\tRed\n"
                                     "0 128 255\tSky\n"));
    EXPECT_TRUE(dialogs->Errors.empty()) << dialogs->Errors.front().toStdString();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[0], (TPaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[1], (TPaletteEntry{255, 128, 0, 0}));
    for (int32_t i = 2; i < 256; ++i)
        EXPECT_EQ(Doc().DocImage()->PaletteBlock[i], before[i])
            << "entry " << i << " is not in the file";
    EXPECT_EQ(TDIB(*Doc().DocImage()).PaletteBlock[1], Doc().DocImage()->PaletteBlock[1])
        << "the storage's table";
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 2u);
    EXPECT_EQ(Interior(1), qRgb(0, 128, 255));
    EXPECT_EQ(Bars(), "31 0 0");
    EXPECT_EQ(DocViewColourOf(1), qRgb(0, 128, 255));
    EXPECT_EQ(LupeForm->LupeBitmap.pixel(LupeForm->Power() / 2, LupeForm->Power() / 2) |
                  0xFF000000u,
              qRgb(255, 0, 0));
    EXPECT_EQ(LastFolder(), QString::fromStdString(dir));

    Editor().Undo();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, before) << "one undo takes the whole file back";
    EXPECT_EQ(Interior(1), Rgb(before[1]));
    EXPECT_EQ(DocViewColourOf(1), Rgb(before[1]));
    Editor().Redo();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[1], (TPaletteEntry{255, 128, 0, 0}));
}

TEST_F(PalletTest, ALoadUnderTheLockOrOfAMalformedFileChangesNothing) {
    OpenDocument();
    palletform->mnPalletChange->trigger();
    palletform->mnLoadPalette->trigger(); // no dialog: the lock refuses before it
    EXPECT_EQ(dialogs->Warnings, std::vector<QString>{"「パレットを変更しない」が選ばれているので、"
                                                      "パレットを読み込めません"});
    palletform->mnPalletChange->trigger();

    const QString bad = FileWith("bad.pal", "JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5\r\n");
    LoadPalette(bad);
    const QString missing = TempPath("missing.gpl");
    LoadPalette(missing);
    // A picture cut inside its palette: the codec's words inside a sentence naming the file.
    const char png[] = "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x03"
                       "\0\0\0\x01\x02\x03\x04\0\0\x03\0PLTE\x01\x02";
    const QString cut = FileWith("cut.png", std::string(png, sizeof png - 1));
    LoadPalette(cut);
    const std::vector<QString> errors = {
        "パレットファイル " + bad + " の 5 行目: R G B の値が足りません",
        "ファイル " + missing + " がありません",
        cut + " は PLTE チャンクの途中で切れています（Read Image (PNG): PLTE truncated）",
    };
    EXPECT_EQ(dialogs->Errors, errors);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
    EXPECT_EQ(Interior(0), qRgb(0, 0, 0));
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(PalletTest, SavingWritesTheFormatOfTheChosenFilterOrExtension) {
    OpenDocument();
    SetEntry(5, 1, 2, 3);
    Doc().SetSaved(true);
    struct Case {
        const char* filter; // chosen in the dialog; null: the first
        const char* typed;
        const char* file;
        const char* start; // the file's first bytes
    };
    const Case cases[] = {
        {nullptr, "a", "a.gpl", "GIMP Palette\nName: a\n"},
        {"JASC-PALパレット (*.pal)", "b", "b.pal", "JASC-PAL\r\n0100\r\n256\r\n"},
        {"Adobeカラーテーブル (*.act)", "c", "c.act", ""},
        {"Adobeカラーテーブル (*.act)", "d.PAL", "d.PAL", "JASC-PAL\r\n"},
    };
    const TPaletteColors entries(Doc().DocImage()->PaletteBlock.begin(),
                                 Doc().DocImage()->PaletteBlock.end());
    for (const Case& c : cases) {
        if (c.filter) dialogs->SaveChosenFilters.push_back(c.filter);
        dialogs->SaveNames.push_back(TempPath(c.typed));
        palletform->mnSavePalette->trigger();
        const std::string path = TempPath(c.file).toStdString();
        ASSERT_TRUE(FileExists(path)) << c.file;
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + long(strlen(c.start))), c.start);
        EXPECT_EQ(ReadPaletteFile(path), entries) << c.file;
    }
    EXPECT_EQ(ReadFileBytes(TempPath("c.act").toStdString()).size(), 768u);
    EXPECT_EQ(dialogs->SaveSuffixes.front(), "gpl");
    EXPECT_TRUE(Doc().Saved()) << "the picture is not saved by saving its palette";
    EXPECT_TRUE(dialogs->Errors.empty());

    dialogs->SaveNames.push_back(TempPath("e.txt"));
    palletform->mnSavePalette->trigger();
    EXPECT_EQ(dialogs->Warnings,
              std::vector<QString>{"対応していない拡張子なので保存できませんでした"});
    EXPECT_FALSE(FileExists(TempPath("e.txt").toStdString()));
    // A folder where the file would go: the error box says so, as for pictures.
    const QString folder = TempPath("f.gpl");
    ASSERT_TRUE(QDir().mkdir(folder));
    dialogs->SaveNames.push_back(folder);
    palletform->mnSavePalette->trigger();
    EXPECT_EQ(dialogs->Errors, std::vector<QString>{folder + " はフォルダなので保存できません"});
}

// The names of a loaded GIMP palette are saved with it; a colour that changes, by a bar press or
// an undo alike, loses its name; a document opened or made anew, or a reset, has none.
TEST_F(PalletTest, PaletteFileNamesStayWithTheColoursTheyName) {
    OpenDocument();
    const QString sunset =
        FileWith("sunset.gpl",
                 "GIMP Palette\nName: Sunset\n255 0 0\tRed\n0 128 255\tSky blue\n9 9 9\tDark\n");
    LoadPalette(sunset);
    // The names of the GIMP palette the palette window saves as file.
    const auto saved = [&](const std::string& file) {
        dialogs->SaveNames.push_back(TempPath(file));
        palletform->mnSavePalette->trigger();
        TPaletteNames names;
        ReadPaletteFile(TempPath(file).toStdString(), &names);
        names.Entries.resize(3);
        return names;
    };
    EXPECT_EQ(saved("loaded.gpl"), (TPaletteNames{"Sunset", {"Red", "Sky blue", "Dark"}}));

    Click(TMouseButton::Left, 1 * 16 + 3, 3);
    ASSERT_EQ(Editor().DrawIndex(), 1);
    ClickBar(palletform->GBar, 4);
    EXPECT_EQ(saved("edited.gpl"), (TPaletteNames{"Sunset", {"Red", "Index 1", "Dark"}}));
    Editor().Undo(); // the bar press
    Editor().Undo(); // the load
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
    EXPECT_EQ(saved("undone.gpl"), (TPaletteNames{"Sunset", {"Index 0", "Index 1", "Index 2"}}));

    LoadPalette(sunset);
    Doc().SetSaved(true);
    NewDocument("8", "8");
    EXPECT_EQ(saved("new.gpl"), (TPaletteNames{"new", {"Index 0", "Index 1", "Index 2"}}));
    LoadPalette(sunset);
    Editor().Reset();
    EXPECT_EQ(Doc().DocPaletteNames(), TPaletteNames{});
    EXPECT_TRUE(dialogs->Errors.empty()) << dialogs->Errors.front().toStdString();
}

TEST_F(PalletTest, WithoutADocumentTheFileAndColourItemsOpenNoDialog) {
    palletform->mnLoadPalette->trigger();
    palletform->mnSavePalette->trigger();
    palletform->mnEditColor->trigger();
    DoubleClick(palletform->palletImage, Qt::LeftButton, {8, 8}, {8, 8});
    EXPECT_TRUE(dialogs->OpenFilters.empty());
    EXPECT_TRUE(dialogs->SaveFilters.empty());
    EXPECT_TRUE(dialogs->ColorDialogs.empty());
    EXPECT_TRUE(dialogs->Warnings.empty());
}
