#include "png/KivPNG.h"

#include "PngTestUtil.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::vector<uint8_t> Save(const TKivPNG& png) {
    TMemoryStream out;
    png.SaveToStream(out);
    return out.Bytes();
}

void Load(TKivPNG& png, const std::vector<uint8_t>& file) {
    TCustomMemoryStream in(file.data(), int64_t(file.size()));
    png.LoadFromStream(in);
}

std::vector<uint32_t> Colors(const TDIB& image, int32_t y) {
    std::vector<uint32_t> colors(size_t(image.Width()));
    image.RowToColors(y, colors.data());
    return colors;
}

void ExpectSameColors(const TDIB& actual, const TDIB& expected) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    for (int32_t y = 0; y < expected.Height(); ++y)
        ASSERT_EQ(Colors(actual, y), Colors(expected, y)) << "row " << y;
}

// Palette indices of indexed images, else colours.
void ExpectSamePixels(const TDIB& actual, const TDIB& expected) {
    if (expected.BitCount() > 8) return ExpectSameColors(actual, expected);
    ASSERT_EQ(actual.BitCount(), expected.BitCount());
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    for (int32_t y = 0; y < expected.Height(); ++y)
        for (int32_t x = 0; x < expected.Width(); ++x)
            ASSERT_EQ(actual.GetPixel(x, y), expected.GetPixel(x, y)) << x << ", " << y;
}

TEST(KivPNG, FreshObject) {
    TKivPNG png;
    EXPECT_TRUE(png.Empty());
    EXPECT_EQ(png.Width(), 0);
    EXPECT_EQ(png.Height(), 0);
    EXPECT_EQ(png.IDATSize, 32768);
    EXPECT_EQ(png.CompressionLevel, 1);
    EXPECT_EQ(png.FilterType, 1);
    EXPECT_EQ(png.BackgroundColor, ColorNone);
    EXPECT_EQ(png.TransparentColor, ColorNone);
    EXPECT_TRUE(png.MacBinaryCheck);
    // There is no picture to write: refused rather than written as a broken file.
    TMemoryStream out;
    EXPECT_THROW(png.SaveToStream(out), EKivPNG);
    EXPECT_EQ(out.Size(), 0);
}

TEST(KivPNG, SaveOfAnAssignedImageAndLoadBack) {
    const TDIB image = TestImage(20, 9, 8);
    TKivPNG saver;
    saver.Assign(&image);
    EXPECT_TRUE(saver.InternalImage().SharesStorageWith(image));
    EXPECT_TRUE(saver.PaletteModified());
    const std::vector<uint8_t> file = Save(saver);
    EXPECT_EQ(ChunkTypes(ParsePngChunks(file)),
              (std::vector<std::string>{"IHDR", "tpNg", "PLTE", "IDAT", "IEND"}));

    TKivPNG loader;
    Load(loader, file);
    EXPECT_EQ(loader.BitDepth, 8);
    EXPECT_FALSE(loader.Grayscale);
    EXPECT_FALSE(loader.HasAlpha);
    ExpectSamePixels(loader.InternalImage(), image);
    EXPECT_EQ(loader.InternalImage().PaletteBlock, image.PaletteBlock);
    // The document takes the picture over without copying it.
    TDIB document;
    loader.AssignTo(document);
    EXPECT_TRUE(document.SharesStorageWith(loader.InternalImage()));
}

TEST(KivPNG, SideInformationSurvivesLoadAndSave) {
    TKivPNG first;
    const TDIB image = TestImage(11, 5, 8);
    first.Assign(&image);
    first.Comment = "pixel art";
    first.Gamma = 0.5;
    first.BackgroundColor = ColorPaletteIndex | 77;
    first.PixelUnit = 1;
    first.PixelsPerUnitX = 3780;
    first.PixelsPerUnitY = 2000;
    first.Interlace = 1;
    first.SignificantBits = 0x050505;
    TKivPNG second;
    Load(second, Save(first));
    TKivPNG third;
    Load(third, Save(second));
    // A loaded comment carries its keyword and line ends, and is written again as it stands.
    EXPECT_EQ(second.Comment, "Comment\r\npixel art\r\n");
    EXPECT_EQ(third.Comment, "Comment\r\n" + second.Comment + "\r\n");
    for (const TKivPNG* png : {&second, &third}) {
        EXPECT_DOUBLE_EQ(png->Gamma, 0.5);
        EXPECT_EQ(png->BackgroundColor, ColorPaletteIndex | 77);
        EXPECT_EQ(png->PixelUnit, 1);
        EXPECT_EQ(png->PixelsPerUnitX, 3780);
        EXPECT_EQ(png->PixelsPerUnitY, 2000);
        EXPECT_EQ(png->Interlace, 1);
        EXPECT_EQ(png->SignificantBits, 0x050505);
        ExpectSamePixels(png->InternalImage(), image);
    }
}

