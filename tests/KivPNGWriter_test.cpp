#include "png/KivPNGWriter.h"

#include "PngTestUtil.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivPNGReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>

namespace {

using TConfigure = std::function<void(TKivPNGWriteStream&)>;

std::vector<uint8_t> Encode(const TDIB& image, const TConfigure& configure = {}) {
    TKivPNGWriteStream writer;
    if (configure) configure(writer);
    TMemoryStream out;
    writer.SaveToStream(image, out);
    return out.Bytes();
}

struct TDecoded {
    TDIB Image, Mask;
    bool Grey = false, Alpha = false;
};

TDecoded Decode(const std::vector<uint8_t>& file) {
    TDecoded result;
    TCustomMemoryStream in(file.data(), int64_t(file.size()));
    TKivPNGReadStream reader;
    reader.Mask = &result.Mask;
    reader.LoadFromStream(result.Image, in, 0);
    result.Grey = reader.Grayscale();
    result.Alpha = reader.HasAlpha();
    return result;
}

// Pixel values of row y: palette indices, or 0x00RRGGBB colours for direct-colour images.
std::vector<uint32_t> PixelValues(const TDIB& image, int32_t y) {
    std::vector<uint32_t> values(size_t(image.Width()));
    if (image.BitCount() > 8) {
        image.RowToColors(y, values.data());
    } else {
        for (int32_t x = 0; x < image.Width(); ++x)
            values[size_t(x)] = image.GetPixel(x, y);
    }
    return values;
}

// The samples a PNG of image should hold in row y, one byte each, as libpng unpacks them.
std::vector<uint8_t> ExpectedSamples(const TDIB& image, const TDIB* mask, int32_t y) {
    std::vector<uint8_t> samples;
    const std::vector<uint32_t> values = PixelValues(image, y);
    for (int32_t x = 0; x < image.Width(); ++x) {
        const uint32_t v = values[size_t(x)];
        if (image.BitCount() <= 8) {
            samples.push_back(uint8_t(v));
        } else {
            samples.insert(samples.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
        }
        if (mask != nullptr) samples.push_back(uint8_t(255 - mask->GetPixel(x, y)));
    }
    return samples;
}

void ExpectLibpngReads(const std::vector<uint8_t>& file, const TDIB& image, const TDIB* mask) {
    const TLibpngImage decoded = DecodeWithLibpng(file);
    ASSERT_EQ(decoded.Error, "");
    ASSERT_EQ(decoded.Width, uint32_t(image.Width()));
    ASSERT_EQ(decoded.Height, uint32_t(image.Height()));
    for (int32_t y = 0; y < image.Height(); ++y)
        ASSERT_EQ(decoded.Rows[size_t(y)], ExpectedSamples(image, mask, y)) << "row " << y;
}

void ExpectSamePixels(const TDIB& actual, const TDIB& expected) {
    ASSERT_EQ(actual.Width(), expected.Width());
    ASSERT_EQ(actual.Height(), expected.Height());
    for (int32_t y = 0; y < expected.Height(); ++y)
        ASSERT_EQ(PixelValues(actual, y), PixelValues(expected, y)) << "row " << y;
}

// pngcheck must find nothing wrong with file; skipped when pngcheck is not installed.
void ExpectPngcheckClean(const std::vector<uint8_t>& file) {
    static const bool installed = std::system("command -v pngcheck >/dev/null 2>&1") == 0;
    if (!installed) return;
    static const std::string dir = MakeTempDir();
    const std::string path = dir + "/check.png";
    WriteFileBytes(path, file);
    EXPECT_EQ(std::system(("pngcheck -q '" + path + "' >/dev/null 2>&1").c_str()), 0);
}

// Filter type of each row of a non-interlaced file.
std::vector<int> FilterTypes(const std::vector<uint8_t>& file, int32_t width, int32_t height,
                             int32_t pngBits) {
    const std::vector<uint8_t> data = InflatedImageData(ParsePngChunks(file));
    const size_t rowLength = 1 + size_t(PngRowBytes(width, pngBits));
    EXPECT_EQ(data.size(), rowLength * size_t(height));
    std::vector<int> types;
    for (size_t at = 0; at + rowLength <= data.size(); at += rowLength)
        types.push_back(data[at]);
    return types;
}

TEST(KivPNGWriter, DefaultSaveOfAn8BitImage) {
    const TDIB image = TestImage(16, 16, 8);
    const std::vector<uint8_t> file = Encode(image);
    const std::vector<TPngChunk> chunks = ParsePngChunks(file);
    ASSERT_EQ(ChunkTypes(chunks),
              (std::vector<std::string>{"IHDR", "tpNg", "PLTE", "IDAT", "IEND"}));
    for (const auto& c : chunks)
        EXPECT_TRUE(c.CrcOk) << c.Type;
    EXPECT_EQ(chunks[0].Data, (std::vector<uint8_t>{0, 0, 0, 16, 0, 0, 0, 16, 8, 3, 0, 0, 0}));
    std::vector<uint8_t> privateChunk(32, 0);
    privateChunk[0] = 'K', privateChunk[1] = 'i', privateChunk[2] = 'v', privateChunk[3] = '3';
    EXPECT_EQ(chunks[1].Data, privateChunk);
    ASSERT_EQ(chunks[2].Data.size(), 768u);
    for (int i = 0; i < 256; ++i) {
        const TPaletteEntry& e = image.PaletteBlock[i];
        EXPECT_EQ(chunks[2].Data[size_t(i) * 3], e.Red) << i;
        EXPECT_EQ(chunks[2].Data[size_t(i) * 3 + 1], e.Green) << i;
        EXPECT_EQ(chunks[2].Data[size_t(i) * 3 + 2], e.Blue) << i;
    }
    EXPECT_TRUE(chunks[4].Data.empty());
    EXPECT_EQ(FilterTypes(file, 16, 16, 8), std::vector<int>(16, 0));

    const TDecoded decoded = Decode(file);
    EXPECT_EQ(decoded.Image.BitCount(), 8);
    ExpectSamePixels(decoded.Image, image);
    EXPECT_EQ(decoded.Image.PaletteBlock, image.PaletteBlock);
}

TEST(KivPNGWriter, IdatChunksHaveTheIdatSizeButTheLast) {
    struct TestCase {
        int32_t idatSize, compression;
    };
    // Stored blocks (compression 0) make the compressed size about that of the raw rows.
    for (const TestCase& c : std::vector<TestCase>{{32768, 0}, {256, 1}, {100000, 0}}) {
        const TDIB image = TestImage(300, 240, 8);
        const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
            w.SetIDATSize(c.idatSize);
            w.CompressionLevel = c.compression;
        });
        std::vector<size_t> sizes;
        for (const auto& chunk : ParsePngChunks(file))
            if (chunk.Type == "IDAT") sizes.push_back(chunk.Data.size());
        ASSERT_FALSE(sizes.empty());
        for (size_t i = 0; i + 1 < sizes.size(); ++i)
            EXPECT_EQ(sizes[i], size_t(c.idatSize)) << "IDAT size " << c.idatSize << " chunk " << i;
        EXPECT_GT(sizes.back(), 0u);
        EXPECT_LE(sizes.back(), size_t(c.idatSize));
        if (c.idatSize == 32768) {
            EXPECT_EQ(sizes.size(), 3u); // ~72 KB of stored rows
        }
        ExpectSamePixels(Decode(file).Image, image);
    }
}

