// Reading document images: every picture of the conformance suites arriving as an 8-bit document
// with its colours.
#include "app/imagefile.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "editor_fixture.h"
#include "helpers.h"
#include "image/ReadMessage.h"
#include "png/KivPNG.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {
std::vector<std::filesystem::path> FilesWithExtension(const std::string& dir,
                                                      const std::string& extension) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == extension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

uint32_t EntryColor(const TPaletteEntry& e) {
    return uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
}

// The document shows every pixel in the colour the codec decoded, unless it was reduced, which
// happens exactly when the picture has more than 256 colours.
void ExpectSameColours(const TDIB& decoded, const TReadImage& read) {
    const TDIB& doc = *read.Image;
    ASSERT_EQ(doc.BitCount(), 8);
    ASSERT_EQ(doc.Width(), decoded.Width());
    ASSERT_EQ(doc.Height(), decoded.Height());
    std::vector<uint32_t> colors(size_t(decoded.Width()));
    std::set<uint32_t> distinct;
    for (int32_t y = 0; y < decoded.Height(); ++y) {
        decoded.RowToColors(y, colors.data());
        distinct.insert(colors.begin(), colors.end());
        if (read.Reduced) continue;
        for (int32_t x = 0; x < decoded.Width(); ++x)
            ASSERT_EQ(EntryColor(doc.PaletteBlock[doc.RowForRead(y)[x]]), colors[size_t(x)])
                << x << ", " << y;
    }
    EXPECT_EQ(read.Reduced, distinct.size() > 256);
}
} // namespace

namespace {
// Files the codec refuses, or decodes to nothing, are refused as documents; the others arrive
// with their colours.
template <typename Decode>
void ExpectOpensLikeTheCodec(const std::filesystem::path& file, Decode decode) {
    TDIB decoded;
    try {
        decoded = decode(file.string());
    } catch (const Exception& e) {
        // Refused naming the file, the codec's text kept inside.
        try {
            ReadDocumentImage(file.string());
            ADD_FAILURE() << "a file the codec refuses opened";
        } catch (const EUnreadableFile& refusal) {
            EXPECT_TRUE(refusal.Message().starts_with(file.string() + " ")) << refusal.Message();
            EXPECT_TRUE(refusal.Message().ends_with("（" + e.Message() + "）"))
                << refusal.Message();
        }
        return;
    }
    if (decoded.IsEmpty()) {
        // A file with no picture in it (PngSuite's missing IDAT) is refused, not opened blank.
        try {
            ReadDocumentImage(file.string());
            ADD_FAILURE() << "a file without a picture opened";
        } catch (const EUnreadableFile& e) {
            EXPECT_EQ(e.Message(),
                      file.string() + " には画像がありません（画像データがありません）");
        }
        return;
    }
    TReadImage read;
    ASSERT_NO_THROW(read = ReadDocumentImage(file.string()));
    ExpectSameColours(decoded, read);
}
} // namespace

TEST(ImageFile, EveryPngSuitePictureOpensAsAnEightBitDocument) {
    const std::string dir = TestDataPath("pngsuite");
    if (!FileExists(dir)) GTEST_SKIP() << "PngSuite not found at " << dir;
    int refused = 0;
    for (const auto& file : FilesWithExtension(dir, ".png")) {
        SCOPED_TRACE(file.filename().string());
        ExpectOpensLikeTheCodec(file, [&](const std::string& path) {
            TKivPNG png;
            try {
                png.LoadFromFile(path);
            } catch (const Exception&) {
                ++refused;
                throw;
            }
            return png.InternalImage();
        });
    }
    EXPECT_GT(refused, 0) << "the corrupt files of the suite were not refused";
}

TEST(ImageFile, EveryGoodBmpSuitePictureOpensAsAnEightBitDocument) {
    const std::string dir = TestDataPath("bmpsuite/g");
    if (!FileExists(dir)) GTEST_SKIP() << "bmpsuite not found at " << dir;
    for (const auto& file : FilesWithExtension(dir, ".bmp")) {
        SCOPED_TRACE(file.filename().string());
        ExpectOpensLikeTheCodec(file, [](const std::string& path) {
            TDIB decoded;
            TFileStream stream(path, TFileStream::fmOpenRead);
            decoded.LoadFromBmp(stream);
            return decoded;
        });
    }
}

// What the conformance suite's transparent files open as.
TEST(ImageFile, PngSuiteTransparencyOpensAsTheTransparentIndex) {
    const std::string dir = TestDataPath("pngsuite");
    if (!FileExists(dir)) GTEST_SKIP() << "PngSuite not found at " << dir;
    struct Case {
        const char* name;
        int32_t index;
        bool partial, alpha, wide, reduced, keyLost;
    };
    const Case cases[] = {
        // 8-bit palettes whose tRNS clears entry 0 alone.
        {"tbbn3p08.png", 0, false, false, false, false, false},
        {"tbgn3p08.png", 0, false, false, false, false, false},
        {"tbwn3p08.png", 0, false, false, false, false, false},
        {"tbyn3p08.png", 0, false, false, false, false, false},
        {"tp1n3p08.png", 0, false, false, false, false, false},
        {"tp0n3p08.png", -1, false, false, false, false, false},
        // Alpha 0, 85, 170, 255: entry 0 stays clear, the partial ones are reported.
        {"tm3n3p02.png", 0, true, false, false, false, false},
        // Grey 4 bits, transparent grey 15; grey 16 bits, transparent 65535 (high byte 255).
        {"tbbn0g04.png", 15, false, false, false, false, false},
        {"tbwn0g16.png", 255, false, false, true, false, false},
        {"tp0n0g08.png", -1, false, false, false, false, false},
        // White keys in pictures of 407 colours: reduced, the key given up and reported.
        {"tbrn2c08.png", -1, false, false, false, true, true},
        {"tbbn2c16.png", -1, false, false, true, true, true},
        {"tp0n2c08.png", -1, false, false, false, true, false},
        {"basn6a08.png", -1, false, true, false, false, false},
        {"basn4a16.png", -1, false, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TReadImage read = ReadDocumentImage(dir + "/" + c.name);
        EXPECT_EQ(read.TransparentIndex, c.index);
        EXPECT_EQ(read.PartialAlpha, c.partial);
        EXPECT_EQ(read.AlphaChannel, c.alpha);
        EXPECT_EQ(read.WideSamples, c.wide);
        EXPECT_EQ(read.Reduced, c.reduced);
        EXPECT_EQ(read.KeyLost, c.keyLost);
    }
}

// The editor's error names the file and keeps the codec's words; a document opens no less.
TEST_F(EditorTest, AnUnreadableFileIsNamedInTheError) {
    const QString path = TempPath("notes.png");
    WriteFileBytes(path.toStdString(), {'n', 'o', 't', 'e', 's', ' ', 0, 0});
    dialogs->OpenNames = {path};
    mainform->asOpen->trigger();
    EXPECT_EQ(dialogs->Errors, std::vector<QString>{path + " は PNG ファイルではありません"
                                                           "（PNG LoadStream: Not PNG Format）"});
    EXPECT_EQ(Doc().DocImage(), nullptr);
}