TEST(KivPNG, GreyFileStaysGrey) {
    for (int32_t bits : {1, 4, 8}) {
        TKivPNG first;
        const TDIB image = TestImage(7, 6, bits);
        first.Assign(&image);
        first.Grayscale = true;
        TKivPNG second;
        Load(second, Save(first));
        EXPECT_TRUE(second.Grayscale) << bits;
        EXPECT_EQ(second.BitDepth, bits);
        const std::vector<uint8_t> again = Save(second);
        const std::vector<TPngChunk> chunks = ParsePngChunks(again);
        EXPECT_EQ(chunks[0].Data[9], 0) << bits; // grey colour type
        EXPECT_EQ(FindChunk(chunks, "PLTE"), nullptr) << bits;
        ExpectSamePixels(second.InternalImage(), image);
    }
}

TEST(KivPNG, TransparencySurvivesLoadAndSave) {
    struct TestCase {
        const char* what;
        TTransparentPng file;
        int32_t loadedColor;              // TransparentColor after the load
        std::vector<uint8_t> loadedAlpha; // PaletteAlpha after the load
        std::vector<uint8_t> trns;        // the tRNS chunk of both files
    };
    const std::vector<uint8_t> clearNine = {255, 255, 255, 255, 255, 255, 255, 255, 255, 0};
    const std::vector<TestCase> cases = {
        {"one clear entry",
         {8, false, {255, 0}, ColorNone},
         ColorPaletteIndex | 1,
         {255, 0},
         {255, 0}},
        {"partial alpha",
         {4, false, {0, 85, 170}, ColorNone},
         ColorNone,
         {0, 85, 170},
         {0, 85, 170}},
        // Grey samples are the image's indices: the transparent grey is an entry.
        {"grey", {8, true, clearNine, ColorNone}, 0x090909, clearNine, {0, 9}},
        {"grey of 1 bit", {1, true, {255, 0}, ColorNone}, 0x010101, {255, 0}, {0, 1}},
        {"colour key", {24, false, {}, 0x332211}, 0x332211, {}, {0, 0x11, 0, 0x22, 0, 0x33}},
    };
    for (const TestCase& c : cases) {
        const std::vector<uint8_t> firstFile = c.file.Bytes();
        TKivPNG loaded;
        Load(loaded, firstFile);
        EXPECT_EQ(loaded.TransparentColor, c.loadedColor) << c.what;
        EXPECT_EQ(loaded.PaletteAlpha, c.loadedAlpha) << c.what;
        for (const std::vector<uint8_t>& file : {firstFile, Save(loaded)}) {
            const std::vector<TPngChunk> chunks = ParsePngChunks(file);
            const TPngChunk* trns = FindChunk(chunks, "tRNS");
            ASSERT_NE(trns, nullptr) << c.what;
            EXPECT_EQ(trns->Data, c.trns) << c.what;
        }
    }
    // Nothing transparent in, nothing out.
    TKivPNG loaded;
    Load(loaded, TTransparentPng{8, false, {}, ColorNone}.Bytes());
    EXPECT_TRUE(loaded.PaletteAlpha.empty());
    const std::vector<TPngChunk> chunks = ParsePngChunks(Save(loaded));
    EXPECT_EQ(FindChunk(chunks, "tRNS"), nullptr);
}

TEST(KivPNG, AlphaChannelGoesToTheMaskAndBack) {
    struct TestCase {
        int32_t bits;
        bool grey;
        int expectedColorType;
    };
    for (const TestCase& c : std::vector<TestCase>{{24, false, 6}, {8, true, 4}}) {
        SCOPED_TRACE(c.bits);
        const TDIB image = TestImage(10, 8, c.bits);
        TDIB mask = TestMask(10, 8);
        TKivPNG first;
        first.Assign(&image);
        first.Grayscale = c.grey;
        first.HasAlpha = true;
        first.AlphaMask = &mask;
        const std::vector<uint8_t> file = Save(first);
        EXPECT_EQ(ParsePngChunks(file)[0].Data[9], c.expectedColorType);

        TKivPNG second;
        Load(second, file);
        EXPECT_TRUE(second.HasAlpha);
        ExpectSamePixels(second.InternalMask(), mask);
        TDIB colours;
        second.AssignTo(colours);
        EXPECT_EQ(colours.BitCount(), c.bits);
        ExpectSamePixels(colours, image);
        // Saved again, the internal mask is the alpha channel.
        EXPECT_EQ(Save(second), file);
    }
}

