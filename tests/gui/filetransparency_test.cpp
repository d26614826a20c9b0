// Transparency through Open and Save: a palette entry that the file makes clear becomes the
// transparent index and is written back; what an open cannot keep is reported once, and the
// first save over such a file asks first.
#include "PngTestUtil.h"
#include "app/imagefile.h"
#include "base/Stream.h"
#include "editor_fixture.h"
#include "image/PaletteAlpha.h"
#include "palette/palettewindow.h"

#include <QAction>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>

namespace {

const QString kOverwriteLossy = QString::fromUtf8(
    "開いたときに読み込めなかった内容は、上書きすると元のファイルからも失われます。\x0D\x0A"
    "上書きしますか？");

// The warning after an open that left out what lines name.
QString LossWarning(const std::vector<const char*>& lines) {
    QString text = "このファイルの次の内容は読み込めませんでした。";
    for (const char* line : lines)
        text += QString("\n・") + line;
    return text + "\n上書き保存すると、元のファイルからも失われます。";
}
const char* const kPartial = "半透明の色、または二つ以上の透明色（不透明にしました）";
const char* const kAlpha = "アルファチャンネル（透明度を捨てました）";
const char* const kWide = "16ビットの色の精度（8ビットにしました）";
const char* const kReduced = "色数が256を超えているため、256色に減色しました";
const char* const kKeyLost = "透明色（減色で他の色と混ざるため、不透明にしました）";

using TChunks = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// A PNG built by hand: header, the given chunks, the raw rows (filter bytes included)
// compressed, end.
std::vector<uint8_t> HandMadePng(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                                 const TChunks& chunks, const std::vector<uint8_t>& rows) {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    PutBE32(header, width);
    PutBE32(header, height);
    header.insert(header.end(), {depth, colorType, 0, 0, 0});
    AppendChunk(file, "IHDR", header);
    for (const auto& [type, data] : chunks)
        AppendChunk(file, type, data);
    uLongf size = compressBound(uLong(rows.size()));
    std::vector<uint8_t> z(size);
    compress(z.data(), &size, rows.data(), uLong(rows.size()));
    z.resize(size);
    AppendChunk(file, "IDAT", z);
    AppendChunk(file, "IEND", {});
    return file;
}

// An 8-bit palette PNG whose tRNS is alpha (none when empty).
std::vector<uint8_t> PalettePng(const std::vector<uint8_t>& alpha) {
    return TTransparentPng{8, false, alpha, ColorNone}.Bytes();
}

// The tRNS data of the PNG file at path; nullopt when it has none.
std::optional<std::vector<uint8_t>> TrnsOf(const QString& path) {
    const std::vector<TPngChunk> chunks = ParsePngChunks(ReadFileBytes(path.toStdString()));
    const TPngChunk* trns = FindChunk(chunks, "tRNS");
    if (trns == nullptr) return std::nullopt;
    return trns->Data;
}

// One row of 300 colours, (i mod 256, i div 256, 7) at x = i, whose colour (5, 0, 7) is the key.
std::vector<uint8_t> ReducedKeyedPng() {
    std::vector<uint8_t> row = {0};
    for (int i = 0; i < 300; ++i)
        row.insert(row.end(), {uint8_t(i % 256), uint8_t(i / 256), 7});
    return HandMadePng(300, 1, 8, 2, {{"tRNS", {0, 5, 0, 0, 0, 7}}}, row);
}

class TransparencyTest : public EditorTest {
protected:
    // Writes bytes to name in the test's folder and opens it.
    QString Open(const std::string& name, const std::vector<uint8_t>& bytes) {
        const QString path = TempPath(name);
        WriteFileBytes(path.toStdString(), bytes);
        dialogs->OpenNames = {path};
        mainform->asOpen->trigger();
        return path;
    }
    void Reopen(const QString& path) {
        dialogs->OpenNames = {path};
        mainform->asOpen->trigger();
    }
};

TEST_F(TransparencyTest, ClearPaletteEntrySurvivesOpenSaveOpen) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t index;             // the transparent index after opening
        std::vector<uint8_t> trns; // what the save writes
    };
    const Case cases[] = {
        {"clear entry last", PalettePng({255, 255, 255, 0}), 3, {255, 255, 255, 0}},
        // Written back trimmed after the clear entry.
        {"clear entry first of a longer table", PalettePng({255, 0, 255, 255, 255}), 1, {255, 0}},
        // Grey samples are indices, so the transparent grey is an entry too.
        {"grey", HandMadePng(2, 1, 8, 0, {{"tRNS", {0, 7}}}, {0, 7, 9}), 7, AlphaTableFor(7)},
        {"colour key",
         HandMadePng(2, 1, 8, 2, {{"tRNS", {0, 1, 0, 2, 0, 3}}}, {0, 9, 9, 9, 1, 2, 3}),
         -2,
         {}}, // the entry of colour 1, 2, 3: checked below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Open("in.png", c.bytes);
        ASSERT_NE(Doc().DocImage(), nullptr);
        EXPECT_TRUE(dialogs->Warnings.empty());
        EXPECT_TRUE(Doc().DocTransparent());
        EXPECT_TRUE(mainform->acTransparent->isChecked());
        int32_t index = c.index;
        std::vector<uint8_t> trns = c.trns;
        if (index == -2) {
            const TPaletteEntry& e =
                Doc().DocImage()->PaletteBlock[size_t(Doc().TransparentIndex())];
            EXPECT_EQ(e, (TPaletteEntry{3, 2, 1, 0})); // blue, green, red
            index = Doc().TransparentIndex();
            trns = AlphaTableFor(index);
        }
        EXPECT_EQ(Doc().TransparentIndex(), index);
        Doc().DocImage()->RowForWrite(0)[0] = 5;
        Doc().SetSaved(false);
        mainform->acSave->trigger();
        ASSERT_TRUE(Doc().Saved());
        EXPECT_EQ(TrnsOf(path), trns);
        mainform->acClose->trigger();
        Doc().SetTransparentIndex(200); // the next open sets it from the file
        EXPECT_FALSE(Doc().DocTransparent());
        EXPECT_FALSE(mainform->acTransparent->isChecked());
        Reopen(path);
        ASSERT_NE(Doc().DocImage(), nullptr);
        EXPECT_EQ(Doc().TransparentIndex(), index);
        EXPECT_TRUE(Doc().DocTransparent());
        EXPECT_EQ(Doc().DocImage()->RowForRead(0)[0], 5);
        mainform->acClose->trigger();
    }
}

