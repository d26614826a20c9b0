#include "base/Exceptions.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

const std::string kNoImageData = "画像データがありません";

// The fields of a BMP file that the tests vary; the rest are written as a plain writer would.
struct TBmpFixture {
    uint32_t HeaderSize = 40;
    int32_t Width = 1, Height = 1;
    uint16_t BitCount = 8;
    uint32_t Compression = 0;
    uint32_t ImageSize = 0;
    uint32_t ColorsUsed = 0;
    std::vector<uint32_t> HeaderMasks; // written from byte 40 of a longer info header
    std::vector<uint32_t> Masks;       // written after the info header when not empty
    std::vector<uint8_t> Palette;      // raw colour table bytes
    std::vector<uint8_t> Pixels;       // raw pixel bytes
    uint32_t PixelOffset = 0;          // 0: right after the colour table
};

std::vector<uint8_t> MakeBmp(const TBmpFixture& f) {
    std::vector<uint8_t> body;
    PutLE32(body, f.HeaderSize);
    if (f.HeaderSize == 12) {
        PutLE16(body, uint32_t(f.Width));
        PutLE16(body, uint32_t(f.Height));
        PutLE16(body, 1);
        PutLE16(body, f.BitCount);
    } else {
        PutLE32(body, uint32_t(f.Width));
        PutLE32(body, uint32_t(f.Height));
        PutLE16(body, 1);
        PutLE16(body, f.BitCount);
        PutLE32(body, f.Compression);
        PutLE32(body, f.ImageSize);
        PutLE32(body, 2835);
        PutLE32(body, 2835);
        PutLE32(body, f.ColorsUsed);
        PutLE32(body, 0);
        for (uint32_t m : f.HeaderMasks)
            PutLE32(body, m);
        // Shorter OS/2 headers stop after any field; longer ones hold fields we leave 0.
        body.resize(f.HeaderSize, 0);
    }
    for (uint32_t m : f.Masks)
        PutLE32(body, m);
    body.insert(body.end(), f.Palette.begin(), f.Palette.end());
    std::vector<uint8_t> file = {'B', 'M'};
    PutLE32(file, uint32_t(14 + body.size() + f.Pixels.size()));
    PutLE32(file, 0);
    PutLE32(file, f.PixelOffset ? f.PixelOffset : uint32_t(14 + body.size()));
    file.insert(file.end(), body.begin(), body.end());
    file.insert(file.end(), f.Pixels.begin(), f.Pixels.end());
    return file;
}

// Colour table of n Windows entries where entry i is (blue i, green 2i, red 3i, reserved 0).
std::vector<uint8_t> RampPalette(int n) {
    std::vector<uint8_t> p;
    for (int i = 0; i < n; ++i)
        p.insert(p.end(), {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i), 0});
    return p;
}

void Load(TDIB& image, const std::vector<uint8_t>& bytes) {
    TCustomMemoryStream stream(bytes.data(), int64_t(bytes.size()));
    image.LoadFromBmp(stream);
}

std::vector<uint8_t> Save(const TDIB& image) {
    TMemoryStream stream;
    image.SaveAsBmp(stream);
    return stream.Bytes();
}

// Rows from the top, each as its pixel values (GetPixel).
std::vector<std::vector<uint32_t>> Pixels(const TDIB& image) {
    std::vector<std::vector<uint32_t>> rows(image.Height());
    for (int32_t y = 0; y < image.Height(); ++y)
        for (int32_t x = 0; x < image.Width(); ++x)
            rows[y].push_back(image.GetPixel(x, y));
    return rows;
}

// A 3 x 2 8-bit image with distinct pixels; failed loads must leave it as it is.
TDIB KnownImage() {
    TDIB image;
    image.Resize(3, 2, 8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            image.SetPixel(x, y, uint32_t(10 * y + x + 1));
    return image;
}

void ExpectKnownImage(const TDIB& image, const std::string& context) {
    EXPECT_EQ(Pixels(image), (std::vector<std::vector<uint32_t>>{{1, 2, 3}, {11, 12, 13}}))
        << context;
}

// Loading file into image must fail for want of pixels.
void ExpectNoImageData(TDIB& image, const std::vector<uint8_t>& file, const std::string& context) {
    try {
        Load(image, file);
        ADD_FAILURE() << context << ": nothing raised";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), kNoImageData) << context;
    }
}

uint32_t Le32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

// A valid 8-bit 3 x 2 file whose pixels and palette are all distinct.
TBmpFixture EightBitFixture() {
    TBmpFixture f;
    f.Width = 3;
    f.Height = 2;
    f.Palette = RampPalette(256);
    f.Pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    return f;
}

} // namespace

