// libFuzzer target for the PNG reader: any byte sequence must either load or be refused with one
// of the core's exceptions, and every row of the image and the mask must be readable afterwards.
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/DIB.h"
#include "png/KivPNGReader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Declared sizes the reader would honour but that only measure the allocator: any IHDR in the
// input (the chunk type is always literal bytes) asking for more than 16 M pixels.
bool DeclaresHugeImage(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 12 <= size; ++i) {
        if (std::memcmp(data + i, "IHDR", 4) != 0) continue;
        const uint8_t* p = data + i + 4;
        const uint64_t width = uint64_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
        const uint64_t height = uint64_t(p[4]) << 24 | p[5] << 16 | p[6] << 8 | p[7];
        if (width * height > (uint64_t(1) << 24)) return true;
    }
    return false;
}

uint32_t TouchRows(const TDIB& image) {
    uint32_t sum = 0;
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.RowForRead(y);
        for (int32_t i = 0; i < image.Stride(); ++i)
            sum += row[i];
    }
    return sum;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (DeclaresHugeImage(data, size)) return 0;
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    TDIB image, mask;
    TKivPNGReadStream reader;
    reader.Mask = &mask;
    try {
        reader.LoadFromStream(image, stream, 0);
    } catch (const Exception&) {
        return 0;
    }
    volatile uint32_t sink = TouchRows(image) + TouchRows(mask);
    (void)sink;
    return 0;
}