TEST(KivPNGWriter, IdatSizeLimits) {
    struct TestCase {
        int32_t size;
        bool accepted;
    };
    for (const TestCase& c :
         std::vector<TestCase>{{255, false}, {256, true}, {100000, true}, {100001, false}}) {
        TKivPNGWriteStream writer;
        if (c.accepted) {
            writer.SetIDATSize(c.size);
            EXPECT_EQ(writer.IDATSize(), c.size);
            continue;
        }
        try {
            writer.SetIDATSize(c.size);
            ADD_FAILURE() << c.size << " accepted";
        } catch (const EKivPNG& e) {
            EXPECT_EQ(e.Message(), "Write PNG Param: Err IDAT Size(min:256  max:100000)");
        }
        EXPECT_EQ(writer.IDATSize(), TKivPNGWriteStream::DefaultIDATSize);
    }
}

TEST(KivPNGWriter, CompressionLevels) {
    struct TestCase {
        int32_t option;
        int expectedFlevel; // the zlib header's record of the level: 0 fastest .. 3 best
    };
    // zlib levels 0 and 1 both record "fastest"; level 0 alone writes stored blocks.
    const std::vector<TestCase> cases = {{0, 0}, {1, 2}, {2, 0}, {3, 3}, {7, 2}};
    TDIB image = TestImage(50, 20, 8);
    for (int32_t y = 0; y < 20; ++y) // compressible, so that only level 0 stores
        for (int32_t x = 0; x < 50; ++x)
            image.SetPixel(x, y, uint32_t(x / 5 + y % 3));
    for (const TestCase& c : cases) {
        const std::vector<uint8_t> file =
            Encode(image, [&](TKivPNGWriteStream& w) { w.CompressionLevel = c.option; });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        const TPngChunk* idat = FindChunk(chunks, "IDAT");
        ASSERT_NE(idat, nullptr);
        EXPECT_EQ(idat->Data[1] >> 6, c.expectedFlevel) << "option " << c.option;
        const bool stored = (idat->Data[2] & 0x06) == 0; // first block's type
        EXPECT_EQ(stored, c.option == 0) << "option " << c.option;
        ExpectSamePixels(Decode(file).Image, image);
    }
}

