// Every PngSuite file through the reader. Valid files must give what libpng decodes, mapped the
// way the reader maps samples to indexed images; the corrupt x* files must fail with one of the
// reader's messages or load, never crash.
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivPNGCommon.h"
#include "png/KivPNGReader.h"

#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <filesystem>
#include <map>

namespace {

// A file as libpng sees it: samples at their own depth, rows de-interlaced.
struct TPeerImage {
    uint32_t width = 0, height = 0;
    int depth = 0, colorType = 0, channels = 0;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<png_color> palette;
    std::vector<uint8_t> paletteAlpha;
    bool hasColorKey = false;
    png_color_16 colorKey{};

    // Sample c of pixel x as the reader keeps it: sub-byte values as they are, 16-bit samples
    // by their high byte.
    unsigned Sample(uint32_t y, uint32_t x, int c) const {
        const uint8_t* row = rows[y].data();
        if (depth < 8) {
            const size_t bit = size_t(x) * size_t(depth);
            return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
        }
        const size_t index = size_t(x) * size_t(channels) + size_t(c);
        return depth == 16 ? row[2 * index] : row[index];
    }
};

bool DecodeWithLibpng(const std::vector<uint8_t>& bytes, TPeerImage& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    struct TSource {
        const std::vector<uint8_t>* bytes;
        size_t at;
    } source{&bytes, 0};
    png_set_read_fn(png, &source, [](png_structp p, png_bytep data, png_size_t n) {
        auto* s = static_cast<TSource*>(png_get_io_ptr(p));
        if (s->at + n > s->bytes->size()) png_error(p, "short");
        std::copy_n(s->bytes->begin() + long(s->at), n, data);
        s->at += n;
    });
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_read_info(png, info);
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.depth = png_get_bit_depth(png, info);
    out.colorType = png_get_color_type(png, info);
    out.channels = png_get_channels(png, info);
    png_colorp palette = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &palette, &count)) out.palette.assign(palette, palette + count);
    png_bytep alpha = nullptr;
    png_color_16p key = nullptr;
    int alphaCount = 0;
    if (png_get_tRNS(png, info, &alpha, &alphaCount, &key)) {
        if (out.colorType == PNG_COLOR_TYPE_PALETTE) {
            out.paletteAlpha.assign(alpha, alpha + alphaCount);
        } else {
            out.hasColorKey = true;
            out.colorKey = *key;
        }
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.rows.assign(out.height, std::vector<uint8_t>(png_get_rowbytes(png, info)));
    std::vector<png_bytep> pointers;
    for (auto& row : out.rows)
        pointers.push_back(row.data());
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

std::string Describe(const std::string& name, uint32_t x, uint32_t y) {
    return name + " at " + std::to_string(x) + "," + std::to_string(y);
}

void CompareWithPeer(const std::string& name, const TPeerImage& peer, const TDIB& image,
                     const TDIB& mask, const TKivPNGReadStream& reader) {
    ASSERT_EQ(uint32_t(image.Width()), peer.width) << name;
    ASSERT_EQ(uint32_t(image.Height()), peer.height) << name;
    const bool grey = (peer.colorType & PNG_COLOR_MASK_COLOR) == 0;
    const bool palette = peer.colorType == PNG_COLOR_TYPE_PALETTE;
    const bool alpha = (peer.colorType & PNG_COLOR_MASK_ALPHA) != 0;
    const int expectedBits = grey || palette ? (alpha || peer.depth == 16 ? 8
                                                : peer.depth == 2         ? 4
                                                                          : peer.depth)
                                             : 24;
    ASSERT_EQ(image.BitCount(), expectedBits) << name;
    EXPECT_EQ(reader.HasAlpha(), alpha) << name;
    EXPECT_EQ(reader.Grayscale(), grey) << name;

    // Palette: the file's entries, or a grey ramp over the depth's values.
    if (palette) {
        for (size_t i = 0; i < peer.palette.size(); ++i) {
            const png_color c = peer.palette[i];
            EXPECT_EQ(image.PaletteBlock[i], (TPaletteEntry{c.blue, c.green, c.red, 0}))
                << name << " entry " << i;
        }
    } else if (grey) {
        const int depth = std::min(peer.depth, 8);
        const int step = 255 / ((1 << depth) - 1);
        for (int i = 0; i < (1 << depth); ++i) {
            const uint8_t g = uint8_t(i * step);
            EXPECT_EQ(image.PaletteBlock[size_t(i)], (TPaletteEntry{g, g, g, 0}))
                << name << " ramp " << i;
        }
    }

    for (uint32_t y = 0; y < peer.height; ++y) {
        for (uint32_t x = 0; x < peer.width; ++x) {
            const uint32_t got = image.GetPixel(int32_t(x), int32_t(y));
            const uint32_t expected =
                grey || palette
                    ? peer.Sample(y, x, 0)
                    : peer.Sample(y, x, 2) << 16 | peer.Sample(y, x, 1) << 8 | peer.Sample(y, x, 0);
            ASSERT_EQ(got, expected) << Describe(name, x, y);
            if (alpha) {
                ASSERT_EQ(mask.GetPixel(int32_t(x), int32_t(y)),
                          255 - peer.Sample(y, x, peer.channels - 1))
                    << "mask of " << Describe(name, x, y);
            }
        }
    }

    // Transparency: a colour key as a colour value; palette alpha as one transparent entry,
    // or else as a mask.
    if (palette && !peer.paletteAlpha.empty()) {
        std::vector<uint8_t> alphas(256, 255);
        std::copy(peer.paletteAlpha.begin(), peer.paletteAlpha.end(), alphas.begin());
        const auto used = alphas.begin() + long(peer.palette.size());
        const long clear = std::count(alphas.begin(), used, 0);
        const long opaque = std::count(alphas.begin(), used, 255);
        if (clear == 1 && clear + opaque == long(peer.palette.size())) {
            const long index = std::find(alphas.begin(), used, 0) - alphas.begin();
            EXPECT_EQ(reader.TransparentColor(), ColorPaletteIndex | int32_t(index)) << name;
        } else {
            EXPECT_EQ(reader.TransparentColor(), ColorNone) << name;
            for (uint32_t y = 0; y < peer.height; ++y) {
                for (uint32_t x = 0; x < peer.width; ++x) {
                    ASSERT_EQ(mask.GetPixel(int32_t(x), int32_t(y)),
                              255u - alphas[peer.Sample(y, x, 0)])
                        << "palette mask of " << Describe(name, x, y);
                }
            }
        }
    } else if (peer.hasColorKey) {
        const bool wide = peer.depth == 16;
        auto byte = [&](png_uint_16 v) { return uint32_t(wide ? v >> 8 : v & 0xFF); };
        const uint32_t expected = grey ? byte(peer.colorKey.gray) * 0x010101u
                                       : byte(peer.colorKey.blue) << 16 |
                                             byte(peer.colorKey.green) << 8 |
                                             byte(peer.colorKey.red);
        EXPECT_EQ(uint32_t(reader.TransparentColor()), expected) << name;
    } else {
        EXPECT_EQ(reader.TransparentColor(), ColorNone) << name;
    }
}

// What each corrupt file does.
const std::map<std::string, std::string> CorruptFiles = {
    {"xc1n0g08.png", "Read Header(PNG): Error ColorType"},
    {"xc9n2c08.png", "Read Header(PNG): Error ColorType"},
    {"xcrn0g04.png", "PNG LoadStream: Not PNG Format"},
    {"xcsn0g01.png", "(loads)"}, // only the IDAT CRC is wrong, and CRCs are not checked
    {"xd0n2c08.png", "Read Header(PNG): Error BitDepth"},
    {"xd3n2c08.png", "Read Header(PNG): Error BitDepth"},
    {"xd9n2c08.png", "Read Header(PNG): Error BitDepth"},
    {"xdtn0g01.png", "(loads)"}, // no image data: nothing to read, nothing wrong on the way
    {"xhdn0g08.png", "(loads)"}, // wrong IHDR CRC
    {"xlfn0g04.png", "PNG LoadStream: Not PNG Format"},
    {"xs1n0g01.png", "PNG LoadStream: Not PNG Format"},
    {"xs2n0g01.png", "PNG LoadStream: Not PNG Format"},
    {"xs4n0g01.png", "PNG LoadStream: Not PNG Format"},
    {"xs7n0g01.png", "PNG LoadStream: Not PNG Format"},
};

} // namespace

