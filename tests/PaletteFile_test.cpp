// Palette files on disk: each format written and read back, Adobe colour tables as other programs
// write them, files that are refused, and the names a palette keeps.
#include "PaletteTestUtil.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/PaletteFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using PaletteFileTest = PaletteFolderTest;

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

TEST(PaletteFile, LoadedColoursReplaceTheFirstEntriesOnly) {
    TPalette palette = Distinct();
    palette[1].Reserved = 9;
    const TPalette result = WithColors(palette, {Rgb(10, 20, 30), Rgb(40, 50, 60)});
    EXPECT_EQ(result[0], Rgb(10, 20, 30));
    EXPECT_EQ(result[1], (TPaletteEntry{60, 50, 40, 9})) << "the reserved byte stays";
    for (int i = 2; i < 256; ++i)
        EXPECT_EQ(result[i], palette[i]) << i;
}
