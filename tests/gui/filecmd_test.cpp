// The file commands: New, Open, Save, Save As, Close and quitting, through scripted dialogs.
#include "app/imagefile.h"
#include "base/Stream.h"
#include "docview_shown.h"
#include "editor/lupe.h"
#include "editor_fixture.h"
#include "palette/palettewindow.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

namespace {
const QString kUnknownFormat =
    QString::fromUtf8("対応していない形式か、\x0A\x0C拡張子が違うので読み込めませんでした");
const QString kMissingFile = "ファイルがありません(T.T)";
const QString kUnsavedPrompt =
    QString::fromUtf8("データが保存されていません。\x0D\x0A保存しますか？");
const QString kUnknownSaveExtension = "対応していない拡張子なので保存できませんでした";

// A 7 x 5 picture with a palette of its own: pixel (x, y) = 10 * y + x.
TDIB Picture() {
    TDIB image;
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[size_t(i)] =
            TPaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    image.Resize(7, 5, 8);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            image.RowForWrite(y)[x] = uint8_t(10 * y + x);
    return image;
}

void SaveBmp(const TDIB& image, const QString& path) {
    TFileStream stream(path.toStdString(), TFileStream::fmCreate);
    image.SaveAsBmp(stream);
}

void ExpectSamePicture(const TDIB& actual, const TDIB& expected) {
    ASSERT_EQ(actual.BitCount(), 8);
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x)
            ASSERT_EQ(actual.RowForRead(y)[x], expected.RowForRead(y)[x]) << x << ", " << y;
    for (size_t i = 0; i < 256; ++i)
        ASSERT_EQ(actual.PaletteBlock[i], expected.PaletteBlock[i]) << "entry " << i;
}

TDIB LoadBmp(const QString& path) {
    TDIB image;
    TFileStream stream(path.toStdString(), TFileStream::fmOpenRead);
    image.LoadFromBmp(stream);
    return image;
}

// Runs command while files may grow only to 100 bytes: a write stops part way, as on a full disk.
// Root ignores permissions, not this limit.
void OnAFullDisk(const std::function<void()>& command) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    command();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}
} // namespace

TEST_F(EditorTest, NewOneByOneIsABlankGreyRampImage) {
    NewDocument("1", "1");
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(NewForm->result(), QDialog::Accepted);
    EXPECT_EQ(Doc().DocImage()->Width(), 1);
    EXPECT_EQ(Doc().DocImage()->Height(), 1);
    EXPECT_EQ(Doc().DocImage()->BitCount(), 8);
    EXPECT_EQ(Doc().DocImage()->RowForRead(0)[0], 0);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock, GreyRampPalette());
    EXPECT_EQ(Doc().DocWidth(), 1);
    EXPECT_EQ(Doc().DocHeight(), 1);
    EXPECT_TRUE(Doc().Saved());
    EXPECT_TRUE(mainform->FileName().isEmpty());
    EXPECT_EQ(Doc().History.UndoCapacity(), 50u);
    EXPECT_EQ(Editor().ViewWidth(0), 1);
    EXPECT_EQ(Editor().ViewHeight(0), 1);
    EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(1, 1));
    EXPECT_EQ(mainform->PaintBox2->size(), QSize(1, 1));
}

TEST_F(EditorTest, NewRefusesSizesThatAreNotPositive) {
    NewDocument("9", "8");
    Doc().SetSaved(false); // an open, unsaved document must come through untouched
    const TDIB* before = Doc().DocImage();
    const char* sizes[][2] = {{"0", "5"},  {"-5", "5"},  {"abc", "5"}, {"5", "0"},
                              {"5", "-5"}, {"5", "abc"}, {"", "5"},    {"2.5", "5"}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
        dialogs->Warnings.clear();
        NewForm->setResult(0);
        NewDocument(size[0], size[1]);
        ASSERT_EQ(dialogs->Warnings.size(), 1u);
        EXPECT_EQ(dialogs->Warnings[0], QString("0サイズの画像は作れません"));
        EXPECT_EQ(NewForm->result(), 0) << "the dialog closed";
        EXPECT_EQ(Doc().DocImage(), before);
        EXPECT_EQ(Doc().DocWidth(), 9);
        EXPECT_FALSE(Doc().Saved());
    }
    EXPECT_TRUE(dialogs->Prompts.empty());
}