TEST(DIBBmp, SavedLayout) {
    struct Case {
        int w, h, bits;
        uint32_t fileSize, offset, headerBytes;
    } cases[] = {
        {2, 2, 8, 1086, 1078, 40 + 1024}, // 256 entries, two 4-byte rows
        {3, 1, 24, 54 + 12, 54, 40},      // no colour table, one 12-byte row
        {9, 2, 1, 62 + 8, 62, 40 + 8},
        {5, 3, 16, 66 + 36, 66, 52}, // masks after the header
    };
    for (const Case& c : cases) {
        const std::string name =
            std::to_string(c.w) + "x" + std::to_string(c.h) + "@" + std::to_string(c.bits);
        TDIB image;
        if (c.bits == 16) image.WantedLayout = MakeLayout(5, 6, 5);
        image.Resize(c.w, c.h, c.bits);
        for (int y = 0; y < c.h; ++y)
            std::memset(image.RowForWrite(y), 0x40 + y, size_t(image.Stride()));
        const std::vector<uint8_t> file = Save(image);
        ASSERT_EQ(file.size(), c.fileSize) << name;
        EXPECT_EQ(file[0], 'B') << name;
        EXPECT_EQ(file[1], 'M') << name;
        EXPECT_EQ(Le32At(file, 2), c.fileSize) << name;
        EXPECT_EQ(Le32At(file, 6), 0u) << name;
        EXPECT_EQ(Le32At(file, 10), c.offset) << name;
        EXPECT_EQ(Le32At(file, 14), 40u) << name;
        EXPECT_EQ(int32_t(Le32At(file, 22)), c.h) << name << ": positive height, bottom-up";
        EXPECT_EQ(Le32At(file, 34), image.Size()) << name;
        EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.begin() + 14 + c.headerBytes),
                  std::vector<uint8_t>(image.HeaderBlock(), image.HeaderBlock() + c.headerBytes))
            << name;
        // The bottom row comes first.
        EXPECT_EQ(file[c.offset], 0x40 + c.h - 1) << name;
        EXPECT_EQ(file.back(), 0x40) << name;
    }
}

// A picture of 0 x 0 pixels is no file: writing it is an error, and nothing is written.
TEST(DIBBmp, EmptyImageIsNotWritten) {
    const TDIB image;
    for (const bool body : {false, true}) {
        TMemoryStream stream;
        try {
            body ? image.SaveBmpBody(stream) : image.SaveAsBmp(stream);
            ADD_FAILURE() << (body ? "SaveBmpBody" : "SaveAsBmp") << ": nothing raised";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), kNoImageData);
        }
        EXPECT_EQ(stream.Size(), 0);
    }
}

TEST(DIBBmp, RoundTripKeepsPixelsAndPalette) {
    TBmpFixture f = EightBitFixture();
    f.Palette[7] = 0x5A; // a reserved byte is taken as stored and written back
    const std::vector<uint8_t> file = MakeBmp(f);
    TDIB image;
    Load(image, file);
    EXPECT_EQ(image.BitCount(), 8);
    EXPECT_EQ(image.PaletteCount(), 256);
    EXPECT_EQ(Pixels(image), (std::vector<std::vector<uint32_t>>{{4, 5, 6}, {1, 2, 3}}));
    EXPECT_EQ(image.PaletteBlock[1], (TPaletteEntry{1, 2, 3, 0x5A}));
    // Our own output reads back to the same bytes, whatever the fixture's resolution fields.
    const std::vector<uint8_t> saved = Save(image);
    TDIB again;
    Load(again, saved);
    EXPECT_EQ(Save(again), saved);
    EXPECT_EQ(Pixels(again), Pixels(image));
}

// Files that end before their first pixel hold no picture: they are refused, the image stays.
TEST(DIBBmp, FilesWithoutPixelsAreRefused) {
    auto cut = [](TBmpFixture f, size_t length) {
        std::vector<uint8_t> file = MakeBmp(f);
        file.resize(length);
        return file;
    };
    TBmpFixture rgb;
    rgb.Width = 16;
    rgb.Height = 16;
    rgb.BitCount = 24;
    TBmpFixture gap = EightBitFixture();
    gap.Pixels = {1, 2};
    gap.PixelOffset = uint32_t(MakeBmp(gap).size()); // the pixels would start at the end

    const std::pair<const char*, std::vector<uint8_t>> cases[] = {
        {"empty stream", {}},
        {"file header only", cut(EightBitFixture(), 14)},
        {"24-bit headers only", MakeBmp(rgb)},
        {"8-bit headers without colour table", cut(EightBitFixture(), 54)},
        {"colour table cut short", cut(EightBitFixture(), 54 + 512 + 2)},
        {"colour table without pixels", cut(EightBitFixture(), 54 + 1024)},
        {"pixel offset at the end of the file", MakeBmp(gap)},
    };
    for (const auto& [name, file] : cases) {
        TDIB image = KnownImage();
        ExpectNoImageData(image, file, name);
        ExpectKnownImage(image, name);
    }

    TDIB image = KnownImage();
    TMemoryStream empty;
    EXPECT_THROW(image.LoadBmpBody(empty), EInvalidGraphic);
    ExpectKnownImage(image, "LoadBmpBody of an empty stream");
}

