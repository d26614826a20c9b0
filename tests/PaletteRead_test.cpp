// Palettes read from files of every kind: the palettes of PNG and BMP pictures, conformance
// suite pictures among them, and how the content decides the kind of file before the name.
#include "PaletteTestUtil.h"
#include "PngTestUtil.h"
#include "base/Stream.h"
#include "formats/ImageFormat.h"
#include "formats/PaletteRead.h"
#include "helpers.h"
#include "png/KivPNG.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

// A picture of bits per pixel whose palette is Distinct(), encoded in format.
std::vector<uint8_t> Picture(int32_t bits, const char* format) {
    TDIB image;
    image.PaletteBlock = Distinct();
    image.Resize(4, 2, bits);
    image.ApplyPalette();
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 4; ++x)
            image.SetPixel(x, y, bits <= 8 ? uint32_t(x + y) % 2 : 0x123456u * uint32_t(x + 1));
    TMemoryStream stream;
    FormatNamed(format)->Save(image, stream);
    return stream.Bytes();
}

// A BMP file of one 8-bit pixel whose colour table holds three entries, as its header says.
std::vector<uint8_t> ThreeColourBmp() {
    std::vector<uint8_t> bytes = {'B', 'M'};
    const uint32_t pixels = 14 + 40 + 3 * 4;
    PutLE32(bytes, pixels + 4);
    PutLE32(bytes, 0);
    PutLE32(bytes, pixels);
    for (uint32_t v : {40u, 1u, 1u})
        PutLE32(bytes, v);
    PutLE16(bytes, 1);
    PutLE16(bytes, 8);
    for (uint32_t v : {0u, 4u, 0u, 0u, 3u, 0u})
        PutLE32(bytes, v);
    // Blue, green, red, reserved: 0x00RRGGBB little-endian.
    for (uint32_t rgb : {0xFF0000u, 0x00FF00u, 0x0000FFu})
        PutLE32(bytes, rgb);
    PutLE32(bytes, 2);
    return bytes;
}

} // namespace

using PaletteReadTest = PaletteFolderTest;

TEST_F(PaletteReadTest, TheContentDecidesTheFormatBeforeTheExtension) {
    const std::vector<uint8_t> gpl = Bytes("GIMP Palette\n1 2 3\n");
    const std::vector<uint8_t> pal = Bytes("JASC-PAL\n0100\n1\n4 5 6\n");
    // An Adobe table whose first colour spells "BM", the start of a BMP file.
    std::vector<uint8_t> actLikeBmp = Act(256, false);
    actLikeBmp[0] = 'B';
    actLikeBmp[1] = 'M';
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t colours;
        TPaletteEntry first;
    };
    const Case cases[] = {
        {"gimp.pal", gpl, 1, Rgb(1, 2, 3)},
        {"gimp.txt", gpl, 1, Rgb(1, 2, 3)},
        {"jasc.gpl", pal, 1, Rgb(4, 5, 6)},
        {"jasc", pal, 1, Rgb(4, 5, 6)},
        {"picture.pal", Picture(4, "png"), 16, Distinct()[0]},
        {"picture.gpl", Picture(1, "bmp"), 2, Distinct()[0]},
        {"picture.dat", Picture(4, "bmp"), 16, Distinct()[0]},
        {"bm.act", actLikeBmp, 256, Rgb('B', 'M', 0)},
    };
    for (const Case& c : cases) {
        const TPaletteColors colors = ReadPaletteFile(Write(c.name, c.bytes));
        ASSERT_EQ(colors.size(), c.colours) << c.name;
        EXPECT_EQ(colors[0], c.first) << c.name;
    }
}

TEST_F(PaletteReadTest, PicturesGiveTheEntriesOfTheirPalette) {
    const TPalette palette = Distinct();
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t colours;
    };
    const Case cases[] = {
        {"one.png", Picture(1, "png"), 2},     {"four.png", Picture(4, "png"), 16},
        {"eight.png", Picture(8, "png"), 256}, {"four.bmp", Picture(4, "bmp"), 16},
        {"eight.bmp", Picture(8, "bmp"), 256},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadPaletteFile(Write(c.name, c.bytes)), FirstOf(palette, c.colours)) << c.name;
    EXPECT_EQ(ReadPaletteFile(Write("three.bmp", ThreeColourBmp())),
              (TPaletteColors{Rgb(255, 0, 0), Rgb(0, 255, 0), Rgb(0, 0, 255)}));
}

