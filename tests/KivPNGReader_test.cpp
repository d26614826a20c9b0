#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivPNGCommon.h"
#include "png/KivPNGReader.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>

namespace {

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
    uLongf size = compressBound(uLong(data.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress(out.data(), &size, data.data(), uLong(data.size())), Z_OK);
    out.resize(size);
    return out;
}

// Builds PNG files chunk by chunk.
struct TPngFile {
    std::vector<uint8_t> bytes{PngSignature.begin(), PngSignature.end()};

    TPngFile& Chunk(const char* type, const std::vector<uint8_t>& data, bool badCrc = false) {
        PutBE32(bytes, uint32_t(data.size()));
        const size_t start = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        const uLong crc = crc32(0, bytes.data() + start, uInt(bytes.size() - start));
        PutBE32(bytes, uint32_t(crc) ^ (badCrc ? 1u : 0u));
        return *this;
    }
    TPngFile& Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                     uint8_t interlace = 0, uint8_t compression = 0, uint8_t filter = 0) {
        std::vector<uint8_t> data;
        PutBE32(data, width);
        PutBE32(data, height);
        data.insert(data.end(), {depth, colorType, compression, filter, interlace});
        return Chunk("IHDR", data);
    }
    // The compressed rows in IDAT chunks of the given sizes; the rest goes in a last chunk.
    TPngFile& Data(const std::vector<uint8_t>& rows, const std::vector<size_t>& sizes = {}) {
        const std::vector<uint8_t> z = Deflate(rows);
        size_t at = 0;
        for (const size_t size : sizes) {
            Chunk("IDAT", {z.begin() + long(at), z.begin() + long(at + size)});
            at += size;
        }
        if (at < z.size() || sizes.empty()) Chunk("IDAT", {z.begin() + long(at), z.end()});
        return *this;
    }
    TPngFile& End() { return Chunk("IEND", {}); }
};

// Pixels as file samples: one value of bitsPerPixel bits each (several samples big-endian).
struct TPixels {
    int32_t width, height, bitsPerPixel;
    std::vector<uint64_t> values; // row-major

    uint64_t At(int32_t x, int32_t y) const {
        return values[size_t(y) * size_t(width) + size_t(x)];
    }
};

TPixels RandomPixels(int32_t width, int32_t height, int32_t bitsPerPixel, unsigned seed) {
    std::mt19937_64 random(seed);
    TPixels p{width, height, bitsPerPixel, {}};
    const uint64_t mask = bitsPerPixel == 64 ? ~uint64_t(0) : (uint64_t(1) << bitsPerPixel) - 1;
    for (int32_t i = 0; i < width * height; ++i)
        p.values.push_back(random() & mask);
    return p;
}

// One row of pixels packed as in the file, after filter byte 0.
void PackRow(const TPixels& p, const std::vector<int32_t>& xs, int32_t y,
             std::vector<uint8_t>& out) {
    out.push_back(0);
    if (p.bitsPerPixel < 8) {
        std::vector<uint8_t> row(size_t(PngRowBytes(int64_t(xs.size()), p.bitsPerPixel)), 0);
        for (size_t i = 0; i < xs.size(); ++i) {
            const size_t bit = i * size_t(p.bitsPerPixel);
            row[bit / 8] |= uint8_t(p.At(xs[i], y) << (8 - p.bitsPerPixel - bit % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
        return;
    }
    for (const int32_t x : xs) {
        for (int shift = p.bitsPerPixel - 8; shift >= 0; shift -= 8) {
            out.push_back(uint8_t(p.At(x, y) >> shift));
        }
    }
}

// The uncompressed image data, plain or Adam7.
std::vector<uint8_t> RawRows(const TPixels& p, bool interlaced) {
    std::vector<uint8_t> out;
    const auto passes = interlaced ? std::vector<TPngPass>(Adam7Passes.begin(), Adam7Passes.end())
                                   : std::vector<TPngPass>{WholeImagePass};
    for (const TPngPass& pass : passes) {
        std::vector<int32_t> xs;
        for (int32_t x = pass.xStart; x < p.width; x += pass.xStep)
            xs.push_back(x);
        if (xs.empty()) continue;
        for (int32_t y = pass.yStart; y < p.height; y += pass.yStep)
            PackRow(p, xs, y, out);
    }
    return out;
}

std::vector<uint8_t> PaletteChunk(int count) {
    std::vector<uint8_t> data;
    for (int i = 0; i < count; ++i)
        data.insert(data.end(), {uint8_t(i), uint8_t(255 - i), 7});
    return data;
}

struct TLoad {
    TDIB image;
    TDIB mask;
    TKivPNGReadStream reader;
};

std::unique_ptr<TLoad> Load(const std::vector<uint8_t>& bytes, bool withMask = false) {
    auto load = std::make_unique<TLoad>();
    if (withMask) load->reader.Mask = &load->mask;
    TCustomMemoryStream stream(bytes.data(), int64_t(bytes.size()));
    load->reader.LoadFromStream(load->image, stream, 0);
    return load;
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
    try {
        Load(bytes);
    } catch (const EKivPNG& e) {
        return e.Message();
    }
    return "(loaded)";
}

std::vector<uint8_t> RowBytes(const TDIB& image, int32_t y) {
    const uint8_t* row = image.RowForRead(y);
    return {row, row + PngRowBytes(image.Width(), image.BitCount())};
}

std::vector<uint8_t> Grey8File(int32_t width, int32_t height) {
    TPixels p = RandomPixels(width, height, 8, 99);
    return TPngFile()
        .Header(uint32_t(width), uint32_t(height), 8, 0)
        .Data(RawRows(p, false))
        .End()
        .bytes;
}

} // namespace

TEST(KivPNGReader, PaletteImageKeepsItsPaletteAndIndices) {
    TPixels p{100, 50, 8, {}};
    for (int32_t y = 0; y < 50; ++y) {
        for (int32_t x = 0; x < 100; ++x)
            p.values.push_back(uint64_t(x * 3 + y) % 256);
    }
    const auto file = TPngFile()
                          .Header(100, 50, 8, 3)
                          .Chunk("PLTE", PaletteChunk(256))
                          .Data(RawRows(p, false))
                          .End();
    const auto load = Load(file.bytes);
    const TDIB& image = load->image;
    ASSERT_EQ(image.Width(), 100);
    ASSERT_EQ(image.Height(), 50);
    ASSERT_EQ(image.BitCount(), 8);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(image.PaletteBlock[i], (TPaletteEntry{7, uint8_t(255 - i), uint8_t(i), 0})) << i;
    }
    for (int32_t y = 0; y < 50; ++y) {
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(image.GetPixel(x, y), p.At(x, y)) << x << "," << y;
    }
    EXPECT_EQ(load->reader.TransparentColor(), ColorNone);
    EXPECT_EQ(load->reader.ColorBits(), 8);
    EXPECT_FALSE(load->reader.Grayscale());
}

TEST(KivPNGReader, TwoBitGreyWidensToFourBitIndicesWithAGreyRamp) {
    const TPixels p = RandomPixels(13, 3, 2, 1);
    const auto load = Load(TPngFile().Header(13, 3, 2, 0).Data(RawRows(p, false)).End().bytes);
    const TDIB& image = load->image;
    ASSERT_EQ(image.BitCount(), 4);
    const uint8_t ramp[4] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(image.PaletteBlock[i], (TPaletteEntry{ramp[i], ramp[i], ramp[i], 0})) << i;
    }
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 13; ++x)
            EXPECT_EQ(image.GetPixel(x, y), p.At(x, y)) << x << "," << y;
    }
    EXPECT_TRUE(load->reader.Grayscale());
    EXPECT_EQ(load->reader.ColorBits(), 2);
}