TEST_F(EditorTest, NewTooWideToDisplayIsRefusedWithAnError) {
    dialogs->OnNewForm = [] {
        NewForm->XEdit->setText("20000000");
        NewForm->YEdit->setText("1");
        NewForm->Button1->click();
    };
    mainform->acNew->trigger();
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0], QString("表示用ビットマップ を作成できません"));
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_TRUE(mainform->isVisible());
}

namespace {
// Bytes of address space the process has mapped now (VmSize), or 0 when it cannot be read.
uint64_t MappedBytes() {
    const std::vector<uint8_t> status = ReadFileBytes("/proc/self/status");
    const std::string text(status.begin(), status.end());
    const size_t at = text.find("VmSize:");
    return at == std::string::npos ? 0 : std::stoull(text.substr(at + 7)) * 1024;
}
} // namespace

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VARNET_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VARNET_TEST_ASAN 1
#endif

TEST_F(EditorTest, DocumentWhoseViewCannotBeMadeIsNotLeftHalfInstalled) {
    NewDocument("256", "256");
    Editor().SetViewOrigin(0, Editor().ViewLeft(0), 224);
    ASSERT_EQ(Editor().ViewHeight(0), 32);
    // At four times the new picture is wider than any widget may be.
    mainform->x4->trigger();
    ASSERT_EQ(mainform->ZoomFactor, 4);
    NewForm->setResult(0);
    dialogs->OnNewForm = [] {
        NewForm->XEdit->setText("5000000");
        NewForm->YEdit->setText("1");
        NewForm->Button1->click();
    };
    mainform->acNew->trigger();

    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_EQ(dialogs->Errors[0], QString("表示用ビットマップ を作成できません"));
    EXPECT_EQ(NewForm->result(), 0) << "the dialog closed";
    // No document rather than one whose views still describe the last one.
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_TRUE(PaintsNothing());
    EXPECT_EQ(StaleDocumentView(), "");
    EXPECT_TRUE(mainform->FileName().isEmpty());
    EXPECT_TRUE(mainform->isVisible());
}

// The view draws what is on screen from the indexed picture, so a document that leaves room for
// little more than itself opens and shows at four times.
TEST_F(EditorTest, DocumentViewNeedsNoPictureOfTheEnlargedDocument) {
#ifdef VARNET_TEST_ASAN
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
    mainform->x4->trigger();
    NewDocument("256", "256");
    const uint64_t mapped = MappedBytes();
    ASSERT_GT(mapped, 0u);

    // Room for the 40 MB picture but not for 640 MB of it enlarged.
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    rlimit small = old;
    small.rlim_cur = mapped + (100u << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &small), 0);
    NewDocument("1000000", "40");
    for (int32_t x = 0; x < 64; ++x)
        Doc().DocImage()->SetPixel(x, x % 40, uint32_t(x));
    mainform->RenderDocBitmap();
    const std::string stale = StaleDocumentView();
    const QRect corner(0, 0, 64 * mainform->ZoomPixels(), 40 * mainform->ZoomPixels());
    const bool painted = PaintedDocument(corner) == FullRender(corner);
    setrlimit(RLIMIT_AS, &old);

    EXPECT_TRUE(dialogs->Errors.empty());
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(1000000, 40) * mainform->ZoomPixels());
    EXPECT_EQ(stale, "");
    EXPECT_TRUE(painted);
}

TEST_F(EditorTest, NewDialogKeepsTheLastTypedSize) {
    NewDocument("300", "20");
    QString width, height;
    dialogs->OnNewForm = [&] {
        width = NewForm->XEdit->text();
        height = NewForm->YEdit->text();
    };
    mainform->acNew->trigger();
    EXPECT_EQ(width, QString("300"));
    EXPECT_EQ(height, QString("20"));
}