TEST_F(PaletteReadTest, PicturesWithoutAPaletteOrPixelsAreRefused) {
    TDIB grey;
    grey.Resize(2, 2, 8);
    for (int32_t y = 0; y < 2; ++y)
        std::memset(grey.RowForWrite(y), 0x80, 2);
    TKivPNG png;
    png.Assign(&grey);
    png.Grayscale = true;
    TMemoryStream greyPng;
    png.SaveToStream(greyPng);
    std::vector<uint8_t> truncated = Picture(8, "png");
    truncated.resize(40);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string message; // empty: any error of the picture's reader
    };
    const Case cases[] = {
        {"rgb.png", Picture(24, "png"), "の画像はパレットを持っていません"},
        {"rgb.bmp", Picture(24, "bmp"), "の画像はパレットを持っていません"},
        {"grey.png", greyPng.Bytes(), "の画像はパレットを持っていません"},
        {"truncated.png", truncated, ""},
        {"header.bmp", {'B', 'M', 0, 0}, ""},
        {"nosignature.png", Bytes("not a picture"), "PNG LoadStream: Not PNG Format"},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.name, c.bytes);
        const std::string message = Refusal(path);
        EXPECT_FALSE(message.empty()) << c.name;
        if (!c.message.empty()) {
            EXPECT_NE(message.find(c.message), std::string::npos) << message;
        }
    }
}

TEST_F(PaletteReadTest, ConformanceSuitePicturesGiveThePaletteTheirFileHolds) {
    const std::string pngs = TestDataPath("pngsuite");
    if (!std::filesystem::exists(pngs)) GTEST_SKIP() << "PngSuite not found at " << pngs;
    // Palette pictures at every depth, among them PLTE chunks shorter than the depth allows.
    int checked = 0;
    for (const std::string& path : FilesIn(pngs)) {
        const std::string file = path.substr(path.rfind('/') + 1);
        if (file.find("3p") != 4 || file.starts_with("x")) continue;
        const std::vector<TPngChunk> chunks = ParsePngChunks(ReadFileBytes(path));
        const TPngChunk* plte = FindChunk(chunks, "PLTE");
        ASSERT_NE(plte, nullptr) << file;
        TPaletteColors expected;
        for (size_t i = 0; i + 2 < plte->Data.size(); i += 3)
            expected.push_back(Rgb(plte->Data[i], plte->Data[i + 1], plte->Data[i + 2]));
        EXPECT_EQ(ReadPaletteFile(path), expected) << file;
        ++checked;
    }
    EXPECT_GT(checked, 0);
    // Colour pictures, their suggested palette included, have no palette of their own.
    EXPECT_NE(Refusal(pngs + "/pp0n2c16.png").find("パレットを持っていません"), std::string::npos);

    const std::string bmps = TestDataPath("bmpsuite/g");
    if (!std::filesystem::exists(bmps)) GTEST_SKIP() << "bmpsuite not found at " << bmps;
    struct Case {
        const char* file;
        size_t colours; // 0: refused
    };
    const Case cases[] = {
        {"pal1.bmp", 2},     {"pal4.bmp", 12},     {"pal4rle.bmp", 12}, {"pal8.bmp", 252},
        {"pal8-0.bmp", 256}, {"pal8os2.bmp", 256}, {"rgb24pal.bmp", 0}, {"rgb32.bmp", 0},
    };
    for (const Case& c : cases) {
        const std::string path = bmps + "/" + c.file;
        if (c.colours == 0) {
            EXPECT_NE(Refusal(path).find("パレットを持っていません"), std::string::npos) << c.file;
            continue;
        }
        TMemoryStream stream;
        stream.LoadFromFile(path);
        TDIB image;
        image.LoadFromBmp(stream);
        TPalette table = image.PaletteBlock;
        for (TPaletteEntry& e : table)
            e.Reserved = 0;
        EXPECT_EQ(ReadPaletteFile(path), FirstOf(table, c.colours)) << c.file;
    }
}

// A grey picture of 1, 2 or 4 bits gives the greys it opens with; one of 8 bits has no palette.
TEST_F(PaletteReadTest, FewBitGreyPicturesGiveTheirGreys) {
    for (const uint8_t depth : {1, 2, 4, 8}) {
        std::vector<uint8_t> file(PngSignature.begin(), PngSignature.end());
        std::vector<uint8_t> header;
        PutBE32(header, 1);
        PutBE32(header, 1);
        header.insert(header.end(), {depth, 0, 0, 0, 0});
        AppendChunk(file, "IHDR", header);
        std::vector<uint8_t> data(16);
        uLongf size = uLongf(data.size());
        const std::vector<uint8_t> row = {0, 0};
        compress(data.data(), &size, row.data(), uLong(row.size()));
        data.resize(size);
        AppendChunk(file, "IDAT", data);
        AppendChunk(file, "IEND", {});
        const std::string path = Write("grey.png", file);
        if (depth == 8) {
            EXPECT_NE(Refusal(path).find("の画像はパレットを持っていません"), std::string::npos);
            continue;
        }
        TKivPNG opened;
        opened.LoadFromFile(path);
        const TPaletteColors greys = ReadPaletteFile(path);
        EXPECT_EQ(greys, FirstOf(opened.InternalImage().PaletteBlock, size_t(1) << depth))
            << int(depth) << " bits";
        EXPECT_EQ(greys.back(), Rgb(255, 255, 255)) << int(depth) << " bits";
    }
}
