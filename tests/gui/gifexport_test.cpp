// GIF files in the editor: an animated GIF opened as its first frame or as a sheet, the GIF export
// of the animation's cells and the enlarged export, through scripted dialogs.
#include "ToolRun.h"
#include "app/imagefile.h"
#include "base/Stream.h"
#include "editor_fixture.h"
#include "formats/Gif.h"
#include "image/Enlarge.h"
#include "image/PaletteAlpha.h"
#include "image/SpriteSheet.h"
#include "image/Transform.h"

#include <QAction>
#include <filesystem>

namespace {
const QString kUnknownSaveExtension = "対応していない拡張子なので保存できませんでした";
const QString kOverwriteLossy = QString::fromUtf8("開いたときに読み込めなかった内容は、上書きする"
                                                  "と元のファイルからも失われます。\r\n上書きしま"
                                                  "すか？");
constexpr int32_t kClear = 5; // the transparent entry of the pictures here

// A 12 x 4 sheet of three 4 x 4 cells with a palette of its own: pixel (x, y) = 1 + 10 y + x.
TDIB Sheet() {
    TDIB image;
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[size_t(i)] =
            TPaletteEntry{uint8_t(i * 3), uint8_t(255 - i), uint8_t(i / 2), 0};
    image.Resize(12, 4, 8);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 12; ++x)
            image.RowForWrite(y)[x] = uint8_t(1 + 10 * y + x);
    return image;
}

std::vector<TRect> SheetFrames(const TDIB& sheet) {
    return SheetCells(sheet.Width(), sheet.Height(), {0, 0, 4, 4}, kMostSheetCells);
}

// The cells of sheet as the frames of an animated GIF at path, entry kClear transparent.
void WriteAnimation(const QString& path, const TDIB& sheet) {
    TFileStream stream(path.toStdString(), TFileStream::fmCreate);
    SaveGifAnimation(sheet, {AlphaTableFor(kClear)}, SheetFrames(sheet), 10, stream);
}

// The same indices, showing the same colours; entries no pixel uses may differ, as a GIF's
// colour table holds only as many entries as its bit depth needs.
void ExpectSamePicture(const TDIB& actual, const TDIB& expected) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x) {
            const uint32_t index = expected.GetPixel(x, y);
            ASSERT_EQ(actual.GetPixel(x, y), index) << x << ", " << y;
            ASSERT_EQ(actual.PaletteBlock[index], expected.PaletteBlock[index]) << index;
        }
}

// The document as a writer takes it.
TDIB Document() {
    return WritableCopy(*Doc().DocImage());
}
} // namespace

// A GIF of several frames asks how it opens; either way what the document leaves out is named
// in the warning, and saving over the file asks first.
TEST_F(EditorTest, AnimatedGifOpensAsItsFirstFrameOrAsASheet) {
    const TDIB sheet = Sheet();
    const QString path = TempPath("walk.gif");
    WriteAnimation(path, sheet);
    const std::vector<uint8_t> file = ReadFileBytes(path.toStdString());
    struct Case {
        TFramesAnswer answer;
        std::optional<TDIB> picture; // nothing: no document opens
        QString lost;
    };
    const Case cases[] = {
        {TFramesAnswer::First, Reframed(sheet, {0, 0, 4, 4}, 0),
         "・2枚目以降のフレーム（最初のフレームだけを開きました）"},
        {TFramesAnswer::Sheet, sheet, "・フレームの表示時間（フレームを横一列に並べて開きました）"},
        {TFramesAnswer::Cancel, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.answer));
        *dialogs = TScriptedDialogs();
        dialogs->FramesAnswers = {c.answer};
        mainform->OpenPath(path);
        EXPECT_EQ(dialogs->FramesAsked, std::vector<int32_t>{3});
        if (!c.picture) {
            EXPECT_FALSE(Doc().IsOpen());
            EXPECT_TRUE(dialogs->Warnings.empty());
            continue;
        }
        ASSERT_TRUE(Doc().IsOpen());
        ExpectSamePicture(*Doc().DocImage(), *c.picture);
        EXPECT_EQ(Doc().TransparentIndex(), kClear);
        EXPECT_TRUE(Doc().DocTransparent());
        EXPECT_TRUE(Doc().Saved());
        EXPECT_EQ(mainform->FileName(), path);
        ASSERT_EQ(dialogs->Warnings.size(), 1u);
        EXPECT_TRUE(dialogs->Warnings[0].contains("\n" + c.lost + "\n"))
            << dialogs->Warnings[0].toStdString();
        // Saving over the animation asks; No keeps the file.
        dialogs->Answers = {TPromptAnswer::No};
        mainform->acSave->trigger();
        EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kOverwriteLossy});
        EXPECT_EQ(ReadFileBytes(path.toStdString()), file);
        mainform->CloseDocument();
    }
}

