// The GIF codec: pictures and animations through our writer and back, files that Pillow and
// ImageMagick write read as Pillow reads them, and malformed files refused cleanly.
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/Gif.h"
#include "formats/GifError.h"
#include "formats/ImageFormat.h"
#include "helpers.h"
#include "image/PaletteAlpha.h"
#include "image/ReadMessage.h"
#include "image/SpriteSheet.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> SavedGif(const TDIB& image, const TTransparency& transparency = {}) {
    TMemoryStream stream;
    SaveGif(image, transparency, stream);
    return stream.Bytes();
}

std::vector<uint8_t> SavedAnimation(const TDIB& sheet, const TTransparency& transparency,
                                    const std::vector<TRect>& cells, int32_t fps) {
    TMemoryStream stream;
    SaveGifAnimation(sheet, transparency, cells, fps, stream);
    return stream.Bytes();
}

TPicture LoadedGif(const std::vector<uint8_t>& file, bool sheet = false) {
    TCustomMemoryStream stream(file.data(), int64_t(file.size()));
    TPicture picture;
    (sheet ? LoadGifSheet : LoadGif)(picture, stream);
    return picture;
}

// A bits-bit picture whose pixels run through every entry of a palette of distinct colours.
TDIB Pattern(int32_t width, int32_t height, int32_t bits) {
    TDIB image;
    for (int i = 0; i < 256; ++i)
        image.PaletteBlock[size_t(i)] = {uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 31), 0};
    image.Resize(width, height, bits);
    image.ApplyPalette();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(x, y, uint32_t(x * 3 + y * 5) % (1u << bits));
    return image;
}

// The alpha table a GIF read gives: entries alpha values, 0 at index.
std::vector<uint8_t> AlphaOf(size_t entries, int32_t index) {
    if (index < 0) return {};
    std::vector<uint8_t> alpha(entries, 255);
    alpha[size_t(index)] = 0;
    return alpha;
}

// The pixels of rect of image equal those of image2 at (left2, top2).
void ExpectSamePixels(const TDIB& image, const TRect& rect, const TDIB& image2, int32_t left2,
                      int32_t top2) {
    for (int32_t y = 0; y < rect.Height(); ++y)
        for (int32_t x = 0; x < rect.Width(); ++x)
            ASSERT_EQ(image.GetPixel(rect.Left + x, rect.Top + y),
                      image2.GetPixel(left2 + x, top2 + y))
                << "at " << x << ", " << y;
}

// One image of a file written through giflib directly, for files our writer does not make.
struct TRawFrame {
    int32_t Left, Top, Width, Height;
    std::vector<GifColorType> LocalTable; // empty: the global table
    int32_t Transparent = -1;
    int32_t Disposal = DISPOSE_DO_NOT;
    std::vector<uint8_t> Pixels; // Width x Height indices
};

std::vector<uint8_t> RawGif(int32_t width, int32_t height,
                            const std::vector<GifColorType>& globalTable,
                            const std::vector<TRawFrame>& frames) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(
        &out,
        [](GifFileType* g, const GifByteType* data, int count) {
            auto* o = static_cast<std::vector<uint8_t>*>(g->UserData);
            o->insert(o->end(), data, data + count);
            return count;
        },
        &error);
    const auto mapOf = [](const std::vector<GifColorType>& colours) {
        return colours.empty() ? nullptr : GifMakeMapObject(int(colours.size()), colours.data());
    };
    ColorMapObject* global = mapOf(globalTable);
    EGifSetGifVersion(gif, true);
    EXPECT_EQ(EGifPutScreenDesc(gif, width, height, 8, 0, global), GIF_OK);
    for (const TRawFrame& f : frames) {
        GraphicsControlBlock control{f.Disposal, false, 0, f.Transparent};
        GifByteType bytes[4];
        EGifGCBToExtension(&control, bytes);
        EXPECT_EQ(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, bytes), GIF_OK);
        // giflib drops the table of the frame before without freeing it when a frame has none.
        if (f.LocalTable.empty()) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        ColorMapObject* local = mapOf(f.LocalTable);
        EXPECT_EQ(EGifPutImageDesc(gif, f.Left, f.Top, f.Width, f.Height, false, local), GIF_OK);
        GifFreeMapObject(local);
        std::vector<uint8_t> pixels = f.Pixels;
        for (int32_t y = 0; y < f.Height; ++y)
            EXPECT_EQ(EGifPutLine(gif, pixels.data() + size_t(y) * size_t(f.Width), f.Width),
                      GIF_OK);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(global);
    return out;
}