TEST(DIBBmp, RefusedFilesLeaveTheImageUnchanged) {
    const std::string invalidDib = "不正な DIB です";
    const std::string badFormat = "不正なピクセルフォーマットです";
    auto with = [](auto change) {
        TBmpFixture f = EightBitFixture();
        change(f);
        return MakeBmp(f);
    };
    auto bitFields = [](uint16_t bits, std::vector<uint32_t> masks) {
        TBmpFixture f;
        f.BitCount = bits;
        f.Compression = 3;
        f.Masks = masks;
        f.Pixels.assign(4, 0);
        return MakeBmp(f);
    };
    std::vector<uint8_t> shortHeader = MakeBmp(EightBitFixture());
    shortHeader.resize(13);
    std::vector<uint8_t> notBm = MakeBmp(EightBitFixture());
    notBm[1] = 'A';
    std::vector<uint8_t> shortSize = MakeBmp(EightBitFixture());
    shortSize.resize(16);
    auto os2v2 = [](uint32_t compression, uint16_t bits) {
        TBmpFixture f;
        f.HeaderSize = 64;
        f.Compression = compression;
        f.BitCount = bits;
        f.Pixels.assign(8, 0);
        return MakeBmp(f);
    };
    auto compressed = [](uint32_t compression) {
        TBmpFixture f;
        f.HeaderSize = 124;
        f.BitCount = 0; // JPEG and PNG inside a BMP give no bit count
        f.Compression = compression;
        f.Pixels.assign(8, 0);
        return MakeBmp(f);
    };
    TBmpFixture alpha;
    alpha.HeaderSize = 56;
    alpha.BitCount = 32;
    alpha.Compression = 3;
    alpha.HeaderMasks = {0xFF0000, 0xFF00, 0xFF, 0x1000000F};
    alpha.Pixels.assign(4, 0);

    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool operation; // EInvalidGraphicOperation, else EInvalidGraphic
        std::string message;
    } cases[] = {
        {"13 bytes", shortHeader, false, invalidDib},
        {"type not BM", notBm, false, invalidDib},
        {"2 bytes of header size", shortSize, false, invalidDib},
        {"8-byte header", with([](TBmpFixture& f) { f.HeaderSize = 8; }), false, invalidDib},
        {"66-byte header", with([](TBmpFixture& f) { f.HeaderSize = 66; }), false, invalidDib},
        {"125-byte header", with([](TBmpFixture& f) { f.HeaderSize = 125; }), false, invalidDib},
        {"compression 7", with([](TBmpFixture& f) { f.Compression = 7; }), false, invalidDib},
        {"JPEG inside", compressed(4), false, "JPEG を格納した BMP は対応していません"},
        {"PNG inside", compressed(5), false, "PNG を格納した BMP は対応していません"},
        {"OS/2 Huffman", os2v2(3, 1), false, "ハフマン圧縮の BMP は対応していません"},
        {"OS/2 RLE24 at 8 bits", os2v2(4, 8), false, invalidDib},
        {"OS/2 compression 6", os2v2(6, 32), false, invalidDib},
        {"RLE8 at 4 bits", with([](TBmpFixture& f) {
             f.Compression = 1;
             f.BitCount = 4;
         }),
         false, invalidDib},
        {"RLE4 at 8 bits", with([](TBmpFixture& f) { f.Compression = 2; }), false, invalidDib},
        {"width 0", with([](TBmpFixture& f) { f.Width = 0; }), false, invalidDib},
        {"negative width", with([](TBmpFixture& f) { f.Width = -3; }), false, invalidDib},
        {"height 0", with([](TBmpFixture& f) { f.Height = 0; }), false, invalidDib},
        {"bit count 2", with([](TBmpFixture& f) { f.BitCount = 2; }), false,
         "2 ビットの BMP は対応していません"},
        {"bit count 64", with([](TBmpFixture& f) { f.BitCount = 64; }), false,
         "64 ビットの BMP は対応していません"},
        {"bit count 12", with([](TBmpFixture& f) { f.BitCount = 12; }), true,
         "不正なビット数です (12)"},
        {"bit fields at 24 bits", bitFields(24, {0xFF0000, 0xFF00, 0xFF}), false, invalidDib},
        {"8-8-8 masks at 16 bits", bitFields(16, {0xFF0000, 0xFF00, 0xFF}), true, badFormat},
        {"green mask past 16 bits", bitFields(16, {0xF800, 0x1FFE0, 0x1F}), true, badFormat},
        {"no green mask", bitFields(16, {0x7C00, 0, 0x1F}), true, badFormat},
        // Each of these starts with runs of allowed widths, but the masks have more bits.
        {"mask with a gap", bitFields(16, {0x17C00, 0x3E0, 0x1F}), true, badFormat},
        {"red mask with stray bit", bitFields(32, {0x80FF0000, 0xFF00, 0xFF}), true, badFormat},
        {"overlapping masks", bitFields(32, {0xFF0000, 0xFF0000, 0xFF}), true, badFormat},
        {"zero masks", bitFields(16, {0, 0, 0}), true, badFormat},
        {"alpha mask sharing a colour bit", MakeBmp(alpha), true, badFormat},
    };
    for (const Case& c : cases) {
        TDIB image = KnownImage();
        try {
            Load(image, c.file);
            ADD_FAILURE() << c.name << ": nothing raised";
        } catch (const EInvalidGraphicOperation& e) {
            EXPECT_TRUE(c.operation) << c.name;
            EXPECT_EQ(e.Message(), c.message) << c.name;
        } catch (const EInvalidGraphic& e) {
            EXPECT_FALSE(c.operation) << c.name;
            EXPECT_EQ(e.Message(), c.message) << c.name;
        }
        ExpectKnownImage(image, c.name);
    }
}

