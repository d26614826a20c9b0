#include "image/BmpHeader.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/PixelFormat.h"

#include <algorithm>
#include <bit>
#include <string>

namespace {

const char* const kInvalidDib = "不正な DIB です";

constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kMaxHeaderSize = 124;
// OS/2 2.x headers may stop after any field from the bit count on.
constexpr uint32_t kOs2MinHeaderSize = 16, kOs2MaxHeaderSize = 64;

bool IsWindowsHeaderSize(uint32_t size) {
    return size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 ||
           size == kMaxHeaderSize;
}

// The compression field. OS/2 2.x gives 3 and 4 other meanings than Windows does. Returns how
// many masks (red, green, blue, alpha) the pixels need.
int ReadCompression(uint32_t value, bool os2, TBmpCompression& compression) {
    switch (value) {
    case 0:
        compression = TBmpCompression::None;
        return 0;
    case 1:
        compression = TBmpCompression::Rle8;
        return 0;
    case 2:
        compression = TBmpCompression::Rle4;
        return 0;
    case 3:
        if (os2) throw EInvalidGraphic("ハフマン圧縮の BMP は対応していません");
        compression = TBmpCompression::BitFields;
        return 3;
    case 4:
        if (!os2) throw EInvalidGraphic("JPEG を格納した BMP は対応していません");
        compression = TBmpCompression::Rle24;
        return 0;
    case 5:
        if (!os2) throw EInvalidGraphic("PNG を格納した BMP は対応していません");
        break;
    case 6: // bit fields with an alpha mask
        if (os2) break;
        compression = TBmpCompression::BitFields;
        return 4;
    }
    throw EInvalidGraphic(kInvalidDib);
}

// The width of a mask's one run of set bits, or -1 when its set bits are not one run.
int RunWidth(uint32_t mask) {
    if (mask == 0) return 0;
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0 ? std::popcount(run) : -1;
}

} // namespace

TBmpInfo ReadBmpInfoHeader(TStream& stream, uint32_t headerSize) {
    const bool core = headerSize == kCoreHeaderSize;
    const bool windows = IsWindowsHeaderSize(headerSize);
    if (!core && !windows && (headerSize < kOs2MinHeaderSize || headerSize > kOs2MaxHeaderSize))
        throw EInvalidGraphic(kInvalidDib);
    // Offsets below count from the start of the header; fields a short header lacks read as 0.
    uint8_t h[kMaxHeaderSize] = {};
    stream.ReadBuffer(h + 4, headerSize - 4);
    TBmpInfo info;
    info.Length = headerSize;
    if (core) {
        info.CoreHeader = true;
        info.Width = LoadLE16(h + 4);
        info.Height = LoadLE16(h + 6);
        info.BitCount = LoadLE16(h + 10);
        return info;
    }
    info.Width = static_cast<int32_t>(LoadLE32(h + 4));
    info.Height = static_cast<int32_t>(LoadLE32(h + 8));
    info.BitCount = LoadLE16(h + 14);
    const int masksNeeded = ReadCompression(LoadLE32(h + 16), !windows, info.Compression);
    info.ImageSize = LoadLE32(h + 20);
    info.ColorsUsed = LoadLE32(h + 32);
    if (masksNeeded == 0) return info;

    // Windows headers past 40 bytes hold the masks themselves; the rest follow the header.
    uint32_t masks[4] = {0, 0, 0, 0};
    const int inHeader = std::min(4, int(headerSize - kInfoHeaderSize) / 4);
    for (int i = 0; i < inHeader; ++i)
        masks[i] = LoadLE32(h + kInfoHeaderSize + 4 * i);
    if (masksNeeded > inHeader) {
        uint8_t m[16];
        const int count = masksNeeded - inHeader;
        stream.ReadBuffer(m, 4 * count);
        for (int i = 0; i < count; ++i)
            masks[inHeader + i] = LoadLE32(m + 4 * i);
        info.Length += 4 * uint32_t(count);
    }
    std::copy(masks, masks + 3, info.Masks);
    // An alpha mask with no bits or all bits is no alpha channel.
    info.AlphaMask = masks[3] == 0xFFFFFFFF ? 0 : masks[3];
    return info;
}

TBmpStorage BmpStorageFor(const TBmpInfo& info) {
    if (info.Width <= 0 || info.Height == 0) throw EInvalidGraphic(kInvalidDib);
    if (info.BitCount == 2 || info.BitCount == 64)
        throw EInvalidGraphic(std::to_string(info.BitCount) + " ビットの BMP は対応していません");
    if (!IsBitCountAllowed(info.BitCount))
        throw EInvalidGraphicOperation("不正なビット数です (" + std::to_string(info.BitCount) +
                                       ")");
    const bool depthFits = info.Compression == TBmpCompression::Rle8    ? info.BitCount == 8
                           : info.Compression == TBmpCompression::Rle4  ? info.BitCount == 4
                           : info.Compression == TBmpCompression::Rle24 ? info.BitCount == 24
                           : info.Compression == TBmpCompression::BitFields
                               ? info.BitCount == 16 || info.BitCount == 32
                               : true;
    if (!depthFits) throw EInvalidGraphic(kInvalidDib);
    if (info.Compression != TBmpCompression::BitFields)
        return {info.BitCount, info.BitCount == 16 ? MakeLayout(5, 5, 5) : MakeLayout(8, 8, 8)};
    // Each mask must be one run of bits inside the pixel, apart from the others: masks that
    // merely start with such a run would scramble colours. The alpha channel is dropped, as the
    // image holds none, but it must not share bits with a colour.
    const auto [red, green, blue] = info.Masks;
    const int r = RunWidth(red), g = RunWidth(green), b = RunWidth(blue);
    const uint64_t pixel = (uint64_t(1) << info.BitCount) - 1;
    const bool separate = (red & green) == 0 && (red & blue) == 0 && (green & blue) == 0 &&
                          (info.AlphaMask & (red | green | blue)) == 0;
    if (!separate || r <= 0 || g <= 0 || b <= 0 || ((red | green | blue) & ~pixel) != 0)
        throw EInvalidGraphicOperation("不正なピクセルフォーマットです");
    const TChannelLayout layout = MakeLayout(r, g, b);
    if (IsLayoutAllowed(info.BitCount, layout)) return {info.BitCount, layout};
    return {32, MakeLayout(8, 8, 8), true};
}
