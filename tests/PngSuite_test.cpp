// Every PngSuite file through the reader. Valid files must give what libpng decodes, mapped the
// way the reader maps samples to indexed images; the corrupt x* files must fail with one of the
// reader's messages or load, never crash.
#include "PngTestUtil.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivPNGCommon.h"
#include "png/KivPNGReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

// A file as libpng decodes it, with the transparency its tRNS chunk declares.
struct TPeerImage {
    TLibpngImage decoded;
    std::vector<uint8_t> paletteAlpha; // palette files: one byte per entry from the first
    bool hasColorKey = false;
    uint16_t key[3] = {}; // grey, or red, green, blue

    // Sample c of pixel x as the reader keeps it: sub-byte values as they are, 16-bit samples
    // by their high byte.
    unsigned Sample(uint32_t y, uint32_t x, int c) const {
        const size_t index = size_t(x) * size_t(decoded.Channels) + size_t(c);
        return decoded.BitDepth == 16 ? decoded.Rows[y][2 * index] : decoded.Rows[y][index];
    }
};

TPeerImage DecodeWithPeer(const std::vector<uint8_t>& bytes) {
    TPeerImage peer;
    peer.decoded = DecodeWithLibpng(bytes);
    for (const TPngChunk& chunk : ParsePngChunks(bytes)) {
        if (chunk.Type != "tRNS") continue;
        if (peer.decoded.ColorType == PNG_COLOR_TYPE_PALETTE) {
            peer.paletteAlpha = chunk.Data;
        } else {
            peer.hasColorKey = true;
            for (size_t i = 0; i < 3 && 2 * i + 1 < chunk.Data.size(); ++i) {
                peer.key[i] = uint16_t(chunk.Data[2 * i] << 8 | chunk.Data[2 * i + 1]);
            }
        }
    }
    return peer;
}

// Every tEXt (ASCII in the suite) and iTXt text that libpng finds is in the comment, in UTF-8.
void CompareTextsWithPeer(const TLibpngImage& decoded, const std::string& comment) {
    for (const TLibpngText& text : decoded.Texts) {
        if (text.Compression == PNG_TEXT_COMPRESSION_zTXt) continue; // not read
        EXPECT_NE(comment.find(text.Key + "\r\n" + text.Text + "\r\n"), std::string::npos)
            << text.Key;
    }
}

std::string Describe(const std::string& name, uint32_t x, uint32_t y) {
    return name + " at " + std::to_string(x) + "," + std::to_string(y);
}

void CompareWithPeer(const std::string& name, const TPeerImage& peer, const TDIB& image,
                     const TDIB& mask, const TKivPNGReadStream& reader) {
    const TLibpngImage& decoded = peer.decoded;
    ASSERT_EQ(uint32_t(image.Width()), decoded.Width) << name;
    ASSERT_EQ(uint32_t(image.Height()), decoded.Height) << name;
    const bool grey = (decoded.ColorType & PNG_COLOR_MASK_COLOR) == 0;
    const bool palette = decoded.ColorType == PNG_COLOR_TYPE_PALETTE;
    const bool alpha = (decoded.ColorType & PNG_COLOR_MASK_ALPHA) != 0;
    const int expectedBits = grey || palette ? (alpha || decoded.BitDepth == 16 ? 8
                                                : decoded.BitDepth == 2         ? 4
                                                                                : decoded.BitDepth)
                                             : 24;
    ASSERT_EQ(image.BitCount(), expectedBits) << name;
    EXPECT_EQ(reader.HasAlpha(), alpha) << name;
    EXPECT_EQ(reader.Grayscale(), grey) << name;

    // Palette: the file's entries, or a grey ramp over the depth's values.
    if (palette) {
        for (size_t i = 0; i < decoded.Palette.size(); ++i) {
            const png_color c = decoded.Palette[i];
            EXPECT_EQ(image.PaletteBlock[i], (TPaletteEntry{c.blue, c.green, c.red, 0}))
                << name << " entry " << i;
        }
    } else if (grey) {
        const int depth = std::min(decoded.BitDepth, 8);
        const int step = 255 / ((1 << depth) - 1);
        for (int i = 0; i < (1 << depth); ++i) {
            const uint8_t g = uint8_t(i * step);
            EXPECT_EQ(image.PaletteBlock[size_t(i)], (TPaletteEntry{g, g, g, 0}))
                << name << " ramp " << i;
        }
    }

    for (uint32_t y = 0; y < decoded.Height; ++y) {
        for (uint32_t x = 0; x < decoded.Width; ++x) {
            const uint32_t got = image.GetPixel(int32_t(x), int32_t(y));
            const uint32_t expected =
                grey || palette
                    ? peer.Sample(y, x, 0)
                    : peer.Sample(y, x, 2) << 16 | peer.Sample(y, x, 1) << 8 | peer.Sample(y, x, 0);
            ASSERT_EQ(got, expected) << Describe(name, x, y);
            if (alpha) {
                ASSERT_EQ(mask.GetPixel(int32_t(x), int32_t(y)),
                          255 - peer.Sample(y, x, decoded.Channels - 1))
                    << "mask of " << Describe(name, x, y);
            }
        }
    }

    // Transparency: a colour key as a colour value; palette alpha as one transparent entry,
    // or else as a mask.
    if (palette && !peer.paletteAlpha.empty()) {
        std::vector<uint8_t> alphas(256, 255);
        std::copy(peer.paletteAlpha.begin(), peer.paletteAlpha.end(), alphas.begin());
        const auto used = alphas.begin() + long(decoded.Palette.size());
        const long clear = std::count(alphas.begin(), used, 0);
        const long opaque = std::count(alphas.begin(), used, 255);
        if (clear == 1 && clear + opaque == long(decoded.Palette.size())) {
            const long index = std::find(alphas.begin(), used, 0) - alphas.begin();
            EXPECT_EQ(reader.TransparentColor(), ColorPaletteIndex | int32_t(index)) << name;
        } else {
            EXPECT_EQ(reader.TransparentColor(), ColorNone) << name;
            for (uint32_t y = 0; y < decoded.Height; ++y) {
                for (uint32_t x = 0; x < decoded.Width; ++x) {
                    ASSERT_EQ(mask.GetPixel(int32_t(x), int32_t(y)),
                              255u - alphas[peer.Sample(y, x, 0)])
                        << "palette mask of " << Describe(name, x, y);
                }
            }
        }
    } else if (peer.hasColorKey) {
        const bool wide = decoded.BitDepth == 16;
        auto byte = [&](uint16_t v) { return uint32_t(wide ? v >> 8 : v & 0xFF); };
        const uint32_t expected =
            grey ? byte(peer.key[0]) * 0x010101u
                 : byte(peer.key[2]) << 16 | byte(peer.key[1]) << 8 | byte(peer.key[0]);
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
        const TPeerImage peer = DecodeWithPeer(bytes);
        ASSERT_EQ(peer.decoded.Error, "") << "libpng refuses a file the suite calls valid";
        CompareWithPeer(name, peer, image, mask, reader);
        CompareTextsWithPeer(peer.decoded, reader.Comment());
        ++compared;
    }
    EXPECT_EQ(compared, int(names.size() - CorruptFiles.size()));
}
