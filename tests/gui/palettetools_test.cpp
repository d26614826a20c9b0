// The palette window's tools through its handlers and mouse events: dragging entries with Ctrl
// and Ctrl+Shift, the ramp's range chosen with Shift+click, the sorts, the unused and duplicate
// entries, the pixel count under the pointer, loading to the nearest colours, and the lock.
#include "palette_fixture.h"

#include <vector>

namespace {
// The swatches as the window paints them, marks included.
QImage PaintedSwatches() {
    return palletform->palletImage->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The point in the middle of index's swatch.
QPoint CellMiddle(int32_t index) {
    return QPoint(index % 16 * 16 + 8, index / 16 * 16 + 8);
}

void MoveOver(int32_t index) {
    SendMouse(palletform->palletImage, QEvent::MouseMove, Qt::NoButton, CellMiddle(index));
}

class PaletteToolsWindowTest : public PalletTest {
protected:
    // The document view's colours of all 64 pixels.
    std::vector<QRgb> ShownPicture() {
        std::vector<QRgb> shown;
        for (int32_t i = 0; i < 64; ++i)
            shown.push_back(DocViewColourOf(i));
        return shown;
    }
    // Pixel (x, y) of the open document becomes index, as a set-up step.
    void SetPixel(int32_t x, int32_t y, uint8_t index) {
        RecordedEdit(TRect{x, y, x + 1, y + 1},
                     [&](TDIB& image) { image.RowForWrite(y)[x] = index; });
    }
    // The colours of entries first .. first + count - 1.
    std::vector<TPaletteEntry> Entries(int32_t first, int32_t count) {
        const TPalette& palette = Doc().DocImage()->PaletteBlock;
        return {palette.begin() + first, palette.begin() + first + count};
    }
    const QString lock = "「パレットを変更しない」が選ばれているので、";
};
} // namespace

// Ctrl drags swap, Ctrl+Shift drags move, a plain drag only chooses; the picture looks the same,
// the drawing index follows its colour, and one undo gives back the palette and the pixels.
TEST_F(PaletteToolsWindowTest, EntryDragsSwapOrMoveKeepingThePicture) {
    struct Case {
        const char* name;
        Qt::KeyboardModifiers keys;
        int32_t from, to;
        std::vector<uint8_t> greys; // the greys of entries 2..11 after the release
        int32_t drawAfter;
    };
    const Case cases[] = {
        {"swap", Qt::ControlModifier, 3, 10, {2, 10, 4, 5, 6, 7, 8, 9, 3, 11}, 10},
        {"move right",
         Qt::ControlModifier | Qt::ShiftModifier,
         3,
         10,
         {2, 4, 5, 6, 7, 8, 9, 10, 3, 11},
         10},
        {"move left",
         Qt::ControlModifier | Qt::ShiftModifier,
         10,
         3,
         {2, 10, 3, 4, 5, 6, 7, 8, 9, 11},
         4},
        {"plain drag", Qt::NoModifier, 3, 10, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDocument();
        Click(TMouseButton::Left, 3 * 16 + 8, 8);
        Click(TMouseButton::Right, 9 * 16 + 8, 8);
        const std::vector<QRgb> shown = ShownPicture();
        QWidget* grid = palletform->palletImage;
        SendMouse(grid, QEvent::MouseButtonPress, Qt::LeftButton, CellMiddle(c.from), c.keys);
        SendMouse(grid, QEvent::MouseMove, Qt::LeftButton, CellMiddle(40), c.keys);
        SendMouse(grid, QEvent::MouseMove, Qt::LeftButton, CellMiddle(c.to), c.keys);
        if (c.keys != Qt::NoModifier) {
            // The target shows a square in the colour that stands out on its dark grey.
            EXPECT_EQ(PaintedSwatches().pixel(CellMiddle(c.to)), qRgb(255, 255, 255));
            EXPECT_EQ(PaintedSwatches().pixel(CellMiddle(40)), Rgb(Grey(40)));
            EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette()) << "before the release";
        }
        SendMouse(grid, QEvent::MouseButtonRelease, Qt::LeftButton, CellMiddle(c.to), c.keys);
        EXPECT_EQ(PaintedSwatches().pixel(CellMiddle(c.to)),
                  Rgb(Doc().DocImage()->PaletteBlock[size_t(c.to)]))
            << "the target's mark goes with the release";
        std::vector<TPaletteEntry> greys;
        for (uint8_t g : c.greys)
            greys.push_back(Grey(g));
        EXPECT_EQ(Entries(2, 10), greys);
        EXPECT_EQ(Interior(c.to), Rgb(Doc().DocImage()->PaletteBlock[size_t(c.to)]));
        EXPECT_EQ(ShownPicture(), shown);
        EXPECT_EQ(Editor().DrawIndex(), c.drawAfter);
        EXPECT_EQ(Outline(c.drawAfter), Rgb(DisplayColor::Blue));
        const bool changed = c.keys != Qt::NoModifier;
        EXPECT_EQ(Doc().History.UndoCount(), changed ? 1u : 0u);
        if (!changed) continue;
        EXPECT_EQ(Doc().TransparentIndex(), c.name[0] == 's' ? 9 : c.from < c.to ? 8 : 10);
        EXPECT_FALSE(Doc().Saved());
        mainform->acUndo->trigger();
        EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
        EXPECT_EQ(Doc().DocImage()->GetPixel(3, 0), 3u);
        EXPECT_EQ(ShownPicture(), shown);
    }
}

// Under the lock a Ctrl press is refused before anything follows it, as is every command that
// would change the palette or the picture; marking the unused entries changes neither.
TEST_F(PaletteToolsWindowTest, TheLockRefusesEveryChangeWithTheLoadsMessage) {
    OpenDocument();
    palletform->mnPalletChange->trigger();
    QWidget* grid = palletform->palletImage;
    for (Qt::KeyboardModifiers keys :
         {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier}) {
        SendMouse(grid, QEvent::MouseButtonPress, Qt::LeftButton, CellMiddle(3), keys);
        EXPECT_FALSE(palletform->SwatchDragging);
        SendMouse(grid, QEvent::MouseMove, Qt::LeftButton, CellMiddle(10), keys);
        SendMouse(grid, QEvent::MouseButtonRelease, Qt::LeftButton, CellMiddle(10), keys);
    }
    for (QAction* item :
         {palletform->mnGradient, palletform->mnSortHue, palletform->mnSortBrightness,
          palletform->mnSortUsage, palletform->mnMergeDuplicates, palletform->mnLoadNearest,
          palletform->mnSwapIndices, palletform->mnSelectUnused})
        item->trigger();
    const std::vector<QString> refusals = {
        lock + "色を入れ替えられません",       lock + "色を移動できません",
        lock + "グラデーションを作れません",   lock + "並べ替えられません",
        lock + "並べ替えられません",           lock + "並べ替えられません",
        lock + "重複する色をまとめられません", lock + "パレットを読み込めません",
        lock + "色を入れ替えられません",
    };
    EXPECT_EQ(dialogs->Warnings, refusals);
    EXPECT_TRUE(dialogs->OpenFilters.empty());
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[3], Grey(3));
    EXPECT_EQ(Doc().History.UndoCount(), 0u);
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(palletform->UsageLab->text(), "未使用の色: 192");
}

