// The converter's PNG support, run as the built program.
#include "PngTestUtil.h"
#include "ToolRun.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivPNG.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

void WriteBmp(const std::string& path, const TDIB& image) {
    TMemoryStream stream;
    image.SaveAsBmp(stream);
    WriteFileBytes(path, stream.Bytes());
}

TDIB ReadPng(const std::string& path) {
    TKivPNG png;
    png.LoadFromFile(path);
    TDIB image;
    png.AssignTo(image);
    return image;
}

void ExpectSameColors(const TDIB& actual, const TDIB& expected) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    std::vector<uint32_t> a(size_t(expected.Width())), e(a.size());
    for (int32_t y = 0; y < expected.Height(); ++y) {
        actual.RowToColors(y, a.data());
        expected.RowToColors(y, e.data());
        ASSERT_EQ(a, e) << "row " << y;
    }
}

// Signature, header and end: a PNG without image data.
std::vector<uint8_t> PngWithoutImageData() {
    std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    AppendChunk(file, "IHDR", {0, 0, 0, 4, 0, 0, 0, 4, 8, 3, 0, 0, 0});
    AppendChunk(file, "IEND", {});
    return file;
}

TEST(VarnetImgPng, ConvertKeepsBitCountAndPicture) {
    const std::string dir = MakeTempDir();
    for (int32_t bits : {1, 4, 8, 24}) {
        SCOPED_TRACE(bits);
        const TDIB image = TestImage(13, 6, bits);
        WriteBmp(dir + "/in.bmp", image);
        TToolRun run = Tool({"convert", dir + "/in.bmp", dir + "/out.PNG"});
        ASSERT_EQ(run.Status, 0) << run.Output;
        const TDIB png = ReadPng(dir + "/out.PNG");
        EXPECT_EQ(png.BitCount(), bits);
        ExpectSameColors(png, image);
        // And back: a PNG read into the converter keeps its bit count too.
        run = Tool({"convert", dir + "/out.PNG", dir + "/again.png"});
        ASSERT_EQ(run.Status, 0) << run.Output;
        run = Tool({"convert", dir + "/again.png", dir + "/back.bmp"});
        ASSERT_EQ(run.Status, 0) << run.Output;
        TDIB back;
        back.LoadFromFile(dir + "/back.bmp");
        EXPECT_EQ(back.BitCount(), bits);
        ExpectSameColors(back, image);
    }
}

TEST(VarnetImgPng, SixteenBitImagesBecome24BitFiles) {
    const std::string dir = MakeTempDir();
    TDIB image = TestImage(9, 4, 8);
    image.WantedLayout = MakeLayout(5, 6, 5);
    image.ChangeBitCount(16);
    WriteBmp(dir + "/in.bmp", image);
    const TToolRun run = Tool({"convert", dir + "/in.bmp", dir + "/out.png"});
    ASSERT_EQ(run.Status, 0) << run.Output;
    const std::vector<uint8_t> file = ReadFileBytes(dir + "/out.png");
    EXPECT_EQ(ParsePngChunks(file)[0].Data[9], 2); // RGB
    const TDIB png = ReadPng(dir + "/out.png");
    EXPECT_EQ(png.BitCount(), 24);
    ExpectSameColors(png, image);
}