TEST_F(TransparencyTest, PictureWithoutTransparencyGainsNone) {
    for (const auto& [what, bytes] : std::vector<std::pair<const char*, std::vector<uint8_t>>>{
             {"no tRNS", PalettePng({})},
             {"all entries opaque", PalettePng({255, 255})},
         }) {
        SCOPED_TRACE(what);
        const QString path = Open("plain.png", bytes);
        ASSERT_NE(Doc().DocImage(), nullptr);
        EXPECT_FALSE(Doc().DocTransparent());
        EXPECT_FALSE(mainform->acTransparent->isChecked());
        Doc().SetTransparentIndex(4); // the layer overlay's index, not the file's
        Doc().SetSaved(false);
        mainform->acSave->trigger();
        ASSERT_TRUE(Doc().Saved());
        EXPECT_EQ(TrnsOf(path), std::nullopt);
        EXPECT_TRUE(dialogs->Warnings.empty());
        mainform->acClose->trigger();
    }
}

TEST_F(TransparencyTest, NewDocumentKeepsTransparencyOnlyWhenAsked) {
    NewDocument("4", "4");
    EXPECT_FALSE(Doc().DocTransparent());
    Doc().SetTransparentIndex(9);
    dialogs->SaveNames = {TempPath("new.png")};
    mainform->acSave->trigger();
    EXPECT_EQ(TrnsOf(TempPath("new.png")), std::nullopt);
    mainform->acTransparent->trigger(); // checks the item
    EXPECT_TRUE(Doc().DocTransparent());
    EXPECT_FALSE(Doc().Saved()) << "closing must ask: the file would change";
    mainform->acSave->trigger();
    EXPECT_EQ(TrnsOf(TempPath("new.png")), AlphaTableFor(9));
    // BMP has no place for it and stays as it was.
    dialogs->SaveNames = {TempPath("new.bmp")};
    mainform->acSaveAs->trigger();
    EXPECT_TRUE(Doc().Saved());
    mainform->acTransparent->trigger(); // unchecks it
    EXPECT_FALSE(Doc().DocTransparent());
    dialogs->SaveNames = {TempPath("again.png")};
    mainform->acSaveAs->trigger();
    EXPECT_EQ(TrnsOf(TempPath("again.png")), std::nullopt);
    // Without a document the item stays unchecked.
    mainform->acClose->trigger();
    mainform->acTransparent->trigger();
    EXPECT_FALSE(mainform->acTransparent->isChecked());
    EXPECT_FALSE(Doc().DocTransparent());
}

TEST_F(TransparencyTest, WhatAnOpenCannotKeepIsReportedInOneWarning) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::vector<const char*> lines;
        int32_t index; // the transparent index kept, or -1
    };
    const Case cases[] = {
        {"partial alpha", PalettePng({0, 85, 170}), {kPartial}, 0},
        {"two clear entries", PalettePng({255, 0, 0}), {kPartial}, -1},
        {"16-bit grey", HandMadePng(2, 1, 16, 0, {}, {0, 0x12, 0x34, 0xAB, 0xCD}), {kWide}, -1},
        {"alpha channel", HandMadePng(1, 1, 8, 6, {}, {0, 1, 2, 3, 128}), {kAlpha}, -1},
        {"16-bit alpha channel",
         HandMadePng(1, 1, 16, 6, {}, {0, 1, 1, 2, 2, 3, 3, 128, 128}),
         {kAlpha, kWide},
         -1},
        {"16-bit grey with its transparent grey",
         HandMadePng(2, 1, 16, 0, {{"tRNS", {0xAB, 0xCD}}}, {0, 0x12, 0x34, 0xAB, 0xCD}),
         {kWide},
         0xAB},
        {"key of a reduced picture", ReducedKeyedPng(), {kReduced, kKeyLost}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs->Warnings.clear();
        const QString path = Open("lossy.png", c.bytes);
        ASSERT_NE(Doc().DocImage(), nullptr);
        EXPECT_EQ(dialogs->Warnings, std::vector<QString>{LossWarning(c.lines)});
        EXPECT_EQ(Doc().DocTransparent(), c.index >= 0);
        if (c.index >= 0) {
            EXPECT_EQ(Doc().TransparentIndex(), c.index);
        }
        EXPECT_EQ(QString::fromStdString(Doc().LossyFile), path);
        mainform->acClose->trigger();
        EXPECT_TRUE(QString::fromStdString(Doc().LossyFile).isEmpty());
    }
}