std::vector<GifColorType> Table(int32_t entries, int32_t seed) {
    std::vector<GifColorType> table;
    for (int32_t i = 0; i < entries; ++i)
        table.push_back({uint8_t(i), uint8_t(seed), uint8_t(i * 3 + seed)});
    return table;
}

// The offset of the first image descriptor of file.
size_t FirstImageAt(const std::vector<uint8_t>& file) {
    size_t at = 13 + (file[10] & 0x80 ? size_t(3) << ((file[10] & 7) + 1) : 0);
    while (file.at(at) == 0x21) {
        at += 2;
        while (file.at(at) != 0)
            at += file[at] + 1;
        ++at;
    }
    EXPECT_EQ(file.at(at), 0x2C);
    return at;
}

// What Pillow sees in a GIF file (tests/gif_pillow.py), or nullopt when Pillow is not installed.
struct TPillowGif {
    int32_t Frames = 0, Width = 0, Height = 0;
    std::string Mode;
    std::vector<int32_t> Palette, Indices; // RGB triples; the first frame's indices
    int32_t Transparency = -1, Duration = -1, Loop = -1;
    std::vector<std::vector<uint8_t>> Rgba; // each frame as Pillow composes it
};

bool PillowInstalled() {
    static const bool installed =
        std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
    return installed;
}

std::optional<TPillowGif> PillowRead(const std::string& path) {
    if (!PillowInstalled()) return std::nullopt;
    static const std::string out = MakeTempDir() + "/pillow.out";
    const std::string command = "/usr/bin/python3 '" + SourcePath("tests/gif_pillow.py") + "' '" +
                                path + "' > '" + out + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    TPillowGif gif;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        const auto numbers = [&] {
            std::vector<int32_t> values;
            for (int32_t v; words >> v;)
                values.push_back(v);
            return values;
        };
        if (key == "frames") words >> gif.Frames;
        if (key == "first") words >> gif.Mode >> gif.Width >> gif.Height;
        if (key == "palette") gif.Palette = numbers();
        if (key == "transparency") words >> gif.Transparency;
        if (key == "indices") gif.Indices = numbers();
        if (key == "timing") words >> gif.Duration >> gif.Loop;
        if (key == "rgba") {
            std::string hex;
            words >> hex;
            std::vector<uint8_t> bytes;
            for (size_t i = 0; i + 1 < hex.size(); i += 2)
                bytes.push_back(uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
            gif.Rgba.push_back(bytes);
        }
    }
    return gif;
}

