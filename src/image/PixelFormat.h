// The pixel formats of an image: which bit counts exist, and how pixels of fewer than 8 bits are
// packed into a row. The leftmost pixel sits in the high bits of a byte (as in BMP and PNG rows).
#pragma once

#include <cstddef>
#include <cstdint>

// The bit counts an image can hold.
constexpr bool IsBitCountAllowed(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// Bit counts whose pixels are palette indices.
constexpr bool IsIndexedBitCount(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8;
}

// Pixel x of a row of Bits-bit pixels (1, 2, 4 or 8).
template <int Bits> constexpr unsigned PackedPixel(const uint8_t* row, size_t x) {
    static_assert(Bits == 1 || Bits == 2 || Bits == 4 || Bits == 8);
    constexpr size_t perByte = 8 / Bits;
    const unsigned shift = 8 - Bits * unsigned(x % perByte + 1);
    return unsigned(row[x / perByte] >> shift) & ((1u << Bits) - 1);
}

// Stores the low Bits bits of value as pixel x of row; the other pixels of its byte are kept.
template <int Bits> constexpr void SetPackedPixel(uint8_t* row, size_t x, unsigned value) {
    static_assert(Bits == 1 || Bits == 2 || Bits == 4 || Bits == 8);
    constexpr size_t perByte = 8 / Bits;
    constexpr unsigned mask = (1u << Bits) - 1;
    const unsigned shift = 8 - Bits * unsigned(x % perByte + 1);
    uint8_t& byte = row[x / perByte];
    byte = uint8_t((byte & ~(mask << shift)) | (value & mask) << shift);
}

// The same for a bit count known only at run time: 1, 2, 4 or 8.
inline unsigned PackedPixel(const uint8_t* row, int bits, size_t x) {
    switch (bits) {
    case 1:
        return PackedPixel<1>(row, x);
    case 2:
        return PackedPixel<2>(row, x);
    case 4:
        return PackedPixel<4>(row, x);
    default:
        return PackedPixel<8>(row, x);
    }
}

inline void SetPackedPixel(uint8_t* row, int bits, size_t x, unsigned value) {
    switch (bits) {
    case 1:
        return SetPackedPixel<1>(row, x, value);
    case 2:
        return SetPackedPixel<2>(row, x, value);
    case 4:
        return SetPackedPixel<4>(row, x, value);
    default:
        return SetPackedPixel<8>(row, x, value);
    }
}