TEST_F(EditorTest, NewOverAnUnsavedDocumentAsksFirst) {
    NewDocument("9", "8");
    Doc().SetSaved(false);
    const TDIB* before = Doc().DocImage();
    dialogs->Answers = {TPromptAnswer::Cancel};
    NewForm->setResult(0);
    NewDocument("4", "4");
    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kUnsavedPrompt});
    EXPECT_EQ(Doc().DocImage(), before);
    EXPECT_EQ(NewForm->result(), 0) << "the dialog closed";

    dialogs->Answers = {TPromptAnswer::No};
    NewDocument("4", "3");
    EXPECT_EQ(Doc().DocWidth(), 4);
    EXPECT_EQ(Doc().DocHeight(), 3);
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(EditorTest, EveryViewLetsTheDocumentGoWhenItCloses) {
    const QString file = TempPath("picture.bmp");
    SaveBmp(Picture(), file);
    const QString corrupt = TempPath("corrupt.bmp");
    WriteFileBytes(corrupt.toStdString(), {'B', 'M', 1, 2, 3});
    struct Case {
        const char* name;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"Close", [] { mainform->acClose->trigger(); }},
        {"Open of a corrupt file",
         [&] {
             dialogs->OpenNames.push_back(corrupt);
             mainform->asOpen->trigger();
         }},
        {"Open cancelled",
         [&] {
             dialogs->OpenNames.push_back(QString());
             mainform->asOpen->trigger();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mainform->OpenPath(file);
        ASSERT_TRUE(Doc().DocImage());
        ASSERT_FALSE(LupeForm->LupeBitmap.isNull());
        // Entry 5 of the picture's palette is not black.
        ASSERT_NE(palletform->PalletBitmap.pixel(5 * 16 + 8, 8), qRgb(0, 0, 0));
        c.close();
        dialogs->Errors.clear();
        EXPECT_FALSE(Doc().DocImage());
        EXPECT_TRUE(LupeForm->LupeBitmap.isNull());
        EXPECT_EQ(LupeForm->LupeBox->width(), 0);
        EXPECT_TRUE(PaintsNothing());
        EXPECT_EQ(StaleDocumentView(), "");
        for (int32_t i = 0; i < 256; ++i)
            ASSERT_EQ(palletform->PalletBitmap.pixel(i % 16 * 16 + 8, i / 16 * 16 + 8),
                      qRgb(0, 0, 0))
                << "swatch " << i;
    }
}

TEST_F(EditorTest, OpenReadsBmpAndPngWhateverTheExtensionsCase) {
    const TDIB picture = Picture();
    const QString bmp = TempPath("a.Bmp");
    SaveBmp(picture, bmp);
    const QString png = TempPath("b.PNG");
    WriteDocumentImage(png.toStdString(), *FormatNamed("png"), picture);
    for (const QString& path : {bmp, png, TempPath("a.Bmp")}) {
        SCOPED_TRACE(path.toStdString());
        dialogs->OpenNames = {path};
        mainform->asOpen->trigger();
        EXPECT_TRUE(dialogs->Errors.empty());
        EXPECT_TRUE(dialogs->Warnings.empty());
        ASSERT_NE(Doc().DocImage(), nullptr);
        ExpectSamePicture(*Doc().DocImage(), picture);
        EXPECT_EQ(Doc().DocWidth(), 7);
        EXPECT_EQ(Doc().DocHeight(), 5);
        EXPECT_EQ(mainform->FileName(), path);
        EXPECT_TRUE(Doc().Saved());
        EXPECT_EQ(Doc().History.UndoCapacity(), 50u);
        EXPECT_EQ(mainform->PaintBox2->DevicePicture, QSize(7, 5));
        EXPECT_EQ(PaintedDocument().pixel(3, 2), qRgb(23 / 2, 255 - 23, 23));
        EXPECT_EQ(StaleDocumentView(), "");
    }
    EXPECT_EQ(dialogs->OpenFilters.front(),
              QString("標準サポートファイル (*.png *.bmp *.gif);;PNGファイル (*.png);;"
                      "BMPファイル (*.bmp);;GIFファイル (*.gif);;すべてのファイル (*)"));
}

TEST_F(EditorTest, OpenRefusesMissingFilesAndUnknownFormats) {
    struct Case {
        const char* name;
        bool create;
        QString warning;
    };
    const Case cases[] = {
        {"missing.png", false, kMissingFile},
        {"picture.tga", true, kUnknownFormat},
        {"picture", true, kUnknownFormat},
        {"folder.bmp", false, kMissingFile},
    };
    std::filesystem::create_directory(TempPath("folder.bmp").toStdString());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDocument("8", "8"); // a document open before the command is closed by it
        const QString path = TempPath(c.name);
        if (c.create) SaveBmp(Picture(), path);
        dialogs->Warnings.clear();
        dialogs->OpenNames = {path};
        mainform->asOpen->trigger();
        EXPECT_EQ(dialogs->Warnings, std::vector<QString>{c.warning});
        EXPECT_EQ(Doc().DocImage(), nullptr);
        EXPECT_TRUE(mainform->FileName().isEmpty());
    }
}