TEST(KivPNGReader, SixteenBitColourKeepsHighBytesInBlueGreenRedOrder) {
    const TPixels p = RandomPixels(5, 2, 48, 2);
    const auto load = Load(TPngFile().Header(5, 2, 16, 2).Data(RawRows(p, false)).End().bytes);
    const TDIB& image = load->image;
    ASSERT_EQ(image.BitCount(), 24);
    for (int32_t y = 0; y < 2; ++y) {
        const uint8_t* row = image.RowForRead(y);
        for (int32_t x = 0; x < 5; ++x) {
            const uint64_t v = p.At(x, y);
            EXPECT_EQ(row[3 * x], uint8_t(v >> 8)) << "blue";
            EXPECT_EQ(row[3 * x + 1], uint8_t(v >> 24)) << "green";
            EXPECT_EQ(row[3 * x + 2], uint8_t(v >> 40)) << "red";
        }
    }
    EXPECT_EQ(load->reader.ColorBits(), 48);
}

TEST(KivPNGReader, AlphaGoesToTheMaskInverted) {
    struct Case {
        uint8_t depth, colorType;
        int32_t bitsPerPixel, alphaShift, imageBits;
    };
    for (const Case c : {Case{8, 4, 16, 0, 8}, Case{16, 4, 32, 8, 8}, Case{8, 6, 32, 0, 24},
                         Case{16, 6, 64, 8, 24}}) {
        const TPixels p = RandomPixels(7, 4, c.bitsPerPixel, 3);
        const auto load =
            Load(TPngFile().Header(7, 4, c.depth, c.colorType).Data(RawRows(p, false)).End().bytes,
                 true);
        ASSERT_EQ(load->image.BitCount(), c.imageBits) << int(c.colorType);
        ASSERT_EQ(load->mask.BitCount(), 8);
        ASSERT_EQ(load->mask.Width(), 7);
        EXPECT_EQ(load->mask.PaletteBlock[200], (TPaletteEntry{200, 200, 200, 0}));
        EXPECT_TRUE(load->reader.HasAlpha());
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 7; ++x) {
                EXPECT_EQ(load->mask.GetPixel(x, y), 255 - uint8_t(p.At(x, y) >> c.alphaShift))
                    << "type " << int(c.colorType) << " depth " << int(c.depth);
            }
        }
        if (c.colorType == 4) {
            EXPECT_EQ(load->image.GetPixel(3, 2), uint8_t(p.At(3, 2) >> (c.bitsPerPixel - 8)));
        }
    }
}

// Every format, every size class: Adam7 must place each pixel where the plain file has it.
TEST(KivPNGReader, InterlacedImagesDecodeLikeTheirPlainTwins) {
    struct Format {
        uint8_t depth, colorType;
        int32_t bitsPerPixel;
    };
    const Format formats[] = {{1, 0, 1},   {2, 0, 2},   {4, 0, 4},  {8, 0, 8},   {16, 0, 16},
                              {8, 4, 16},  {16, 4, 32}, {8, 2, 24}, {16, 2, 48}, {8, 6, 32},
                              {16, 6, 64}, {1, 3, 1},   {2, 3, 2},  {4, 3, 4},   {8, 3, 8}};
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {3, 3}, {9, 7}, {17, 5}, {2, 11}};
    for (const Format f : formats) {
        for (const auto& [w, h] : sizes) {
            const TPixels p = RandomPixels(w, h, f.bitsPerPixel, unsigned(w * 31 + h));
            std::vector<uint8_t> files[2];
            for (int interlace = 0; interlace < 2; ++interlace) {
                TPngFile file;
                file.Header(uint32_t(w), uint32_t(h), f.depth, f.colorType, uint8_t(interlace));
                if (f.colorType == 3) file.Chunk("PLTE", PaletteChunk(256));
                files[interlace] = file.Data(RawRows(p, interlace == 1)).End().bytes;
            }
            const auto plain = Load(files[0], true);
            const auto interlaced = Load(files[1], true);
            EXPECT_EQ(interlaced->reader.Interlace(), 1);
            ASSERT_EQ(plain->image.BitCount(), interlaced->image.BitCount());
            for (int32_t y = 0; y < h; ++y) {
                EXPECT_EQ(RowBytes(plain->image, y), RowBytes(interlaced->image, y))
                    << "type " << int(f.colorType) << " depth " << int(f.depth) << " size " << w
                    << "x" << h << " row " << y;
                if (plain->reader.HasAlpha()) {
                    EXPECT_EQ(RowBytes(plain->mask, y), RowBytes(interlaced->mask, y)) << "mask";
                }
            }
        }
    }
}

TEST(KivPNGReader, EverySignatureByteMatters) {
    const std::vector<uint8_t> good = Grey8File(2, 2);
    for (size_t i = 0; i < 8; ++i) {
        std::vector<uint8_t> bad = good;
        bad[i] ^= 0x20;
        EXPECT_EQ(LoadError(bad), "PNG LoadStream: Not PNG Format") << "byte " << i;
    }
    EXPECT_EQ(LoadError({0x89, 'P', 'N'}), "PNG LoadStream: Not PNG Format");
}

TEST(KivPNGReader, HeaderRulesRaiseTheirMessages) {
    struct Case {
        uint8_t depth, colorType, compression, filter, interlace;
        const char* message;
    };
    const Case cases[] = {
        {8, 1, 0, 0, 0, "Read Header(PNG): Error ColorType"},
        {8, 5, 0, 0, 0, "Read Header(PNG): Error ColorType"},
        {8, 7, 0, 0, 0, "Read Header(PNG): Error ColorType"},
        {3, 0, 0, 0, 0, "Read Header(PNG): Error Bitdepth"},
        {4, 4, 0, 0, 0, "Read Header(PNG): not Use AlphaChannel"},
        {4, 2, 0, 0, 0, "Read Header(PNG): Error BitDepth"},
        {16, 3, 0, 0, 0, "Read Header(PNG): Error BitDepth"},
        {8, 0, 2, 0, 0, "Read Header(PNG): not support Compression"},
        {8, 0, 0, 2, 0, "Read Header(PNG): not supprt Filter"},
        {8, 0, 0, 0, 2, "Read Header(PNG): not interlace type"},
        {8, 0, 1, 1, 0, "(loaded)"},  // methods 1 are taken as 0
        {8, 10, 0, 0, 0, "(loaded)"}, // only the low three bits count: RGB
    };
    for (const Case& c : cases) {
        TPngFile file;
        file.Header(1, 1, c.depth, c.colorType, c.interlace, c.compression, c.filter);
        file.Data(std::vector<uint8_t>(1 + 3, 0)).End();
        EXPECT_EQ(LoadError(file.bytes), c.message)
            << "depth " << int(c.depth) << " type " << int(c.colorType);
    }
    const auto twice = TPngFile().Header(1, 1, 8, 0).Header(1, 1, 8, 0).Data({0, 0}).End();
    EXPECT_EQ(LoadError(twice.bytes), "Read Header(PNG): appear two IHDR");
}

TEST(KivPNGReader, ImagesTooLargeForTheIndexedImageAreRefused) {
    const std::vector<uint8_t> row = {0, 0};
    struct Case {
        uint32_t width, height;
        uint8_t depth, colorType;
    };
    for (const Case c : {Case{0x80000000u, 1, 8, 0}, Case{1, 0x80000000u, 8, 0},
                         Case{70000, 70000, 8, 0}, Case{0x40000000u, 4, 8, 0},
                         Case{0x10000000u, 1, 16, 6}}) { // a 2 GiB file row for a 768 MiB image
        const auto file =
            TPngFile().Header(c.width, c.height, c.depth, c.colorType).Data(row).End();
        EXPECT_EQ(LoadError(file.bytes), "Read Header(PNG): Image too large")
            << c.width << "x" << c.height;
    }
}