TEST_F(TransparencyTest, FirstSaveOverALossyFileAsks) {
    const std::vector<uint8_t> original = PalettePng({0, 85, 170});
    const QString path = Open("lossy.png", original);
    ASSERT_NE(Doc().DocImage(), nullptr);
    Doc().DocImage()->RowForWrite(1)[1] = 77;
    Doc().SetSaved(false);

    // No: the file and the document stay as they are.
    const TDIB* document = Doc().DocImage();
    dialogs->Answers = {TPromptAnswer::No};
    mainform->acSave->trigger();
    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kOverwriteLossy});
    EXPECT_EQ(ReadFileBytes(path.toStdString()), original);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().DocImage(), document);
    EXPECT_EQ(Doc().DocImage()->RowForRead(1)[1], 77);

    // Closing with Yes to saving asks again; Cancel there keeps the document open.
    dialogs->Prompts.clear();
    dialogs->Answers = {TPromptAnswer::Yes, TPromptAnswer::Cancel};
    mainform->acClose->trigger();
    EXPECT_EQ(dialogs->Prompts.size(), 2u);
    EXPECT_EQ(dialogs->Prompts.back(), kOverwriteLossy);
    EXPECT_NE(Doc().DocImage(), nullptr);
    EXPECT_EQ(ReadFileBytes(path.toStdString()), original);

    // Save As to another name does not ask, and leaves the old file alone.
    dialogs->Prompts.clear();
    const QString copy = TempPath("copy.png");
    dialogs->SaveNames = {copy};
    mainform->acSaveAs->trigger();
    EXPECT_TRUE(dialogs->Prompts.empty());
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(TrnsOf(copy), std::vector<uint8_t>{0});
    EXPECT_EQ(ReadFileBytes(path.toStdString()), original);

    // Back over the original: asked again; Yes writes, and later saves ask no more.
    dialogs->SaveNames = {path};
    dialogs->Answers = {TPromptAnswer::Yes};
    mainform->acSaveAs->trigger();
    EXPECT_EQ(dialogs->Prompts, std::vector<QString>{kOverwriteLossy});
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(TrnsOf(path), std::vector<uint8_t>{0});
    EXPECT_TRUE(QString::fromStdString(Doc().LossyFile).isEmpty());
    Doc().SetSaved(false);
    mainform->acSave->trigger(); // no answer scripted: a question would fail the test
    EXPECT_TRUE(Doc().Saved());
    EXPECT_EQ(dialogs->Prompts.size(), 1u);
}

} // namespace

TEST_F(TransparencyTest, AReadOnlyLossyFileIsRefusedBeforeTheOverwriteQuestion) {
    const std::vector<uint8_t> original = PalettePng({0, 85, 170});
    const QString path = Open("lossy.png", original);
    ASSERT_NE(Doc().DocImage(), nullptr);
    ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0444), 0);
    Doc().SetSaved(false);
    mainform->acSave->trigger(); // no answer scripted: a question would fail the test
    EXPECT_TRUE(dialogs->Prompts.empty());
    ASSERT_EQ(dialogs->Errors.size(), 1u);
    EXPECT_TRUE(dialogs->Errors[0].contains("lossy.png")) << dialogs->Errors[0].toStdString();
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(ReadFileBytes(path.toStdString()), original);
}

TEST_F(TransparencyTest, MovingTheTransparentIndexIsAChangeOnlyWhenTheFileKeepsIt) {
    Open("clear.png", PalettePng({255, 0}));
    ASSERT_TRUE(Doc().DocTransparent());
    ASSERT_TRUE(Doc().Saved());
    palletform->SelectSwatch(1, false); // the index it already has
    EXPECT_TRUE(Doc().Saved());
    palletform->SelectSwatch(6, false);
    EXPECT_FALSE(Doc().Saved());
    EXPECT_EQ(Doc().TransparentIndex(), 6);
    dialogs->Answers = {TPromptAnswer::No}; // closing asks, and No drops the change
    mainform->acClose->trigger();
    Open("plain.png", PalettePng({}));
    ASSERT_FALSE(Doc().DocTransparent());
    palletform->SelectSwatch(6, false); // only the overlay's index
    EXPECT_TRUE(Doc().Saved());
}