TEST_F(EditorTest, OpenCancelledLeavesNoDocument) {
    NewDocument("8", "8");
    dialogs->OpenNames = {QString()};
    mainform->asOpen->trigger();
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_TRUE(dialogs->Warnings.empty());
}

TEST_F(EditorTest, OpenOverAnUnsavedDocumentCancelledKeepsIt) {
    NewDocument("8", "8");
    Doc().SetSaved(false);
    const TDIB* before = Doc().DocImage();
    dialogs->Answers = {TPromptAnswer::Cancel};
    mainform->asOpen->trigger(); // no open dialog may follow
    EXPECT_EQ(Doc().DocImage(), before);
    EXPECT_FALSE(Doc().Saved());
}

TEST_F(EditorTest, UnreadableFilesShowTheErrorAndOpenNothing) {
    const std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3, 0x89, 'P', 'N', 'G', 9, 9};
    for (const char* name : {"junk.bmp", "junk.png", "empty.png"}) {
        SCOPED_TRACE(name);
        NewDocument("8", "8");
        const QString path = TempPath(name);
        WriteFileBytes(path.toStdString(),
                       std::string(name) == "empty.png" ? std::vector<uint8_t>{} : junk);
        dialogs->Errors.clear();
        dialogs->OpenNames = {path};
        mainform->asOpen->trigger();
        EXPECT_EQ(dialogs->Errors.size(), 1u);
        EXPECT_EQ(Doc().DocImage(), nullptr);
        EXPECT_TRUE(mainform->isVisible());
    }
}

TEST_F(EditorTest, OpenedPicturesBecomeEightBitDocuments) {
    // 4 bits: the same indices and palette, one byte a pixel.
    TDIB fourBit;
    for (int i = 0; i < 16; ++i)
        fourBit.PaletteBlock[size_t(i)] = TPaletteEntry{uint8_t(i * 16), 0, uint8_t(255 - i), 0};
    fourBit.Resize(5, 3, 4);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            fourBit.SetPixel(x, y, uint32_t(x + 5 * y) % 16);
    SaveBmp(fourBit, TempPath("four.bmp"));
    dialogs->OpenNames = {TempPath("four.bmp")};
    mainform->asOpen->trigger();
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().DocImage()->BitCount(), 8);
    EXPECT_EQ(Doc().DocImage()->RowForRead(2)[4], 14);
    EXPECT_EQ(Doc().DocImage()->PaletteBlock[14], fourBit.PaletteBlock[14]);
    EXPECT_TRUE(dialogs->Warnings.empty());

    // 24 bits with more than 256 colours: reduced, with a warning.
    TDIB rich;
    rich.Resize(32, 16, 24);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32; ++x)
            rich.SetPixel(x, y, uint32_t(x * 8) | uint32_t(y * 16) << 8 | 0x400000);
    SaveBmp(rich, TempPath("rich.bmp"));
    dialogs->OpenNames = {TempPath("rich.bmp")};
    mainform->asOpen->trigger();
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(Doc().DocImage()->BitCount(), 8);
    EXPECT_EQ(Doc().DocWidth(), 32);
    EXPECT_EQ(dialogs->Warnings,
              std::vector<QString>{"このファイルの次の内容は読み込めませんでした。\n"
                                   "・色数が256を超えているため、256色に減色しました\n"
                                   "上書き保存すると、元のファイルからも失われます。"});
    EXPECT_TRUE(Doc().Saved());
}