TEST(KivPNGWriter, FixedFilterChoices) {
    const TDIB image = TestImage(40, 6, 8);
    for (int32_t choice = 1; choice <= 6; ++choice) {
        const std::vector<uint8_t> file =
            Encode(image, [&](TKivPNGWriteStream& w) { w.FilterType = choice; });
        const int expected = choice <= 5 ? choice - 1 : 0;
        EXPECT_EQ(FilterTypes(file, 40, 6, 8), std::vector<int>(6, expected)) << choice;
        ExpectSamePixels(Decode(file).Image, image);
    }
}

TEST(KivPNGWriter, AdaptiveChoice) {
    struct TestCase {
        const char* name;
        int32_t bits;
        std::function<uint32_t(int32_t x, int32_t y)> pixel;
        int expectedFilter; // of every row
    };
    const std::vector<TestCase> cases = {
        // One value per row: the None candidate scores -1 and is taken at once.
        {"repeated value", 8, [](int32_t, int32_t y) { return uint32_t(y * 40); }, 0},
        // A ramp: Sub turns the row into a few values and is taken at once.
        {"ramp", 8, [](int32_t x, int32_t) { return uint32_t(x * 3); }, 1},
        // Identical rows of noise: Up turns all but the first row into zeros.
        {"noise, rows repeated", 24,
         [](int32_t x, int32_t) { return std::mt19937(uint32_t(x))() & 0xFFFFFF; }, -1},
        // 4-bit sources always keep None.
        {"4-bit ramp", 4, [](int32_t x, int32_t) { return uint32_t(x % 16); }, 0},
    };
    for (const TestCase& c : cases) {
        TDIB image = TestImage(64, 5, c.bits);
        for (int32_t y = 0; y < 5; ++y)
            for (int32_t x = 0; x < 64; ++x)
                image.SetPixel(x, y, c.pixel(x, y));
        const std::vector<uint8_t> file =
            Encode(image, [](TKivPNGWriteStream& w) { w.FilterType = 0; });
        const int32_t pngBits = c.bits == 4 ? 4 : c.bits;
        const std::vector<int> types = FilterTypes(file, 64, 5, pngBits);
        if (c.expectedFilter >= 0) {
            EXPECT_EQ(types, std::vector<int>(5, c.expectedFilter)) << c.name;
        } else {
            EXPECT_EQ(std::vector<int>(types.begin() + 1, types.end()), std::vector<int>(4, 2))
                << c.name;
        }
        ExpectSamePixels(Decode(file).Image, image);
    }
}

TEST(KivPNGWriter, RoundTripsThroughBothReaders) {
    struct Size {
        int32_t w, h;
    };
    for (int32_t bits : {1, 4, 8, 24, 32})
        for (int32_t interlace : {0, 1})
            for (int32_t filter = 0; filter <= 5; ++filter)
                for (Size size : {Size{1, 1}, Size{13, 11}, Size{3, 3}}) {
                    const std::string label = std::to_string(bits) + " bits, interlace " +
                                              std::to_string(interlace) + ", filter " +
                                              std::to_string(filter) + ", " +
                                              std::to_string(size.w) + "x" + std::to_string(size.h);
                    SCOPED_TRACE(label);
                    const TDIB image = TestImage(size.w, size.h, bits, uint32_t(bits + filter));
                    const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
                        w.Interlace = interlace;
                        w.FilterType = filter;
                    });
                    const TDecoded decoded = Decode(file);
                    EXPECT_EQ(decoded.Image.BitCount(), bits == 32 ? 24 : bits);
                    ExpectSamePixels(decoded.Image, image);
                    ExpectLibpngReads(file, image, nullptr);
                    ExpectPngcheckClean(file);
                }
}