TEST(VarnetImgPng, WriterOptions) {
    const std::string dir = MakeTempDir();
    const TDIB image = TestImage(40, 30, 8);
    WriteBmp(dir + "/in.bmp", image);
    struct TestCase {
        std::vector<std::string> options;
        std::function<void(const std::vector<TPngChunk>&)> check;
    };
    const std::vector<TestCase> cases = {
        {{}, [](const auto& chunks) { EXPECT_EQ(chunks[0].Data[12], 0); }},
        {{"--interlace"}, [](const auto& chunks) { EXPECT_EQ(chunks[0].Data[12], 1); }},
        {{"--grey"},
         [](const auto& chunks) {
             EXPECT_EQ(chunks[0].Data[9], 0);
             EXPECT_EQ(FindChunk(chunks, "PLTE"), nullptr);
         }},
        {{"--comment=made here"},
         [](const auto& chunks) {
             const std::string text = "Comment";
             std::vector<uint8_t> expected(text.begin(), text.end());
             expected.push_back(0);
             const std::string comment = "made here";
             expected.insert(expected.end(), comment.begin(), comment.end());
             ASSERT_NE(FindChunk(chunks, "tEXt"), nullptr);
             EXPECT_EQ(FindChunk(chunks, "tEXt")->Data, expected);
         }},
        {{"--idat-size=256", "--level=none"},
         [](const auto& chunks) {
             int idats = 0;
             for (const auto& c : chunks)
                 if (c.Type == "IDAT" && c.Data.size() == 256) ++idats;
             EXPECT_GE(idats, 4); // 30 rows of 41 bytes, stored
         }},
        {{"--filter", "up"}, // the value may also follow as the next argument
         [](const auto& chunks) {
             const std::vector<uint8_t> data = InflatedImageData(chunks);
             for (size_t at = 0; at < data.size(); at += 41)
                 EXPECT_EQ(data[at], 2) << at;
         }},
        {{"--level=best", "--filter=adaptive"}, [](const auto&) {}},
    };
    for (const TestCase& c : cases) {
        std::vector<std::string> args = {"convert", dir + "/in.bmp", dir + "/out.png"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(c.options.empty() ? "defaults" : c.options[0]);
        const TToolRun run = Tool(args);
        ASSERT_EQ(run.Status, 0) << run.Output;
        const std::vector<uint8_t> file = ReadFileBytes(dir + "/out.png");
        c.check(ParsePngChunks(file));
        EXPECT_EQ(DecodeWithLibpng(file).Error, "");
        const TDIB png = ReadPng(dir + "/out.png");
        for (int32_t y = 0; y < image.Height(); ++y)
            for (int32_t x = 0; x < image.Width(); ++x)
                ASSERT_EQ(png.GetPixel(x, y), image.GetPixel(x, y)) << x << ", " << y;
    }
}

TEST(VarnetImgPng, BadOptionsAndInputsFailWithoutOutput) {
    const std::string dir = MakeTempDir();
    WriteBmp(dir + "/in.bmp", TestImage(4, 4, 8));
    WriteFileBytes(dir + "/empty.png", PngWithoutImageData());
    struct TestCase {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const std::vector<TestCase> cases = {
        {{"--filter=fast"}, 2, "--filter takes adaptive|none|sub|up|average|paeth"},
        {{"--level=9"}, 2, "--level takes none|default|fastest|best"},
        {{"--idat-size=lots"}, 2, "--idat-size takes a number"},
        {{"--idat-size=100"}, 2, "--idat-size takes 256 to 100000, not 100"},
        {{"--idat-size=100001"}, 2, "--idat-size takes 256 to 100000, not 100001"},
        {{"--colour=red"}, 2, "option --colour is not known"},
        {{"--comment"}, 2, "option --comment needs a value"},
        {{"--grey=yes"}, 2, "option --grey takes no value"},
    };
    for (const TestCase& c : cases) {
        std::vector<std::string> args = {"convert", dir + "/in.bmp", dir + "/out.png"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const TToolRun run = Tool(args);
        EXPECT_EQ(run.Status, c.status) << c.args[0] << ": " << run.Output;
        EXPECT_NE(run.Output.find(c.message), std::string::npos) << run.Output;
        EXPECT_FALSE(FileExists(dir + "/out.png")) << c.args[0];
    }
    // Options are checked before the input is read: a missing IN is not what is reported.
    for (const std::string option : {"--idat-size=255", "--level=9", "--filter=fast"}) {
        const TToolRun run = Tool({"convert", option, dir + "/missing.bmp", dir + "/out.png"});
        EXPECT_EQ(run.Status, 2) << option << ": " << run.Output;
        EXPECT_EQ(run.Output.find("missing.bmp"), std::string::npos) << run.Output;
    }
    // --grey is for indexed pictures; others are refused, not written in colour.
    for (const int32_t bits : {16, 24, 32}) {
        TDIB image = TestImage(4, 4, 8);
        if (bits == 16) image.WantedLayout = MakeLayout(5, 5, 5);
        image.ChangeBitCount(bits);
        WriteBmp(dir + "/colour.bmp", image);
        const TToolRun run = Tool({"convert", dir + "/colour.bmp", dir + "/out.png", "--grey"});
        EXPECT_EQ(run.Status, 2) << bits << ": " << run.Output;
        EXPECT_NE(run.Output.find("--grey needs a picture of 1, 4 or 8 bits per pixel, not " +
                                  std::to_string(bits)),
                  std::string::npos)
            << run.Output;
        EXPECT_FALSE(FileExists(dir + "/out.png")) << bits;
    }
    for (const std::string command : {"convert", "info"}) {
        std::vector<std::string> args = {command, dir + "/empty.png"};
        if (command == "convert") args.push_back(dir + "/out.bmp");
        const TToolRun run = Tool(args);
        EXPECT_EQ(run.Status, 1) << command << ": " << run.Output;
        EXPECT_NE(run.Output.find("画像データがありません"), std::string::npos) << run.Output;
        EXPECT_FALSE(FileExists(dir + "/out.bmp"));
    }
}

// Options stand before, between or after the files; -- ends them.
TEST(VarnetImgPng, OptionsGoAnywhereOnTheLine) {
    const std::string dir = MakeTempDir();
    WriteBmp(dir + "/in.bmp", TestImage(40, 30, 8));
    WriteBmp(dir + "/--odd.bmp", TestImage(40, 30, 8));
    const std::string in = dir + "/in.bmp", out = dir + "/out.png";
    const std::vector<std::vector<std::string>> lines = {
        {"convert", "--filter", "up", "--interlace", in, out},
        {"--filter=up", "convert", in, "--interlace", out},
        {"convert", in, "--filter", "up", out, "--interlace"},
        {"convert", in, out, "--interlace", "--filter", "up"},
        {"convert", "--filter=up", "--interlace", "--", "--odd.bmp", out},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line[1] + " " + line[2]);
        std::filesystem::remove(out);
        // From inside dir, so that the file named like an option is given as it stands.
        const TToolRun run = Tool(line, dir);
        ASSERT_EQ(run.Status, 0) << run.Output;
        const std::vector<TPngChunk> chunks = ParsePngChunks(ReadFileBytes(out));
        EXPECT_EQ(chunks[0].Data[12], 1) << "interlace";
        // The first pass of an interlaced 40 x 30 image has rows of 5 pixels.
        EXPECT_EQ(InflatedImageData(chunks)[0], 2) << "filter";
    }
    for (const auto& help : std::vector<std::vector<std::string>>{{"--help"}, {"convert", "-h"}}) {
        const TToolRun run = Tool(help);
        EXPECT_EQ(run.Status, 0) << help[0];
        EXPECT_EQ(run.Output.rfind("usage: varnet-img convert [options] IN OUT\n", 0), 0u)
            << run.Output;
    }
}

// Without --filter, the filter follows the picture as libpng chooses it: none for indexed
// pictures and samples under 8 bits, adaptive for 8-bit grey and for colour.
TEST(VarnetImgPng, DefaultFilterFollowsThePicture) {
    const std::string dir = MakeTempDir();
    struct TestCase {
        int32_t bits;
        bool grey;
        bool adaptive;
    } cases[] = {{1, false, false}, {4, false, false}, {8, false, false}, {4, true, false},
                 {8, true, true},   {24, false, true}, {32, false, true}};
    for (const TestCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + (c.grey ? " grey" : ""));
        // A smooth ramp: any filter but None wins on most rows.
        TDIB image;
        image.Resize(64, 16, c.bits);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 64; ++x)
                image.SetPixel(x, y,
                               c.bits > 8 ? uint32_t(x * 4 * 0x010101)
                                          : uint32_t(x + y) % (1u << std::min(c.bits, 8)));
        WriteBmp(dir + "/in.bmp", image);
        std::vector<std::string> args = {"convert", dir + "/in.bmp", dir + "/out.png"};
        if (c.grey) args.push_back("--grey");
        const TToolRun run = Tool(args);
        ASSERT_EQ(run.Status, 0) << run.Output;
        const std::vector<TPngChunk> chunks = ParsePngChunks(ReadFileBytes(dir + "/out.png"));
        const std::vector<uint8_t> data = InflatedImageData(chunks);
        const size_t stride = data.size() / 16;
        int filtered = 0;
        for (size_t at = 0; at < data.size(); at += stride)
            filtered += data[at] != 0;
        EXPECT_EQ(filtered > 0, c.adaptive) << filtered << " rows filtered";
    }
}

