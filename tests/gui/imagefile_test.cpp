// Reading document images: every picture of the conformance suites arriving as an 8-bit document
// with its colours.
#include "app/imagefile.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "helpers.h"
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
    } catch (const Exception&) {
        EXPECT_THROW(ReadDocumentImage(file.string()), Exception);
        return;
    }
    if (decoded.IsEmpty()) {
        // A file with no picture in it (PngSuite's missing IDAT) is refused, not opened blank.
        try {
            ReadDocumentImage(file.string());
            ADD_FAILURE() << "a file without a picture opened";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "画像データがありません");
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