// Image data of several deflate pieces (compressed on several threads and joined) makes one
// stream that libpng, pngcheck and our reader all take, at every level.
TEST(KivPNGWriter, ImageDataOfSeveralPiecesIsOneValidStream) {
    TDIB image = TestImage(1500, 3000, 8, 3);    // 4.5 MB of rows: three pieces
    for (int32_t y = 0; y < image.Height(); ++y) // compressible, with some noise left
        for (int32_t x = 0; x < image.Width(); ++x)
            if (image.GetPixel(x, y) > 40) image.SetPixel(x, y, uint32_t((x / 7 + y / 5) % 16));
    for (const int32_t level : {CompressionNone, CompressionFastest, CompressionDefault}) {
        SCOPED_TRACE("level " + std::to_string(level));
        const std::vector<uint8_t> file =
            Encode(image, [&](TKivPNGWriteStream& w) { w.CompressionLevel = level; });
        ExpectSamePixels(Decode(file).Image, image);
        ExpectLibpngReads(file, image, nullptr);
        ExpectPngcheckClean(file);
    }
}

TEST(KivPNGWriter, PaletteHasAsManyEntriesAsTheDepthAddresses) {
    for (int32_t bits : {1, 4, 8}) {
        const TDIB image = TestImage(9, 4, bits);
        const std::vector<uint8_t> file = Encode(image);
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        const TPngChunk* plte = FindChunk(chunks, "PLTE");
        ASSERT_NE(plte, nullptr);
        EXPECT_EQ(plte->Data.size(), size_t(3) << bits) << bits;
        const TLibpngImage decoded = DecodeWithLibpng(file);
        EXPECT_EQ(decoded.Error, "") << bits;
        const TDecoded ours = Decode(file);
        for (int i = 0; i < 1 << bits; ++i)
            EXPECT_EQ(ours.Image.PaletteBlock[i], image.PaletteBlock[i]) << bits << " " << i;
    }
}

TEST(KivPNGWriter, GreyOption) {
    struct TestCase {
        int32_t bits;
        bool mask;
        int expectedColorType, expectedDepth;
    };
    const std::vector<TestCase> cases = {
        {1, false, 0, 1}, {4, false, 0, 4}, {8, false, 0, 8},
        {8, true, 4, 8},  {4, true, 0, 4}, // no alpha channel for 4-bit grey: the mask is ignored
    };
    for (const TestCase& c : cases)
        for (int32_t interlace : {0, 1}) {
            SCOPED_TRACE(std::to_string(c.bits) + " bits, mask " + std::to_string(c.mask) +
                         ", interlace " + std::to_string(interlace));
            const TDIB image = TestImage(10, 7, c.bits);
            const TDIB mask = TestMask(10, 7);
            const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
                w.Grayscale = true;
                w.Interlace = interlace;
                if (c.mask) w.Mask = &mask;
            });
            const std::vector<TPngChunk> chunks = ParsePngChunks(file);
            EXPECT_EQ(chunks[0].Data[8], c.expectedDepth);
            EXPECT_EQ(chunks[0].Data[9], c.expectedColorType);
            EXPECT_EQ(FindChunk(chunks, "PLTE"), nullptr);
            const bool alpha = c.expectedColorType == 4;
            ExpectLibpngReads(file, image, alpha ? &mask : nullptr);
            const TDecoded decoded = Decode(file);
            EXPECT_TRUE(decoded.Grey);
            EXPECT_EQ(decoded.Alpha, alpha);
            ExpectSamePixels(decoded.Image, image);
            if (alpha) ExpectSamePixels(decoded.Mask, mask);
            ExpectPngcheckClean(file);
        }
}