// One frame opens without a question and without a warning; Save As .gif writes one frame.
TEST_F(EditorTest, SingleFrameGifOpensAndSavesAsItIs) {
    const QString path = TempPath("still.gif");
    {
        TFileStream stream(path.toStdString(), TFileStream::fmCreate);
        SaveGif(Sheet(), {AlphaTableFor(kClear)}, stream);
    }
    mainform->OpenPath(path);
    ASSERT_TRUE(Doc().IsOpen());
    EXPECT_TRUE(dialogs->FramesAsked.empty());
    EXPECT_TRUE(dialogs->Warnings.empty());
    ExpectSamePicture(*Doc().DocImage(), Sheet());
    EXPECT_EQ(Doc().TransparentIndex(), kClear);

    const QString copy = TempPath("copy.gif");
    dialogs->SaveNames = {copy};
    mainform->acSaveAs->trigger();
    EXPECT_EQ(mainform->FileName(), copy);
    const TReadImage back = ReadDocumentImage(copy.toStdString());
    EXPECT_EQ(back.Frames, 1);
    EXPECT_EQ(back.TransparentIndex, kClear);
    ExpectSamePicture(*back.Image, Sheet());
}

// The GIF export writes the animation's cells at its speed with the document's transparency, and
// leaves the document's file and saved flag as they were, saved or not.
TEST_F(EditorTest, GifExportWritesTheAnimationAndLeavesTheDocumentAlone) {
    const QString source = TempPath("sheet.png");
    WriteDocumentImage(source.toStdString(), *FormatForExtension(".png"), Sheet(),
                       {AlphaTableFor(kClear)});
    for (const bool edited : {false, true}) {
        SCOPED_TRACE(edited ? "unsaved" : "saved");
        mainform->OpenPath(source);
        Editor().SetLupeCells(4, 4);
        Editor().SetViewOrigin(kEditArea, 4, 0);
        Editor().SetAnimation({.Frames = 2, .Fps = 25});
        if (edited) RecordedEdit({4, 0, 5, 1}, [](TDIB& image) { image.RowForWrite(0)[4] = 99; });
        const TDIB document = Document();
        const QString out = TempPath(edited ? "edited.gif" : "saved.gif");
        dialogs->SaveNames = {out};
        mainform->acExportGif->trigger();
        EXPECT_EQ(dialogs->SaveFilters.back(), "GIFファイル (*.gif)");
        EXPECT_EQ(dialogs->SaveSuffixes.back(), "gif");
        EXPECT_EQ(mainform->FileName(), source);
        EXPECT_EQ(Doc().Saved(), !edited);
        ExpectSamePicture(*Doc().DocImage(), document);

        // The second and third cells, side by side.
        const TReadImage sheet = ReadDocumentImage(out.toStdString(), true);
        EXPECT_EQ(sheet.Frames, 2);
        EXPECT_EQ(sheet.TransparentIndex, kClear);
        ExpectSamePicture(*sheet.Image, Reframed(document, {4, 0, 12, 4}, 0));
        if (const auto pillow = PillowSays(
                "im = Image.open(sys.argv[1]); print(im.n_frames, im.size, im.info['duration'], "
                "im.info.get('transparency'), im.info.get('loop'))",
                out.toStdString())) {
            EXPECT_EQ(*pillow, "2 (4, 4) 40 5 0\n");
        }
        if (edited) dialogs->Answers = {TPromptAnswer::No};
        mainform->CloseDocument();
    }
}