// A valid file cut anywhere after the header size field: a cut inside the info header or its masks,
// or inside the pixels, is the stream read error; a cut before the first pixel leaves no picture.
TEST(DIBBmp, TruncatedFiles) {
    TBmpFixture bitFields;
    bitFields.Width = 2;
    bitFields.BitCount = 16;
    bitFields.Compression = 3;
    bitFields.Masks = {0xF800, 0x7E0, 0x1F};
    bitFields.Pixels = {1, 2, 3, 4};
    TBmpFixture rle = EightBitFixture();
    rle.Compression = 1;
    rle.Pixels = {3, 5, 0, 0, 2, 7, 0, 1};
    rle.ImageSize = uint32_t(rle.Pixels.size());
    TBmpFixture os2 = EightBitFixture();
    os2.HeaderSize = 12;
    os2.Palette.resize(256 * 3);
    TBmpFixture topDown = EightBitFixture();
    topDown.Height = -2;

    const std::pair<const char*, TBmpFixture> files[] = {
        {"8-bit", EightBitFixture()},
        {"16-bit bit fields", bitFields},
        {"RLE8", rle},
        {"OS/2", os2},
        {"top-down", topDown},
    };
    for (const auto& [name, fixture] : files) {
        const std::vector<uint8_t> whole = MakeBmp(fixture);
        const size_t tableStart = 14 + fixture.HeaderSize + 4 * fixture.Masks.size();
        const size_t pixelStart = whole.size() - fixture.Pixels.size();
        for (size_t length = 18; length < whole.size(); ++length) {
            const std::string context = std::string(name) + " cut at " + std::to_string(length);
            TDIB image = KnownImage();
            const std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
            if (length < tableStart || length > pixelStart)
                EXPECT_THROW(Load(image, cut), EReadError) << context;
            else
                ExpectNoImageData(image, cut, context);
            ExpectKnownImage(image, context);
        }
    }
}

TEST(DIBBmp, TopDownEqualsBottomUpReversed) {
    TBmpFixture bottomUp = EightBitFixture();
    TBmpFixture topDown = bottomUp;
    topDown.Height = -2;
    topDown.Pixels = {4, 5, 6, 0, 1, 2, 3, 0};
    TDIB a, b;
    Load(a, MakeBmp(bottomUp));
    Load(b, MakeBmp(topDown));
    EXPECT_EQ(b.Height(), 2);
    EXPECT_EQ(Save(a), Save(b));
}

TEST(DIBBmp, Os2OneBitFile) {
    TBmpFixture f;
    f.HeaderSize = 12;
    f.Width = 10;
    f.Height = 1;
    f.BitCount = 1;
    f.Palette = {0x10, 0x20, 0x30, 0xA0, 0xB0, 0xC0};
    f.Pixels = {0b10110000, 0b01000000, 0, 0};
    TDIB image;
    Load(image, MakeBmp(f));
    EXPECT_EQ(image.BitCount(), 1);
    EXPECT_EQ(image.PaletteCount(), 2);
    EXPECT_EQ(image.PaletteBlock[0], (TPaletteEntry{0x10, 0x20, 0x30, 0}));
    EXPECT_EQ(image.PaletteBlock[1], (TPaletteEntry{0xA0, 0xB0, 0xC0, 0}));
    for (int i = 2; i < 256; ++i)
        EXPECT_EQ(image.PaletteBlock[i], TPaletteEntry{}) << i;
    EXPECT_EQ(Pixels(image), (std::vector<std::vector<uint32_t>>{{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}}));
}

TEST(DIBBmp, ColorsUsedSetsTheTableLength) {
    TBmpFixture f = EightBitFixture();
    f.ColorsUsed = 16;
    f.Palette = RampPalette(16);
    f.PixelOffset = 1078; // wrong on purpose: the pixels follow the 16 entries
    TDIB image;
    Load(image, MakeBmp(f));
    EXPECT_EQ(image.PaletteBlock[15], (TPaletteEntry{15, 30, 45, 0}));
    EXPECT_EQ(image.PaletteBlock[16], TPaletteEntry{});
    EXPECT_EQ(Pixels(image), (std::vector<std::vector<uint32_t>>{{4, 5, 6}, {1, 2, 3}}));

    // A high-colour file's table entries are read past, not taken as pixels.
    TBmpFixture rgb;
    rgb.BitCount = 24;
    rgb.ColorsUsed = 2;
    rgb.Palette = RampPalette(2);
    rgb.Pixels = {0x11, 0x22, 0x33, 0};
    Load(image, MakeBmp(rgb));
    EXPECT_EQ(image.GetPixel(0, 0), 0x112233u);
    EXPECT_EQ(image.HeaderSize(), 40);
}

