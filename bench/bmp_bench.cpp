// BMP reading and writing from and to memory against a plain copy of the same bytes, and the
// cost of copying an image, which shares the pixels and so must not depend on the image's size.
#include "bench.h"

#include "base/Stream.h"
#include "image/DIB.h"

#include <cstring>
#include <vector>

namespace {

TDIB PatternImage(int32_t width, int32_t height) {
    TDIB image;
    image.Resize(width, height, 8);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = image.RowForWrite(y);
        for (int32_t x = 0; x < image.Stride(); ++x)
            row[x] = static_cast<uint8_t>(x ^ y);
    }
    return image;
}

} // namespace

BENCH_CASE(bmp_load_save_4096) {
    const TDIB source = PatternImage(4096, 4096);
    TMemoryStream file;
    source.SaveAsBmp(file);
    const std::vector<uint8_t> bytes = file.Bytes();
    std::vector<uint8_t> copy(bytes.size());
    const double memcpyTime = Measure([&] {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        KeepAlive(copy.data());
    });

    const double load = Measure([&] {
        TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
        TDIB image;
        image.LoadFromBmp(stream);
        KeepAlive(image.StorageForRead());
    });
    Report("load 4096x4096 8-bit BMP from memory", load, "memcpy", memcpyTime);

    TMemoryStream out;
    out.SetSize(static_cast<int64_t>(bytes.size())); // reserved once, as a caller would
    const double save = Measure([&] {
        out.SetPosition(0);
        source.SaveAsBmp(out);
        KeepAlive(out.Memory());
    });
    Report("save 4096x4096 8-bit BMP to memory", save, "memcpy", memcpyTime);
}

BENCH_CASE(bmp_image_copy) {
    const TDIB small = PatternImage(16, 16);
    const TDIB large = PatternImage(4096, 4096);
    const auto copyOf = [](const TDIB& image) {
        return Measure([&] {
            TDIB copy(image);
            KeepAlive(copy.StorageForRead());
        });
    };
    const double smallTime = copyOf(small);
    Report("shared copy of a 4096x4096 image vs 16x16", copyOf(large), "16x16 copy", smallTime);
    const double assign = Measure([&] {
        TDIB copy;
        copy.AssignFrom(&large);
        KeepAlive(copy.StorageForRead());
    });
    Report("AssignFrom of a 4096x4096 image vs 16x16 copy", assign, "16x16 copy", smallTime);
}