TEST(KivPNGReader, ImageDataBeforeTheHeaderIsRefused) {
    TPngFile file;
    file.Data({0, 1, 2}).Header(2, 1, 8, 0).End();
    EXPECT_EQ(LoadError(file.bytes), "Read Image (PNG): IDAT before IHDR");
}

TEST(KivPNGReader, PaletteTransparency) {
    const TPixels p = RandomPixels(6, 3, 8, 4);
    auto file = [&](const std::vector<uint8_t>& alpha) {
        TPngFile f;
        f.Header(6, 3, 8, 3).Chunk("PLTE", PaletteChunk(8));
        f.Chunk("tRNS", alpha);
        return f.Data(RawRows(p, false)).End().bytes;
    };
    // One clear entry, the rest opaque: a transparent colour, no mask.
    std::vector<uint8_t> single(8, 255);
    single[5] = 0;
    auto load = Load(file(single), true);
    EXPECT_EQ(load->reader.TransparentColor(), 0x01000005);
    EXPECT_TRUE(load->mask.IsEmpty());
    // Fewer alpha bytes than entries: the rest stay opaque.
    load = Load(file({255, 255, 0}), true);
    EXPECT_EQ(load->reader.TransparentColor(), 0x01000002);
    // Two clear entries: no transparent colour, a mask of 255 - alpha per pixel.
    const std::vector<uint8_t> several = {0, 0, 128, 255, 255, 40, 255, 255};
    load = Load(file(several), true);
    EXPECT_EQ(load->reader.TransparentColor(), ColorNone);
    ASSERT_EQ(load->mask.Width(), 6);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 6; ++x) {
            const uint64_t index = p.At(x, y);
            const uint32_t expected = index < 8 ? 255u - several[index] : 0u;
            EXPECT_EQ(load->mask.GetPixel(x, y), expected) << x << "," << y;
        }
    }
    // An empty tRNS stops the load there, silently and without rows.
    load = Load(file({}), true);
    EXPECT_TRUE(load->reader.Aborted());
    EXPECT_TRUE(load->image.IsEmpty());
}

TEST(KivPNGReader, PaletteAlphaIsHandedOutAsRead) {
    struct Case {
        const char* what;
        std::optional<std::vector<uint8_t>> trns; // none: no tRNS chunk
        std::vector<uint8_t> expected;
    };
    const Case cases[] = {
        {"no tRNS", std::nullopt, {}},
        {"one clear entry", std::vector<uint8_t>{255, 0}, {255, 0}},
        {"partial alpha", std::vector<uint8_t>{0, 85, 170}, {0, 85, 170}},
        {"all opaque", std::vector<uint8_t>{255, 255}, {255, 255}},
        {"longer than the palette", std::vector<uint8_t>(6, 7), std::vector<uint8_t>(4, 7)},
    };
    for (const Case& c : cases) {
        TPngFile f;
        f.Header(2, 1, 8, 3).Chunk("PLTE", PaletteChunk(4));
        if (c.trns) f.Chunk("tRNS", *c.trns);
        const auto load = Load(f.Data({0, 0, 1}).End().bytes);
        EXPECT_EQ(load->reader.PaletteAlpha(), c.expected) << c.what;
    }
    // A grey file's transparent grey is a colour, not palette alpha.
    const auto grey = TPngFile().Header(1, 1, 8, 0).Chunk("tRNS", {0, 9}).Data({0, 9}).End();
    EXPECT_TRUE(Load(grey.bytes)->reader.PaletteAlpha().empty());
}

TEST(KivPNGReader, GreyAndColourTransparencyAndBackground) {
    struct Case {
        uint8_t depth, colorType;
        std::vector<uint8_t> trns, bkgd;
        int32_t transparent, background;
    };
    const Case cases[] = {
        {8, 0, {0, 0x40}, {0, 0x41}, 0x404040, 0x414141},
        {16, 0, {0x40, 0x11}, {0x41, 0x22}, 0x404040, 0x414141},
        {2, 0, {0, 2}, {0, 3}, 0x020202, 0x030303},
        {8, 2, {0, 1, 0, 2, 0, 3}, {0, 4, 0, 5, 0, 6}, 0x030201, 0x060504},
        {16, 2, {1, 0, 2, 0, 3, 0}, {4, 9, 5, 9, 6, 9}, 0x030201, 0x060504},
    };
    for (const Case& c : cases) {
        const int32_t bits = c.colorType == 2 ? 3 * c.depth : c.depth;
        const TPixels p = RandomPixels(2, 2, bits, 5);
        const auto file = TPngFile()
                              .Header(2, 2, c.depth, c.colorType)
                              .Chunk("tRNS", c.trns)
                              .Chunk("bKGD", c.bkgd)
                              .Data(RawRows(p, false))
                              .End();
        const auto load = Load(file.bytes);
        EXPECT_EQ(load->reader.TransparentColor(), c.transparent) << int(c.depth);
        EXPECT_EQ(load->reader.BackgroundColor(), c.background) << int(c.depth);
    }
    const auto palette = TPngFile()
                             .Header(1, 1, 8, 3)
                             .Chunk("PLTE", PaletteChunk(4))
                             .Chunk("bKGD", {3})
                             .Data({0, 0})
                             .End();
    EXPECT_EQ(Load(palette.bytes)->reader.BackgroundColor(), 0x01000003);
}

TEST(KivPNGReader, SideInformationAndChunkOrder) {
    std::vector<uint8_t> gama, phys;
    PutBE32(gama, 45455);
    PutBE32(phys, 2835);
    PutBE32(phys, 1417);
    phys.push_back(1);
    std::vector<uint8_t> lateGama;
    PutBE32(lateGama, 100000);
    const auto file = TPngFile()
                          .Header(1, 1, 8, 2)
                          .Chunk("gAMA", gama)
                          .Chunk("sBIT", {5, 6, 5})
                          .Chunk("pHYs", phys)
                          .Chunk("PLTE", PaletteChunk(2))
                          .Chunk("gAMA", lateGama) // after PLTE: ignored
                          .Data({0, 1, 2, 3})
                          .Chunk("bKGD", {0, 1, 0, 1, 0, 1}) // after the image data: ignored
                          .End();
    const auto load = Load(file.bytes);
    EXPECT_DOUBLE_EQ(load->reader.Gamma(), 0.45455);
    EXPECT_EQ(load->reader.SignificantBits(), 0x050605);
    EXPECT_EQ(load->reader.PixelsPerUnitX(), 2835);
    EXPECT_EQ(load->reader.PixelsPerUnitY(), 1417);
    EXPECT_EQ(load->reader.PixelUnit(), 1);
    EXPECT_EQ(load->reader.BackgroundColor(), ColorNone);
    EXPECT_EQ(load->image.GetPixel(0, 0), 0x030201u);
}

TEST(KivPNGReader, TextChunksBuildTheComment) {
    auto text = [](const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); };
    const auto file = TPngFile()
                          .Header(1, 1, 8, 0)
                          .Chunk("tEXt", text(std::string("Title\0First", 11)))
                          .Data({0, 0})
                          .Chunk("tEXt", text(std::string("Author\0Second", 13)))
                          .Chunk("tEXt", text("NoZero"))
                          .End();
    EXPECT_EQ(Load(file.bytes)->reader.Comment(),
              "Title\r\nFirst\r\n\r\nAuthor\r\nSecond\r\n\r\nNoZero\r\n\r\n");

    // An empty tEXt chunk is an empty keyword and text, not a reason to stop loading.
    const auto empty = TPngFile().Header(1, 1, 8, 0).Chunk("tEXt", {}).Data({0, 9}).End();
    const auto load = Load(empty.bytes);
    EXPECT_EQ(load->reader.Comment(), "\r\n\r\n");
    EXPECT_EQ(load->image.GetPixel(0, 0), 9u);
}

