// The PNG codec against libpng on the same files, all in memory, and against inflating (or
// deflating) the same image data alone: with zlib, the floor of every zlib-based codec, and with
// libdeflate, the floor of this one (into a buffer long in place, and into fresh memory as a
// decoded image must be). Also the peak memory of a decode from a file stream, which must stay
// under 2.2 times the decoded image's size, and the corpus for whole-process timings.
#include "bench.h"
#include "pixelart.h"

#include "../tests/PngTestUtil.h"
#include "base/Stream.h"
#include "image/DIB.h"
#include "png/KivPNG.h"
#include "png/KivZLIB.h"

#include <libdeflate.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

// Photo-like colour content: smooth gradients with a little noise.
TDIB Photo(int32_t width, int32_t height) {
    TDIB image;
    image.Resize(width, height, 24);
    std::mt19937 random(7);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image.RowForWrite(y);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t noise = random();
            row[3 * x] = uint8_t(x / 8 + (noise & 3));
            row[3 * x + 1] = uint8_t(y / 8 + ((noise >> 2) & 3));
            row[3 * x + 2] = uint8_t((x + y) / 16 + ((noise >> 4) & 7));
        }
    }
    return image;
}

std::vector<uint8_t> EncodeOurs(const TDIB& image, uint8_t filter, uint8_t interlace,
                                uint8_t level = CompressionDefault) {
    TKivPNG png;
    png.Assign(&image);
    png.FilterType = filter;
    png.Interlace = interlace;
    png.CompressionLevel = level;
    TMemoryStream out;
    png.SaveToStream(out);
    return out.Bytes();
}

void DecodeOurs(const std::vector<uint8_t>& file) {
    TCustomMemoryStream in(file.data(), int64_t(file.size()));
    TKivPNG png;
    png.LoadFromStream(in);
    KeepAlive(png.InternalImage().StorageForRead());
}

// Raw image data of a file: what inflating its IDAT stream yields, and the compressed stream.
struct TImageData {
    std::vector<uint8_t> compressed;
    size_t rawSize;
};

TImageData ImageDataOf(const std::vector<uint8_t>& file) {
    TImageData data;
    for (const TPngChunk& c : ParsePngChunks(file))
        if (c.Type == "IDAT")
            data.compressed.insert(data.compressed.end(), c.Data.begin(), c.Data.end());
    data.rawSize = InflatedImageData(ParsePngChunks(file)).size();
    return data;
}

double InflateFloor(const TImageData& data) {
    std::vector<uint8_t> out(data.rawSize);
    return Measure([&] {
        uLongf size = uLongf(out.size());
        uncompress(out.data(), &size, data.compressed.data(), uLong(data.compressed.size()));
        KeepAlive(out.data());
    });
}

// Memory the kernel supplies afresh and must clear first, as it does for a decoder's new image:
// mapped anew each time, on huge pages where they are whole, as AllocateLarge does for blocks of
// 2 MiB and more. (A block from the allocator may be one freed just before with its pages still
// in place.)
class TFreshMemory {
public:
    explicit TFreshMemory(size_t size) : length_(size + HugePage) {
        void* p =
            mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        base_ = static_cast<uint8_t*>(p);
        data_ = base_ + (HugePage - reinterpret_cast<uintptr_t>(base_) % HugePage) % HugePage;
        madvise(data_, size / HugePage * HugePage, MADV_HUGEPAGE);
    }
    ~TFreshMemory() { munmap(base_, length_); }
    TFreshMemory(const TFreshMemory&) = delete;
    TFreshMemory& operator=(const TFreshMemory&) = delete;
    uint8_t* Data() const { return data_; }

private:
    static constexpr size_t HugePage = size_t(2) << 20;
    size_t length_;
    uint8_t* base_;
    uint8_t* data_;
};

// freshOutput: each inflate writes into fresh memory (TFreshMemory), as a decoder's result must;
// otherwise into the same buffer every time, whose pages are long in place.
double LibdeflateInflateFloor(const TImageData& data, bool freshOutput = false) {
    std::vector<uint8_t> out(data.rawSize);
    const std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)>
        decompressor(libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    return Measure([&] {
        std::optional<TFreshMemory> fresh;
        if (freshOutput) fresh.emplace(data.rawSize);
        uint8_t* to = freshOutput ? fresh->Data() : out.data();
        libdeflate_zlib_decompress(decompressor.get(), data.compressed.data(),
                                   data.compressed.size(), to, data.rawSize, nullptr);
        KeepAlive(to);
    });
}