// The first frame reads as Pillow reads it (indices, palette, transparent index), and every
// frame of the sheet shows the colours Pillow composes.
void ExpectReadAsPillowReads(const std::string& path) {
    SCOPED_TRACE(path);
    const std::optional<TPillowGif> pillow = PillowRead(path);
    ASSERT_TRUE(pillow);
    const std::vector<uint8_t> file = ReadFileBytes(path);
    const TPicture first = LoadedGif(file);
    EXPECT_EQ(first.Frames, pillow->Frames);
    ASSERT_EQ(first.Image.Width(), pillow->Width);
    ASSERT_EQ(first.Image.Height(), pillow->Height);
    ASSERT_EQ(pillow->Indices.size(), size_t(pillow->Width) * size_t(pillow->Height));
    for (int32_t y = 0; y < pillow->Height; ++y)
        for (int32_t x = 0; x < pillow->Width; ++x)
            ASSERT_EQ(int32_t(first.Image.GetPixel(x, y)),
                      pillow->Indices[size_t(y * pillow->Width + x)])
                << "at " << x << ", " << y;
    for (size_t i = 0; i * 3 + 2 < pillow->Palette.size(); ++i) {
        const TPaletteEntry& e = first.Image.PaletteBlock[i];
        EXPECT_EQ((std::vector<int32_t>{e.Red, e.Green, e.Blue}),
                  std::vector<int32_t>(pillow->Palette.begin() + int64_t(i * 3),
                                       pillow->Palette.begin() + int64_t(i * 3 + 3)))
            << "entry " << i;
    }
    EXPECT_EQ(FullyTransparentEntry(first.Transparency.PaletteAlpha), pillow->Transparency);

    const TPicture sheet = LoadedGif(file, true);
    ASSERT_EQ(sheet.Frames, pillow->Frames);
    ASSERT_EQ(pillow->Rgba.size(), size_t(pillow->Frames));
    ASSERT_EQ(sheet.Image.Width(), pillow->Width * pillow->Frames);
    const int32_t transparent = FullyTransparentEntry(sheet.Transparency.PaletteAlpha);
    for (int32_t k = 0; k < pillow->Frames; ++k) {
        SCOPED_TRACE(testing::Message() << "frame " << k);
        const std::vector<uint8_t>& rgba = pillow->Rgba[size_t(k)];
        for (int32_t y = 0; y < pillow->Height; ++y)
            for (int32_t x = 0; x < pillow->Width; ++x) {
                const uint8_t* p = rgba.data() + 4 * size_t(y * pillow->Width + x);
                const uint32_t index = sheet.Image.GetPixel(k * pillow->Width + x, y);
                const TPaletteEntry& e = sheet.Image.PaletteBlock[index];
                ASSERT_EQ(int32_t(index) == transparent, p[3] == 0)
                    << "transparency at " << x << ", " << y;
                if (p[3] != 0) {
                    ASSERT_EQ((std::vector<int32_t>{e.Red, e.Green, e.Blue}),
                              (std::vector<int32_t>{p[0], p[1], p[2]}))
                        << "at " << x << ", " << y;
                }
            }
    }
}

} // namespace

TEST(Gif, PictureReadsBackWithItsIndicesPaletteAndTransparentIndex) {
    struct Case {
        int32_t bits;
        std::vector<uint8_t> alpha;
        int32_t transparent; // the index written as transparent, -1 for none
    };
    const Case cases[] = {
        {1, {}, -1},
        {4, AlphaTableFor(9), 9},
        {8, AlphaTableFor(200), 200},
        {8, {255, 0, 128}, 1},     // the partial alpha is left out
        {8, {0, 255, 0}, -1},      // two transparent entries: GIF holds one
        {1, AlphaTableFor(5), -1}, // beyond the 2-entry table
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, transparent " << c.transparent);
        const TDIB image = Pattern(37, 23, c.bits);
        const std::vector<uint8_t> file = SavedGif(image, {c.alpha, -1});
        EXPECT_EQ(std::string(file.begin(), file.begin() + 6),
                  c.transparent >= 0 ? "GIF89a" : "GIF87a");
        EXPECT_EQ(file[10] & 7, c.bits - 1); // the colour table holds 2^bits entries
        const TPicture back = LoadedGif(file);
        EXPECT_EQ(back.Frames, 1);
        ASSERT_EQ(back.Image.BitCount(), 8);
        ASSERT_EQ(back.Image.Width(), 37);
        ASSERT_EQ(back.Image.Height(), 23);
        ExpectSamePixels(back.Image, {0, 0, 37, 23}, image, 0, 0);
        for (int32_t i = 0; i < 256; ++i)
            EXPECT_EQ(back.Image.PaletteBlock[size_t(i)],
                      i < (1 << c.bits) ? image.PaletteBlock[size_t(i)] : TPaletteEntry{})
                << "entry " << i;
        EXPECT_EQ(back.Transparency.PaletteAlpha, AlphaOf(size_t(1) << c.bits, c.transparent));
    }
}