std::vector<uint8_t> TextBytes(const std::string& s) {
    return {s.begin(), s.end()};
}

TEST(KivPNGReader, Latin1AndInternationalTextBecomeOneUtf8Comment) {
    using namespace std::string_literals;
    const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"; // 日本語
    const std::string picture = "\xE7\xB5\xB5";                          // 絵
    std::vector<uint8_t> compressed = TextBytes("Author\0\1\0ja\0\0"s);
    const std::vector<uint8_t> z = Deflate(TextBytes(picture));
    compressed.insert(compressed.end(), z.begin(), z.end());
    const auto file = TPngFile()
                          .Header(1, 1, 8, 0)
                          .Chunk("tEXt", TextBytes("Title\0caf\xE9"s))
                          .Chunk("iTXt", TextBytes("Comment\0\0\0\0\0"s + japanese))
                          .Data({0, 9})
                          .Chunk("iTXt", compressed)
                          .End();
    const auto load = Load(file.bytes);
    EXPECT_EQ(load->reader.Comment(), "Title\r\ncaf\xC3\xA9\r\n\r\nComment\r\n" + japanese +
                                          "\r\n\r\nAuthor\r\n" + picture + "\r\n");
    EXPECT_EQ(load->image.GetPixel(0, 0), 9u);
}

// Broken international text is passed over wherever it stands; the picture and the other text
// load as if it were not there.
TEST(KivPNGReader, MalformedInternationalTextDoesNotStopTheLoad) {
    using namespace std::string_literals;
    const TPixels p = RandomPixels(5, 4, 8, 12);
    const std::vector<uint8_t> rows = RawRows(p, false);
    const std::vector<std::string> malformed = {
        "Comment"s,                       // no zero after the keyword
        "Comment\0"s,                     // no flags
        "Comment\0\0\0ja"s,               // the language tag runs to the end
        "Comment\0\2\0\0\0text"s,         // unknown compression flag
        "Comment\0\1\0\0\0not zlib"s,     // compressed flag, data that does not inflate
        "Comment\0\1\0\0\0\x78\x9c\x01"s, // compressed data cut short
        ""s,
    };
    for (const std::string& bad : malformed) {
        SCOPED_TRACE(testing::PrintToString(bad));
        for (const bool beforeData : {true, false}) {
            TPngFile file;
            file.Header(5, 4, 8, 0).Chunk("tEXt", TextBytes("Title\0kept"s));
            if (beforeData) file.Chunk("iTXt", TextBytes(bad));
            file.Data(rows);
            if (!beforeData) file.Chunk("iTXt", TextBytes(bad));
            const auto load = Load(file.End().bytes);
            EXPECT_EQ(load->reader.Comment(), "Title\r\nkept\r\n");
            for (int32_t y = 0; y < 4; ++y)
                for (int32_t x = 0; x < 5; ++x)
                    ASSERT_EQ(load->image.GetPixel(x, y), p.At(x, y)) << x << "," << y;
        }
    }
    // A length that runs past the end of the file, after the image data: the picture stays.
    TPngFile file;
    file.Header(5, 4, 8, 0).Data(rows);
    PutBE32(file.bytes, 1000);
    const std::string rest = "iTXtComment\0\0\0\0\0"s;
    file.bytes.insert(file.bytes.end(), rest.begin(), rest.end());
    const auto load = Load(file.bytes);
    EXPECT_EQ(load->reader.Comment(), "");
    EXPECT_EQ(load->image.GetPixel(4, 3), p.At(4, 3));
}

// A header too short for its fields is refused as such, not blamed on the field that happened
// to read as zero.
TEST(KivPNGReader, ShortHeaderIsNamed) {
    const std::vector<uint8_t> good = Grey8File(2, 2);
    struct TestCase {
        const char* name;
        std::vector<uint8_t> file;
        const char* message;
    };
    std::vector<TestCase> cases;
    for (const size_t length : {0, 5, 12}) {
        TPngFile file;
        std::vector<uint8_t> header(good.begin() + 16, good.begin() + 29);
        header.resize(length);
        file.Chunk("IHDR", header).Data(std::vector<uint8_t>(6, 0)).End();
        cases.push_back(
            {"length field below 13", file.bytes, "Read Header(PNG): Header too short"});
    }
    for (const size_t cut : {16, 17, 22, 28}) // the file ends inside the header's 13 bytes
        cases.push_back({"file cut inside the header",
                         {good.begin(), good.begin() + long(cut)},
                         "Read Header(PNG): Header truncated"});
    for (const TestCase& c : cases)
        EXPECT_EQ(LoadError(c.file), c.message) << c.name << ", " << c.file.size() << " bytes";
    EXPECT_EQ(LoadError(ReadFileBytes(SourcePath("tests/crashers/png/truncated-ihdr.png"))),
              "Read Header(PNG): Header truncated");
}

// A side chunk shorter than its fields is passed over whole: reading on into the CRC and the next
// chunk would lose the chunk framing and with it the image.
TEST(KivPNGReader, ShortSideChunksArePassedOver) {
    struct TestCase {
        const char* type;
        uint8_t colorType;
        std::vector<uint8_t> data;
    };
    const TestCase cases[] = {
        {"gAMA", 0, {0, 1, 2}}, {"sBIT", 2, {5, 6}},          {"pHYs", 0, {0, 0, 0, 1, 0}},
        {"bKGD", 0, {7}},       {"bKGD", 2, {0, 1, 0, 2, 0}}, {"bKGD", 3, {}},
        {"tRNS", 0, {1}},       {"tRNS", 2, {0, 1, 0, 2}},    {"tpNg", 0, {'K', 'i', 'v'}},
    };
    for (const TestCase& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " of colour type " + std::to_string(c.colorType));
        const int32_t bits = c.colorType == 2 ? 24 : 8;
        const std::vector<uint8_t> rows = RawRows(RandomPixels(3, 2, bits, 13), false);
        auto file = [&](bool withShortChunk) {
            TPngFile f;
            f.Header(3, 2, 8, c.colorType);
            if (c.colorType == 3) f.Chunk("PLTE", PaletteChunk(256));
            if (withShortChunk) f.Chunk(c.type, c.data);
            return f.Data(rows).End().bytes;
        };
        const auto load = Load(file(true));
        const auto reference = Load(file(false));
        ASSERT_EQ(load->image.Height(), 2);
        for (int32_t y = 0; y < 2; ++y)
            EXPECT_EQ(RowBytes(load->image, y), RowBytes(reference->image, y)) << "row " << y;
        EXPECT_EQ(load->reader.Gamma(), 0);
        EXPECT_EQ(load->reader.SignificantBits(), 0);
        EXPECT_EQ(load->reader.PixelsPerUnitX(), 0);
        EXPECT_EQ(load->reader.BackgroundColor(), ColorNone);
        EXPECT_EQ(load->reader.TransparentColor(), ColorNone);
    }
}