// Masks after the 40-byte header, inside the longer headers, and with an alpha mask.
TEST(DIBBmp, BitFieldsAreReadIntoTheAllowedLayout) {
    struct Case {
        const char* name;
        uint16_t bits;
        std::vector<uint32_t> masks = {}; // after the info header; empty: no bit fields
        uint32_t stored;                  // the pixel as in the file
        uint32_t expected;                // GetPixel: the pixel in the image's layout
        uint32_t red, green, blue;        // the masks of the image's layout
        uint32_t headerSize = 40;
        std::vector<uint32_t> headerMasks = {};   // inside a longer header
        std::optional<uint32_t> compression = {}; // default: 3 with masks, else 0
    } cases[] = {
        {"16 bits, none", 16, {}, 0x7FFF, 0x7FFF, 0x7C00, 0x3E0, 0x1F},
        {"5-5-5", 16, {0x7C00, 0x3E0, 0x1F}, 0x1234, 0x1234, 0x7C00, 0x3E0, 0x1F},
        {"5-6-5", 16, {0xF800, 0x7E0, 0x1F}, 0xFC01, 0xFC01, 0xF800, 0x7E0, 0x1F},
        {"8-8-8", 32, {0xFF0000, 0xFF00, 0xFF}, 0xAA112233, 0xAA112233, 0xFF0000, 0xFF00, 0xFF},
        // Channels in an unusual order are moved to their usual places.
        {"8-8-8 reordered",
         32,
         {0xFF000000, 0xFF0, 0xFF0000},
         0x11330220,
         0x112233,
         0xFF0000,
         0xFF00,
         0xFF},
        {"5-6-5 reordered", 16, {0x1F, 0x7E0, 0xF800}, 0x0843, 0x1841, 0xF800, 0x7E0, 0x1F},
        {.name = "124-byte header, 5-6-5",
         .bits = 16,
         .stored = 0xFC01,
         .expected = 0xFC01,
         .red = 0xF800,
         .green = 0x7E0,
         .blue = 0x1F,
         .headerSize = 124,
         .headerMasks = {0xF800, 0x7E0, 0x1F, 0}},
        {.name = "108-byte header, masks unused without bit fields",
         .bits = 16,
         .stored = 0x7FFF,
         .expected = 0x7FFF,
         .red = 0x7C00,
         .green = 0x3E0,
         .blue = 0x1F,
         .headerSize = 108,
         .headerMasks = {0xF800, 0x7E0, 0x1F, 0},
         .compression = 0},
        {.name = "52-byte header, reordered",
         .bits = 32,
         .stored = 0x11330220,
         .expected = 0x112233,
         .red = 0xFF0000,
         .green = 0xFF00,
         .blue = 0xFF,
         .headerSize = 52,
         .headerMasks = {0xFF000000, 0xFF0, 0xFF0000}},
        {.name = "124-byte header, alpha lowest",
         .bits = 32,
         .stored = 0x33221180,
         .expected = 0x112233,
         .red = 0xFF0000,
         .green = 0xFF00,
         .blue = 0xFF,
         .headerSize = 124,
         .headerMasks = {0xFF00, 0xFF0000, 0xFF000000, 0xFF}},
        {.name = "56-byte header, an alpha mask of all bits is none",
         .bits = 16,
         .stored = 0x1234,
         .expected = 0x1234,
         .red = 0x7C00,
         .green = 0x3E0,
         .blue = 0x1F,
         .headerSize = 56,
         .headerMasks = {0x7C00, 0x3E0, 0x1F, 0xFFFFFFFF}},
        // Alpha bit fields carry a fourth mask; a header that lacks some is followed by them.
        {.name = "40-byte header, alpha bit fields",
         .bits = 32,
         .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
         .stored = 0xAA112233,
         .expected = 0xAA112233,
         .red = 0xFF0000,
         .green = 0xFF00,
         .blue = 0xFF,
         .compression = 6},
        {.name = "52-byte header, alpha bit fields",
         .bits = 32,
         .masks = {0xFF000000},
         .stored = 0xAA112233,
         .expected = 0x332211,
         .red = 0xFF0000,
         .green = 0xFF00,
         .blue = 0xFF,
         .headerSize = 52,
         .headerMasks = {0xFF, 0xFF00, 0xFF0000},
         .compression = 6},
    };
    for (const Case& c : cases) {
        TBmpFixture f;
        f.HeaderSize = c.headerSize;
        f.BitCount = c.bits;
        f.Compression = c.compression.value_or(c.masks.empty() && c.headerMasks.empty() ? 0 : 3);
        f.HeaderMasks = c.headerMasks;
        f.Masks = c.masks;
        PutLE32(f.Pixels, c.stored);
        f.Pixels.resize(4);
        TDIB image;
        Load(image, MakeBmp(f));
        EXPECT_EQ(image.GetPixel(0, 0), c.expected) << c.name;
        EXPECT_EQ(image.CurrentLayout().RedMask, c.red) << c.name;
        EXPECT_EQ(image.CurrentLayout().GreenMask, c.green) << c.name;
        EXPECT_EQ(image.CurrentLayout().BlueMask, c.blue) << c.name;
    }
}

