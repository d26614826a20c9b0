// The converter, run as the built program.
#include "PngTestUtil.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

// The shell command that runs the converter with a time limit (status 124 when it hangs).
std::string ToolCommand(const std::vector<std::string>& args) {
    std::string command = "timeout 30 " + Quoted(VARNET_IMG);
    for (const std::string& a : args)
        command += " " + Quoted(a);
    return command;
}

// Runs the converter; stdin, when given, is a shell command whose output is piped in.
TRunResult RunTool(const std::string& dir, const std::vector<std::string>& args,
                   const std::string& stdinCommand = "") {
    const std::string command = (stdinCommand.empty() ? "" : stdinCommand + " | ") +
                                ToolCommand(args) + " >" + Quoted(dir + "/stdout") + " 2>" +
                                Quoted(dir + "/stderr");
    const int raw = std::system(command.c_str());
    TRunResult result;
    result.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.Out = ReadText(dir + "/stdout");
    result.Err = ReadText(dir + "/stderr");
    return result;
}

// Runs the converter with its standard output piped into the shell command reader; Out is what
// the reader wrote.
TRunResult RunToolIntoPipe(const std::string& dir, const std::vector<std::string>& args,
                           const std::string& reader) {
    const std::string command = "{ " + ToolCommand(args) + " 2>" + Quoted(dir + "/stderr") +
                                "; echo $? >" + Quoted(dir + "/status") + "; } | " + reader + " >" +
                                Quoted(dir + "/stdout");
    std::system(command.c_str());
    TRunResult result;
    result.Status = std::stoi(ReadText(dir + "/status"));
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
    WriteFileBytes(dir + "/junk.tga", {'T', 'G', 'A'});
    std::filesystem::create_directory(dir + "/folder.bmp");
    const std::string out = dir + "/out.bmp";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"convert", dir + "/short.bmp", out},
         1,
         dir + "/short.bmp は途中で切れています（ストリームからの読み込みエラー）"},
        {{"convert", dir + "/missing.bmp", out},
         1,
         "ファイル " + dir + "/missing.bmp がありません"},
        {{"convert", dir, out}, 1, dir + " はフォルダなので開けません"},
        {{"convert", dir + "/in.bmp", dir + "/folder.bmp"},
         1,
         dir + "/folder.bmp はフォルダなので保存できません"},
        {{"convert", dir + "/in.bmp", dir + "/out.xyz"}, 2, "unknown image format"},
        {{"convert", dir + "/in.bmp", dir + "/out"}, 2, "unknown image format"},
        {{"info", dir + "/junk.tga"}, 1, "ファイル " + dir + "/junk.tga は対応していない形式です"},
        {{"convert", dir + "/in.bmp", dir + "/no-such-dir/out.bmp"},
         1,
         "を保存するフォルダがありません"},
        {{"convert", dir + "/in.bmp", "-"}, 2, "writing to standard output needs --format"},
        {{"convert", dir + "/in.bmp", "-", "--format=tga"}, 2, "--format takes png|bmp|gif"},
        {{"convert", dir + "/in.bmp", out, "--filter=up"},
         2,
         "option --filter is not known for .bmp"},
        {{"info", dir + "/in.bmp", "--level=best"}, 2, "info takes no options"},
        {{"convert", "-x", dir + "/in.bmp", out}, 2, "unknown option -x"},
        {{}, 2, "no command given"},
        {{"convert", dir + "/in.bmp"}, 2, "convert needs IN and OUT"},
        {{"info"}, 2, "info needs exactly one file"},
        {{"resize", dir + "/in.bmp", out}, 2, "unknown command resize"},
        {{"convert", dir + "/in.bmp", out, "--level=9"}, 2, "--level"},
        {{"convert", dir + "/in.bmp", out, "extra"}, 2, "convert needs IN and OUT"},
    };
    for (const Case& c : cases) {
        std::string name;
        for (const std::string& a : c.args)
            name += a + " ";
        const TRunResult r = RunTool(dir, c.args);
        EXPECT_EQ(r.Status, c.status) << name;
        EXPECT_NE(r.Err.find(c.message), std::string::npos) << name << "-> " << r.Err;
        EXPECT_FALSE(FileExists(out)) << name;
        // A bad command line is one line and a pointer to the usage, not the whole usage.
        if (c.status == 2) {
            EXPECT_EQ(r.Err.substr(r.Err.find('\n')), "\nRun 'varnet-img --help' for the usage.\n")
                << name;
        }
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

namespace {

std::vector<uint8_t> Converted(const std::string& dir, const std::string& in,
                               const std::string& out) {
    const TRunResult r = RunTool(dir, {"convert", in, out});
    EXPECT_EQ(r.Status, 0) << r.Err;
    return ReadFileBytes(out);
}

} // namespace

// A file that yields no picture, or is of the wrong type, is an error and leaves OUT as it was.
TEST(VarnetImg, InputWithoutAPictureKeepsTheOutput) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> bmp = EightBitBmp();
    WriteFileBytes(dir + "/empty.bmp", {});
    WriteFileBytes(dir + "/empty.png", {});
    WriteFileBytes(dir + "/header-only.bmp", {bmp.begin(), bmp.begin() + 14});
    WriteFileBytes(dir + "/text.png", {'h', 'e', 'l', 'l', 'o', '\n'});
    WriteFileBytes(dir + "/text.bmp", {'h', 'e', 'l', 'l', 'o', '\n'});
    const struct {
        const char* in;
        std::string message;
    } cases[] = {
        {"empty.bmp", "empty.bmp には画像がありません（画像データがありません）"},
        {"empty.png", "empty.png には画像がありません（画像データがありません）"},
        {"header-only.bmp", "header-only.bmp には画像がありません（画像データがありません）"},
        {"text.png", "text.png は PNG ファイルではありません（PNG LoadStream: Not PNG Format）"},
        {"text.bmp", "text.bmp は正しい BMP ファイルではありません（不正な DIB です）"},
    };
    for (const auto& c : cases) {
        for (const char* out : {"keep.bmp", "keep.png"}) {
            WriteFileBytes(dir + "/" + out, {'k', 'e', 'e', 'p'});
            const TRunResult r = RunTool(dir, {"convert", dir + "/" + c.in, dir + "/" + out});
            EXPECT_EQ(r.Status, 1) << c.in;
            EXPECT_EQ(r.Err, "varnet-img: " + dir + "/" + c.message + "\n") << c.in;
            EXPECT_EQ(ReadFileBytes(dir + "/" + out), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}))
                << c.in << " wiped " << out;
        }
    }
}