TEST(KivPNGReader, ImageDataSplitOverChunks) {
    const TPixels p = RandomPixels(40, 30, 8, 6);
    const std::vector<uint8_t> rows = RawRows(p, false);
    const auto whole = Load(TPngFile().Header(40, 30, 8, 0).Data(rows).End().bytes);
    const std::vector<std::vector<size_t>> splits = {{1}, {1, 1, 1, 1}, {100, 3, 200}, {0}};
    for (const auto& sizes : splits) {
        const auto split = TPngFile().Header(40, 30, 8, 0).Data(rows, sizes).End();
        const auto load = Load(split.bytes);
        for (int32_t y = 0; y < 30; ++y) {
            ASSERT_EQ(RowBytes(load->image, y), RowBytes(whole->image, y))
                << "first chunk " << sizes[0] << ", row " << y;
        }
    }
    // An empty IDAT after the first one, or another chunk while rows are missing.
    const std::vector<uint8_t> z = Deflate(rows);
    const std::vector<uint8_t> head(z.begin(), z.begin() + 50), tail(z.begin() + 50, z.end());
    const auto emptyLater = TPngFile()
                                .Header(40, 30, 8, 0)
                                .Chunk("IDAT", head)
                                .Chunk("IDAT", {})
                                .Chunk("IDAT", tail)
                                .End();
    EXPECT_EQ(LoadError(emptyLater.bytes), "Read Image (PNG): Read Error");
    const auto between = TPngFile()
                             .Header(40, 30, 8, 0)
                             .Chunk("IDAT", head)
                             .Chunk("tEXt", {'a'})
                             .Chunk("IDAT", tail)
                             .End();
    EXPECT_EQ(LoadError(between.bytes), "Read Image (PNG): Read Error");
}

TEST(KivPNGReader, TruncationInsideTheRowsFailsAfterThemLoads) {
    const TPixels p = RandomPixels(20, 20, 8, 7);
    const std::vector<uint8_t> rows = RawRows(p, false);
    const std::vector<uint8_t> full = TPngFile().Header(20, 20, 8, 0).Data(rows).End().bytes;
    const size_t idatEnd = full.size() - 12; // IEND is the last 12 bytes
    for (const size_t cut : {size_t(60), idatEnd - 20, idatEnd - 5}) {
        const std::vector<uint8_t> truncated(full.begin(), full.begin() + long(cut));
        EXPECT_EQ(LoadError(truncated), "Read Image (PNG): Read Error") << "cut at " << cut;
    }
    // Data that ends before the last row, inside complete chunks.
    const std::vector<uint8_t> fewer(rows.begin(), rows.end() - 21);
    EXPECT_EQ(LoadError(TPngFile().Header(20, 20, 8, 0).Data(fewer).End().bytes),
              "Read Image (PNG): Read Error");
    // Without IEND, or without the last CRC: all rows are there.
    for (const size_t cut : {idatEnd, idatEnd - 4}) {
        const std::vector<uint8_t> noEnd(full.begin(), full.begin() + long(cut));
        const auto load = Load(noEnd);
        EXPECT_EQ(load->image.GetPixel(19, 19), p.At(19, 19)) << "cut at " << cut;
    }
}

// A file that ends before its picture is refused saying where it ended; image data that fails
// for another reason is not called cut.
TEST(KivPNGReader, FilesCutShortSayWhere) {
    const TPixels p = RandomPixels(20, 20, 8, 8);
    const std::vector<uint8_t> rows = RawRows(p, false);
    TPngFile head;
    head.Header(20, 20, 8, 3);
    const size_t afterHeader = head.bytes.size();
    head.Chunk("PLTE", PaletteChunk(256));
    const size_t afterPalette = head.bytes.size();
    head.Chunk("tEXt", {'k', 0, 't', 'e', 'x', 't'});
    const size_t afterText = head.bytes.size();
    const std::vector<uint8_t> full = TPngFile(head).Data(rows).End().bytes;
    std::vector<uint8_t> corrupt = Deflate(rows);
    corrupt[corrupt.size() / 2] ^= 0xFF;
    corrupt.resize(corrupt.size() - 8);
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        std::string message;
        bool cut;
        std::string chunk;
    };
    const auto cutAt = [&](size_t length) {
        return std::vector<uint8_t>(full.begin(), full.begin() + long(length));
    };
    const Case cases[] = {
        {"signature only", cutAt(8), "Read Image (PNG): File truncated", true, ""},
        {"after IHDR", cutAt(afterHeader), "Read Image (PNG): File truncated", true, ""},
        {"inside the PLTE length", cutAt(afterHeader + 2), "Read Image (PNG): File truncated", true,
         ""},
        {"inside PLTE", cutAt(afterHeader + 100), "Read Image (PNG): PLTE truncated", true, "PLTE"},
        {"inside the PLTE CRC", cutAt(afterPalette - 2), "Read Image (PNG): PLTE truncated", true,
         "PLTE"},
        {"inside tEXt", cutAt(afterText - 6), "Read Image (PNG): tEXt truncated", true, "tEXt"},
        {"inside IDAT", cutAt(afterText + 30), "Read Image (PNG): Read Error", true, "IDAT"},
        {"corrupt image data", TPngFile(head).Chunk("IDAT", corrupt).End().bytes,
         "Read Image (PNG): Read Error", false, ""},
    };
    for (const Case& c : cases) {
        try {
            Load(c.file);
            ADD_FAILURE() << c.name << ": loaded";
        } catch (const EKivPNG& e) {
            EXPECT_EQ(e.Message(), c.message) << c.name;
            EXPECT_EQ(e.Cut(), c.cut) << c.name;
            EXPECT_EQ(e.CutChunk(), c.chunk) << c.name;
        }
    }
    // Ended where the file is complete but has no picture: not cut, and nothing raised.
    EXPECT_TRUE(Load(TPngFile(head).End().bytes)->image.IsEmpty());
}

// A few bytes cannot inflate to the rows of a large image: such files fail before the image and
// the mask are sized, whatever the header promises.
TEST(KivPNGReader, DataTooShortForTheRowsFailsBeforeSizingTheImage) {
    for (const uint8_t interlace : {0, 1}) {
        for (const uint8_t colorType : {0, 4}) {
            const auto file =
                TPngFile().Header(8000, 8000, 8, colorType, interlace).Data({0, 0, 0}).End();
            TLoad load;
            load.reader.Mask = &load.mask;
            TCustomMemoryStream stream(file.bytes.data(), int64_t(file.bytes.size()));
            try {
                load.reader.LoadFromStream(load.image, stream, 0);
                ADD_FAILURE() << "loaded";
            } catch (const EKivPNG& e) {
                EXPECT_EQ(e.Message(), "Read Image (PNG): Read Error");
            }
            EXPECT_TRUE(load.image.IsEmpty())
                << "interlace " << int(interlace) << " type " << int(colorType);
            EXPECT_TRUE(load.mask.IsEmpty())
                << "interlace " << int(interlace) << " type " << int(colorType);
        }
    }
}

// The channel layout of 16-bit pixels an image held before must not stop it from taking
// indexed or 24-bit rows.
TEST(KivPNGReader, TargetThatHeldSixteenBitPixelsLoads) {
    const std::vector<uint8_t> grey = Grey8File(3, 2);
    const std::vector<uint8_t> rgb =
        TPngFile().Header(1, 1, 8, 2).Data({0, 10, 20, 30}).End().bytes;
    for (const auto& [file, bits] : {std::pair{grey, 8}, std::pair{rgb, 24}}) {
        TDIB image;
        image.WantedLayout = MakeLayout(5, 6, 5);
        image.Resize(2, 2, 16);
        TKivPNGReadStream reader;
        TCustomMemoryStream stream(file.data(), int64_t(file.size()));
        reader.LoadFromStream(image, stream, 0);
        EXPECT_EQ(image.BitCount(), bits);
    }
}

TEST(KivPNGReader, WrongChunkCrcsAreIgnored) {
    const TPixels p = RandomPixels(3, 3, 8, 8);
    TPngFile file;
    file.bytes.clear();
    file.bytes.assign(PngSignature.begin(), PngSignature.end());
    std::vector<uint8_t> header;
    PutBE32(header, 3);
    PutBE32(header, 3);
    header.insert(header.end(), {8, 0, 0, 0, 0});
    file.Chunk("IHDR", header, true).Chunk("IDAT", Deflate(RawRows(p, false)), true);
    file.Chunk("IEND", {}, true);
    const auto load = Load(file.bytes);
    EXPECT_EQ(load->image.GetPixel(2, 2), p.At(2, 2));
}