TEST(Gif, PicturesOnlyOfIndexedPixelsAreWritten) {
    TDIB colour;
    colour.Resize(4, 4, 24);
    TMemoryStream stream;
    try {
        SaveGif(colour, {}, stream);
        ADD_FAILURE() << "a 24-bit picture was written";
    } catch (const EGifError& e) {
        EXPECT_EQ(e.Code(), TGifError::NotIndexed);
    }
    EXPECT_EQ(stream.Size(), 0);
}

// PNG to GIF to PNG through the format table: pixels, palette and the transparent entry stay.
TEST(Gif, PngPictureGoesThroughGifAndBackUnchanged) {
    const std::string dir = MakeTempDir();
    struct Case {
        std::string png; // a file to start from
        int32_t transparent;
    };
    std::vector<Case> cases;
    for (const char* name : {"basn3p01.png", "basn3p04.png", "basn3p08.png"})
        if (FileExists(TestDataPath(std::string("pngsuite/") + name)))
            cases.push_back({TestDataPath(std::string("pngsuite/") + name), -1});
    // One of our own with a transparent entry.
    WriteImageFile(dir + "/own.png", *FormatNamed("png"), Pattern(20, 9, 8),
                   {AlphaTableFor(17), -1});
    cases.push_back({dir + "/own.png", 17});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.png);
        const TPicture original = ReadPictureFile(c.png);
        WriteImageFile(dir + "/via.gif", *FormatNamed("gif"), original.Image,
                       original.Transparency);
        const TPicture gif = ReadPictureFile(dir + "/via.gif");
        WriteImageFile(dir + "/back.png", *FormatNamed("png"), gif.Image, gif.Transparency);
        const TPicture back = ReadPictureFile(dir + "/back.png");
        ASSERT_EQ(back.Image.Width(), original.Image.Width());
        ASSERT_EQ(back.Image.Height(), original.Image.Height());
        ExpectSamePixels(back.Image, {0, 0, back.Image.Width(), back.Image.Height()},
                         original.Image, 0, 0);
        for (int32_t i = 0; i < original.Image.PaletteCount(); ++i)
            EXPECT_EQ(back.Image.PaletteBlock[size_t(i)], original.Image.PaletteBlock[size_t(i)]);
        EXPECT_EQ(FullyTransparentEntry(back.Transparency.PaletteAlpha), c.transparent);
    }
}

TEST(Gif, AnimationFramesReadBackAsTheirCellsWithDelayLoopAndDisposal) {
    struct Case {
        int32_t fps;
        int32_t transparent;
        int32_t delay; // hundredths of a second
    };
    const Case cases[] = {{8, -1, 13}, {3, 4, 33}, {30, -1, 3}, {1, 0, 100}, {500, -1, 1}};
    const std::string dir = MakeTempDir();
    // Five cells of a 3 x 2 grid, the last place left empty.
    const TDIB sheet = Pattern(18, 10, 8);
    const std::vector<TRect> cells = SheetCells(18, 10, {0, 0, 6, 5}, 5);
    ASSERT_EQ(cells.size(), 5u);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fps << " fps");
        const std::vector<uint8_t> file = SavedAnimation(
            sheet, {c.transparent >= 0 ? AlphaTableFor(c.transparent) : std::vector<uint8_t>(), -1},
            cells, c.fps);
        const TPicture back = LoadedGif(file, true);
        EXPECT_EQ(back.Frames, 5);
        ASSERT_EQ(back.Image.Width(), 30);
        ASSERT_EQ(back.Image.Height(), 5);
        for (size_t k = 0; k < cells.size(); ++k) {
            SCOPED_TRACE(testing::Message() << "cell " << k);
            ExpectSamePixels(back.Image, {int32_t(k) * 6, 0, int32_t(k) * 6 + 6, 5}, sheet,
                             cells[k].Left, cells[k].Top);
        }
        EXPECT_EQ(back.Transparency.PaletteAlpha, AlphaOf(256, c.transparent));
        // Every frame's graphic control extension: disposal, transparency, delay.
        const uint8_t flags =
            uint8_t((c.transparent >= 0 ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT) << 2 |
                    (c.transparent >= 0 ? 1 : 0));
        // The index byte counts only with the flag.
        const size_t compared = c.transparent >= 0 ? 7 : 6;
        const std::vector<uint8_t> control = {
            0x21, 0xF9, 4, flags, uint8_t(c.delay), 0, uint8_t(std::max(c.transparent, 0))};
        int32_t controls = 0;
        for (auto at = file.begin();
             (at = std::search(at, file.end(), control.begin(),
                               control.begin() + int64_t(compared))) != file.end();
             ++at)
            ++controls;
        EXPECT_EQ(controls, 5);
        WriteFileBytes(dir + "/anim.gif", file);
        if (const std::optional<TPillowGif> pillow = PillowRead(dir + "/anim.gif")) {
            EXPECT_EQ(pillow->Frames, 5);
            EXPECT_EQ(pillow->Duration, c.delay * 10);
            EXPECT_EQ(pillow->Loop, 0);
        }
    }
}

