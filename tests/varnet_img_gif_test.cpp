// The converter's GIF output and input and its enlargement, run as the built program.
#include "PngTestUtil.h"
#include "ToolRun.h"
#include "base/Stream.h"
#include "formats/ImageFormat.h"
#include "helpers.h"
#include "image/DIB.h"
#include "image/Enlarge.h"
#include "image/SpriteSheet.h"
#include "image/Transform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void WriteBmp(const std::string& path, const TDIB& image) {
    TMemoryStream stream;
    image.SaveAsBmp(stream);
    WriteFileBytes(path, stream.Bytes());
}

// The colours of every pixel, row by row.
std::vector<uint32_t> Colors(const TDIB& image) {
    std::vector<uint32_t> colors(size_t(image.Width()) * size_t(image.Height()));
    for (int32_t y = 0; y < image.Height(); ++y)
        image.RowToColors(y, colors.data() + size_t(y) * size_t(image.Width()));
    return colors;
}

void ExpectSamePicture(const TDIB& actual, const TDIB& expected) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    EXPECT_EQ(Colors(actual), Colors(expected));
}

// The cells of picture (frame x frame sized, scale times enlarged) side by side in one row, as a
// sheet of the animation's frames reads back.
TDIB SheetOf(const TDIB& picture, int32_t frameWidth, int32_t frameHeight) {
    const std::vector<TRect> cells = SheetCells(picture.Width(), picture.Height(),
                                                {0, 0, frameWidth, frameHeight}, kMostSheetCells);
    TDIB sheet;
    sheet.PaletteBlock = picture.PaletteBlock;
    sheet.Resize(frameWidth * int32_t(cells.size()), frameHeight, 8);
    for (size_t i = 0; i < cells.size(); ++i)
        for (int32_t y = 0; y < frameHeight; ++y)
            for (int32_t x = 0; x < frameWidth; ++x)
                sheet.SetPixel(int32_t(i) * frameWidth + x, y,
                               picture.GetPixel(cells[i].Left + x, cells[i].Top + y));
    return sheet;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words)
        line += word + " ";
    return line;
}

} // namespace