TEST(KivPNGReader, MacBinaryWrappedFileLoadsFromAFileStream) {
    const TPixels p = RandomPixels(300, 300, 24, 9); // noise: well over 64 KiB compressed
    const std::vector<uint8_t> png =
        TPngFile().Header(300, 300, 8, 2).Data(RawRows(p, false)).End().bytes;
    ASSERT_GT(png.size(), 65536u);
    std::vector<uint8_t> wrapped(128, 0x20);
    wrapped[0] = 0;
    wrapped[74] = 0;
    wrapped.insert(wrapped.end(), png.begin(), png.end());
    const std::string path = MakeTempDir() + "/wrapped.png";
    WriteFileBytes(path, wrapped);
    TDIB image;
    TKivPNGReadStream reader;
    TFileStream stream(path, TFileStream::fmOpenRead);
    reader.LoadFromStream(image, stream, 0);
    EXPECT_TRUE(reader.MacBinarySkipped());
    const auto bare = Load(png);
    for (int32_t y = 0; y < 300; ++y)
        ASSERT_EQ(RowBytes(image, y), RowBytes(bare->image, y)) << y;
    EXPECT_EQ(stream.Position(), int64_t(wrapped.size()));
}

TEST(KivPNGReader, StreamStopsRightAfterIend) {
    std::vector<uint8_t> bytes = Grey8File(4, 4);
    const size_t pngSize = bytes.size();
    bytes.insert(bytes.end(), {'m', 'o', 'r', 'e'});
    TDIB image;
    TKivPNGReadStream reader;
    TCustomMemoryStream stream(bytes.data(), int64_t(bytes.size()));
    reader.LoadFromStream(image, stream, 0);
    EXPECT_EQ(stream.Position(), int64_t(pngSize));
}

TEST(KivPNGReader, PrivateChunkAsksForTheKeyAndRowsGoThroughTheHook) {
    // Rows as a writer with an encoding hook makes them: each raw row XOR-ed with the key,
    // then filtered (Up) against the previous encoded row.
    const uint8_t key = 0x5A;
    const TPixels p = RandomPixels(6, 4, 8, 10);
    std::vector<uint8_t> rows, previous(6, 0);
    for (int32_t y = 0; y < 4; ++y) {
        rows.push_back(2);
        std::vector<uint8_t> encoded(6);
        for (int32_t x = 0; x < 6; ++x)
            encoded[size_t(x)] = uint8_t(p.At(x, y) ^ key);
        for (size_t x = 0; x < 6; ++x)
            rows.push_back(uint8_t(encoded[x] - previous[x]));
        previous = encoded;
    }
    std::vector<uint8_t> chunk;
    PutBE32(chunk, PrivateChunkMagic);
    chunk.push_back(1);
    chunk.resize(PrivateChunkSize, 0);
    const auto file = TPngFile().Header(6, 4, 8, 0).Chunk("tpNg", chunk).Data(rows).End();

    TDIB image;
    TKivPNGReadStream reader;
    reader.KeyText = "offered";
    std::vector<int32_t> rowNumbers;
    reader.OnKeyRequest = [](TKivPNGReadStream&, std::string& keyText) {
        EXPECT_EQ(keyText, "offered");
        keyText = "changed";
    };
    reader.OnDecodeRow = [&](TKivPNGReadStream&, uint8_t* data, const std::string& keyText,
                             int32_t rowNumber, int32_t length) {
        EXPECT_EQ(keyText, "changed");
        EXPECT_EQ(length, 6);
        rowNumbers.push_back(rowNumber);
        for (int32_t i = 0; i < length; ++i)
            data[i] ^= key;
    };
    TCustomMemoryStream stream(file.bytes.data(), int64_t(file.bytes.size()));
    reader.LoadFromStream(image, stream, 0);
    EXPECT_EQ(rowNumbers, (std::vector<int32_t>{0, 1, 2, 3}));
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(image.GetPixel(x, y), p.At(x, y)) << x << "," << y;
    }
}

TEST(KivPNGReader, EmptyStreamLoadsNothing) {
    TDIB image;
    TKivPNGReadStream reader;
    TMemoryStream empty;
    reader.LoadFromStream(image, empty, 0);
    EXPECT_TRUE(image.IsEmpty());
}

// Inputs the fuzzer found troublesome (tests/crashers/png) and its seeds: each loads or is
// refused with one of the core's exceptions.
TEST(KivPNGReader, FuzzFindingsAndSeedsLoadOrFailCleanly) {
    std::vector<std::string> files = FilesIn(SourcePath("tests/crashers/png"));
    for (const std::string& seed : FilesIn(SourcePath("fuzz/corpus/png")))
        files.push_back(seed);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = ReadFileBytes(file);
        TDIB image, mask;
        TKivPNGReadStream reader;
        reader.Mask = &mask;
        TCustomMemoryStream stream(bytes.data(), int64_t(bytes.size()));
        try {
            reader.LoadFromStream(image, stream, 0);
        } catch (const Exception&) {
        }
    }
}

TEST(KivPNGReader, ProgressRunsFromStartToEndThroughRisingPercents) {
    const std::vector<uint8_t> bytes = Grey8File(16, 40);
    TDIB image;
    std::vector<std::pair<TProgressStage, int>> reports;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const TRect&,
                           const std::string&) { reports.emplace_back(stage, percent); };
    TKivPNGReadStream reader;
    TCustomMemoryStream stream(bytes.data(), int64_t(bytes.size()));
    reader.LoadFromStream(image, stream, 0);
    ASSERT_GE(reports.size(), 4u) << "start, some rows, end";
    EXPECT_EQ(reports.front(), std::make_pair(TProgressStage::Starting, 0));
    EXPECT_EQ(reports.back(), std::make_pair(TProgressStage::Ending, 100));
    for (size_t i = 1; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].first, TProgressStage::Running);
        EXPECT_GT(reports[i].second, reports[i - 1].second) << "report " << i;
    }
}

// Many small IDAT chunks, their headers now inside and now across the 64 KiB read buffer.
TEST(KivPNGReader, ManySmallDataChunksFromAFileStream) {
    const TPixels p = RandomPixels(300, 200, 24, 11);
    const std::vector<uint8_t> rows = RawRows(p, false);
    const std::vector<size_t> sizes(170, 997); // the rest goes into one last chunk
    const std::vector<uint8_t> png =
        TPngFile().Header(300, 200, 8, 2).Data(rows, sizes).End().bytes;
    ASSERT_GT(png.size(), 2 * 65536u);
    const std::string path = MakeTempDir() + "/chunks.png";
    WriteFileBytes(path, png);
    TDIB image;
    TKivPNGReadStream reader;
    TFileStream stream(path, TFileStream::fmOpenRead);
    reader.LoadFromStream(image, stream, 0);
    const auto whole = Load(TPngFile().Header(300, 200, 8, 2).Data(rows).End().bytes);
    for (int32_t y = 0; y < 150; ++y)
        ASSERT_EQ(RowBytes(image, y), RowBytes(whole->image, y)) << y;
    EXPECT_EQ(stream.Position(), int64_t(png.size()));
}