// Bit fields of other widths, 1 to 18 bits a channel, become 32-bit 8-8-8 pixels, each channel
// scaled by repeating its bits; the alpha channel is dropped.
TEST(DIBBmp, OtherBitFieldsAreScaledToEightBitsPerChannel) {
    struct Case {
        const char* name;
        uint16_t bits;
        std::vector<uint32_t> masks; // red, green, blue and, with four, alpha
        uint32_t stored;             // the pixel as in the file
        uint32_t expected;           // 0x00RRGGBB
    } cases[] = {
        // Red 10, green 101, blue 1 repeat into 10101010, 10110110, 11111111.
        {"2-3-1", 16, {0x30, 0xE, 0x1}, 0x2B, 0xAAB6FF},
        {"1-1-1", 16, {0x4, 0x2, 0x1}, 0x5, 0xFF00FF},
        {"4-4-4 and alpha", 16, {0xF00, 0xF0, 0xF, 0xF000}, 0x512C, 0x1122CC},
        {"3-10-3", 16, {0xE000, 0x1FF8, 0x7}, 0x9003, 0x92806D},
        {"5-5-5 at 32 bits", 32, {0x7C00, 0x3E0, 0x1F}, 0x7C1F, 0xFF00FF},
        // Wide channels keep their high 8 bits.
        {"10-10-10 and 2 bits of alpha",
         32,
         {0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000},
         0xFFF800FF,
         0xFF803F},
        {"11-11-10", 32, {0xFFE00000, 0x1FFC00, 0x3FF}, 0x801FFC01, 0x80FF00},
        {"7-18-7", 32, {0xFE000000, 0x1FFFF80, 0x7F}, 0x81FFFF81, 0x81FF02},
        {"8-16-8", 32, {0xFF000000, 0xFFFF00, 0xFF}, 0x12ABCD34, 0x12AB34},
    };
    for (const Case& c : cases) {
        TBmpFixture f;
        f.HeaderSize = 56; // room for the alpha mask in the header
        f.BitCount = c.bits;
        f.Compression = 3;
        f.HeaderMasks = c.masks;
        PutLE32(f.Pixels, c.stored);
        TDIB image;
        Load(image, MakeBmp(f));
        EXPECT_EQ(image.BitCount(), 32) << c.name;
        EXPECT_TRUE(image.CurrentLayout().SameMasks(MakeLayout(8, 8, 8))) << c.name;
        EXPECT_EQ(image.GetPixel(0, 0), c.expected) << std::hex << c.name;
    }
}

// Scaled rows land where the file's row order puts them, wider rows than the file's included.
TEST(DIBBmp, ScaledBitFieldsKeepTheRowOrder) {
    TBmpFixture bottomUp;
    bottomUp.Width = 3;
    bottomUp.Height = 2;
    bottomUp.BitCount = 16;
    bottomUp.Compression = 3;
    bottomUp.Masks = {0xF00, 0xF0, 0xF};
    // Bottom row first; each row of three 2-byte pixels padded to 8 bytes.
    for (uint32_t v : {0x100u, 0x010u, 0x001u, 0x111u, 0x222u, 0x333u}) {
        PutLE16(bottomUp.Pixels, v);
        if (bottomUp.Pixels.size() % 8 == 6) PutLE16(bottomUp.Pixels, 0);
    }
    TBmpFixture topDown = bottomUp;
    topDown.Height = -2;
    std::rotate(topDown.Pixels.begin(), topDown.Pixels.begin() + 8, topDown.Pixels.end());
    const std::vector<std::vector<uint32_t>> expected = {{0x111111, 0x222222, 0x333333},
                                                         {0x110000, 0x001100, 0x000011}};
    for (const TBmpFixture& f : {bottomUp, topDown}) {
        TDIB image;
        Load(image, MakeBmp(f));
        EXPECT_EQ(Pixels(image), expected) << "height " << f.Height;
    }
}