// The reader follows the file's signature, the writer the name of OUT or --format.
TEST(VarnetImg, ReaderBySignatureWriterByExtensionOrFormat) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> bmp = EightBitBmp();
    WriteFileBytes(dir + "/in.bmp", bmp);
    const std::vector<uint8_t> png = Converted(dir, dir + "/in.bmp", dir + "/in.png");
    // The row padding does not survive PNG: compare with the same path through the right name.
    const std::vector<uint8_t> fromPng = Converted(dir, dir + "/in.png", dir + "/from-png.bmp");
    ASSERT_FALSE(png.empty());
    WriteFileBytes(dir + "/png-named.bmp", png);
    WriteFileBytes(dir + "/bmp-named.png", bmp);
    WriteFileBytes(dir + "/bmp-named.dat", bmp);
    EXPECT_EQ(Converted(dir, dir + "/png-named.bmp", dir + "/a.bmp"), fromPng);
    EXPECT_EQ(Converted(dir, dir + "/bmp-named.png", dir + "/b.bmp"), bmp);
    EXPECT_EQ(Converted(dir, dir + "/bmp-named.dat", dir + "/c.png"), png);
    const TRunResult r =
        RunTool(dir, {"convert", "--format", "bmp", dir + "/in.png", dir + "/bmp-inside.png"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFileBytes(dir + "/bmp-inside.png"), fromPng);
    // GIF keeps the indices and palette as PNG does.
    WriteFileBytes(dir + "/gif-named.png", Converted(dir, dir + "/in.bmp", dir + "/in.gif"));
    EXPECT_EQ(Converted(dir, dir + "/gif-named.png", dir + "/d.bmp"), fromPng);
}