// Pillow's reading of the transparency of the PNG at path (its info["transparency"], as Python
// prints it); nullopt when Pillow is not installed.
std::optional<std::string> PillowTransparency(const std::string& path) {
    return PillowSays("print(repr(Image.open(sys.argv[1]).info.get('transparency')))", path);
}

TEST(VarnetImgPng, ConvertKeepsTransparencyFromPngToPng) {
    struct TestCase {
        const char* what;
        TTransparentPng in;
        std::vector<std::string> options;
        std::vector<uint8_t> trns; // of the converted file
    };
    const std::vector<TestCase> cases = {
        {"one clear entry", {8, false, {255, 255, 0}, ColorNone}, {}, {255, 255, 0}},
        {"partial alpha as it is", {4, false, {0, 85, 170, 255}, ColorNone}, {}, {0, 85, 170, 255}},
        // The grey picture becomes a palette file whose entry of the grey is clear.
        {"grey to palette", {8, true, {255, 255, 0}, ColorNone}, {}, {255, 255, 0}},
        {"palette to grey", {8, false, {255, 255, 0}, ColorNone}, {"--grey"}, {0, 2}},
        {"colour key", {24, false, {}, 0x332211}, {}, {0, 0x11, 0, 0x22, 0, 0x33}},
    };
    const std::string dir = MakeTempDir();
    for (const TestCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(dir + "/in.png", c.in.Bytes());
        std::vector<std::string> args = {"convert", dir + "/in.png", dir + "/out.png"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TToolRun run = Tool(args);
        ASSERT_EQ(run.Status, 0) << run.Output;
        const std::vector<uint8_t> out = ReadFileBytes(dir + "/out.png");
        const std::vector<TPngChunk> chunks = ParsePngChunks(out);
        const TPngChunk* trns = FindChunk(chunks, "tRNS");
        ASSERT_NE(trns, nullptr);
        EXPECT_EQ(trns->Data, c.trns);
        EXPECT_EQ(DecodeWithLibpng(out).Error, "");
        // An independent reader finds the same transparency in both files.
        const auto before = PillowTransparency(dir + "/in.png");
        if (before) {
            EXPECT_NE(*before, "None\n");
            EXPECT_EQ(PillowTransparency(dir + "/out.png"), before);
        }
    }
    // A file without transparency gains none.
    TKivPNG plain;
    const TDIB image = TestImage(7, 5, 8);
    plain.Assign(&image);
    plain.SaveToFile(dir + "/plain.png");
    ASSERT_EQ(Tool({"convert", dir + "/plain.png", dir + "/plain-out.png"}).Status, 0);
    const std::vector<TPngChunk> plainOut = ParsePngChunks(ReadFileBytes(dir + "/plain-out.png"));
    EXPECT_EQ(FindChunk(plainOut, "tRNS"), nullptr);
}

TEST(VarnetImgPng, InfoPrintsThePngSideInformation) {
    const std::string dir = MakeTempDir();
    TKivPNG png;
    const TDIB image = TestImage(6, 5, 8);
    TDIB mask;
    mask.Resize(6, 5, 8);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x)
            mask.SetPixel(x, y, uint32_t(x + y));
    png.Assign(&image);
    png.Grayscale = true;
    png.HasAlpha = true;
    png.AlphaMask = &mask;
    png.Interlace = 1;
    png.Gamma = 0.45455;
    png.BackgroundColor = 0x102030;
    png.Comment = "two\r\nlines";
    png.SaveToFile(dir + "/in.png");
    const TToolRun run = Tool({"info", dir + "/in.png"});
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(run.Output, "width: 6\nheight: 5\nbits: 8\npalette_count: 256\n"
                          "colour_bits: 8\nalpha: yes\ngrey: yes\ninterlace: 1\n"
                          "gamma: 0.45455\ntransparent: none\n"
                          // the nearest grey of 0x102030 is 0x202020
                          "background: 0x00202020\n"
                          "comment: Comment\\r\\ntwo\\r\\nlines\\r\\n\n");
}

} // namespace