TEST_F(EditorTest, InstalledDocumentsKeepTheViewsInsideTheImage) {
    struct Case {
        QToolButton* snap;
        int left0, top0, left1, top1; // after New 50 x 40
    };
    // Origins inside the new image stay; the others move to the last snap position where the
    // whole 32 x 32 view fits, not onto the last pixel.
    const Case cases[] = {{mainform->btLupeGrid, 0, 0, 20, 0},
                          {mainform->bt8Dot, 16, 8, 20, 8},
                          {mainform->bt1Dot, 18, 8, 20, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.snap->text().toStdString());
        NewDocument("256", "256");
        c.snap->click();
        Editor().SetViewOrigin(0, 200, 100);
        Editor().SetViewOrigin(1, 20, 64);
        NewDocument("50", "40");
        EXPECT_EQ(Editor().ViewLeft(0), c.left0);
        EXPECT_EQ(Editor().ViewTop(0), c.top0);
        EXPECT_EQ(Editor().ViewLeft(1), c.left1);
        EXPECT_EQ(Editor().ViewTop(1), c.top1);
        for (int i = 0; i < 2; ++i) {
            EXPECT_GT(Editor().ViewWidth(i), 0);
            EXPECT_GT(Editor().ViewHeight(i), 0);
        }
        EXPECT_EQ(Editor().ViewWidth(0), 32);
        EXPECT_EQ(Editor().ViewHeight(0), 32);
    }
    // Where no whole view fits, the origin is 0.
    mainform->bt1Dot->click();
    Editor().SetViewOrigin(0, 40, 40);
    NewDocument("20", "12");
    EXPECT_EQ(Editor().ViewLeft(0), 0);
    EXPECT_EQ(Editor().ViewTop(0), 0);
}

TEST_F(EditorTest, SaveOfANewDocumentAsksForAName) {
    NewDocument("6", "4");
    Doc().DocImage()->RowForWrite(1)[2] = 77;
    Doc().SetSaved(false);
    const QString path = TempPath("new.bmp");
    dialogs->SaveNames = {path};
    mainform->acSave->trigger();
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(mainform->FileName(), path);
    EXPECT_EQ(dialogs->SaveSuffixes, std::vector<QString>{"png"});
    EXPECT_EQ(dialogs->SaveFilters.front(),
              QString("PNGファイル (*.png);;BMPファイル (*.bmp);;GIFファイル (*.gif);;"
                      "すべてのファイル (*)"));
    ExpectSamePicture(LoadBmp(path), *Doc().DocImage());

    // Save again goes straight to the file.
    Doc().DocImage()->RowForWrite(0)[0] = 5;
    Doc().SetSaved(false);
    mainform->acSave->trigger();
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(LoadBmp(path).RowForRead(0)[0], 5);
}

TEST_F(EditorTest, SaveAsChoosesTheFormatByExtension) {
    dialogs->OpenNames = {};
    SaveBmp(Picture(), TempPath("src.bmp"));
    mainform->OpenPath(TempPath("src.bmp"));
    ASSERT_NE(Doc().DocImage(), nullptr);

    // A name without an extension is written as PNG.
    dialogs->SaveNames = {TempPath("plain")};
    mainform->acSaveAs->trigger();
    EXPECT_EQ(mainform->FileName(), TempPath("plain.png"));
    const std::vector<uint8_t> bytes = ReadFileBytes(TempPath("plain.png").toStdString());
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[1], 'P');
    EXPECT_FALSE(FileExists(TempPath("plain").toStdString()));
    mainform->OpenPath(TempPath("plain.png"));
    ASSERT_NE(Doc().DocImage(), nullptr);
    ExpectSamePicture(*Doc().DocImage(), Picture());

    // ... unless the BMP filter was chosen: then it is a BMP.
    dialogs->SaveChosenFilters = {"BMPファイル (*.bmp)"};
    dialogs->SaveNames = {TempPath("chosen")};
    mainform->acSaveAs->trigger();
    EXPECT_EQ(mainform->FileName(), TempPath("chosen.bmp"));
    ExpectSamePicture(LoadBmp(TempPath("chosen.bmp")), Picture());

    // An unknown extension writes nothing and says so.
    Doc().SetSaved(false);
    dialogs->SaveNames = {TempPath("photo.jpg")};
    mainform->acSaveAs->trigger();
    EXPECT_EQ(dialogs->Warnings, std::vector<QString>{kUnknownSaveExtension});
    EXPECT_FALSE(FileExists(TempPath("photo.jpg").toStdString()));
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(mainform->FileName(), TempPath("chosen.bmp"));
    // ... so closing still asks.
    dialogs->Answers = {TPromptAnswer::No};
    mainform->acClose->trigger();
    EXPECT_EQ(dialogs->Prompts.size(), 1u);
    EXPECT_EQ(Doc().DocImage(), nullptr);
}