// Shift+click chooses the two ends, shown with an inner frame on every swatch between; the ramp
// is one palette step that undo takes back.
TEST_F(PaletteToolsWindowTest, ShiftClicksChooseTheRangeThatTheRampFills) {
    OpenDocument();
    SetEntry(2, 0, 0, 0);
    SetEntry(6, 200, 100, 40);
    Doc().SetSaved(true);
    palletform->mnGradient->trigger();
    EXPECT_EQ(dialogs->Warnings,
              std::vector<QString>{"グラデーションの両端の色を Shift+クリックで選んでください"});
    QWidget* grid = palletform->palletImage;
    // A first range, then the one meant: a third click begins anew.
    for (int32_t index : {40, 41, 6, 2}) {
        SendMouse(grid, QEvent::MouseButtonPress, Qt::LeftButton, CellMiddle(index),
                  Qt::ShiftModifier);
        SendMouse(grid, QEvent::MouseButtonRelease, Qt::LeftButton, CellMiddle(index),
                  Qt::ShiftModifier);
    }
    EXPECT_EQ(Editor().DrawIndex(), 0) << "Shift+click chooses no drawing index";
    const QImage painted = PaintedSwatches();
    for (int32_t i = 1; i <= 7; ++i) {
        const QRgb inner = painted.pixel(i * 16 + 2, 8), plain = Rgb(Grey(uint8_t(i)));
        EXPECT_EQ(inner != plain, i >= 2 && i <= 6) << "entry " << i;
    }
    EXPECT_EQ(painted.pixel(40 * 16 % 256 + 2, 40 / 16 * 16 + 8), Rgb(Grey(40)));

    palletform->mnGradient->trigger();
    const std::vector<TPaletteEntry> ramp = {
        Grey(0), {10, 25, 50, 0}, {20, 50, 100, 0}, {30, 75, 150, 0}, {40, 100, 200, 0}};
    EXPECT_EQ(Entries(2, 5), ramp);
    EXPECT_EQ(Interior(4), qRgb(100, 50, 20));
    EXPECT_EQ(DocViewColourOf(4), qRgb(100, 50, 20));
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    EXPECT_FALSE(Doc().Saved());
    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[4], Grey(4));
    // The range stays for another ramp after the ends are edited; another document drops it.
    EXPECT_EQ(palletform->RangeFirst, 6);
    OpenDocument();
    EXPECT_FALSE(palletform->RangeFirst);
}

