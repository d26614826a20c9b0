// Palette files on disk: each format written and read back, Adobe colour tables as other programs
// write them, the palettes of PNG and BMP pictures, how the format is recognised, and files that
// are refused.
#include "PngTestUtil.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/ImageFormat.h"
#include "helpers.h"
#include "image/PaletteFile.h"
#include "png/KivPNG.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

TPaletteEntry Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return TPaletteEntry{blue, green, red, 0};
}

// Entry i is (i, 255 - i, i * 7 mod 256), so every entry differs from its neighbours.
TPalette Distinct() {
    TPalette palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = Rgb(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7));
    return palette;
}

TPaletteColors FirstOf(const TPalette& palette, size_t count) {
    return TPaletteColors(palette.begin(), palette.begin() + long(count));
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

// The message reading path is refused with; empty when it is read.
std::string Refusal(const std::string& path) {
    try {
        ReadPaletteFile(path);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// An Adobe colour table: entry i of count is (i, 2i, 3i); with a count field, 772 bytes. A
// count over 256 is only written into the count field.
std::vector<uint8_t> Act(int count, bool withCount) {
    std::vector<uint8_t> bytes(768, 0);
    for (int i = 0; i < std::min(count, 256); ++i) {
        bytes[3 * i] = uint8_t(i);
        bytes[3 * i + 1] = uint8_t(2 * i);
        bytes[3 * i + 2] = uint8_t(3 * i);
    }
    if (withCount) bytes.insert(bytes.end(), {uint8_t(count >> 8), uint8_t(count), 0xFF, 0xFF});
    return bytes;
}

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

class PaletteFileTest : public testing::Test {
protected:
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = dir + "/" + name;
        WriteFileBytes(path, bytes);
        return path;
    }
    std::string dir = MakeTempDir();
};

} // namespace

TEST_F(PaletteFileTest, EachFormatWrittenReadsBackAsTheSamePalette) {
    const TPalette palette = Distinct();
    struct Case {
        const char* name;
        TPaletteFormat format;
        const char* start; // the file's first bytes
    };
    const Case cases[] = {
        {"p.gpl", TPaletteFormat::Gpl, "GIMP Palette\nName: p\n"},
        {"p.PAL", TPaletteFormat::JascPal, "JASC-PAL\r\n"},
        {"p.act", TPaletteFormat::Act, "\x00\xFF\x00\x01\xFE\x07"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(PaletteFormatForExtension(c.name), c.format) << c.name;
        const std::string path = dir + "/" + c.name;
        WritePaletteFile(path, c.format, palette);
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        const std::string start(c.start, c.format == TPaletteFormat::Act ? 6 : strlen(c.start));
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + long(start.size())), start) << c.name;
        EXPECT_EQ(ReadPaletteFile(path), FirstOf(palette, 256)) << c.name;
    }
    EXPECT_EQ(ReadFileBytes(dir + "/p.act").size(), 768u);
    EXPECT_FALSE(PaletteFormatForExtension("p.png").has_value());
    EXPECT_FALSE(PaletteFormatForExtension("pal").has_value());
}

TEST_F(PaletteFileTest, AFailedWriteSaysWhy) {
    const std::string path = dir + "/missing/x.gpl";
    try {
        WritePaletteFile(path, TPaletteFormat::Gpl, Distinct());
        ADD_FAILURE() << "written into a missing folder";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "ファイル " + path + " を保存するフォルダがありません");
    }
}

TEST_F(PaletteFileTest, AdobeTablesWithACountGiveThatManyColours) {
    EXPECT_EQ(ReadPaletteFile(Write("short.act", Act(16, true))),
              (TPaletteColors{Rgb(0, 0, 0), Rgb(1, 2, 3), Rgb(2, 4, 6), Rgb(3, 6, 9), Rgb(4, 8, 12),
                              Rgb(5, 10, 15), Rgb(6, 12, 18), Rgb(7, 14, 21), Rgb(8, 16, 24),
                              Rgb(9, 18, 27), Rgb(10, 20, 30), Rgb(11, 22, 33), Rgb(12, 24, 36),
                              Rgb(13, 26, 39), Rgb(14, 28, 42), Rgb(15, 30, 45)}));
    EXPECT_EQ(ReadPaletteFile(Write("full.act", Act(256, true))).size(), 256u);
    EXPECT_EQ(ReadPaletteFile(Write("plain.act", Act(256, false))).size(), 256u);
}

