// The converter, run as the built program.
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct TRunResult {
    int Status = -1;
    std::string Out, Err;
};

std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string ReadText(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

TRunResult RunTool(const std::string& dir, const std::vector<std::string>& args) {
    std::string command = Quoted(VARNET_IMG);
    for (const std::string& a : args)
        command += " " + Quoted(a);
    command += " >" + Quoted(dir + "/stdout") + " 2>" + Quoted(dir + "/stderr");
    const int raw = std::system(command.c_str());
    TRunResult result;
    result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.Out = ReadText(dir + "/stdout");
    result.Err = ReadText(dir + "/stderr");
    return result;
}

// A 5 x 3 8-bit BMP written by our own writer, with a non-grey palette.
std::vector<uint8_t> EightBitBmp() {
    TDIB image;
    image.Resize(5, 3, 8);
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    image.ApplyPalette();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < image.Stride(); ++x)
            image.RowForWrite(y)[x] = uint8_t(16 * y + x);
    TMemoryStream stream;
    image.SaveAsBmp(stream);
    return stream.Bytes();
}

} // namespace

TEST(VarnetImg, ConvertRoundTripIsByteIdentical) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> original = EightBitBmp();
    WriteFileBytes(dir + "/in.bmp", original);
    // The extension is matched without regard to case.
    const TRunResult r = RunTool(dir, {"convert", dir + "/in.bmp", dir + "/out.BMP"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFileBytes(dir + "/out.BMP"), original);
}

TEST(VarnetImg, InfoPrintsTheGeometry) {
    const std::string dir = MakeTempDir();
    WriteFileBytes(dir + "/in.bmp", EightBitBmp());
    const TRunResult r = RunTool(dir, {"info", dir + "/in.bmp"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "width: 5\nheight: 3\nbits: 8\npalette_count: 256\n");
}

TEST(VarnetImg, FailuresExitWithStatusAndMessageAndLeaveNoOutput) {
    const std::string dir = MakeTempDir();
    std::vector<uint8_t> truncated = EightBitBmp();
    truncated.resize(truncated.size() - 1);
    WriteFileBytes(dir + "/short.bmp", truncated);
    WriteFileBytes(dir + "/in.bmp", EightBitBmp());
    const std::string out = dir + "/out.bmp";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"convert", dir + "/short.bmp", out}, 1, "ストリームからの読み込みエラー"},
        {{"convert", dir + "/missing.bmp", out},
         1,
         "ファイル " + dir + "/missing.bmp は開けません"},
        {{"convert", dir + "/in.bmp", dir + "/out.xyz"}, 1, "unknown image format"},
        {{"convert", dir + "/in.bmp", dir + "/out"}, 1, "unknown image format"},
        {{"info", dir + "/in.gif"}, 1, "unknown image format"},
        {{"convert", dir + "/in.bmp", dir + "/no-such-dir/out.bmp"}, 1, "を作成できません"},
        {{}, 2, "usage:"},
        {{"convert", dir + "/in.bmp"}, 2, "usage:"},
        {{"info"}, 2, "usage:"},
        {{"resize", dir + "/in.bmp", out}, 2, "usage:"},
        {{"convert", dir + "/in.bmp", out, "--level=9"}, 2, "--level"},
        {{"convert", dir + "/in.bmp", out, "extra"}, 2, "usage:"},
    };
    for (const Case& c : cases) {
        std::string name;
        for (const std::string& a : c.args)
            name += a + " ";
        const TRunResult r = RunTool(dir, c.args);
        EXPECT_EQ(r.Status, c.status) << name;
        EXPECT_NE(r.Err.find(c.message), std::string::npos) << name << "-> " << r.Err;
        EXPECT_FALSE(FileExists(out)) << name;
    }
}

TEST(VarnetImg, FailedConvertKeepsAnExistingOutput) {
    const std::string dir = MakeTempDir();
    std::vector<uint8_t> truncated = EightBitBmp();
    truncated.resize(100);
    WriteFileBytes(dir + "/short.bmp", truncated);
    WriteFileBytes(dir + "/out.bmp", {'o', 'l', 'd'});
    EXPECT_EQ(RunTool(dir, {"convert", dir + "/short.bmp", dir + "/out.bmp"}).Status, 1);
    EXPECT_EQ(ReadFileBytes(dir + "/out.bmp"), (std::vector<uint8_t>{'o', 'l', 'd'}));
}