// Every output format takes --scale: the picture read back is the input enlarged, at its bit
// count, with its palette.
TEST(VarnetImgGif, ScaleEnlargesEveryOutputFormat) {
    struct TestCase {
        int32_t bits;
        std::string out;
        std::vector<std::string> options;
        int32_t scale;
    };
    const std::vector<TestCase> cases = {
        {8, "out.png", {"--scale=3"}, 3},  {8, "out.bmp", {"--scale", "2"}, 2},
        {8, "out.gif", {"--scale=4"}, 4},  {8, "out.png", {}, 1},
        {4, "out.png", {"--scale=5"}, 5},  {1, "out.bmp", {"--scale=16"}, 16},
        {24, "out.png", {"--scale=2"}, 2}, {8, "out.gif", {"--scale=16", "--format=gif"}, 16},
    };
    const std::string dir = MakeTempDir();
    for (const TestCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits to " + c.out + " " + Joined(c.options));
        const TDIB image = TestImage(7, 5, c.bits);
        WriteBmp(dir + "/in.bmp", image);
        std::vector<std::string> args = {"convert", dir + "/in.bmp", dir + "/" + c.out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TToolRun run = Tool(args);
        ASSERT_EQ(run.Status, 0) << run.Output;
        const TDIB back = ReadImageFile(dir + "/" + c.out);
        if (c.out != "out.gif") {
            EXPECT_EQ(back.BitCount(), c.bits);
        }
        ExpectSamePicture(back, Enlarged(image, c.scale));
    }
}

// The transparent entry of a PNG stays transparent in an enlarged PNG and in a GIF.
TEST(VarnetImgGif, ScaleAndGifKeepTransparency) {
    const std::string dir = MakeTempDir();
    // Entry 2 is the clear one.
    WriteFileBytes(dir + "/in.png", TTransparentPng{8, false, {255, 255, 0}, ColorNone}.Bytes());
    struct TestCase {
        std::string out;
        std::vector<std::string> options;
        std::string pillowTransparency;
    };
    const std::vector<TestCase> cases = {
        {"out.png", {"--scale=3"}, "2\n"},
        {"out.gif", {"--scale=2"}, "2\n"},
        {"out.gif", {"--frame=3x2"}, "2\n"},
    };
    for (const TestCase& c : cases) {
        SCOPED_TRACE(c.out + " " + Joined(c.options));
        std::vector<std::string> args = {"convert", dir + "/in.png", dir + "/" + c.out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TToolRun run = Tool(args);
        ASSERT_EQ(run.Status, 0) << run.Output;
        if (const auto pillow =
                PillowSays("print(repr(Image.open(sys.argv[1]).info.get('transparency')))",
                           dir + "/" + c.out)) {
            EXPECT_EQ(*pillow, c.pillowTransparency);
        }
    }
    // The enlarged PNG's alpha table as it was.
    const std::vector<TPngChunk> chunks = ParsePngChunks(ReadFileBytes(dir + "/out.png"));
    ASSERT_NE(FindChunk(chunks, "tRNS"), nullptr);
    EXPECT_EQ(FindChunk(chunks, "tRNS")->Data, (std::vector<uint8_t>{255, 255, 0}));
    const TToolRun info = Tool({"info", dir + "/out.gif"});
    ASSERT_EQ(info.Status, 0) << info.Output;
    EXPECT_NE(info.Output.find("\ntransparent: 2\n"), std::string::npos) << info.Output;
}

// --frame makes the cells of the picture (scaled with it) the frames of an animation at --fps;
// reading it back as a sheet gives the cells side by side, and its first frame alone the first
// cell.
TEST(VarnetImgGif, FramesBecomeAnAnimationThatReadsBack) {
    struct TestCase {
        std::vector<std::string> options;
        int32_t frameWidth, frameHeight, scale, frames, milliseconds;
    };
    const std::vector<TestCase> cases = {
        {{"--frame=4x4", "--fps=10"}, 4, 4, 1, 6, 100},
        {{"--frame", "5x3", "--fps", "25"}, 5, 3, 1, 4, 40},
        {{"--frame=4X8", "--scale=2", "--fps=50"}, 4, 8, 2, 3, 20},
        {{"--frame=12x8", "--fps=1"}, 12, 8, 1, 1, 1000},
        {{"--frame=1x1", "--fps=20"}, 1, 1, 1, 96, 50},
    };
    const std::string dir = MakeTempDir();
    const TDIB picture = TestImage(12, 8, 8);
    WriteBmp(dir + "/in.bmp", picture);
    for (const TestCase& c : cases) {
        SCOPED_TRACE(Joined(c.options));
        std::vector<std::string> args = {"convert", dir + "/in.bmp", dir + "/anim.gif"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TToolRun run = Tool(args);
        ASSERT_EQ(run.Status, 0) << run.Output;

        const TToolRun info = Tool({"info", dir + "/anim.gif"});
        EXPECT_NE(info.Output.find("\nframes: " + std::to_string(c.frames) + "\n"),
                  std::string::npos)
            << info.Output;
        if (const auto pillow = PillowSays(
                "im = Image.open(sys.argv[1]); print(im.n_frames, im.size, "
                "sorted({(im.seek(i), im.info['duration'])[1] for i in range(im.n_frames)}))",
                dir + "/anim.gif")) {
            EXPECT_EQ(*pillow, std::to_string(c.frames) + " (" +
                                   std::to_string(c.frameWidth * c.scale) + ", " +
                                   std::to_string(c.frameHeight * c.scale) + ") [" +
                                   std::to_string(c.milliseconds) + "]\n");
        }

        const TDIB sheet = Enlarged(SheetOf(picture, c.frameWidth, c.frameHeight), c.scale);
        ASSERT_EQ(Tool({"convert", "--sheet", dir + "/anim.gif", dir + "/sheet.bmp"}).Status, 0);
        ExpectSamePicture(ReadImageFile(dir + "/sheet.bmp"), sheet);
        ASSERT_EQ(Tool({"convert", dir + "/anim.gif", dir + "/first.png"}).Status, 0);
        const TDIB first = ReadImageFile(dir + "/first.png");
        ExpectSamePicture(
            first, Enlarged(Reframed(picture, {0, 0, c.frameWidth, c.frameHeight}, 0), c.scale));
    }
}

// A GIF goes to standard output as to a file, byte for byte, and a GIF comes in from a pipe.
TEST(VarnetImgGif, GifThroughStandardOutputAndInput) {
    const std::string dir = MakeTempDir();
    WriteBmp(dir + "/in.bmp", TestImage(8, 4, 8));
    const std::vector<std::string> options = {"--format=gif", "--frame=4x4", "--fps=5"};
    std::vector<std::string> args = {"convert", dir + "/in.bmp", dir + "/file.gif"};
    args.insert(args.end(), options.begin(), options.end());
    ASSERT_EQ(Tool(args).Status, 0);
    args[2] = "-";
    std::string command = VARNET_IMG;
    for (const std::string& a : args) {
        command += " '" + a + "'";
    }
    const TToolRun piped = RunCommand(command + " > '" + dir + "/piped.gif'");
    ASSERT_EQ(piped.Status, 0) << piped.Output;
    EXPECT_EQ(ReadFileBytes(dir + "/piped.gif"), ReadFileBytes(dir + "/file.gif"));

    const TToolRun back = RunCommand("cat '" + dir + "/file.gif' | " + VARNET_IMG +
                                     " convert --sheet - '" + dir + "/sheet.png' 2>&1");
    ASSERT_EQ(back.Status, 0) << back.Output;
    EXPECT_EQ(ReadImageFile(dir + "/sheet.png").Width(), 8);
}

// Bad values and combinations are usage errors (status 2) found before the input is read where
// the line shows them; a result too large for any image is refused by its size (status 1).
// Nothing is written either way.
TEST(VarnetImgGif, BadOptionsFailWithoutOutput) {
    const std::string dir = MakeTempDir();
    WriteBmp(dir + "/in.bmp", TestImage(12, 8, 8));
    WriteBmp(dir + "/wide.bmp", TestImage(2900, 2900, 8));
    struct TestCase {
        std::string in, out;
        std::vector<std::string> options;
        int status;
        std::string message;
    };
    const std::vector<TestCase> cases = {
        {"in.bmp", "out.png", {"--scale=0"}, 2, "--scale takes 1 to 16, not 0"},
        {"in.bmp", "out.bmp", {"--scale=17"}, 2, "--scale takes 1 to 16, not 17"},
        {"in.bmp", "out.gif", {"--scale=big"}, 2, "--scale takes a number, not 'big'"},
        {"in.bmp", "out.gif", {"--scale"}, 2, "option --scale needs a value"},
        {"in.bmp", "out.gif", {"--fps=10"}, 2, "--fps needs --frame"},
        {"in.bmp", "out.gif", {"--frame=4x4", "--fps=0"}, 2, "--fps takes 1 to 50, not 0"},
        {"in.bmp", "out.gif", {"--frame=4x4", "--fps=51"}, 2, "--fps takes 1 to 50, not 51"},
        {"in.bmp", "out.gif", {"--frame=0x4"}, 2, "--frame takes WIDTHxHEIGHT"},
        {"in.bmp", "out.gif", {"--frame=4x"}, 2, "--frame takes WIDTHxHEIGHT"},
        {"in.bmp", "out.gif", {"--frame=x4"}, 2, "--frame takes WIDTHxHEIGHT"},
        {"in.bmp", "out.gif", {"--frame=4x4x4"}, 2, "--frame takes WIDTHxHEIGHT"},
        {"in.bmp", "out.gif", {"--frame=-4x4"}, 2, "--frame takes WIDTHxHEIGHT"},
        {"in.bmp",
         "out.gif",
         {"--frame=13x4"},
         2,
         "--frame 13x4 is larger than the picture (12x8)"},
        {"in.bmp",
         "out.gif",
         {"--frame=4x9", "--scale=3"},
         2,
         "--frame 4x9 is larger than the picture (12x8)"},
        {"in.bmp", "out.png", {"--frame=4x4"}, 2, "option --frame is not known for .png"},
        {"in.bmp", "out.bmp", {"--fps=4"}, 2, "option --fps is not known for .bmp"},
        {"in.bmp", "out.png", {"--sheet"}, 2, "--sheet reads the frames of a GIF, and "},
        {"in.bmp", "out.png", {"--sheet=yes"}, 2, "option --sheet takes no value"},
        {"wide.bmp",
         "out.png",
         {"--scale=16"},
         1,
         "46400×46400 ピクセルの画像は大きすぎて作れません"},
    };
    for (const TestCase& c : cases) {
        SCOPED_TRACE(c.in + " " + c.out + " " + Joined(c.options));
        std::vector<std::string> args = {"convert", dir + "/" + c.in, dir + "/" + c.out};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const TToolRun run = Tool(args);
        EXPECT_EQ(run.Status, c.status) << run.Output;
        EXPECT_NE(run.Output.find(c.message), std::string::npos) << run.Output;
        EXPECT_FALSE(FileExists(dir + "/" + c.out));
    }
    // The line alone shows these: a missing IN is not what is reported.
    for (const std::string option : {"--scale=0", "--fps=3", "--frame=4", "--fps=99"}) {
        const TToolRun alone = Tool({"convert", option, dir + "/missing.bmp", dir + "/out.gif"});
        EXPECT_EQ(alone.Status, 2) << option << ": " << alone.Output;
        EXPECT_EQ(alone.Output.find("missing.bmp"), std::string::npos) << alone.Output;
    }
}

TEST(VarnetImgGif, HelpNamesTheOptions) {
    const TToolRun run = Tool({"--help"});
    ASSERT_EQ(run.Status, 0);
    for (const char* text :
         {"--format png|bmp|gif", "--scale N", "--sheet", "--frame WxH", "--fps N"})
        EXPECT_NE(run.Output.find(text), std::string::npos) << text;
}