void CompareDecoding(const std::string& label, const std::vector<uint8_t>& file) {
    const double ours = Measure([&] { DecodeOurs(file); });
    const double libpng = Measure([&] {
        const TLibpngImage image = DecodeWithLibpng(file);
        KeepAlive(image.Rows.data());
    });
    Report("decode " + label, ours, "libpng", libpng);
    const TImageData data = ImageDataOf(file);
    Report("decode " + label, ours, "zlib inflate", InflateFloor(data));
    Report("decode " + label, ours, "libdeflate", LibdeflateInflateFloor(data));
    Report("decode " + label, ours, "libdeflate new", LibdeflateInflateFloor(data, true));
}

std::vector<uint8_t> EncodeLibpng(const TDIB& image) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fprintf(stderr, "libpng failed to encode\n");
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t count) {
            auto* o = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + count);
        },
        nullptr);
    png_set_IHDR(png, info, uint32_t(image.Width()), uint32_t(image.Height()), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = {image.PaletteBlock[i].Red, image.PaletteBlock[i].Green,
                      image.PaletteBlock[i].Blue};
    png_set_PLTE(png, info, palette, 256);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    png_write_info(png, info);
    for (int32_t y = 0; y < image.Height(); ++y)
        png_write_row(png, const_cast<png_bytep>(image.RowForRead(y)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The rows of an 8-bit image with their filter bytes (None), as the encoder deflates them.
std::vector<uint8_t> UnfilteredRows(const TDIB& image) {
    std::vector<uint8_t> raw;
    for (int32_t y = 0; y < image.Height(); ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), image.RowForRead(y), image.RowForRead(y) + image.Width());
    }
    return raw;
}

struct TDeflated {
    double seconds;
    size_t size;
};

TDeflated ZlibDeflate(const std::vector<uint8_t>& raw, int level, double seconds = 1.0) {
    std::vector<uint8_t> out(compressBound(uLong(raw.size())));
    uLongf size = 0;
    const double t = Measure(
        [&] {
            size = uLongf(out.size());
            compress2(out.data(), &size, raw.data(), uLong(raw.size()), level);
            KeepAlive(out.data());
        },
        seconds);
    return {t, size_t(size)};
}

TDeflated LibdeflateDeflate(const std::vector<uint8_t>& raw, int level, double seconds = 1.0) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(level);
    std::vector<uint8_t> out(libdeflate_zlib_compress_bound(compressor, raw.size()));
    size_t size = 0;
    const double t = Measure(
        [&] {
            size = libdeflate_zlib_compress(compressor, raw.data(), raw.size(), out.data(),
                                            out.size());
            KeepAlive(out.data());
        },
        seconds);
    libdeflate_free_compressor(compressor);
    return {t, size};
}

int64_t PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

BENCH_CASE(png_decode_palette_4096) {
    const TDIB image = PixelArt(4096, 4096);
    CompareDecoding("4096x4096 palette, filter None", EncodeOurs(image, FilterChoiceNone, 0));
    CompareDecoding("4096x4096 palette, adaptive", EncodeOurs(image, FilterChoiceAdaptive, 0));
}

BENCH_CASE(png_decode_rgb_2048) {
    CompareDecoding("2048x2048 RGB, adaptive",
                    EncodeOurs(Photo(2048, 2048), FilterChoiceAdaptive, 0));
}

BENCH_CASE(png_decode_adam7_2048) {
    CompareDecoding("2048x2048 palette, Adam7",
                    EncodeOurs(PixelArt(2048, 2048), FilterChoiceNone, 1));
}

BENCH_CASE(png_encode_palette_4096) {
    const TDIB image = PixelArt(4096, 4096);
    // Each encode takes a third of a second: more rounds than the default, for a steadier best.
    const double ours = Measure(
        [&] {
            const std::vector<uint8_t> file = EncodeOurs(image, FilterChoiceNone, 0);
            KeepAlive(file.data());
        },
        4.0);
    const double libpng = Measure(
        [&] {
            const std::vector<uint8_t> file = EncodeLibpng(image);
            KeepAlive(file.data());
        },
        4.0);
    Report("encode 4096x4096 palette, filter None", ours, "libpng", libpng);
    const std::vector<uint8_t> raw = UnfilteredRows(image);
    Report("encode 4096x4096 palette, filter None", ours, "zlib deflate",
           ZlibDeflate(raw, Z_DEFAULT_COMPRESSION).seconds);
    // The writer's default level in one call on one core, against the writer's pieces on all.
    Report("encode 4096x4096 palette, filter None", ours, "libdeflate 1 core",
           LibdeflateDeflate(raw, DeflateAdapter::DefaultLevel).seconds);
    std::printf("  sizes: ours %zu bytes, libpng %zu bytes\n",
                EncodeOurs(image, FilterChoiceNone, 0).size(), EncodeLibpng(image).size());
}