TEST_F(PaletteFileTest, MalformedAndShortFilesAreRefusedSayingWhere) {
    std::vector<uint8_t> zeroCount = Act(4, true);
    zeroCount[769] = 0;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string message; // after the file's path
    };
    const Case cases[] = {
        {"empty.gpl", {}, " は空です"},
        {"short.act", std::vector<uint8_t>(767, 1),
         " は 767 バイトです (.act は 768 か 772 バイト)"},
        {"long.act", std::vector<uint8_t>(769, 1),
         " は 769 バイトです (.act は 768 か 772 バイト)"},
        {"zero.act", zeroCount, " のオフセット 768: 色数 0 が 1 から 256 の範囲にありません"},
        {"many.act", Act(257, true),
         " のオフセット 768: 色数 257 が 1 から 256 の範囲にありません"},
        {"bad.gpl", Bytes("GIMP Palette\n1 2 3\n4 5 600\n"),
         " の 3 行目: 値 600 が 0 から 255 の範囲にありません"},
        {"bad.pal", Bytes("JASC-PAL\n0100\n2\n1 2 3\n"),
         " の 5 行目: 色数 2 に対して 1 色しかありません"},
        // A file named as a text palette but holding no header gets that format's complaint.
        {"header.pal", Bytes("0 0 0\n"), " の 1 行目: \"JASC-PAL\" で始まっていません"},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.name, c.bytes);
        EXPECT_EQ(Refusal(path), "パレットファイル " + path + c.message) << c.name;
    }
    const std::string path = Write("notes.txt", Bytes("red green blue\n"));
    EXPECT_EQ(Refusal(path), "ファイル " + path + " は対応していないパレット形式です");
    EXPECT_EQ(Refusal(dir + "/absent.gpl"), "ファイル " + dir + "/absent.gpl がありません");
    const std::string huge = Write("huge.gpl", std::vector<uint8_t>((1 << 20) + 1, ' '));
    EXPECT_EQ(Refusal(huge), "パレットファイル " + huge + " は大きすぎます (1048577 バイト)");
}

TEST_F(PaletteFileTest, TheContentDecidesTheFormatBeforeTheExtension) {
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

TEST_F(PaletteFileTest, PicturesGiveTheEntriesOfTheirPalette) {
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

TEST_F(PaletteFileTest, PicturesWithoutAPaletteOrPixelsAreRefused) {
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

TEST_F(PaletteFileTest, ConformanceSuitePicturesGiveThePaletteTheirFileHolds) {
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

// A GIMP palette keeps its names through a save and a load; the other formats have none.
TEST_F(PaletteFileTest, NamesGoThroughGimpPalettesOnly) {
    const TPalette palette = Distinct();
    const TPaletteNames named{"Sunset", {"Red", "", "Sky blue"}};
    WritePaletteFile(dir + "/named.gpl", TPaletteFormat::Gpl, palette, named);
    WritePaletteFile(dir + "/untitled.gpl", TPaletteFormat::Gpl, palette, {"", {"Red"}});
    WritePaletteFile(dir + "/named.pal", TPaletteFormat::JascPal, palette, named);
    struct Case {
        const char* file;
        std::string title;
        std::string first, second; // names of entries 0 and 1, when a GIMP palette
    };
    const Case cases[] = {
        {"named.gpl", "Sunset", "Red", "Index 1"},
        {"untitled.gpl", "untitled", "Red", "Index 1"},
        {"named.pal", "", "", ""},
    };
    for (const Case& c : cases) {
        TPaletteNames names{"stale", {"stale"}};
        EXPECT_EQ(ReadPaletteFile(dir + "/" + c.file, &names), FirstOf(palette, 256)) << c.file;
        EXPECT_EQ(names.Title, c.title) << c.file;
        if (c.first.empty()) {
            EXPECT_TRUE(names.Entries.empty()) << c.file;
            continue;
        }
        ASSERT_EQ(names.Entries.size(), 256u) << c.file;
        EXPECT_EQ(names.Entries[0], c.first) << c.file;
        EXPECT_EQ(names.Entries[1], c.second) << c.file;
    }
}

// An entry whose colour changes loses its name; the reserved byte is no colour.
TEST(PaletteFile, NamesOfChangedEntriesAreDropped) {
    const TPalette before = Distinct();
    const TPaletteNames names{"Sunset", {"Red", "Green", "Blue"}};
    const auto changed = [&](int index, uint8_t TPaletteEntry::*part) {
        TPalette after = before;
        after[size_t(index)].*part ^= 1;
        return after;
    };
    struct Case {
        const char* name;
        TPalette after;
        TPaletteNames expected;
    };
    const Case cases[] = {
        {"unchanged", before, names},
        {"red of entry 1", changed(1, &TPaletteEntry::Red), {"Sunset", {"Red", "", "Blue"}}},
        {"green of entry 2", changed(2, &TPaletteEntry::Green), {"Sunset", {"Red", "Green", ""}}},
        {"blue of entry 0", changed(0, &TPaletteEntry::Blue), {"Sunset", {"", "Green", "Blue"}}},
        {"an entry without a name", changed(200, &TPaletteEntry::Red), names},
        {"reserved byte of entry 0", changed(0, &TPaletteEntry::Reserved), names},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NamesKept(names, before, c.after), c.expected) << c.name;
}

// A grey picture of 1, 2 or 4 bits gives the greys it opens with; one of 8 bits has no palette.
TEST_F(PaletteFileTest, FewBitGreyPicturesGiveTheirGreys) {
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

TEST(PaletteFile, LoadedColoursReplaceTheFirstEntriesOnly) {
    TPalette palette = Distinct();
    palette[1].Reserved = 9;
    const TPalette result = WithColors(palette, {Rgb(10, 20, 30), Rgb(40, 50, 60)});
    EXPECT_EQ(result[0], Rgb(10, 20, 30));
    EXPECT_EQ(result[1], (TPaletteEntry{60, 50, 40, 9})) << "the reserved byte stays";
    for (int i = 2; i < 256; ++i)
        EXPECT_EQ(result[i], palette[i]) << i;
}