// Input that cannot seek is read, not retried for ever; endless data without a signature is
// refused at once.
TEST(VarnetImg, PipesFifosAndDevicesAsInput) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> bmp = EightBitBmp();
    WriteFileBytes(dir + "/in.bmp", bmp);
    Converted(dir, dir + "/in.bmp", dir + "/in.png");
    // The row padding does not survive PNG: compare with the same path from a file.
    const std::vector<uint8_t> fromPng = Converted(dir, dir + "/in.png", dir + "/from-png.bmp");
    ASSERT_EQ(::symlink("/dev/stdin", (dir + "/stdin.png").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir + "/fifo.png").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (dir + "/zero.bmp").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/urandom", (dir + "/random.png").c_str()), 0);
    const std::string catPng = "cat " + Quoted(dir + "/in.png");
    const struct {
        std::string in, stdinCommand;
        int status;
        std::string message;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"-", catPng, 0, "", fromPng},
        {dir + "/stdin.png", catPng, 0, "", fromPng},
        {dir + "/fifo.png", catPng + " >" + Quoted(dir + "/fifo.png"), 0, "", fromPng},
        {"-", "cat " + Quoted(dir + "/in.bmp"), 0, "", bmp},
        {"-", "true", 1, "(標準入力) には画像がありません（画像データがありません）", {}},
        {"-", "echo text", 1, "ファイル (標準入力) は対応していない形式です", {}},
        {dir + "/zero.bmp",
         "",
         1,
         "zero.bmp は正しい BMP ファイルではありません（不正な DIB です）",
         {}},
        {dir + "/random.png",
         "",
         1,
         "random.png は PNG ファイルではありません（PNG LoadStream: Not PNG Format）",
         {}},
        {"/dev/zero", "", 1, "ファイル /dev/zero は対応していない形式です", {}},
    };
    for (const auto& c : cases) {
        const std::string out = dir + "/out.bmp";
        std::filesystem::remove(out);
        const TRunResult r = RunTool(dir, {"convert", c.in, out}, c.stdinCommand);
        EXPECT_EQ(r.Status, c.status) << c.in << " <- " << c.stdinCommand << ": " << r.Err;
        if (c.status == 0) {
            EXPECT_EQ(ReadFileBytes(out), c.expected) << c.in;
        } else {
            EXPECT_NE(r.Err.find(c.message), std::string::npos) << c.in << " -> " << r.Err;
            EXPECT_FALSE(FileExists(out)) << c.in;
        }
    }
    // And info reads standard input once for the geometry and the PNG lines.
    const TRunResult r = RunTool(dir, {"info", "-"}, catPng);
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.substr(0, r.Out.find("colour_bits")),
              "width: 5\nheight: 3\nbits: 8\npalette_count: 256\n");
    EXPECT_NE(r.Out.find("comment: \n"), std::string::npos) << r.Out;
}

