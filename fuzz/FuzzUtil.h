// What the libFuzzer targets share: skipping inputs that only measure the allocator, and reading
// every byte of a decoded image so that a row address outside its storage shows up under ASan.
#pragma once

#include "base/ByteOrder.h"
#include "image/DIB.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Declared sizes the PNG reader would honour but that only measure the allocator: any IHDR in
// the input (the chunk type is always literal bytes) asking for more than 16 M pixels.
inline bool DeclaresHugePng(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 12 <= size; ++i) {
        if (std::memcmp(data + i, "IHDR", 4) != 0) continue;
        const uint64_t width = LoadBE32(data + i + 4), height = LoadBE32(data + i + 8);
        if (width * height > (uint64_t(1) << 24)) return true;
    }
    return false;
}

// The sum of every byte of every row, to be kept in a volatile so that the reads stay.
inline uint32_t TouchRows(const TDIB& image) {
    uint32_t sum = 0;
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.RowForRead(y);
        for (int32_t i = 0; i < image.Stride(); ++i)
            sum += row[i];
    }
    return sum;
}