// The sorts through the menu, with the transparent entry kept in place when the item is checked:
// the picture looks the same and the indices follow their colours.
TEST_F(PaletteToolsWindowTest, SortsReorderThePaletteKeepingThePicture) {
    const TPaletteEntry red{0, 0, 255, 0}, blue{255, 0, 0, 0};
    struct Case {
        const char* name;
        QAction* item;
        bool keepTransparent;
        std::vector<std::pair<int32_t, TPaletteEntry>> entries; // places and what they hold
        int32_t drawAfter, clearAfter;
    };
    const Case cases[] = {
        // 62 greys by brightness, then red and blue; the unused keep their places.
        {"hue",
         palletform->mnSortHue,
         false,
         {{9, Grey(9)}, {10, Grey(11)}, {61, Grey(63)}, {62, red}, {63, blue}, {64, Grey(64)}},
         63,
         62},
        {"hue, the transparent red kept",
         palletform->mnSortHue,
         true,
         {{10, red}, {19, Grey(19)}, {20, Grey(21)}, {62, Grey(63)}, {63, blue}},
         63,
         10},
        // Index 40 holds three pixels, 0 and 1 none.
        {"usage",
         palletform->mnSortUsage,
         false,
         {{0, Grey(40)}, {1, Grey(2)}, {9, red}, {61, Grey(63)}, {62, Grey(0)}, {63, Grey(1)}},
         19,
         9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenDocument();
        SetEntry(10, 255, 0, 0);
        SetEntry(20, 0, 0, 255);
        if (c.item == palletform->mnSortUsage) {
            SetPixel(0, 0, 40);
            SetPixel(1, 0, 40);
        }
        Click(TMouseButton::Left, 20 * 16 % 256 + 8, 20 / 16 * 16 + 8);
        Click(TMouseButton::Right, 10 * 16 + 8, 8);
        if (palletform->mnKeepTransparent->isChecked() != c.keepTransparent)
            palletform->mnKeepTransparent->trigger();
        EXPECT_EQ(Editor().SortKeepsTransparent, c.keepTransparent);
        const size_t steps = Doc().History.UndoCount();
        const std::vector<QRgb> shown = ShownPicture();
        c.item->trigger();
        for (const auto& [place, entry] : c.entries)
            EXPECT_EQ(Doc().DocImage()->PaletteBlock[size_t(place)], entry) << "place " << place;
        EXPECT_EQ(ShownPicture(), shown);
        EXPECT_EQ(Editor().DrawIndex(), c.drawAfter);
        EXPECT_EQ(Doc().TransparentIndex(), c.clearAfter);
        EXPECT_EQ(Outline(c.clearAfter), Rgb(DisplayColor::Red));
        EXPECT_EQ(Doc().History.UndoCount(), steps + 1);
        // Sorted once, the palette is in order: a second sort changes nothing.
        c.item->trigger();
        EXPECT_EQ(Doc().History.UndoCount(), steps + 1);
    }
}

// The count of the entry under the pointer, made again only after the picture changed, and
// shown again when it changes under the resting pointer.
TEST_F(PaletteToolsWindowTest, TheLabelCountsThePixelsOfTheEntryUnderThePointer) {
    MoveOver(5);
    EXPECT_EQ(palletform->UsageLab->text(), "") << "no document";
    OpenDocument();
    SetPixel(0, 0, 40);
    SetPixel(1, 0, 40);
    MoveOver(40);
    EXPECT_EQ(palletform->UsageLab->text(), "#40: 3 ピクセル");
    MoveOver(0);
    EXPECT_EQ(palletform->UsageLab->text(), "#0: 0 ピクセル");
    MoveOver(200);
    EXPECT_EQ(palletform->UsageLab->text(), "#200: 0 ピクセル");
    SetPixel(5, 5, 200);
    EXPECT_EQ(palletform->UsageLab->text(), "#200: 1 ピクセル") << "the resting pointer";
    mainform->acUndo->trigger();
    EXPECT_EQ(palletform->UsageLab->text(), "#200: 0 ピクセル");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(palletform->palletImage, &leave);
    EXPECT_EQ(palletform->UsageLab->text(), "");
    SetPixel(6, 5, 200);
    EXPECT_EQ(palletform->UsageLab->text(), "");
}

// The unused entries get a cross until the picture changes; merging duplicates gives their
// pixels to the first entry of the colour and says how many entries it freed.
TEST_F(PaletteToolsWindowTest, UnusedMarksAndMergedDuplicates) {
    OpenDocument();
    SetPixel(3, 0, 4); // entry 3 unused
    palletform->mnSelectUnused->trigger();
    EXPECT_EQ(palletform->UsageLab->text(), "未使用の色: 193");
    const auto crossed = [](int32_t index) {
        const QPoint corner(index % 16 * 16 + 4, index / 16 * 16 + 4);
        return PaintedSwatches().pixel(corner) != Rgb(Doc().DocImage()->PaletteBlock[index]);
    };
    EXPECT_TRUE(crossed(3));
    EXPECT_TRUE(crossed(64));
    EXPECT_TRUE(crossed(255));
    EXPECT_FALSE(crossed(4));
    EXPECT_FALSE(crossed(63));

    SetEntry(12, 7, 7, 7); // the colour of entry 7
    EXPECT_FALSE(crossed(3)) << "a palette change drops the marks";
    const std::vector<QRgb> shown = ShownPicture();
    Doc().SetSaved(true);
    palletform->mnMergeDuplicates->trigger();
    EXPECT_EQ(palletform->UsageLab->text(), "まとめた色: 1");
    EXPECT_EQ(Doc().DocImage()->GetPixel(4, 1), 7u);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[12], Grey(7));
    EXPECT_EQ(ShownPicture(), shown);
    EXPECT_FALSE(Doc().Saved());
    palletform->mnMergeDuplicates->trigger();
    EXPECT_EQ(palletform->UsageLab->text(), "まとめた色: 0");
    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().DocImage()->GetPixel(4, 1), 12u);
}