TEST(KivPNGWriter, MaskBecomesAnAlphaChannel) {
    struct TestCase {
        int32_t bits;
        int32_t maskWidth, maskBits;
        int expectedColorType;
    };
    const std::vector<TestCase> cases = {
        {24, 12, 8, 6},  {32, 12, 8, 6}, {8, 12, 8, 3}, // palette files have no alpha channel
        {24, 11, 8, 2},                                 // wrong size: ignored
        {24, 12, 24, 2},                                // not 8 bits: ignored
    };
    for (const TestCase& c : cases)
        for (int32_t interlace : {0, 1}) {
            SCOPED_TRACE(std::to_string(c.bits) + " bits, mask width " +
                         std::to_string(c.maskWidth) + ", interlace " + std::to_string(interlace));
            const TDIB image = TestImage(12, 9, c.bits);
            TDIB mask = TestImage(c.maskWidth, 9, c.maskBits, 7);
            const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
                w.Interlace = interlace;
                w.Mask = &mask;
            });
            EXPECT_EQ(ParsePngChunks(file)[0].Data[9], c.expectedColorType);
            const bool alpha = c.expectedColorType == 6;
            ExpectLibpngReads(file, image, alpha ? &mask : nullptr);
            const TDecoded decoded = Decode(file);
            EXPECT_EQ(decoded.Alpha, alpha);
            ExpectSamePixels(decoded.Image, image);
            if (alpha) ExpectSamePixels(decoded.Mask, mask);
        }
}

TEST(KivPNGWriter, AncillaryChunks) {
    const TDIB image = TestImage(4, 4, 8);
    const std::vector<uint8_t> file = Encode(image, [](TKivPNGWriteStream& w) {
        w.Comment = "hello";
        w.Gamma = 0.45455;
        w.SignificantBits = 0x00050605;
        w.BackgroundColor = ColorPaletteIndex | 200;
        w.PixelUnit = 2;
        w.PixelsPerUnitX = 72;
        w.PixelsPerUnitY = 72;
    });
    const std::vector<TPngChunk> chunks = ParsePngChunks(file);
    EXPECT_EQ(ChunkTypes(chunks),
              (std::vector<std::string>{"IHDR", "tEXt", "tpNg", "gAMA", "sBIT", "PLTE", "bKGD",
                                        "pHYs", "IDAT", "IEND"}));
    const std::string text = "Comment";
    std::vector<uint8_t> expectedText(text.begin(), text.end());
    expectedText.push_back(0);
    expectedText.insert(expectedText.end(), {'h', 'e', 'l', 'l', 'o'});
    EXPECT_EQ(FindChunk(chunks, "tEXt")->Data, expectedText);
    EXPECT_EQ(BE32At(FindChunk(chunks, "gAMA")->Data.data()), 45455u);
    EXPECT_EQ(FindChunk(chunks, "sBIT")->Data, (std::vector<uint8_t>{5, 6, 5}));
    EXPECT_EQ(FindChunk(chunks, "bKGD")->Data, (std::vector<uint8_t>{200}));
    const std::vector<uint8_t>& phys = FindChunk(chunks, "pHYs")->Data;
    EXPECT_EQ(BE32At(phys.data()), 2834u);
    EXPECT_EQ(BE32At(phys.data() + 4), 2834u);
    EXPECT_EQ(phys[8], 1);
    ExpectPngcheckClean(file);
}

// The text Pillow, an independent reader, finds under key in file, as UTF-8; nullopt when
// Pillow is not installed.
std::optional<std::string> PillowText(const std::vector<uint8_t>& file, const std::string& key) {
    static const bool installed =
        std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
    if (!installed) return std::nullopt;
    static const std::string dir = MakeTempDir();
    WriteFileBytes(dir + "/text.png", file);
    const std::string script = "import sys; from PIL import Image; "
                               "sys.stdout.buffer.write(Image.open(sys.argv[1]).text[sys.argv[2]]"
                               ".encode('utf-8'))";
    const std::string command = "/usr/bin/python3 -c \"" + script + "\" '" + dir + "/text.png' '" +
                                key + "' > '" + dir + "/text.out'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> text = ReadFileBytes(dir + "/text.out");
    return std::string(text.begin(), text.end());
}

