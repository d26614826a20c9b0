// The shared format table: the format by extension, the reader by signature, and no picture
// read or written without pixels.
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/ImageFormat.h"
#include "helpers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<uint8_t> Encoded(const TDIB& image, const char* format) {
    TMemoryStream stream;
    FormatNamed(format)->Save(image, stream);
    return stream.Bytes();
}

TDIB SmallPicture() {
    TDIB image;
    image.Resize(3, 2, 8);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            image.SetPixel(x, y, uint32_t(10 * y + x));
    return image;
}

std::string ErrorOf(const std::string& path) {
    try {
        ReadImageFile(path);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

} // namespace

TEST(ImageFormat, FormatComesFromTheExtensionInAnyCase) {
    struct Case {
        const char* path;
        const char* format; // null: not a known format
    };
    const Case cases[] = {
        {"a.png", "png"},    {"dir/a.PNG", "png"}, {"a.Bmp", "bmp"},         {"a.tar.bmp", "bmp"},
        {"a.gif", "gif"},    {"noext", nullptr},   {"d.png/noext", nullptr}, {"a.png.jpg", nullptr},
        {"dir/.png", "png"}, {"a.", nullptr},
    };
    for (const Case& c : cases) {
        const TImageFormat* format = FormatForExtension(c.path);
        EXPECT_STREQ(format == nullptr ? nullptr : format->Name, c.format) << c.path;
    }
}

// The bytes choose the reader; the extension only answers for bytes of no known signature.
TEST(ImageFormat, ReaderFollowsTheSignature) {
    const std::string dir = MakeTempDir();
    const TDIB picture = SmallPicture();
    const std::vector<uint8_t> png = Encoded(picture, "png");
    std::vector<uint8_t> macBinaryPng(128, 0);
    macBinaryPng.insert(macBinaryPng.end(), png.begin(), png.end());
    const std::vector<uint8_t> bmp = Encoded(picture, "bmp");
    const std::vector<uint8_t> gif = Encoded(picture, "gif");
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* format; // the reader chosen, or null when reading fails
        std::string error;
    };
    const std::vector<Case> cases = {
        {"png.bmp", png, "png", ""},
        {"bmp.png", bmp, "bmp", ""},
        {"bmp.gif", bmp, "bmp", ""},
        {"gif.png", gif, "gif", ""},
        {"macbinary.bmp", macBinaryPng, "png", ""},
        {"text.png", text, nullptr, "PNG LoadStream: Not PNG Format"},
        {"text.bmp", text, nullptr, "不正な DIB です"},
        {"text.gif", text, nullptr, "GIF の署名がありません"},
        {"text.tga", text, nullptr, "ファイル " + dir + "/text.tga は対応していない形式です"},
        {"empty.png", {}, nullptr, "画像データがありません"},
        {"empty", {}, nullptr, "画像データがありません"},
        {"header-only.bmp", {bmp.begin(), bmp.begin() + 14}, nullptr, "画像データがありません"},
    };
    for (const Case& c : cases) {
        const std::string path = dir + "/" + c.name;
        WriteFileBytes(path, c.bytes);
        EXPECT_EQ(ErrorOf(path), c.error) << c.name;
        if (c.format == nullptr) continue;
        EXPECT_STREQ(OpenImage(path).Format->Name, c.format) << c.name;
        const TDIB read = ReadImageFile(path);
        ASSERT_EQ(read.Width(), 3) << c.name;
        ASSERT_EQ(read.Height(), 2) << c.name;
        for (int32_t y = 0; y < 2; ++y)
            for (int32_t x = 0; x < 3; ++x)
                EXPECT_EQ(read.GetPixel(x, y), picture.GetPixel(x, y)) << c.name;
    }
}

// Input that cannot seek is buffered when it carries a signature, and refused after its first
// bytes when it does not.
TEST(ImageFormat, PipesAndDevicesAreReadWithoutSeeking) {
    for (const char* format : {"png", "bmp", "gif"}) {
        const std::vector<uint8_t> bytes = Encoded(SmallPicture(), format);
        int ends[2];
        ASSERT_EQ(::pipe(ends), 0);
        {
            TFileStream writer(ends[1], true);
            writer.WriteBuffer(bytes.data(), int64_t(bytes.size())); // fits the pipe's buffer
        }
        const TImageInput input = OpenImage(std::make_unique<TFileStream>(ends[0], true), "-");
        EXPECT_STREQ(input.Format->Name, format);
        EXPECT_EQ(ReadImage(input).Width(), 3) << format;
    }
    // Endless zeros: refused after the first bytes instead of read to the end of memory.
    auto zeros = std::make_unique<TFileStream>("/dev/zero", TFileStream::fmOpenRead);
    const TImageInput input = OpenImage(std::move(zeros), "zero.bmp");
    EXPECT_LE(input.Stream->Size(), 136);
    EXPECT_THROW(ReadImage(input), EInvalidGraphic);
}

TEST(ImageFormat, PictureWithoutPixelsIsNeverWritten) {
    const std::string dir = MakeTempDir();
    const std::string path = dir + "/keep.png";
    WriteFileBytes(path, {'k', 'e', 'e', 'p'});
    for (const TImageFormat& format : ImageFormats()) {
        TDIB empty;
        try {
            WriteImageFile(path, format, empty);
            ADD_FAILURE() << format.Name << ": an empty picture was written";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), "画像データがありません");
        }
        EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{'k', 'e', 'e', 'p'})) << format.Name;
    }
    WriteImageFile(path, *FormatNamed("bmp"), SmallPicture());
    EXPECT_EQ(ReadFileBytes(path), Encoded(SmallPicture(), "bmp"));
}

TEST(ImageFormat, TransparencyGoesWhereTheFormatHasAPlaceForIt) {
    const std::string dir = MakeTempDir();
    const TTransparency clearTwo{{255, 255, 0}, -1};
    struct Case {
        const char* format;
        std::vector<uint8_t> readBack; // PaletteAlpha of the written file
    };
    std::vector<uint8_t> gifAlpha(256, 255); // GIF keeps one transparent entry of its 256
    gifAlpha[2] = 0;
    const Case cases[] = {{"png", {255, 255, 0}}, {"bmp", {}}, {"gif", gifAlpha}};
    for (const Case& c : cases) {
        const std::string path = dir + "/picture." + c.format;
        WriteImageFile(path, *FormatNamed(c.format), SmallPicture(), clearTwo);
        const TPicture picture = ReadPictureFile(path);
        EXPECT_EQ(picture.Transparency.PaletteAlpha, c.readBack) << c.format;
        EXPECT_EQ(picture.Transparency.Color, -1) << c.format;
        EXPECT_FALSE(picture.AlphaChannel) << c.format;
        EXPECT_FALSE(picture.WideSamples) << c.format;
        // The plain save carries none.
        WriteImageFile(path, *FormatNamed(c.format), SmallPicture());
        EXPECT_TRUE(ReadPictureFile(path).Transparency.PaletteAlpha.empty()) << c.format;
    }
}