TEST_F(EditorTest, FileDialogsBeginWhereTheUserLastWorked) {
    const QString first = QFileInfo(TempPath("x")).absolutePath();
    const QString second = first + "/second";
    std::filesystem::create_directory(second.toStdString());
    SaveBmp(Picture(), first + "/picture.bmp");

    NewDocument("4", "4");
    // Each step runs Save As or Open, the user choosing name (null: Cancel); start is where the
    // dialog was asked to begin.
    const struct {
        const char* step;
        bool open;
        QString name, start;
        bool newFirst = false;
    } steps[] = {
        {"save as, nothing used yet", false, QString(), QString()},
        {"save as into a folder", false, second + "/drawn.png", QString()},
        {"save as again: the document's file", false, QString(), second + "/drawn.png"},
        {"open: the last folder", true, first + "/picture.bmp", second},
        {"save as an opened file", false, QString(), first + "/picture.bmp"},
        {"save as a new document: the last folder", false, QString(), first, true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        if (s.newFirst) NewDocument("4", "4");
        (s.open ? dialogs->OpenNames : dialogs->SaveNames) = {s.name};
        (s.open ? mainform->asOpen : mainform->acSaveAs)->trigger();
        const std::vector<QString>& starts = s.open ? dialogs->OpenStarts : dialogs->SaveStarts;
        ASSERT_FALSE(starts.empty());
        EXPECT_EQ(starts.back(), s.start);
    }
}

TEST_F(EditorTest, CommandsWithoutDocumentDoNothing) {
    // Any dialog would fail the test through the scripted dialogs.
    for (QAction* action : {mainform->acSave, mainform->acSaveAs, mainform->acClose})
        action->trigger();
    EXPECT_TRUE(mainform->CloseDocument());
    EXPECT_TRUE(dialogs->Errors.empty());
    EXPECT_EQ(Doc().DocImage(), nullptr);
}

TEST_F(EditorTest, FailedSaveReportsTheErrorAndChangesNothing) {
    NewDocument("6", "4");
    Doc().SetSaved(false);
    dialogs->SaveNames = {TempPath("x.bmp")};
    OnAFullDisk([] { mainform->acSaveAs->trigger(); });
    EXPECT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_TRUE(mainform->FileName().isEmpty());
    EXPECT_NE(Doc().DocImage(), nullptr);
    EXPECT_TRUE(mainform->isVisible());
}

TEST_F(EditorTest, FailedSaveLeavesTheOldFileAsItWas) {
    const QString path = TempPath("keep.bmp");
    SaveBmp(Picture(), path);
    mainform->OpenPath(path);
    ASSERT_NE(Doc().DocImage(), nullptr);
    const std::vector<uint8_t> before = ReadFileBytes(path.toStdString());
    for (int32_t y = 0; y < Doc().DocHeight(); ++y)
        Doc().DocImage()->RowForWrite(y)[0] = 0xEE;
    Doc().SetSaved(false);

    OnAFullDisk([] { mainform->acSave->trigger(); });

    EXPECT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(ReadFileBytes(path.toStdString()), before);
    EXPECT_EQ(EntriesIn(dir), std::vector<std::string>{"keep.bmp"}) << "a temporary file was left";
}

TEST_F(EditorTest, ClosePromptPaths) {
    enum Setup { Clean, UnsavedNamed, UnsavedUnnamed, UnsavedJpgName };
    struct Case {
        const char* name;
        Setup setup;
        std::vector<TPromptAnswer> answers;
        std::deque<QString> saveNames;
        bool closed;
        bool written;
    };
    const Case cases[] = {
        {"saved: no prompt", Clean, {}, {}, true, false},
        {"cancel", UnsavedNamed, {TPromptAnswer::Cancel}, {}, false, false},
        {"no", UnsavedNamed, {TPromptAnswer::No}, {}, true, false},
        {"yes saves first", UnsavedNamed, {TPromptAnswer::Yes}, {}, true, true},
        {"yes, save dialog cancelled",
         UnsavedUnnamed,
         {TPromptAnswer::Yes},
         {QString()},
         false,
         false},
        {"yes, unknown extension", UnsavedUnnamed, {TPromptAnswer::Yes}, {"x.jpg"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDocument("6", "4");
        const QString path = TempPath("close.bmp");
        std::filesystem::remove(path.toStdString());
        if (c.setup == UnsavedNamed) Doc().FileName = (path).toStdString();
        Doc().SetSaved(c.setup == Clean);
        Editor().SetViewOrigin(1, 2, Editor().ViewTop(1));
        SelectBox(0, 0, 2, 2);
        dialogs->Prompts.clear();
        dialogs->Answers.assign(c.answers.begin(), c.answers.end());
        dialogs->SaveNames.clear();
        for (const QString& name : c.saveNames)
            dialogs->SaveNames.push_back(name.isNull() ? name : TempPath(name.toStdString()));
        const TDIB* before = Doc().DocImage();

        EXPECT_EQ(mainform->CloseDocument(), c.closed);
        EXPECT_EQ(dialogs->Prompts.size(), c.answers.size());
        EXPECT_EQ(FileExists(path.toStdString()), c.written);
        if (c.closed) {
            EXPECT_EQ(Doc().DocImage(), nullptr);
            EXPECT_TRUE(mainform->FileName().isEmpty());
            EXPECT_FALSE(Doc().Selecting());
            EXPECT_FALSE(Doc().Floating());
            EXPECT_TRUE(PaintsNothing());
            EXPECT_EQ(LupeForm->LupeBitmap.width(), 0);
            EXPECT_EQ(Doc().History.UndoCount(), 0u);
            // The size is the closed document's no more; the origins stay as they were.
            EXPECT_EQ(Doc().DocWidth(), 0);
            EXPECT_EQ(Doc().DocHeight(), 0);
            EXPECT_EQ(Editor().ViewLeft(1), 2);
        } else {
            EXPECT_EQ(Doc().DocImage(), before);
            EXPECT_FALSE(Doc().Saved());
            EXPECT_TRUE(Doc().Selecting());
        }
        CancelSelection();
        Doc().SetSaved(true); // the next case's New must not ask about this one
    }
}

TEST_F(EditorTest, YesWhoseSaveFailsKeepsTheDocumentOpen) {
    NewDocument("6", "4");
    Doc().SetSaved(false);
    Doc().FileName = (TempPath("no-such-folder/x.png")).toStdString();
    dialogs->Answers = {TPromptAnswer::Yes};
    mainform->acClose->trigger();
    EXPECT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_NE(Doc().DocImage(), nullptr);
    EXPECT_FALSE(Doc().Saved());
}

TEST_F(EditorTest, QuittingAsksAboutUnsavedWork) {
    NewDocument("6", "4");
    Doc().SetSaved(false);
    dialogs->Answers = {TPromptAnswer::Cancel};
    EXPECT_FALSE(mainform->close());
    EXPECT_TRUE(mainform->isVisible());
    EXPECT_NE(Doc().DocImage(), nullptr);

    dialogs->Answers = {TPromptAnswer::No};
    mainform->acExit->trigger();
    EXPECT_FALSE(mainform->isVisible());
    EXPECT_EQ(Doc().DocImage(), nullptr);
    EXPECT_EQ(dialogs->Prompts.size(), 2u);
}

namespace {
// Drags the file over the document window and drops it there; false when the window refused it.
bool DropFile(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(mainform, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(mainform, &drop);
    return true;
}
} // namespace

TEST_F(EditorTest, DroppedImageFileOpens) {
    const QString path = TempPath("dropped.bmp");
    SaveBmp(Picture(), path);
    NewDocument("8", "8");
    Doc().SetSaved(false);
    dialogs->Answers = {TPromptAnswer::No};
    ASSERT_TRUE(DropFile(path));
    EXPECT_EQ(dialogs->Prompts.size(), 1u) << "the open document was not closed first";
    ASSERT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(mainform->FileName(), path);
    EXPECT_EQ(Doc().DocWidth(), 7);

    WriteFileBytes(TempPath("notes.txt").toStdString(), {'x'});
    EXPECT_FALSE(DropFile(TempPath("notes.txt")));
    EXPECT_EQ(mainform->FileName(), path);
}