// The pixels start where the file header says, when that lies past the headers and inside the
// file; what lies between the colour table and the pixels is passed over.
TEST(DIBBmp, PixelOffsetIsHonoured) {
    const std::vector<std::vector<uint32_t>> eightBitRows = {{4, 5, 6}, {1, 2, 3}};
    struct Case {
        const char* name;
        TBmpFixture file;
        int entry;              // a palette entry to check
        TPaletteEntry expected; // its value
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, auto change, int entry, TPaletteEntry expected) {
        TBmpFixture f = EightBitFixture();
        change(f);
        cases.push_back({name, f, entry, expected});
    };
    const TPaletteEntry black{};
    add("gap after the colour table",
        [](TBmpFixture& f) { f.Palette.insert(f.Palette.end(), 6, 0xEE); }, 255,
        {255, 254, 253, 0});
    add("table of 300 entries keeps the first 256",
        [](TBmpFixture& f) {
            f.ColorsUsed = 300;
            f.Palette = RampPalette(300);
        },
        255, {255, 254, 253, 0});
    add(
        "Windows table cut short by the offset",
        [](TBmpFixture& f) { f.Palette = RampPalette(16); }, 16, black);
    add("OS/2 table cut short by the offset",
        [](TBmpFixture& f) {
            f.HeaderSize = 12;
            f.Palette = {1, 2, 3, 4, 5, 6};
        },
        1, {4, 5, 6, 0});
    add("offset inside the headers is not used", [](TBmpFixture& f) { f.PixelOffset = 20; }, 1,
        {1, 2, 3, 0});
    add("offset past the end of the file is not used",
        [](TBmpFixture& f) { f.PixelOffset = 0x40000000; }, 1, {1, 2, 3, 0});
    for (const Case& c : cases) {
        TDIB image;
        Load(image, MakeBmp(c.file));
        EXPECT_EQ(Pixels(image), eightBitRows) << c.name;
        EXPECT_EQ(image.PaletteBlock[c.entry], c.expected) << c.name;
    }

    // A 24-bit file with a table of 300 entries before its pixels.
    TBmpFixture rgb;
    rgb.BitCount = 24;
    rgb.ColorsUsed = 300;
    rgb.Palette = RampPalette(300);
    rgb.Pixels = {0x11, 0x22, 0x33, 0};
    TDIB image;
    Load(image, MakeBmp(rgb));
    EXPECT_EQ(image.GetPixel(0, 0), 0x112233u);
}

// OS/2 2.x headers of 16 to 64 bytes and the Windows headers of 52 to 124 bytes begin like the
// 40-byte header; what they add does not change the picture.
TEST(DIBBmp, LongerAndShorterHeadersReadLikeTheWindowsHeader) {
    TDIB reference;
    Load(reference, MakeBmp(EightBitFixture()));
    for (const uint32_t size : {16u, 20u, 36u, 52u, 56u, 64u, 108u, 124u}) {
        TBmpFixture f = EightBitFixture();
        f.HeaderSize = size;
        TDIB image;
        Load(image, MakeBmp(f));
        EXPECT_EQ(Pixels(image), Pixels(reference)) << size;
        EXPECT_EQ(image.PaletteBlock, reference.PaletteBlock) << size;
    }
}

TEST(DIBBmp, RleExpansion) {
    using Rows = std::vector<std::vector<uint32_t>>; // from the top
    struct Case {
        const char* name;
        uint16_t bits;
        int32_t width, height;
        std::vector<uint8_t> data;
        Rows expected;
    } cases[] = {
        {"RLE8 runs and end of line",
         8,
         4,
         2,
         {3, 5, 0, 0, 2, 7, 0, 1},
         {{7, 7, 0, 0}, {5, 5, 5, 0}}},
        {"RLE8 delta", 8, 4, 2, {2, 1, 0, 2, 1, 1, 1, 9, 0, 1}, {{0, 0, 0, 9}, {1, 1, 0, 0}}},
        {"RLE4 run", 4, 5, 1, {5, 0x12, 0, 1}, {{1, 2, 1, 2, 1}}},
        {"RLE8 absolute run, odd length padded",
         8,
         4,
         2,
         {0, 3, 4, 5, 6, 0, 1, 8, 0, 1},
         {{0, 0, 0, 0}, {4, 5, 6, 8}}},
        {"RLE4 absolute run of 3", 4, 4, 1, {0, 3, 0x12, 0x30, 1, 0x40, 0, 1}, {{1, 2, 3, 4}}},
        // Overruns are cut off: nothing is written outside the row or the image.
        {"run past the row end", 8, 3, 2, {9, 4, 0, 0, 1, 6}, {{6, 0, 0}, {4, 4, 4}}},
        {"absolute run past the row end", 8, 2, 2, {0, 4, 1, 2, 3, 4, 1, 5}, {{0, 0}, {1, 2}}},
        {"delta past the last row", 8, 2, 2, {0, 2, 0, 9, 1, 3}, {{0, 0}, {0, 0}}},
        {"lines past the last row", 8, 1, 1, {1, 1, 0, 0, 1, 2, 0, 0, 1, 3}, {{1}}},
        {"absolute run past the data", 8, 4, 1, {0, 6, 1, 2}, {{1, 2, 0, 0}}},
        {"data ending inside a delta", 8, 2, 1, {1, 3, 0, 2, 1}, {{3, 0}}},
        {"data ending inside an item", 8, 2, 1, {1, 3, 1}, {{3, 0}}},
        {"no end of bitmap", 8, 2, 1, {2, 8}, {{8, 8}}},
        // RLE24 values are blue, green, red; GetPixel reads them as 0xBBGGRR.
        {"RLE24 run and absolute run",
         24,
         3,
         2,
         {2, 1, 2, 3, 0, 0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 1},
         {{0x040506, 0x070809, 0x0A0B0C}, {0x010203, 0x010203, 0}}},
        {"RLE24 delta and data ending inside a value", 24, 2, 1, {0, 2, 1, 0, 1, 9, 8}, {{0, 0}}},
    };
    for (const Case& c : cases) {
        TBmpFixture f;
        f.Width = c.width;
        f.Height = c.height;
        f.BitCount = c.bits;
        // RLE24 comes in OS/2 2.x files only.
        f.HeaderSize = c.bits == 24 ? 64 : 40;
        f.Compression = c.bits == 8 ? 1 : c.bits == 4 ? 2 : 4;
        if (c.bits <= 8) f.Palette = RampPalette(1 << c.bits);
        f.Pixels = c.data;
        f.ImageSize = uint32_t(c.data.size());
        f.Pixels.insert(f.Pixels.end(), 64, 0xEE); // bytes after the data must stay unread
        TDIB image;
        Load(image, MakeBmp(f));
        EXPECT_EQ(image.BitCount(), c.bits) << c.name;
        EXPECT_EQ(Pixels(image), c.expected) << c.name;
    }
}