// Files written by other programs read as Pillow reads them: the first frame's indices, palette
// and transparent index, and every frame's colours in the sheet.
TEST(Gif, FilesOfOtherWritersReadAsPillowReadsThem) {
    if (!PillowInstalled()) GTEST_SKIP() << "Pillow is not installed";
    const bool magick = std::system("convert -version >/dev/null 2>&1") == 0;
    const std::string dir = MakeTempDir();
    const std::string pillowFrames =
        "from PIL import Image\n"
        "def frame(k, mode='P'):\n"
        "    im = Image.new(mode, (40, 30), 0)\n"
        "    if mode == 'P':\n"
        "        im.putpalette([(i * (16 + k * 8) + c * 70) % 256 for i in range(16) for c in "
        "range(3)])\n"
        "    for y in range(3, 12 + k * 4):\n"
        "        for x in range(4 + k * 5, 20 + k * 5):\n"
        "            im.putpixel((x, y), (x + y * 3 + k) % 15 + 1)\n"
        "    return im\n"
        "f = [frame(k) for k in range(3)]\n";
    struct Case {
        const char* name;
        bool magick;         // made by ImageMagick, else by Pillow
        std::string command; // the writing program's arguments or script, writing OUT
    };
    const Case cases[] = {
        {"pillow-interlaced.gif", false, "f[0].save(OUT, transparency=5)"},
        {"pillow-grey.gif", false, "frame(1, 'L').save(OUT)"},
        {"pillow-local-tables-dispose-2.gif", false,
         "f[0].save(OUT, save_all=True, append_images=f[1:], duration=70, loop=0, disposal=2, "
         "transparency=0)"},
        {"pillow-dispose-3.gif", false,
         "f[0].save(OUT, save_all=True, append_images=f[1:], duration=70, disposal=3, "
         "transparency=0)"},
        {"pillow-dispose-1.gif", false,
         "f[0].save(OUT, save_all=True, append_images=f[1:], duration=70, disposal=1)"},
        {"magick-interlaced.gif", true,
         "-size 40x30 xc:red -fill blue -draw 'rectangle 5,5,20,20' -interlace GIF"},
        {"magick-offsets-dispose-2.gif", true,
         "-delay 10 -dispose Background -size 30x20 xc:none -fill red -draw 'rectangle 2,2,10,10' "
         "\\( -size 12x8 xc:blue -repage +5+3 \\) \\( -size 10x10 xc:green -fill yellow -draw "
         "'point 3,3' -repage +15+6 \\) -loop 0"},
        {"magick-offsets-dispose-3.gif", true,
         "-delay 10 -dispose Previous -size 30x20 xc:none -fill red -draw 'rectangle 2,2,10,10' "
         "\\( -size 12x8 xc:blue -repage +5+3 \\) \\( -size 10x10 xc:green -repage +15+6 \\) "
         "-loop 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir + "/" + c.name;
        if (c.magick) {
            if (!magick) continue;
            ASSERT_EQ(std::system(("convert " + c.command + " '" + path + "'").c_str()), 0);
        } else {
            const std::string script = pillowFrames + "OUT = '" + path + "'\n" + c.command + "\n";
            WriteFileBytes(dir + "/make.py", std::vector<uint8_t>(script.begin(), script.end()));
            ASSERT_EQ(std::system(("/usr/bin/python3 '" + dir + "/make.py'").c_str()), 0);
        }
        ExpectReadAsPillowReads(path);
    }
}

TEST(Gif, FuzzSeedsReadAsPillowReadsThem) {
    if (!PillowInstalled()) GTEST_SKIP() << "Pillow is not installed";
    for (const std::string& seed : FilesIn(SourcePath("fuzz/corpus/gif")))
        ExpectReadAsPillowReads(seed);
}

// Inputs the fuzzer found troublesome (tests/crashers/gif): each reads or is refused with one of
// the core's exceptions, as a picture and as a sheet.
TEST(Gif, FuzzFindingsReadOrFailCleanly) {
    for (const std::string& file : FilesIn(SourcePath("tests/crashers/gif"))) {
        SCOPED_TRACE(file);
        for (const bool asSheet : {false, true}) {
            try {
                EXPECT_GT(LoadedGif(ReadFileBytes(file), asSheet).Frames, 0);
            } catch (const Exception&) {
            }
        }
    }
}

// A sheet takes the exact colours of frames with tables of their own; past 256 it is refused,
// while the first frame alone still reads.
TEST(Gif, SheetMergesTheColoursOfLocalTablesUpTo256) {
    struct Case {
        int32_t entries; // each frame's local table, all entries drawn
        bool fits;
    };
    for (const Case c : {Case{128, true}, Case{256, false}}) {
        SCOPED_TRACE(c.entries);
        std::vector<TRawFrame> frames;
        for (int32_t k = 0; k < 2; ++k) {
            TRawFrame f{0, 0, 16, 16, Table(c.entries, k * 100 + 1), -1, DISPOSE_DO_NOT, {}};
            for (int32_t i = 0; i < 256; ++i)
                f.Pixels.push_back(uint8_t((i + k) % c.entries));
            frames.push_back(f);
        }
        const std::vector<uint8_t> file = RawGif(16, 16, Table(2, 0), frames);
        const TPicture first = LoadedGif(file);
        EXPECT_EQ(first.Image.PaletteBlock[5], (TPaletteEntry{uint8_t(5 * 3 + 1), 1, 5, 0}));
        if (!c.fits) {
            try {
                LoadedGif(file, true);
                ADD_FAILURE() << "the sheet was read";
            } catch (const EGifError& e) {
                EXPECT_EQ(e.Code(), TGifError::TooManyColours);
                EXPECT_EQ(ReadFailureMessage("a.gif", e),
                          "a.gif はフレームの色が合わせて256色を超えるため、シートとして読み込めま"
                          "せん（フレームの色が合わせて256色を超えます）");
            }
            continue;
        }
        const TPicture sheet = LoadedGif(file, true);
        for (int32_t k = 0; k < 2; ++k)
            for (int32_t i = 0; i < 256; ++i) {
                const GifColorType want =
                    frames[size_t(k)].LocalTable[frames[size_t(k)].Pixels[size_t(i)]];
                const TPaletteEntry& got =
                    sheet.Image.PaletteBlock[sheet.Image.GetPixel(k * 16 + i % 16, i / 16)];
                ASSERT_EQ(got, (TPaletteEntry{want.Blue, want.Green, want.Red, 0}))
                    << "frame " << k << " pixel " << i;
            }
    }
}

TEST(Gif, MalformedFilesAreRefusedWithTheirReason) {
    const TDIB sheet = Pattern(12, 5, 8);
    const std::vector<uint8_t> valid =
        SavedAnimation(sheet, {AlphaTableFor(3), -1}, SheetCells(12, 5, {0, 0, 6, 5}, 2), 10);
    const size_t image = FirstImageAt(valid);
    const auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> file = valid;
        std::copy(bytes.begin(), bytes.end(), file.begin() + int64_t(at));
        return file;
    };
    const auto cut = [&](size_t size) {
        return std::vector<uint8_t>(valid.begin(), valid.begin() + int64_t(size));
    };
    std::vector<uint8_t> noFrames(valid.begin(), valid.begin() + int64_t(13 + 3 * 256));
    noFrames.push_back(0x3B);
    // Screens of many 1 x 1 frames: one alone reads, side by side they are too many pixels.
    const std::vector<uint8_t> tinyFrames =
        SavedAnimation(Pattern(300, 1, 8), {}, SheetCells(300, 1, {0, 0, 1, 1}, 300), 10);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::optional<TGifError> error; // nullopt: the picture has no frame
        bool sheetOnly = false;
    };
    const Case cases[] = {
        {"bad signature", patched(0, {'G', 'I', 'X'}), TGifError::NotGif},
        {"cut in the screen descriptor", cut(9), TGifError::Cut},
        {"cut in the colour table", cut(100), TGifError::Cut},
        {"cut in the pixels", cut(image + 14), TGifError::Cut},
        {"unknown block", patched(image, {0x99}), TGifError::BadStructure},
        {"zero-width screen", patched(6, {0, 0}), TGifError::EmptyScreen},
        {"zero-height screen", patched(8, {0, 0}), TGifError::EmptyScreen},
        {"frame past the screen's right edge", patched(image + 1, {1, 0}), TGifError::FrameOutside},
        {"frame below the screen", patched(image + 3, {0xFF, 0xFF}), TGifError::FrameOutside},
        {"screen of 65535 x 65535", patched(6, {0xFF, 0xFF, 0xFF, 0xFF}), TGifError::TooLarge},
        {"screen of 40000 x 40000 in a few bytes", patched(6, {0x40, 0x9C, 0x40, 0x9C}),
         TGifError::TooLarge},
        {"no frame", noFrames, std::nullopt},
        {"screens of 1 x 1 frames side by side",
         [&] {
             std::vector<uint8_t> file = tinyFrames;
             std::copy_n(std::vector<uint8_t>{0xA0, 0x0F, 0xA0, 0x0F}.begin(), 4,
                         file.begin() + 6); // 4000 x 4000
             return file;
         }(),
         TGifError::TooLarge, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool asSheet : {false, true}) {
            if (c.sheetOnly && !asSheet) {
                EXPECT_EQ(LoadedGif(c.file).Frames, 300);
                continue;
            }
            try {
                LoadedGif(c.file, asSheet);
                ADD_FAILURE() << "read" << (asSheet ? " as a sheet" : "");
            } catch (const EGifError& e) {
                EXPECT_EQ(std::optional<TGifError>(e.Code()), c.error) << e.Message();
            } catch (const EInvalidGraphic& e) {
                EXPECT_EQ(c.error, std::nullopt) << e.Message();
                EXPECT_EQ(e.Message(), "画像データがありません");
            }
        }
    }
}