TEST(VarnetImg, OutputTargets) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> bmp = EightBitBmp();
    WriteFileBytes(dir + "/in.bmp", bmp);
    ASSERT_EQ(::symlink("/dev/full", (dir + "/full.png").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", (dir + "/null.png").c_str()), 0);
    ASSERT_EQ(::symlink("real.bmp", (dir + "/link.bmp").c_str()), 0);
    const std::string longName = dir + "/" + std::string(250, 'n') + ".bmp";

    // Standard output, with the format named.
    TRunResult r = RunTool(dir, {"convert", dir + "/in.bmp", "-", "--format", "bmp"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(std::vector<uint8_t>(r.Out.begin(), r.Out.end()), bmp);

    r = RunTool(dir, {"convert", dir + "/in.bmp", dir + "/full.png"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("ディスクに空きがないので ファイル " + dir + "/full.png を保存できません"),
              std::string::npos)
        << r.Err;
    r = RunTool(dir, {"convert", dir + "/in.bmp", dir + "/null.png"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    r = RunTool(dir, {"convert", dir + "/in.bmp", dir + "/link.bmp"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFileBytes(dir + "/real.bmp"), bmp);
    r = RunTool(dir, {"convert", dir + "/in.bmp", longName});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(ReadFileBytes(longName), bmp);

    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/full.png"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/null.png"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir + "/link.bmp"));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(EntriesIn(dir).size(), 8u) << "a temporary file was left";
}

// Ctrl+C or a kill in the middle of a conversion leaves no temporary file and the old OUT.
TEST(VarnetImg, InterruptedConversionLeavesNoTemporaryFile) {
    const std::string dir = MakeTempDir();
    // Noise compresses slowly at the best level: time enough to interrupt the write.
    TDIB image;
    image.Resize(2000, 2000, 24);
    uint32_t seed = 1;
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.RowForWrite(y);
        for (int32_t x = 0; x < image.Stride(); ++x) {
            seed = seed * 1103515245 + 12345;
            row[x] = uint8_t(seed >> 16);
        }
    }
    TMemoryStream stream;
    image.SaveAsBmp(stream);
    WriteFileBytes(dir + "/in.bmp", stream.Bytes());
    for (const int signal : {SIGINT, SIGTERM}) {
        WriteFileBytes(dir + "/out.png", {'o', 'l', 'd'});
        const std::vector<std::string> args = {"varnet-img",    "convert",
                                               "--level=best",  "--filter=adaptive",
                                               dir + "/in.bmp", dir + "/out.png"};
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, VARNET_IMG, nullptr, nullptr, argv.data(), environ), 0);
        // Wait for the temporary file, then interrupt.
        bool seen = false;
        for (int tries = 0; tries < 20000 && !seen; ++tries) {
            for (const std::string& name : EntriesIn(dir))
                seen = seen || name.rfind(".varnet-", 0) == 0;
            if (!seen) ::usleep(500);
        }
        EXPECT_TRUE(seen) << "no temporary file appeared";
        ::kill(child, signal);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(EntriesIn(dir), (std::vector<std::string>{"in.bmp", "out.png"})) << signal;
        EXPECT_EQ(ReadFileBytes(dir + "/out.png"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    }
}

// Pipes and FIFOs named as OUT are written into, as devices are: /dev/stdout and /dev/fd/1 on a
// pipe lead to no file that could be replaced.
TEST(VarnetImg, PipesAndFifosNamedAsOutputAreWrittenInto) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> bmp = EightBitBmp();
    WriteFileBytes(dir + "/in.bmp", bmp);
    const std::vector<uint8_t> png = Converted(dir, dir + "/in.bmp", dir + "/in.png");
    for (const char* out : {"/dev/stdout", "/dev/fd/1"}) {
        for (const char* name : {"in.bmp", "in.png"}) {
            const TRunResult r =
                RunToolIntoPipe(dir, {"convert", dir + "/" + name, out, "--format=bmp"}, "cat");
            ASSERT_EQ(r.Status, 0) << out << " <- " << name << ": " << r.Err;
            const std::vector<uint8_t> got(r.Out.begin(), r.Out.end());
            EXPECT_EQ(got, Converted(dir, dir + "/" + name, dir + "/expected.bmp"))
                << out << " <- " << name;
        }
        // The extension of OUT still decides the format.
        ASSERT_EQ(::symlink(out, (dir + "/link.png").c_str()), 0);
        const TRunResult r =
            RunToolIntoPipe(dir, {"convert", dir + "/in.bmp", dir + "/link.png"}, "cat");
        ASSERT_EQ(r.Status, 0) << r.Err;
        EXPECT_EQ(std::vector<uint8_t>(r.Out.begin(), r.Out.end()), png) << out;
        std::filesystem::remove(dir + "/link.png");
    }
    ASSERT_EQ(::mkfifo((dir + "/fifo.bmp").c_str(), 0600), 0);
    const std::string command = "cat " + Quoted(dir + "/fifo.bmp") + " >" +
                                Quoted(dir + "/from-fifo") + " & " +
                                ToolCommand({"convert", dir + "/in.png", dir + "/fifo.bmp"}) +
                                " 2>" + Quoted(dir + "/stderr") + "; status=$?; wait; exit $status";
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadText(dir + "/stderr");
    EXPECT_EQ(ReadFileBytes(dir + "/from-fifo"), ReadFileBytes(dir + "/expected.bmp"));
}

TEST(VarnetImg, VersionIsPrinted) {
    const std::string dir = MakeTempDir();
    const TRunResult r = RunTool(dir, {"--version"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "varnet-img " VARNET_VERSION "\n");
    EXPECT_EQ(r.Err, "");
}

namespace {

// A PNG of 4 x 2 pixels, 8-bit indices into 256 entries, with the IHDR colour type given.
std::vector<uint8_t> PalettePng(uint8_t colorType = 3) {
    std::vector<uint8_t> file(PngSignature.begin(), PngSignature.end());
    std::vector<uint8_t> header;
    PutBE32(header, 4);
    PutBE32(header, 2);
    header.insert(header.end(), {8, colorType, 0, 0, 0});
    AppendChunk(file, "IHDR", header);
    std::vector<uint8_t> palette(3 * 256);
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = uint8_t(i * 5);
    AppendChunk(file, "PLTE", palette);
    const std::vector<uint8_t> rows = {0, 1, 2, 3, 4, 0, 5, 6, 7, 8};
    std::vector<uint8_t> data(compressBound(uLong(rows.size())));
    uLongf size = uLongf(data.size());
    compress(data.data(), &size, rows.data(), uLong(rows.size()));
    data.resize(size);
    AppendChunk(file, "IDAT", data);
    AppendChunk(file, "IEND", {});
    return file;
}

// A BMP of one pixel with bit fields of 16 bits per pixel and the given compression.
std::vector<uint8_t> BitFieldsBmp(uint32_t red, uint32_t green, uint32_t blue,
                                  uint32_t compression = 3) {
    std::vector<uint8_t> file = {'B', 'M'};
    PutLE32(file, 14 + 40 + 12 + 4);
    PutLE32(file, 0);
    PutLE32(file, 14 + 40 + 12);
    for (uint32_t v : {40u, 1u, 1u})
        PutLE32(file, v);
    PutLE16(file, 1);
    PutLE16(file, 16);
    for (uint32_t v : {compression, 4u, 2835u, 2835u, 0u, 0u, red, green, blue, 0x1234u})
        PutLE32(file, v);
    return file;
}

} // namespace

// Every reader error reaches the user as one sentence naming the file, the codec's own text kept
// inside; a message that names the file already stays as it is. Convert and info say the same.
TEST(VarnetImg, ReadFailuresNameTheFile) {
    const std::string dir = MakeTempDir();
    const std::vector<uint8_t> png = PalettePng();
    const size_t palette = 8 + 25; // the PLTE chunk starts after the signature and IHDR
    const size_t data = palette + 12 + 768;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string sentence; // after the path
    } cases[] = {
        {"cut-palette.png",
         {png.begin(), png.begin() + long(palette + 100)},
         " は PLTE チャンクの途中で切れています（Read Image (PNG): PLTE truncated）"},
        {"cut-header.png",
         {png.begin(), png.begin() + long(palette)},
         " は画像データの前で切れています（Read Image (PNG): File truncated）"},
        {"cut-data.png",
         {png.begin(), png.begin() + long(data + 10)},
         " は画像データの途中で切れています（Read Image (PNG): Read Error）"},
        {"colour-type.png", PalettePng(5),
         " の PNG ヘッダーにある色の種類が正しくありません（Read Header(PNG): Error ColorType）"},
        {"gap.bmp", BitFieldsBmp(0x6C00, 0x3E0, 0x1F),
         " は対応していないピクセル形式の BMP です（不正なピクセルフォーマットです）"},
        {"jpeg.bmp", BitFieldsBmp(0, 0, 0, 4),
         " は対応していない種類の BMP です（JPEG を格納した BMP は対応していません）"},
    };
    for (const auto& c : cases) {
        const std::string path = dir + "/" + c.name;
        WriteFileBytes(path, c.bytes);
        const std::string expected = "varnet-img: " + path + c.sentence + "\n";
        const TRunResult converted = RunTool(dir, {"convert", path, dir + "/out.bmp"});
        EXPECT_EQ(converted.Status, 1) << c.name;
        EXPECT_EQ(converted.Err, expected) << c.name;
        const TRunResult info = RunTool(dir, {"info", path});
        EXPECT_EQ(info.Status, 1) << c.name;
        EXPECT_EQ(info.Err, expected) << c.name;
        EXPECT_EQ(info.Out, "") << c.name;
    }
    const TRunResult missing = RunTool(dir, {"info", dir + "/missing.png"});
    EXPECT_EQ(missing.Err, "varnet-img: ファイル " + dir + "/missing.png がありません\n");
}
