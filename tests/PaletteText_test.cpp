// The text palette formats: files as other programs write them, every way a line can be wrong
// (the message names the line), and the writers read back.
#include "base/Exceptions.h"
#include "helpers.h"
#include "image/PaletteText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TPaletteEntry Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return TPaletteEntry{blue, green, red, 0};
}

using TParser = TPaletteColors (*)(std::string_view, const std::string&);

// The message a parser refuses text with; empty when it accepts it.
std::string Refusal(TParser parse, const std::string& text, const std::string& name) {
    try {
        parse(text, name);
    } catch (const EInvalidGraphic& e) {
        return e.Message();
    }
    return "";
}

// Entry i is (i, 255 - i, i * 7 mod 256), so every entry differs from its neighbours.
TPalette Distinct() {
    TPalette palette{};
    for (int i = 0; i < 256; ++i)
        palette[i] = Rgb(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7));
    return palette;
}

std::string Repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

} // namespace

TEST(PaletteText, ReadsGimpPalettesAsTheyAreWritten) {
    // As GIMP writes them: header, name, columns, a comment, aligned values with a tab and the
    // colour's name; then what hand-edited files add: CR LF, blank lines, comments between the
    // entries, names with spaces, tabs between the values, a byte order mark.
    const std::string gimp = "GIMP Palette\nName: Sunset\nColumns: 4\n#\n"
                             "255   0   0\tRed\n  0 128 255\tSky blue\n";
    const std::string edited = "\xEF\xBB\xBFGIMP Palette\r\n\r\n# warm colours\r\n"
                               "255 0 0\r\n   \r\n  # more\r\n0\t128\t255 Sky blue, light\r\n";
    for (const std::string& text : {gimp, edited}) {
        const TPaletteColors colors = ParseGpl(text, "a.gpl");
        EXPECT_EQ(colors, (TPaletteColors{Rgb(255, 0, 0), Rgb(0, 128, 255)})) << text;
    }
    // A colour named with digits is still only a name.
    EXPECT_EQ(ParseGpl("GIMP Palette\n1 2 3 4 5 6\n", "a.gpl"), (TPaletteColors{Rgb(1, 2, 3)}));
}

TEST(PaletteText, GimpPalettesGiveTheirNames) {
    struct Case {
        const char* name;
        std::string text;
        TPaletteNames names;
    };
    const Case cases[] = {
        {"as GIMP writes",
         "GIMP Palette\nName: Sunset\nColumns: 4\n#\n255   0   0\tRed\n  0 128 255\tSky blue\n",
         {"Sunset", {"Red", "Sky blue"}}},
        {"edited by hand",
         "GIMP Palette\r\nName:   Warm, light  \r\n1 2 3\r\n# between\r\n4\t5\t6   dark \t red\r\n",
         {"Warm, light", {"", "dark \t red"}}},
        {"no names", "GIMP Palette\n1 2 3\n", {"", {""}}},
    };
    for (const Case& c : cases) {
        TPaletteNames names{"stale", {"stale"}};
        ParseGpl(c.text, "a.gpl", names);
        EXPECT_EQ(names, c.names) << c.name;
    }
}

TEST(PaletteText, GimpPalettesAreWrittenWithTheNamesGiven) {
    const TPalette palette = Distinct();
    const std::string gpl = GplText(palette, "Sunset", {"Red", "", "Two\r\nlines"});
    EXPECT_TRUE(gpl.starts_with("GIMP Palette\nName: Sunset\nColumns: 16\n#\n"
                                "  0 255   0\tRed\n  1 254   7\tIndex 1\n  2 253  14\tTwo  lines\n"
                                "  3 252  21\tIndex 3\n"))
        << gpl.substr(0, 120);
    TPaletteNames names;
    EXPECT_EQ(ParseGpl(gpl, "a.gpl", names), TPaletteColors(palette.begin(), palette.end()));
    EXPECT_EQ(names.Title, "Sunset");
    ASSERT_EQ(names.Entries.size(), 256u);
    EXPECT_EQ(names.Entries[0], "Red");
    EXPECT_EQ(names.Entries[2], "Two  lines");
    EXPECT_EQ(names.Entries[255], "Index 255");
}

TEST(PaletteText, ReadsJascPalettesWithEitherLineEnd) {
    for (const char* end : {"\r\n", "\n"}) {
        const std::string e = end;
        const std::string text = "JASC-PAL" + e + "0100" + e + "3" + e + "0 0 0" + e +
                                 "255 255 255" + e + "12 34 56" + e + e;
        EXPECT_EQ(ParseJascPal(text, "a.pal"),
                  (TPaletteColors{Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(12, 34, 56)}))
            << "line end " << (e.size() == 2 ? "CR LF" : "LF");
    }
    // The last line without its line end.
    EXPECT_EQ(ParseJascPal("JASC-PAL\n0100\n1\n9 8 7", "a.pal"), (TPaletteColors{Rgb(9, 8, 7)}));
}