// Each compression level of the writer against zlib at the level the writer used before
// (none 0, fastest 1, default 6, best 9), deflating the same rows: times and sizes.
BENCH_CASE(png_encode_levels_4096) {
    const TDIB image = PixelArt(4096, 4096);
    const std::vector<uint8_t> raw = UnfilteredRows(image);
    const struct {
        const char* name;
        uint8_t level;
        int zlibLevel;
    } levels[] = {{"none", CompressionNone, 0},
                  {"fastest", CompressionFastest, 1},
                  {"default", CompressionDefault, 6},
                  {"best", CompressionBest, 9}};
    for (const auto& l : levels) {
        size_t size = 0;
        const double ours = Measure(
            [&] {
                const std::vector<uint8_t> file = EncodeOurs(image, FilterChoiceNone, 0, l.level);
                size = file.size();
            },
            3.0);
        const TDeflated zlib = ZlibDeflate(raw, l.zlibLevel, 3.0);
        Report(std::string("encode 4096x4096 palette, level ") + l.name, ours, "zlib deflate",
               zlib.seconds);
        std::printf("  sizes: ours %zu bytes (file), zlib %zu bytes (stream), ratio %.3f\n", size,
                    zlib.size, double(size) / double(zlib.size));
    }
}

// The files that scripts/png-process-bench.sh times whole conversions on, written to the folder
// named by VARNET_PNG_CORPUS: large pixel art, a photo-like colour image, an Adam7 file and a
// small sprite sheet.
BENCH_CASE(png_corpus) {
    const char* folder = std::getenv("VARNET_PNG_CORPUS");
    if (folder == nullptr) {
        std::printf("  set VARNET_PNG_CORPUS to a folder to write the corpus\n");
        return;
    }
    const auto write = [&](const char* name, const std::vector<uint8_t>& file) {
        TFileStream out(std::string(folder) + "/" + name, TFileStream::fmCreate);
        out.WriteBuffer(file.data(), int64_t(file.size()));
    };
    write("pixelart-4096.png", EncodeOurs(PixelArt(4096, 4096), FilterChoiceNone, 0));
    write("photo-2048.png", EncodeOurs(Photo(2048, 2048), FilterChoiceAdaptive, 0));
    write("adam7-2048.png", EncodeOurs(PixelArt(2048, 2048), FilterChoiceNone, 1));
    write("sprites-256x128.png", EncodeOurs(PixelArt(256, 128), FilterChoiceNone, 0));
}

// Measured in a fresh process (this program run again for this case alone), whose high-water
// mark holds nothing but start-up and the decode.
BENCH_CASE(png_decode_file_peak_memory) {
    if (const char* path = std::getenv("VARNET_PNG_PEAK_FILE")) {
        const int64_t before = PeakKilobytes();
        TKivPNG png;
        png.LoadFromFile(path);
        const int64_t growth = PeakKilobytes() - before;
        const double imageKb = double(png.InternalImage().Size()) / 1024;
        std::printf("%-52s peak growth %8lld KiB   image %8.0f KiB   ratio %6.2f\n",
                    "decode 4096x4096 palette from a file stream", static_cast<long long>(growth),
                    imageKb, double(growth) / imageKb);
        return;
    }
    const std::string path = "/tmp/varnet_png_bench_" + std::to_string(getpid()) + ".png";
    {
        const std::vector<uint8_t> file = EncodeOurs(PixelArt(4096, 4096), FilterChoiceNone, 0);
        TFileStream out(path, TFileStream::fmCreate);
        out.WriteBuffer(file.data(), int64_t(file.size()));
    }
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return;
    std::fflush(stdout);
    const std::string command = "VARNET_PNG_PEAK_FILE='" + path + "' '" + self +
                                "' png_decode_file_peak_memory | tail -n +2";
    if (std::system(command.c_str()) != 0) std::printf("  the measuring process failed\n");
    std::remove(path.c_str());
}