TEST(KivPNGWriter, CommentGoesOutAsLatin1TextOrElseAsInternationalText) {
    using namespace std::string_literals;
    struct TestCase {
        std::string comment;
        std::string type, data; // the chunk and its bytes after "Comment\0"
    };
    const std::string japanese = "\xE3\x83\x89\xE3\x83\x83\xE3\x83\x88\xE7\xB5\xB5"; // ドット絵
    const TestCase cases[] = {
        {"hello", "tEXt", "hello"},
        {"caf\xC3\xA9 \xC3\x97 2", "tEXt", "caf\xE9 \xD7 2"}, // é and ×, in Latin-1
        {japanese, "iTXt", "\0\0\0\0"s + japanese},
        {"caf\xC3\xA9 \xE2\x82\xAC", "iTXt", "\0\0\0\0caf\xC3\xA9 \xE2\x82\xAC"s}, // with €
    };
    const TDIB image = TestImage(3, 3, 8);
    for (const TestCase& c : cases) {
        SCOPED_TRACE(c.comment);
        const std::vector<uint8_t> file =
            Encode(image, [&](TKivPNGWriteStream& w) { w.Comment = c.comment; });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        EXPECT_EQ(ChunkTypes(chunks),
                  (std::vector<std::string>{"IHDR", c.type, "tpNg", "PLTE", "IDAT", "IEND"}));
        const TPngChunk* text = FindChunk(chunks, c.type);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text->Data.begin(), text->Data.end()), "Comment\0"s + c.data);
        ExpectPngcheckClean(file);
        if (const std::optional<std::string> seen = PillowText(file, "Comment")) {
            EXPECT_EQ(*seen, c.comment);
        }
        TCustomMemoryStream in(file.data(), int64_t(file.size()));
        TKivPNGReadStream reader;
        TDIB decoded;
        reader.LoadFromStream(decoded, in, 0);
        EXPECT_EQ(reader.Comment(), "Comment\r\n" + c.comment + "\r\n");
    }
}

TEST(KivPNGWriter, CommentThatIsNotUtf8IsRefusedBeforeAnythingIsWritten) {
    TKivPNGWriteStream writer;
    writer.Comment = "caf\xE9"; // Latin-1, not UTF-8
    TMemoryStream out;
    try {
        writer.SaveToStream(TestImage(2, 2, 8), out);
        ADD_FAILURE() << "saved";
    } catch (const EKivPNG& e) {
        EXPECT_EQ(e.Message(), "Write PNG Param: Comment is not UTF-8");
    }
    EXPECT_EQ(out.Size(), 0);
}

TEST(KivPNGWriter, SignificantBitsFitTheSampleDepth) {
    struct TestCase {
        int32_t bits, value;
        bool mask;
        std::vector<uint8_t> expected; // empty: no sBIT chunk
    };
    const std::vector<TestCase> cases = {
        {24, 0x0D0D0D, false, {8, 8, 8}}, // widths of a 16-bit file
        {8, 0x050005, false, {5, 8, 5}},  // a width of 0 is not allowed
        {24, 0x04030201, true, {1, 2, 3, 4}},
        {24, 0, false, {}},
    };
    for (const TestCase& c : cases) {
        const TDIB image = TestImage(3, 3, c.bits);
        const TDIB mask = TestMask(3, 3);
        const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
            w.SignificantBits = c.value;
            if (c.mask) w.Mask = &mask;
        });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        const TPngChunk* sbit = FindChunk(chunks, "sBIT");
        EXPECT_EQ(sbit ? sbit->Data : std::vector<uint8_t>{}, c.expected) << std::hex << c.value;
        EXPECT_EQ(DecodeWithLibpng(file).Error, "") << std::hex << c.value;
    }
}

TEST(KivPNGWriter, PhysicalSize) {
    struct TestCase {
        int32_t unit, x, y;
        bool written;
        uint32_t expectedX, expectedY;
        uint8_t expectedUnit;
    };
    const std::vector<TestCase> cases = {
        {2, 72, 72, true, 2834, 2834, 1},
        {2, 300, 150, true, 11811, 5905, 1},
        {1, 3780, 3780, true, 3780, 3780, 1},
        {0, 1, 2, true, 1, 2, 0},
        {7, 5, 6, true, 5, 6, 0}, // unknown units are written as "no unit"
        {1, 0, 100, false, 0, 0, 0},
        {1, 100, 0, false, 0, 0, 0},
    };
    for (const TestCase& c : cases) {
        const std::vector<uint8_t> file = Encode(TestImage(2, 2, 8), [&](TKivPNGWriteStream& w) {
            w.PixelUnit = c.unit;
            w.PixelsPerUnitX = c.x;
            w.PixelsPerUnitY = c.y;
        });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        const TPngChunk* phys = FindChunk(chunks, "pHYs");
        SCOPED_TRACE("unit " + std::to_string(c.unit) + " " + std::to_string(c.x) + "x" +
                     std::to_string(c.y));
        ASSERT_EQ(phys != nullptr, c.written);
        if (!phys) continue;
        ASSERT_EQ(phys->Data.size(), 9u);
        EXPECT_EQ(BE32At(phys->Data.data()), c.expectedX);
        EXPECT_EQ(BE32At(phys->Data.data() + 4), c.expectedY);
        EXPECT_EQ(phys->Data[8], c.expectedUnit);
    }
}