TEST(PaletteText, MalformedFilesAreRefusedNamingTheLine) {
    struct Case {
        const char* what;
        TParser parse;
        std::string text;
        std::string message; // after "パレットファイル x の "
    };
    const std::string jasc = "JASC-PAL\r\n0100\r\n";
    const Case cases[] = {
        {"empty gpl", ParseGpl, "", "1 行目: \"GIMP Palette\" で始まっていません"},
        {"header case", ParseGpl, "GIMP palette\n0 0 0\n",
         "1 行目: \"GIMP Palette\" で始まっていません"},
        {"missing value", ParseGpl, "GIMP Palette\n# c\n10 20\n", "3 行目: R G B の値が足りません"},
        {"value over 255", ParseGpl, "GIMP Palette\n0 0 0\n1 256 0\n",
         "3 行目: 値 256 が 0 から 255 の範囲にありません"},
        {"negative value", ParseGpl, "GIMP Palette\n-1 0 0\n",
         "2 行目: 値 -1 が 0 から 255 の範囲にありません"},
        {"long number", ParseGpl, "GIMP Palette\n0 0 123456789012345678\n",
         "2 行目: 値 123456789012… が 0 から 255 の範囲にありません"},
        {"not a number", ParseGpl, "GIMP Palette\n0 0x10 0\n",
         "2 行目: R G B の値に数でないものがあります"},
        {"binary line", ParseGpl, std::string("GIMP Palette\n\0\x01\xFF", 16),
         "2 行目: R G B の値が足りません"},
        {"name after colours", ParseGpl, "GIMP Palette\n1 2 3\nName: late\n",
         "3 行目: R G B の値が足りません"},
        {"257 colours", ParseGpl, "GIMP Palette\n" + Repeated("1 2 3\n", 257),
         "258 行目: 色が 256 を越えています"},
        {"empty jasc", ParseJascPal, "", "1 行目: \"JASC-PAL\" で始まっていません"},
        {"gimp as jasc", ParseJascPal, "GIMP Palette\n", "1 行目: \"JASC-PAL\" で始まっていません"},
        {"version", ParseJascPal, "JASC-PAL\r\n0200\r\n1\r\n0 0 0\r\n",
         "2 行目: 版が \"0100\" ではありません"},
        {"no count", ParseJascPal, jasc, "3 行目: 色数が 1 から 256 の数ではありません"},
        {"count 0", ParseJascPal, jasc + "0\r\n", "3 行目: 色数が 1 から 256 の数ではありません"},
        {"count 257", ParseJascPal, jasc + "257\r\n" + Repeated("0 0 0\r\n", 257),
         "3 行目: 色数が 1 から 256 の数ではありません"},
        {"count not a number", ParseJascPal, jasc + "16 colours\r\n",
         "3 行目: 色数が 1 から 256 の数ではありません"},
        {"fewer lines than the count", ParseJascPal, jasc + "3\r\n1 2 3\r\n4 5 6\r\n",
         "6 行目: 色数 3 に対して 2 色しかありません"},
        {"more lines than the count", ParseJascPal, jasc + "2\r\n1 2 3\r\n4 5 6\r\n7 8 9\r\n",
         "6 行目: 色数 2 より多くの色があります"},
        {"blank entry line", ParseJascPal, jasc + "2\r\n1 2 3\r\n\r\n4 5 6\r\n",
         "5 行目: R G B の値が足りません"},
        {"four values", ParseJascPal, jasc + "1\r\n1 2 3 255\r\n",
         "4 行目: 値が R G B の 3 つより多くあります"},
        {"jasc value over 255", ParseJascPal, jasc + "1\r\n1 2 300\r\n",
         "4 行目: 値 300 が 0 から 255 の範囲にありません"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Refusal(c.parse, c.text, "x"), "パレットファイル x の " + c.message) << c.what;
    EXPECT_EQ(Refusal(ParseGpl, "GIMP Palette\nName: only\n# none\n", "x"),
              "パレットファイル x に色がありません");
}

TEST(PaletteText, WrittenFilesReadBackAndLookLikeTheirFormat) {
    const TPalette palette = Distinct();
    const TPaletteColors all(palette.begin(), palette.end());

    const std::string gpl = GplText(palette, "my\npalette");
    EXPECT_TRUE(gpl.starts_with("GIMP Palette\nName: my palette\nColumns: 16\n#\n  0 255   0\t"))
        << gpl.substr(0, 60);
    EXPECT_EQ(ParseGpl(gpl, "a.gpl"), all);

    const std::string pal = JascPalText(palette);
    EXPECT_TRUE(pal.starts_with("JASC-PAL\r\n0100\r\n256\r\n0 255 0\r\n1 254 7\r\n"))
        << pal.substr(0, 40);
    EXPECT_TRUE(pal.ends_with("\r\n255 0 249\r\n"));
    EXPECT_EQ(ParseJascPal(pal, "a.pal"), all);

    EXPECT_TRUE(LooksLikeGpl(gpl));
    EXPECT_FALSE(LooksLikeGpl(pal));
    EXPECT_TRUE(LooksLikeJascPal(pal));
    EXPECT_FALSE(LooksLikeJascPal(gpl));
}