// The enlarged export asks the scale (the last one chosen filled in) and a file, and writes
// the document enlarged in the format of the extension, palette and transparency kept.
TEST_F(EditorTest, EnlargedExportWritesEveryFormat) {
    const QString source = TempPath("sheet.png");
    WriteDocumentImage(source.toStdString(), *FormatForExtension(".png"), Sheet(),
                       {AlphaTableFor(kClear)});
    mainform->OpenPath(source);
    RecordedEdit({0, 0, 1, 1}, [](TDIB& image) { image.RowForWrite(0)[0] = kClear; });
    struct Case {
        const char* name;
        int32_t scale;
        int32_t transparent;
        const char* pillow; // size and transparency as Pillow sees them
    };
    const Case cases[] = {
        {"big.png", 3, kClear, "(36, 12) 5\n"},
        {"big.bmp", 2, -1, "(24, 8) None\n"},
        {"big.gif", 16, kClear, "(192, 64) 5\n"},
        {"same.PNG", 1, kClear, "(12, 4) 5\n"},
    };
    std::vector<int32_t> starts;
    int32_t last = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = TempPath(c.name);
        dialogs->ExportScales = {c.scale};
        dialogs->SaveNames = {out};
        mainform->acExportEnlarged->trigger();
        starts.push_back(last);
        last = c.scale;
        EXPECT_EQ(dialogs->SaveSuffixes.back(), "png");
        const TReadImage back = ReadDocumentImage(out.toStdString());
        ExpectSamePicture(*back.Image, Enlarged(Document(), c.scale));
        EXPECT_EQ(back.TransparentIndex, c.transparent);
        if (const auto pillow = PillowSays("im = Image.open(sys.argv[1]); print(im.size, "
                                           "repr(im.info.get('transparency')))",
                                           out.toStdString())) {
            EXPECT_EQ(*pillow, c.pillow);
        }
    }
    EXPECT_EQ(dialogs->ExportScaleStarts, starts);
    EXPECT_EQ(mainform->ExportScale, 1);
    EXPECT_EQ(mainform->FileName(), source);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().History.UndoCount(), 1u);
}

// The exports are off without a document; a cancelled dialog writes nothing, an extension
// without a writer is refused, and a failed write names the file.
TEST_F(EditorTest, ExportsNeedADocumentAndAWritableName) {
    EXPECT_FALSE(mainform->acExportGif->isEnabled());
    EXPECT_FALSE(mainform->acExportEnlarged->isEnabled());
    // Without a document the commands ask nothing (an unscripted dialog fails the test).
    mainform->acExportGifExecute();
    mainform->acExportEnlargedExecute();
    NewDocument("8", "8");
    EXPECT_TRUE(mainform->acExportGif->isEnabled());
    EXPECT_TRUE(mainform->acExportEnlarged->isEnabled());

    dialogs->ExportScales = {std::nullopt, 4, 4, 4};
    mainform->acExportEnlarged->trigger();
    EXPECT_TRUE(dialogs->SaveFilters.empty());
    EXPECT_EQ(mainform->ExportScale, 2);
    std::filesystem::create_directory(TempPath("folder.gif").toStdString());
    dialogs->SaveNames = {QString(), TempPath("notes.txt"), TempPath("folder.gif")};
    for (int i = 0; i < 3; ++i)
        mainform->acExportEnlarged->trigger();
    dialogs->SaveNames = {TempPath("anim.png"), TempPath("folder.gif")};
    mainform->acExportGif->trigger();
    mainform->acExportGif->trigger();
    EXPECT_EQ(mainform->ExportScale, 4);
    EXPECT_EQ(dialogs->Warnings,
              (std::vector<QString>{kUnknownSaveExtension, kUnknownSaveExtension}));
    ASSERT_EQ(dialogs->Errors.size(), 2u);
    for (const QString& error : dialogs->Errors)
        EXPECT_TRUE(error.contains(TempPath("folder.gif"))) << error.toStdString();
    EXPECT_FALSE(FileExists(TempPath("notes.txt").toStdString()));
    EXPECT_FALSE(FileExists(TempPath("anim.png").toStdString()));

    mainform->CloseDocument();
    EXPECT_FALSE(mainform->acExportGif->isEnabled());
    EXPECT_FALSE(mainform->acExportEnlarged->isEnabled());
}