// Sizes from the header are checked before allocating, in 64 bits.
TEST(DIBBmp, AbsurdSizesAreRefusedWithoutAllocating) {
    struct Case {
        const char* name;
        int32_t width, height;
        uint16_t bits;
        uint32_t compression, imageSize;
        const char* message;
    } cases[] = {
        {"width 0x7FFFFFFF", 0x7FFFFFFF, 1, 32, 0, 0, "メモリが足りません"},
        {"height -2^31", 1, INT32_MIN, 8, 0, 0, "メモリが足りません"},
        {"65536 x 65536 (4 GiB)", 65536, 65536, 8, 0, 0, "メモリが足りません"},
        // Stride times height passes 2^63 here.
        {"0x7FFFFFFF x 0x7FFFFFFF at 32 bits", 0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 0,
         "メモリが足りません"},
        {"0x7FFFFFFF x -2^31 at 24 bits", 0x7FFFFFFF, INT32_MIN, 24, 0, 0, "メモリが足りません"},
        {"20000 x 20000 file of 8 bytes", 20000, 20000, 8, 0, 0, "ストリームからの読み込みエラー"},
        {"RLE8 of 2 bytes for 400 MB", 20000, 20000, 8, 1, 2, "不正な DIB です"},
        {"RLE image size beyond the file", 4, 4, 8, 1, 0xFFFFFFFF,
         "ストリームからの読み込みエラー"},
    };
    for (const Case& c : cases) {
        TBmpFixture f;
        f.Width = c.width;
        f.Height = c.height;
        f.BitCount = c.bits;
        f.Compression = c.compression;
        f.ImageSize = c.imageSize;
        f.Palette = c.bits <= 8 ? RampPalette(1 << c.bits) : std::vector<uint8_t>{};
        f.Pixels = {0, 1, 0, 0, 0, 0, 0, 0};
        TDIB image = KnownImage();
        try {
            Load(image, MakeBmp(f));
            ADD_FAILURE() << c.name << ": nothing raised";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), c.message) << c.name;
        }
        ExpectKnownImage(image, c.name);
    }
}

// A large flat picture compresses far beyond the ratio of typical files; it must still load.
TEST(DIBBmp, LargeFlatRleLoads) {
    const int32_t width = 9000, height = 8000; // 72 MB expanded
    TBmpFixture f;
    f.Width = width;
    f.Height = height;
    f.Compression = 1;
    f.Palette = RampPalette(256);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t left = width; left > 0; left -= 255)
            f.Pixels.insert(f.Pixels.end(), {uint8_t(std::min(left, 255)), 7});
        f.Pixels.insert(f.Pixels.end(), {0, 0});
    }
    f.ImageSize = uint32_t(f.Pixels.size());
    TDIB image;
    Load(image, MakeBmp(f));
    ASSERT_EQ(image.Width(), width);
    EXPECT_EQ(image.RowForRead(0)[width - 1], 7);
    EXPECT_EQ(image.RowForRead(height - 1)[0], 7);
}

// Inputs the fuzzer found troublesome, and its seeds: each loads or is refused cleanly.
TEST(DIBBmp, CrashersAndSeedsReplay) {
    std::vector<std::string> files = FilesIn(SourcePath("tests/crashers/bmp"));
    for (const std::string& seed : FilesIn(SourcePath("fuzz/corpus/bmp")))
        files.push_back(seed);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        TDIB image;
        try {
            Load(image, bytes);
            Save(image);
        } catch (const Exception&) {
            // refusing is fine; crashing is not
        }
    }
}

// The bmpsuite: every good file loads; the questionable and bad files load or are refused with
// one of our errors. (tests/bmpsuite_check.py compares the pictures.)
TEST(DIBBmp, BmpSuite) {
    const std::string suite = TestDataPath("bmpsuite");
    if (!FileExists(suite + "/g")) GTEST_SKIP() << "bmpsuite not found at " << suite;
    for (const char* group : {"g", "q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(suite + "/" + group)) {
            const std::string name = std::string(group) + "/" + entry.path().filename().string();
            const std::vector<uint8_t> bytes = ReadFileBytes(entry.path().string());
            TDIB image;
            try {
                Load(image, bytes);
                Save(image);
            } catch (const Exception& e) {
                EXPECT_NE(std::string(group), "g") << name << ": " << e.Message();
            }
        }
    }
}