TEST(KivPNGWriter, Background) {
    struct TestCase {
        int32_t bits;
        bool grey;
        int32_t color;
        std::vector<uint8_t> expected;
    };
    // TestImage's palette: entry i is red i, green 255 - i, blue i * 7.
    const std::vector<TestCase> cases = {
        {8, false, ColorPaletteIndex | 9, {9}},
        {8, false, 0x46F50A, {10}}, // entry 10 as 0x00BBGGRR
        {4, false, ColorPaletteIndex | 3, {3}},
        {4, false, ColorPaletteIndex | 200, {15}}, // entry 200 is nearest to entry 15 of 16
        {8, true, 0x404040, {0, 0x40}},
        {1, true, 0xF0F0F0, {0, 1}},
        {24, false, 0x332211, {0, 0x11, 0, 0x22, 0, 0x33}},
    };
    for (const TestCase& c : cases) {
        const std::vector<uint8_t> file =
            Encode(TestImage(3, 3, c.bits), [&](TKivPNGWriteStream& w) {
                w.Grayscale = c.grey;
                w.BackgroundColor = c.color;
            });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        const TPngChunk* bkgd = FindChunk(chunks, "bKGD");
        ASSERT_NE(bkgd, nullptr);
        EXPECT_EQ(bkgd->Data, c.expected) << c.bits << " bits, colour " << std::hex << c.color;
        EXPECT_EQ(DecodeWithLibpng(file).Error, "");
    }
}

TEST(KivPNGWriter, Transparency) {
    struct TestCase {
        const char* what;
        int32_t bits;
        bool grey, mask;
        std::vector<uint8_t> paletteAlpha;
        int32_t color;
        std::optional<std::vector<uint8_t>> expected; // none: no tRNS chunk
    };
    std::vector<uint8_t> beyond16(20, 255);
    beyond16[3] = 0;
    const std::vector<TestCase> cases = {
        {"one clear entry", 8, false, false, {255, 255, 0}, ColorNone, {{255, 255, 0}}},
        {"partial alpha as it is", 8, false, false, {0, 85, 170}, ColorNone, {{0, 85, 170}}},
        {"cut to a 4-bit palette", 4, false, false, beyond16, ColorNone,
         std::vector<uint8_t>(beyond16.begin(), beyond16.begin() + 16)},
        {"no table", 8, false, false, {}, ColorNone, std::nullopt},
        {"a colour means nothing to indices", 8, false, false, {}, 0x332211, std::nullopt},
        {"grey: the clear entry's sample", 8, true, false, {255, 255, 255, 0}, ColorNone, {{0, 3}}},
        {"grey: partial alpha has no sample", 8, true, false, {0, 128}, ColorNone, std::nullopt},
        {"grey: two clear entries have no sample", 8, true, false, {0, 0}, ColorNone, std::nullopt},
        {"grey: an entry past the samples", 1, true, false, {255, 255, 0}, ColorNone, std::nullopt},
        {"grey with an alpha channel", 8, true, true, {0}, ColorNone, std::nullopt},
        {"colour key", 24, false, false, {}, 0x332211, {{0, 0x11, 0, 0x22, 0, 0x33}}},
        {"colour with an alpha channel", 24, false, true, {}, 0x332211, std::nullopt},
        {"a palette index is no key", 24, false, false, {}, ColorPaletteIndex | 2, std::nullopt},
    };
    for (const TestCase& c : cases) {
        const TDIB image = TestImage(5, 3, c.bits);
        const TDIB mask = TestMask(5, 3);
        const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
            w.Grayscale = c.grey;
            w.Mask = c.mask ? &mask : nullptr;
            w.PaletteAlpha = c.paletteAlpha;
            w.TransparentColor = c.color;
        });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        const TPngChunk* trns = FindChunk(chunks, "tRNS");
        ASSERT_EQ(trns != nullptr, c.expected.has_value()) << c.what;
        EXPECT_EQ(DecodeWithLibpng(file).Error, "") << c.what;
        ExpectPngcheckClean(file);
        if (!trns) continue;
        EXPECT_EQ(trns->Data, *c.expected) << c.what;
        // After the palette, before the image data.
        const std::vector<std::string> types = ChunkTypes(chunks);
        const auto at = [&](const char* type) {
            return std::find(types.begin(), types.end(), type) - types.begin();
        };
        if (!c.grey && c.bits <= 8) {
            EXPECT_LT(at("PLTE"), at("tRNS")) << c.what;
        }
        EXPECT_LT(at("tRNS"), at("IDAT")) << c.what;
    }
}