TEST(PngSuite, EveryFileDecodesLikeLibpngOrFailsAsExpected) {
    const std::string dir = TestDataPath("pngsuite");
    if (!FileExists(dir)) GTEST_SKIP() << "PngSuite not found at " << dir;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    ASSERT_GT(names.size(), 150u);
    int compared = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = ReadFileBytes(dir + "/" + name);
        TDIB image, mask;
        TKivPNGReadStream reader;
        reader.Mask = &mask;
        TCustomMemoryStream stream(bytes.data(), int64_t(bytes.size()));
        std::string outcome = "(loads)";
        try {
            reader.LoadFromStream(image, stream, 0);
        } catch (const EKivPNG& e) {
            outcome = e.Message();
        }
        const auto corrupt = CorruptFiles.find(name);
        if (corrupt != CorruptFiles.end()) {
            EXPECT_EQ(outcome, corrupt->second);
            continue;
        }
        ASSERT_EQ(outcome, "(loads)");
        TPeerImage peer;
        ASSERT_TRUE(DecodeWithLibpng(bytes, peer)) << "libpng refuses a file the suite calls valid";
        CompareWithPeer(name, peer, image, mask, reader);
        ++compared;
    }
    EXPECT_EQ(compared, int(names.size() - CorruptFiles.size()));
}