namespace {

// Everything a load leaves behind that the caller can see.
struct TOutcome {
    std::string error;
    std::vector<std::vector<uint8_t>> rows; // as handed to the row hook, in order
    std::string comment;
    std::vector<int> progress;
    int64_t position = 0;
    bool whole = false;
};

TOutcome LoadOutcome(TStream& stream, bool wholeInflate) {
    TOutcome outcome;
    TDIB image;
    image.OnProgress = [&](TGraphic&, TProgressStage, int percent, bool, const TRect&,
                           const std::string&) { outcome.progress.push_back(percent); };
    TKivPNGReadStream reader;
    reader.WholeInflate = wholeInflate;
    // Rows that a failing load did not reach stay undefined in the image: the hook shows which
    // rows were delivered.
    reader.KeyText = "key";
    reader.OnDecodeRow = [&](TKivPNGReadStream&, uint8_t* data, const std::string&, int32_t,
                             int32_t length) { outcome.rows.emplace_back(data, data + length); };
    try {
        reader.LoadFromStream(image, stream, 0);
    } catch (const EKivPNG& e) {
        outcome.error = e.Message();
    }
    outcome.comment = reader.Comment();
    outcome.position = stream.Position();
    outcome.whole = reader.InflatedWhole();
    return outcome;
}

// A zlib stream of data that asks for a preset dictionary.
std::vector<uint8_t> DeflateWithDictionary(const std::vector<uint8_t>& data) {
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, 6), Z_OK);
    const uint8_t dictionary[] = {1, 2, 3, 4};
    EXPECT_EQ(deflateSetDictionary(&z, dictionary, sizeof dictionary), Z_OK);
    std::vector<uint8_t> out(deflateBound(&z, uLong(data.size())));
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

} // namespace

// Complete, intact image data is inflated in one call; anything else goes through the streaming
// inflate. Either way the load ends exactly as the streaming inflate alone makes it end: the same
// rows (a partial image included), message, comment, progress and stream position, from memory
// and from a file.
TEST(KivPNGReader, WholeInflateOnlyForCompleteDataAndTheSameOutcomeEitherWay) {
    const TPixels p = RandomPixels(40, 30, 8, 12);
    const std::vector<uint8_t> rows = RawRows(p, false);
    const std::vector<uint8_t> z = Deflate(rows);
    const std::vector<uint8_t> head(z.begin(), z.begin() + 50), tail(z.begin() + 50, z.end());
    std::vector<uint8_t> askForKey;
    PutBE32(askForKey, PrivateChunkMagic);
    askForKey.push_back(1);
    askForKey.resize(PrivateChunkSize, 0);
    const auto grey = [&] { return TPngFile().Header(40, 30, 8, 0).Chunk("tpNg", askForKey); };
    std::vector<uint8_t> badCheck = z;
    badCheck.back() ^= 1;
    std::vector<uint8_t> badBlock = z;
    badBlock[2] |= 6; // block type 3, which does not exist
    std::vector<uint8_t> longer = rows;
    longer.insert(longer.end(), 41, 0);
    const std::vector<uint8_t> fewer(rows.begin(), rows.end() - 41);
    const std::vector<uint8_t> full = grey().Data(rows).End().bytes;
    const TPixels small = RandomPixels(9, 9, 4, 13);
    // Large enough for the streaming inflate to deliver rows before the cut.
    const std::vector<uint8_t> large = TPngFile()
                                           .Header(1000, 600, 8, 0)
                                           .Chunk("tpNg", askForKey)
                                           .Data(RawRows(RandomPixels(1000, 600, 8, 14), false))
                                           .End()
                                           .bytes;
    std::vector<uint8_t> complete = grey().Chunk("IDAT", z).bytes;
    complete.insert(complete.end(), {0, 0, 0, 200, 'I', 'D', 'A', 'T', 1, 2});

    struct TCase {
        const char* name;
        std::vector<uint8_t> file;
        bool whole;
    };
    const std::vector<TCase> cases = {
        {"one chunk", full, true},
        {"many chunks", grey().Data(rows, {100, 3, 200, 1}).End().bytes, true},
        {"empty first chunk", grey().Data(rows, {0}).End().bytes, true},
        {"Adam7, 4 bits",
         TPngFile()
             .Header(9, 9, 4, 3, 1)
             .Chunk("tpNg", askForKey)
             .Chunk("PLTE", PaletteChunk(16))
             .Data(RawRows(small, true), {5})
             .End()
             .bytes,
         true},
        {"text after the data",
         grey().Data(rows).Chunk("tEXt", TextBytes(std::string("k\0v", 3))).End().bytes, true},
        {"empty chunk after the data", grey().Data(rows).Chunk("IDAT", {}).End().bytes, true},
        {"no IEND", {full.begin(), full.end() - 12}, true},
        {"no last CRC", {full.begin(), full.end() - 16}, true},
        {"cut inside the data", {full.begin(), full.begin() + 90}, false},
        {"cut inside a large image", {large.begin(), large.begin() + 400000}, false},
        {"stream ends before the rows", grey().Data(fewer).End().bytes, false},
        {"stream longer than the rows", grey().Data(longer).End().bytes, false},
        {"wrong checksum", grey().Chunk("IDAT", badCheck).End().bytes, false},
        {"corrupt block", grey().Chunk("IDAT", badBlock).End().bytes, false},
        {"preset dictionary", grey().Chunk("IDAT", DeflateWithDictionary(rows)).End().bytes, false},
        {"empty chunk inside the data",
         grey().Chunk("IDAT", head).Chunk("IDAT", {}).Chunk("IDAT", tail).End().bytes, false},
        {"other chunk inside the data",
         grey().Chunk("IDAT", head).Chunk("tEXt", {'a'}).Chunk("IDAT", tail).End().bytes, false},
        {"cut chunk after the stream's end", complete, false},
    };
    const std::string path = MakeTempDir() + "/case.png";
    for (const TCase& c : cases) {
        WriteFileBytes(path, c.file);
        for (const bool fromFile : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (fromFile ? ", file" : ", memory"));
            const auto load = [&](bool wholeInflate) {
                if (!fromFile) {
                    TCustomMemoryStream stream(c.file.data(), int64_t(c.file.size()));
                    return LoadOutcome(stream, wholeInflate);
                }
                TFileStream stream(path, TFileStream::fmOpenRead);
                return LoadOutcome(stream, wholeInflate);
            };
            const TOutcome streamed = load(false), chosen = load(true);
            EXPECT_FALSE(streamed.whole);
            EXPECT_EQ(chosen.whole, c.whole);
            EXPECT_EQ(chosen.error, streamed.error);
            EXPECT_TRUE(chosen.rows == streamed.rows)
                << chosen.rows.size() << " / " << streamed.rows.size() << " rows";
            if (std::string(c.name) == "cut inside a large image") {
                EXPECT_GT(chosen.rows.size(), 0u) << "a partial image";
            }
            EXPECT_EQ(chosen.comment, streamed.comment);
            EXPECT_EQ(chosen.progress, streamed.progress);
            EXPECT_EQ(chosen.position, streamed.position);
        }
    }
}

namespace {

// Plain image data with every odd row Up-filtered, so that unfiltering needs the row above as
// it was unfiltered; rowLength counts the filter byte.
std::vector<uint8_t> UpFilterOddRows(std::vector<uint8_t> rows, size_t rowLength) {
    for (size_t start = rowLength; start + rowLength <= rows.size(); start += 2 * rowLength) {
        rows[start] = 2;
        for (size_t i = 1; i < rowLength; ++i)
            rows[start + i] = uint8_t(rows[start + i] - rows[start - rowLength + i]);
    }
    return rows;
}

struct TRowsLoad {
    TDIB image;
    std::string error;
};

TRowsLoad LoadRows(const std::vector<uint8_t>& file, bool wholeInflate, bool hook) {
    TRowsLoad load;
    TKivPNGReadStream reader;
    reader.WholeInflate = wholeInflate;
    reader.KeyText = "key";
    if (hook) {
        reader.OnDecodeRow = [](TKivPNGReadStream&, uint8_t* data, const std::string&, int32_t,
                                int32_t length) {
            for (int32_t i = 0; i < length; ++i)
                data[i] ^= 0x5A;
        };
    }
    TCustomMemoryStream stream(file.data(), int64_t(file.size()));
    try {
        reader.LoadFromStream(load.image, stream, 0);
    } catch (const EKivPNG& e) {
        load.error = e.Message();
    }
    return load;
}

} // namespace