TEST(KivPNG, BadIdatSizeWritesNothing) {
    TKivPNG png;
    const TDIB image = TestImage(4, 4, 8);
    png.Assign(&image);
    png.IDATSize = 100;
    TMemoryStream out;
    try {
        png.SaveToStream(out);
        FAIL() << "saved with IDAT size 100";
    } catch (const EKivPNG& e) {
        EXPECT_EQ(e.Message(), "Write PNG Param: Err IDAT Size(min:256  max:100000)");
    }
    EXPECT_EQ(out.Size(), 0);
}

TEST(KivPNG, SixteenBitImagesGoOutAs24Bits) {
    struct TestCase {
        int32_t green;
        std::vector<uint8_t> significantBits;
    };
    for (const TestCase& c : std::vector<TestCase>{{5, {5, 5, 5}}, {6, {5, 6, 5}}}) {
        TDIB image = TestImage(9, 4, 8);
        image.WantedLayout = MakeLayout(5, c.green, 5);
        image.ChangeBitCount(16);
        TKivPNG png;
        png.Assign(&image);
        const std::vector<uint8_t> file = Save(png);
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        EXPECT_EQ(chunks[0].Data[9], 2);
        ASSERT_NE(FindChunk(chunks, "sBIT"), nullptr);
        EXPECT_EQ(FindChunk(chunks, "sBIT")->Data, c.significantBits);
        EXPECT_EQ(image.BitCount(), 16); // the caller's image is left as it was
        TKivPNG loaded;
        Load(loaded, file);
        EXPECT_EQ(loaded.InternalImage().BitCount(), 24);
        ExpectSameColors(loaded.InternalImage(), image);
    }
}

TEST(KivPNG, CallersImageIsUsedInsteadOfTheInternalOne) {
    const TDIB source = TestImage(6, 3, 4);
    TKivPNG saver;
    saver.Assign(&source);
    const std::vector<uint8_t> file = Save(saver);

    TDIB target;
    TKivPNG png;
    png.Image = &target;
    int changes = 0;
    png.OnChange = [&](TGraphic&) { ++changes; };
    Load(png, file);
    EXPECT_TRUE(png.InternalImage().IsEmpty());
    ExpectSamePixels(target, source);
    EXPECT_EQ(png.Width(), 6);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Save(png), file);
}

TEST(KivPNG, ProgressIsReportedThroughTheObject) {
    const TDIB image = TestImage(8, 40, 8);
    TKivPNG png;
    png.Assign(&image);
    std::vector<int> percents;
    png.OnProgress = [&](TGraphic&, TProgressStage, int percent, bool, const TRect&,
                         const std::string&) { percents.push_back(percent); };
    const std::vector<uint8_t> file = Save(png);
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));

    percents.clear();
    Load(png, file);
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_FALSE(png.InternalImage().OnProgress); // lent for the load only
}

TEST(KivPNG, AssignFromAnotherPngKeepsTheIndexedImage) {
    const TDIB image = TestImage(5, 5, 8);
    TKivPNG first;
    first.Assign(&image);
    TKivPNG second;
    second.Assign(&first);
    EXPECT_TRUE(second.InternalImage().SharesStorageWith(image));
    second.Assign(nullptr);
    EXPECT_TRUE(second.Empty());
}

// Every image of the conformance suite that we read is written again, read back and compared:
// the writer must reproduce whatever the reader produces, mask included, in a file libpng takes.
TEST(KivPNG, ConformanceSuiteImagesSurviveSaveAndLoad) {
    const std::string dir = TestDataPath("pngsuite");
    if (!FileExists(dir)) GTEST_SKIP() << "no PngSuite at " << dir;
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png" || name[0] == 'x') continue; // x*: corrupt files
        SCOPED_TRACE(name);
        TKivPNG original;
        original.LoadFromFile(entry.path().string());
        if (original.Empty()) continue;
        ++files;
        for (const uint8_t filter : {1, 0}) {
            original.FilterType = filter;
            original.Interlace = filter == 0 ? 1 : 0;
            const std::vector<uint8_t> file = Save(original);
            EXPECT_EQ(DecodeWithLibpng(file).Error, "");
            TKivPNG copy;
            Load(copy, file);
            EXPECT_EQ(copy.HasAlpha, original.HasAlpha);
            EXPECT_EQ(copy.Grayscale, original.Grayscale);
            ExpectSamePixels(copy.InternalImage(), original.InternalImage());
            if (original.HasAlpha) ExpectSamePixels(copy.InternalMask(), original.InternalMask());
            if (!original.Grayscale && original.InternalImage().BitCount() <= 8) {
                const int entries = 1 << original.InternalImage().BitCount();
                for (int i = 0; i < entries; ++i)
                    EXPECT_EQ(copy.InternalImage().PaletteBlock[i],
                              original.InternalImage().PaletteBlock[i])
                        << "entry " << i;
            }
        }
    }
    EXPECT_GT(files, 100);
}

} // namespace
