// How the red, green and blue channels sit in a 16- or 32-bit pixel.
#pragma once

#include <cstdint>

struct TChannelLayout {
    uint32_t RedMask = 0xFF0000, GreenMask = 0xFF00, BlueMask = 0xFF;
    int32_t RedBits = 8, GreenBits = 8, BlueBits = 8;
    // Red and green are shifted right by their shift to reach 8 bits, blue left by its shift.
    int32_t RedShift = 16, GreenShift = 8, BlueShift = 0;
    // Bits a channel lacks to 8 bits: the channel repeats its high bits that far down.
    int32_t RedFill = 0, GreenFill = 0, BlueFill = 0;

    bool SameMasks(const TChannelLayout& other) const {
        return RedMask == other.RedMask && GreenMask == other.GreenMask &&
               BlueMask == other.BlueMask;
    }
};

// Blue lowest, green above it, red above green, with the given widths.
TChannelLayout MakeLayout(int red, int green, int blue);
// The widths are the runs of set bits from each mask's lowest set bit; positions are normalised.
// Kept as part of the layout interface; the BMP reader checks its masks more strictly
// (BmpStorageFor), and only the tests call this.
TChannelLayout MakeLayoutFromMasks(uint32_t red, uint32_t green, uint32_t blue);
// 8-8-8 for 1, 4, 8, 24 and 32 bits; 5-5-5 or 5-6-5 for 16 bits.
bool IsLayoutAllowed(int bitCount, const TChannelLayout& layout);

// A channel value of bits bits (1 to 32) scaled to 8 bits by bit replication: a wide channel
// keeps its high 8 bits, a narrow one is repeated (3-bit 101 becomes 10110110), so that its
// lowest and highest values become 0 and 255.
uint8_t ChannelToByte(uint32_t value, int bits);

// The 8-bit channel values of a 16- or 32-bit pixel value.
void UnpackPixel(const TChannelLayout& layout, uint32_t value, uint8_t& red, uint8_t& green,
                 uint8_t& blue);
uint32_t PackPixel(const TChannelLayout& layout, uint8_t red, uint8_t green, uint8_t blue);