// Wholly inflated rows stay where they were inflated, the image taking the buffer over, when a
// file row is exactly an image row; the pixels, padding, errors and saved BMP are those of the
// streaming decode either way.
TEST(KivPNGReader, InflatedRowsBecomeTheImageOnlyWhenTheLayoutAllows) {
    std::vector<uint8_t> askForKey;
    PutBE32(askForKey, PrivateChunkMagic);
    askForKey.push_back(1);
    askForKey.resize(PrivateChunkSize, 0);
    struct TCase {
        const char* name;
        uint32_t width, height;
        uint8_t depth, colorType, interlace;
        bool hook;
        int32_t badFilterRow; // -1: none
        bool inPlace;
    };
    const TCase cases[] = {
        {"palette, 8 bits, width 40", 40, 30, 8, 3, 0, false, -1, true},
        {"grey, 8 bits, width 41 (padded rows)", 41, 30, 8, 0, 0, false, -1, false},
        {"grey, 1 bit, width 64", 64, 9, 1, 0, 0, false, -1, true},
        {"grey, 1 bit, width 40 (padded rows)", 40, 9, 1, 0, 0, false, -1, false},
        {"palette, 4 bits, width 16", 16, 9, 4, 3, 0, false, -1, true},
        {"grey, 2 bits (widened)", 32, 9, 2, 0, 0, false, -1, false},
        {"RGB, width 16", 16, 9, 8, 2, 0, false, -1, true},
        {"RGB, width 15 (padded rows)", 15, 9, 8, 2, 0, false, -1, false},
        {"RGB, 16 bits (narrowed)", 16, 9, 16, 2, 0, false, -1, false},
        {"Adam7", 40, 30, 8, 3, 1, false, -1, false},
        {"row hook", 40, 30, 8, 3, 0, true, -1, false},
        {"bad filter type in row 7", 40, 30, 8, 3, 0, false, 7, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t samples = c.colorType == 2 ? 3 : 1;
        const TPixels p = RandomPixels(int32_t(c.width), int32_t(c.height), c.depth * samples, 21);
        std::vector<uint8_t> rows = RawRows(p, c.interlace != 0);
        const size_t rowLength = size_t(1 + PngRowBytes(c.width, c.depth * samples));
        if (c.interlace == 0) rows = UpFilterOddRows(rows, rowLength);
        if (c.badFilterRow >= 0) rows[size_t(c.badFilterRow) * rowLength] = 9;
        TPngFile file;
        file.Header(c.width, c.height, c.depth, c.colorType, c.interlace);
        if (c.hook) file.Chunk("tpNg", askForKey);
        if (c.colorType == 3) file.Chunk("PLTE", PaletteChunk(1 << c.depth));
        const std::vector<uint8_t> bytes = file.Data(rows).End().bytes;

        const TRowsLoad streamed = LoadRows(bytes, false, c.hook);
        const TRowsLoad whole = LoadRows(bytes, true, c.hook);
        EXPECT_TRUE(streamed.image.HasBmpLayout());
        EXPECT_EQ(whole.image.HasBmpLayout(), !c.inPlace);
        EXPECT_EQ(whole.error, streamed.error);
        EXPECT_EQ(whole.error.empty(), c.badFilterRow < 0);
        const int32_t loadedRows = c.badFilterRow >= 0 ? c.badFilterRow : int32_t(c.height);
        ASSERT_EQ(whole.image.Stride(), streamed.image.Stride());
        for (int32_t y = 0; y < loadedRows; ++y) {
            EXPECT_EQ(std::memcmp(whole.image.RowForRead(y), streamed.image.RowForRead(y),
                                  size_t(streamed.image.Stride())),
                      0)
                << "row " << y;
        }
        if (c.badFilterRow >= 0) continue;
        TMemoryStream wholeBmp, streamedBmp;
        whole.image.SaveAsBmp(wholeBmp);
        streamed.image.SaveAsBmp(streamedBmp);
        EXPECT_TRUE(wholeBmp.Bytes() == streamedBmp.Bytes());
    }
}

// Interlaced data inflated whole is put together row by row (8-bit indices and greys) or
// scattered over an image cleared only where no pass writes; either way every byte of every row,
// padding included, is that of the streaming decode, and so is the partial image and message of a
// file with a bad filter type in a middle pass.
TEST(KivPNGReader, InterlacedWholeDataGivesTheStreamingImage) {
    struct TKind {
        const char* name;
        uint8_t depth, colorType;
    };
    const TKind kinds[] = {{"palette 8", 8, 3},
                           {"grey 8", 8, 0},
                           {"RGB 8", 8, 2},
                           {"grey alpha 8", 8, 4},
                           {"palette 4", 4, 3}};
    for (const TKind& kind : kinds) {
        const int32_t samples = kind.colorType == 2 ? 3 : kind.colorType == 4 ? 2 : 1;
        // Every phase of the passes up to 17; wide rows for the interleaving by 16 bytes.
        std::vector<uint32_t> sizes;
        for (uint32_t n = 1; n <= 17; ++n)
            sizes.push_back(n);
        for (const uint32_t n : {63u, 64u, 65u, 130u})
            sizes.push_back(n);
        for (const uint32_t width : sizes) {
            for (const uint32_t height : sizes) {
                for (const bool badFilter : {false, true}) {
                    SCOPED_TRACE(std::string(kind.name) + ", " + std::to_string(width) + "x" +
                                 std::to_string(height) + (badFilter ? ", bad filter" : ""));
                    const TPixels p = RandomPixels(int32_t(width), int32_t(height),
                                                   kind.depth * samples, width * 31 + height);
                    std::vector<uint8_t> rows = RawRows(p, true);
                    if (badFilter) {
                        // The first row of the first pass past the third that has rows.
                        size_t at = 0;
                        for (size_t pass = 0; pass < Adam7Passes.size(); ++pass) {
                            const TPngPass& s = Adam7Passes[pass];
                            const int64_t w = PassExtent(width, s.xStart, s.xStep);
                            const int64_t h = PassExtent(height, s.yStart, s.yStep);
                            if (w == 0 || h == 0) continue;
                            if (pass >= 3) break;
                            at += size_t(h * (1 + PngRowBytes(w, kind.depth * samples)));
                        }
                        if (at >= rows.size()) continue;
                        rows[at] = 9;
                    }
                    TPngFile file;
                    file.Header(width, height, kind.depth, kind.colorType, 1);
                    if (kind.colorType == 3) file.Chunk("PLTE", PaletteChunk(1 << kind.depth));
                    const std::vector<uint8_t> bytes = file.Data(rows).End().bytes;
                    const TRowsLoad streamed = LoadRows(bytes, false, false);
                    const TRowsLoad whole = LoadRows(bytes, true, false);
                    EXPECT_EQ(whole.error, streamed.error);
                    EXPECT_EQ(whole.error.empty(), !badFilter);
                    ASSERT_EQ(whole.image.Stride(), streamed.image.Stride());
                    for (int32_t y = 0; y < int32_t(height); ++y)
                        ASSERT_EQ(std::memcmp(whole.image.RowForRead(y),
                                              streamed.image.RowForRead(y),
                                              size_t(streamed.image.Stride())),
                                  0)
                            << "row " << y;
                }
            }
        }
    }
}
