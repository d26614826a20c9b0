// The info header of a BMP file in all its sizes: the OS/2 1.x core header (12 bytes), OS/2 2.x
// headers (16 to 64 bytes) and the Windows headers (40, 52, 56, 108 and 124 bytes), read into
// one description.
#pragma once

#include "image/ChannelLayout.h"

#include <cstdint>

class TStream;

enum class TBmpCompression { None, Rle8, Rle4, Rle24, BitFields };

struct TBmpInfo {
    bool CoreHeader = false;       // colour table entries of 3 bytes instead of 4
    int64_t Width = 0, Height = 0; // Height < 0: rows stored top-down
    int32_t BitCount = 0;
    TBmpCompression Compression = TBmpCompression::None;
    uint32_t ImageSize = 0;
    uint32_t ColorsUsed = 0;
    uint32_t Masks[3] = {0, 0, 0}; // red, green, blue; bit fields only
    uint32_t AlphaMask = 0;        // 0 when the pixels carry no alpha
    // Bytes from the start of the info header to the colour table: the header and the masks
    // that follow it.
    uint32_t Length = 0;
};

// Reads the info header whose size field (already read) is headerSize, and the masks that follow
// it. Raises EInvalidGraphic for a header size or compression that is not BMP, or one that this
// reader does not support, and EReadError when the stream ends inside.
TBmpInfo ReadBmpInfoHeader(TStream& stream, uint32_t headerSize);

// Where the pixels of a file go: storage of BitCount bits per pixel in Layout. Bit fields that
// no storage layout has (any separate runs of set bits inside the pixel other than 5-5-5, 5-6-5
// and 8-8-8) are Scaled: each channel becomes 8 bits of 32-bit 8-8-8 storage.
struct TBmpStorage {
    int32_t BitCount = 0;
    TChannelLayout Layout;
    bool Scaled = false;
};

// Refuses geometry, bit counts and masks that no storage can hold (masks that are empty, not
// one run of bits, overlapping or outside the pixel), and tells the storage the file is read
// into.
TBmpStorage BmpStorageFor(const TBmpInfo& info);