// The second load item maps every pixel to the nearest loaded colour: the picture changes as
// little as the file's colours allow, as one undo step.
TEST_F(PaletteToolsWindowTest, LoadingToTheNearestColoursRemapsThePicture) {
    OpenDocument();
    SetEntry(63, 250, 250, 250);
    Doc().SetSaved(true);
    dialogs->OpenNames.push_back(FileWith("bw.gpl", "GIMP Palette\n0 0 0\tInk\n255 255 255\n"));
    palletform->mnLoadNearest->trigger();
    EXPECT_TRUE(dialogs->Errors.empty());
    EXPECT_EQ(dialogs->OpenFilters.size(), 1u);
    const std::vector<TPaletteEntry> loaded = {Grey(0), Grey(255), Grey(2)};
    EXPECT_EQ(Entries(0, 3), loaded);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[63], (TPaletteEntry{250, 250, 250, 0}));
    for (int32_t i = 0; i < 64; ++i)
        EXPECT_EQ(DocViewColourOf(i), i == 63 ? qRgb(255, 255, 255) : qRgb(0, 0, 0)) << i;
    EXPECT_EQ(Doc().DocImage()->GetPixel(7, 7), 1u);
    EXPECT_EQ(Doc().DocPaletteNames().Entries.front(), "Ink");
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
    EXPECT_FALSE(Doc().Saved());
    mainform->acUndo->trigger();
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[1], Grey(1));
    EXPECT_EQ(Doc().DocImage()->GetPixel(7, 7), 63u);
    EXPECT_EQ(DocViewColourOf(63), qRgb(250, 250, 250));
}
