#include "image/ChannelLayout.h"

TChannelLayout MakeLayout(int red, int green, int blue) {
    TChannelLayout l;
    // 64-bit arithmetic: widths from a file's masks may add up past 32 bits.
    const auto mask = [](int bits, int shift) {
        return shift >= 32 ? 0u : static_cast<uint32_t>(((uint64_t(1) << bits) - 1) << shift);
    };
    l.BlueMask = mask(blue, 0);
    l.GreenMask = mask(green, blue);
    l.RedMask = mask(red, green + blue);
    l.RedBits = red;
    l.GreenBits = green;
    l.BlueBits = blue;
    l.RedShift = red + green + blue - 8;
    l.GreenShift = green + blue - 8;
    l.BlueShift = 8 - blue;
    l.RedFill = 8 - red;
    l.GreenFill = 8 - green;
    l.BlueFill = 8 - blue;
    return l;
}

static int RunLength(uint32_t mask) {
    int bit = 0;
    while (bit < 31 && !(mask & (1u << bit)))
        ++bit;
    int run = 0;
    while (bit + run < 31 && (mask & (1u << (bit + run))))
        ++run;
    return run;
}

TChannelLayout MakeLayoutFromMasks(uint32_t red, uint32_t green, uint32_t blue) {
    return MakeLayout(RunLength(red), RunLength(green), RunLength(blue));
}

bool IsLayoutAllowed(int bitCount, const TChannelLayout& layout) {
    if (bitCount == 16)
        return layout.SameMasks(MakeLayout(5, 5, 5)) || layout.SameMasks(MakeLayout(5, 6, 5));
    return layout.SameMasks(MakeLayout(8, 8, 8));
}

uint8_t ChannelToByte(uint32_t value, int bits) {
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    uint32_t byte = value << (8 - bits);
    // Each pass doubles the bits that hold the pattern.
    for (int filled = bits; filled < 8; filled *= 2)
        byte |= byte >> filled;
    return static_cast<uint8_t>(byte);
}

// A short channel that its layout's shift has moved to the top of a byte, scaled to 8 bits.
static uint8_t Widen(uint32_t value, int bits) {
    return bits >= 8 ? static_cast<uint8_t>(value) : ChannelToByte(value >> (8 - bits), bits);
}

void UnpackPixel(const TChannelLayout& l, uint32_t value, uint8_t& red, uint8_t& green,
                 uint8_t& blue) {
    red = Widen((value & l.RedMask) >> l.RedShift, l.RedBits);
    green = Widen((value & l.GreenMask) >> l.GreenShift, l.GreenBits);
    blue = Widen((value & l.BlueMask) << l.BlueShift, l.BlueBits);
}

uint32_t PackPixel(const TChannelLayout& l, uint8_t red, uint8_t green, uint8_t blue) {
    return ((uint32_t(red) << l.RedShift) & l.RedMask) |
           ((uint32_t(green) << l.GreenShift) & l.GreenMask) |
           ((uint32_t(blue) >> l.BlueShift) & l.BlueMask);
}