TEST(KivPNGWriter, EncodingHookRoundTripsWithTheDecodingHook) {
    const TDIB image = TestImage(17, 9, 8);
    std::vector<int32_t> rowNumbers;
    for (int32_t interlace : {0, 1}) {
        rowNumbers.clear();
        const std::vector<uint8_t> file = Encode(image, [&](TKivPNGWriteStream& w) {
            w.Interlace = interlace;
            w.FilterType = 3; // Up: the hook's output must be what the next row is filtered by
            w.KeyText = "key";
            w.OnEncodeRow = [&](TKivPNGWriteStream&, uint8_t* data, const std::string& key,
                                int32_t row, int32_t length) {
                EXPECT_EQ(key, "key");
                rowNumbers.push_back(row);
                for (int32_t i = 0; i < length; ++i)
                    data[i] ^= uint8_t(0x5A + row);
            };
        });
        const std::vector<TPngChunk> chunks = ParsePngChunks(file);
        EXPECT_EQ(FindChunk(chunks, "tpNg")->Data[4], 1);
        const int64_t rows = PngRowCount(9, interlace != 0);
        ASSERT_EQ(int64_t(rowNumbers.size()), rows);
        for (int32_t i = 0; i < int32_t(rows); ++i)
            EXPECT_EQ(rowNumbers[size_t(i)], i);

        TCustomMemoryStream in(file.data(), int64_t(file.size()));
        TKivPNGReadStream reader;
        reader.KeyText = "key";
        reader.OnDecodeRow = [](TKivPNGReadStream&, uint8_t* data, const std::string&, int32_t row,
                                int32_t length) {
            for (int32_t i = 0; i < length; ++i)
                data[i] ^= uint8_t(0x5A + row);
        };
        TDIB decoded;
        reader.LoadFromStream(decoded, in, 0);
        ExpectSamePixels(decoded, image);
    }
}

// An image without pixels, however it came to be, is refused as empty and nothing is written.
TEST(KivPNGWriter, EmptyImagesAreRefusedAsEmpty) {
    struct TestCase {
        int32_t width, height, bits;
    };
    for (const TestCase c : {TestCase{0, 0, 8}, TestCase{5, 0, 8}, TestCase{0, 5, 24}}) {
        TDIB image = TestImage(3, 3, 8);
        image.Resize(c.width, c.height, c.bits);
        TMemoryStream out;
        TKivPNGWriteStream writer;
        try {
            writer.SaveToStream(image, out);
            ADD_FAILURE() << "saved " << c.width << " x " << c.height;
        } catch (const EKivPNG& e) {
            EXPECT_EQ(e.Message(), "Write Image (PNG): Empty Image");
        }
        EXPECT_EQ(out.Size(), 0) << c.width << " x " << c.height;
    }
}

TEST(KivPNGWriter, RefusesImagesItCannotWrite) {
    TDIB sixteen;
    sixteen.WantedLayout = MakeLayout(5, 6, 5);
    sixteen.Resize(2, 2, 16);
    const TDIB empty;
    for (const TDIB* image : {&empty, static_cast<const TDIB*>(&sixteen)}) {
        TMemoryStream out;
        TKivPNGWriteStream writer;
        EXPECT_THROW(writer.SaveToStream(*image, out), EKivPNG) << image->BitCount();
        EXPECT_EQ(out.Size(), 0) << image->BitCount();
    }
}

} // namespace