// Whatever a file is cut down to, it is refused, or read up to the blocks it lost when cut
// between blocks.
TEST(Gif, EveryCutOfAFileIsReadOrRefused) {
    std::vector<TRawFrame> frames = {
        {0, 0, 8, 6, Table(4, 9), 2, DISPOSE_PREVIOUS, std::vector<uint8_t>(48, 1)},
        {2, 1, 5, 4, {}, -1, DISPOSE_BACKGROUND, std::vector<uint8_t>(20, 3)},
    };
    const std::vector<uint8_t> file = RawGif(8, 6, Table(4, 0), frames);
    int32_t read = 0;
    for (size_t size = 0; size < file.size(); ++size) {
        const std::vector<uint8_t> part(file.begin(), file.begin() + int64_t(size));
        for (const bool asSheet : {false, true}) {
            try {
                const TPicture picture = LoadedGif(part, asSheet);
                EXPECT_EQ(picture.Image.Width(), asSheet ? 8 * picture.Frames : 8) << size;
                ++read;
            } catch (const EInvalidGraphic&) {
            }
        }
    }
    // Read as one picture and as a sheet: cut after the first frame's data or the control block
    // that follows it, or before the trailer alone.
    EXPECT_EQ(read, 6);
    EXPECT_EQ(LoadedGif(file, true).Frames, 2);
}
