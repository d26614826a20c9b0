// Reading and writing BMP files. The storage of a TDIB already holds the BMP header block and the
// pixel rows in file order, so writing is two plain copies and reading fills a fresh storage that
// the image adopts only once the whole file has been read.
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/BmpRle.h"
#include "image/DIB.h"
#include "image/PixelFormat.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kInvalidDib = "不正な DIB です";

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint16_t kBmpType = 0x4D42; // "BM"

enum : uint32_t { kCompressNone = 0, kCompressRle8 = 1, kCompressRle4 = 2, kCompressBitFields = 3 };

// RLE expands fast (a delta skips 255 rows in four bytes), so a tiny file may ask for a huge image.
// Expansion beyond this many bytes must be backed by at least 1/kRleMaxRatio of it in compressed
// data; legitimate RLE of flat images stays far below that ratio.
constexpr uint64_t kRleFreeExpansion = 64u << 20;
constexpr uint64_t kRleMaxRatio = 1024;

// The fields of either info header that the reader uses.
struct TBmpInfo {
    bool Os2 = false;
    int64_t Width = 0, Height = 0; // Height < 0: rows stored top-down
    int32_t BitCount = 0;
    uint32_t Compression = kCompressNone;
    uint32_t ImageSize = 0;
    uint32_t ColorsUsed = 0;
    uint32_t Masks[3] = {0, 0, 0}; // red, green, blue; compression 3 only
};

TBmpInfo ReadInfoHeader(TStream& stream, uint32_t headerSize) {
    TBmpInfo info;
    uint8_t h[kInfoHeaderSize - 4];
    if (headerSize == kCoreHeaderSize) {
        stream.ReadBuffer(h, 8);
        info.Os2 = true;
        info.Width = LoadLE16(h);
        info.Height = LoadLE16(h + 2);
        info.BitCount = LoadLE16(h + 6);
    } else if (headerSize == kInfoHeaderSize) {
        stream.ReadBuffer(h, sizeof h);
        info.Width = static_cast<int32_t>(LoadLE32(h));
        info.Height = static_cast<int32_t>(LoadLE32(h + 4));
        info.BitCount = LoadLE16(h + 10);
        info.Compression = LoadLE32(h + 12);
        info.ImageSize = LoadLE32(h + 16);
        info.ColorsUsed = LoadLE32(h + 28);
    } else {
        throw EInvalidGraphic(kInvalidDib);
    }
    if (info.Compression > kCompressBitFields) throw EInvalidGraphic(kInvalidDib);
    if (info.Compression == kCompressBitFields) {
        uint8_t m[12];
        stream.ReadBuffer(m, sizeof m);
        for (int i = 0; i < 3; ++i)
            info.Masks[i] = LoadLE32(m + 4 * i);
    }
    return info;
}

// The colour table of the file: the first entries as the header counts them, the rest black.
TPalette ReadColorTable(TStream& stream, const TBmpInfo& info) {
    uint32_t count = info.ColorsUsed;
    if (count == 0 && info.BitCount <= 8) count = 1u << info.BitCount;
    if (count > 256) count = 256;
    const size_t entrySize = info.Os2 ? 3 : 4;
    uint8_t bytes[256 * 4];
    stream.ReadBuffer(bytes, count * entrySize);
    TPalette table{};
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = bytes + i * entrySize;
        table[i] = {e[0], e[1], e[2], info.Os2 ? uint8_t(0) : e[3]};
    }
    return table;
}

// The width of a mask's one run of set bits, or -1 when its set bits are not one run.
int RunWidth(uint32_t mask) {
    if (mask == 0) return 0;
    const uint32_t run = mask >> std::countr_zero(mask);
    return (run & (run + 1)) == 0 ? std::popcount(run) : -1;
}

// Refuses headers the reader cannot turn into storage and returns the channel layout of the
// storage. Bit-field masks are accepted when they are three separate runs of bits as wide as the
// channels of an allowed layout; masks that merely start with such runs would scramble colours.
TChannelLayout CheckedLayout(const TBmpInfo& info) {
    if (info.Width <= 0 || info.Height == 0) throw EInvalidGraphic(kInvalidDib);
    if (!IsBitCountAllowed(info.BitCount))
        throw EInvalidGraphicOperation("不正なビット数です (" + std::to_string(info.BitCount) +
                                       ")");
    const bool depthFits = info.Compression == kCompressRle8   ? info.BitCount == 8
                           : info.Compression == kCompressRle4 ? info.BitCount == 4
                           : info.Compression == kCompressBitFields
                               ? info.BitCount == 16 || info.BitCount == 32
                               : true;
    if (!depthFits) throw EInvalidGraphic(kInvalidDib);
    if (info.Compression != kCompressBitFields)
        return info.BitCount == 16 ? MakeLayout(5, 5, 5) : MakeLayout(8, 8, 8);
    const auto [red, green, blue] = info.Masks;
    const int r = RunWidth(red), g = RunWidth(green), b = RunWidth(blue);
    const bool separate = (red & green) == 0 && (red & blue) == 0 && (green & blue) == 0;
    if (!separate || r < 0 || g < 0 || b < 0 ||
        !IsLayoutAllowed(info.BitCount, MakeLayout(r, g, b)))
        throw EInvalidGraphicOperation("不正なピクセルフォーマットです");
    return MakeLayout(r, g, b);
}

// Moves the channels of 16- or 32-bit pixels from the file's masks to the positions of layout,
// whose channels have the same widths.
void RepackChannels(TDIBSharedImage& storage, const uint32_t (&masks)[3]) {
    const TChannelLayout& layout = storage.Layout;
    const uint32_t to[3] = {layout.RedMask, layout.GreenMask, layout.BlueMask};
    if (masks[0] == to[0] && masks[1] == to[1] && masks[2] == to[2]) return;
    int from[3], shiftTo[3];
    for (int c = 0; c < 3; ++c) {
        from[c] = std::countr_zero(masks[c]);
        shiftTo[c] = std::countr_zero(to[c]);
    }
    const int bytes = storage.BitCount / 8;
    for (int32_t y = 0; y < storage.Height; ++y) {
        uint8_t* p = storage.Storage + int64_t(y) * storage.Stride;
        for (int32_t x = 0; x < storage.Width; ++x, p += bytes) {
            uint32_t value = 0, packed = 0;
            for (int i = 0; i < bytes; ++i)
                value |= uint32_t(p[i]) << (8 * i);
            for (int c = 0; c < 3; ++c)
                packed |= ((value & masks[c]) >> from[c]) << shiftTo[c];
            for (int i = 0; i < bytes; ++i)
                p[i] = static_cast<uint8_t>(packed >> (8 * i));
        }
    }
}

struct TStorageDeleter {
    void operator()(TDIBSharedImage* storage) const { delete storage; }
};
using TStorageHolder = std::unique_ptr<TDIBSharedImage, TStorageDeleter>;

} // namespace

void TDIB::LoadFromBmp(TStream& stream) {
    uint8_t header[kFileHeaderSize];
    const int64_t got = stream.Read(header, sizeof header);
    if (got == 0) return;
    if (got != static_cast<int64_t>(sizeof header) || LoadLE16(header) != kBmpType)
        throw EInvalidGraphic(kInvalidDib);
    // The file size and the pixel data offset are not used: the pixels follow the colour table.
    LoadBmpBody(stream);
}

void TDIB::LoadBmpBody(TStream& stream) {
    uint8_t sizeBytes[4];
    const int64_t got = stream.Read(sizeBytes, sizeof sizeBytes);
    if (got == 0) {
        MakeEmpty();
        return;
    }
    if (got != static_cast<int64_t>(sizeof sizeBytes)) throw EInvalidGraphic(kInvalidDib);
    const TBmpInfo info = ReadInfoHeader(stream, LoadLE32(sizeBytes));
    const TPalette colorTable = ReadColorTable(stream, info);
    const TChannelLayout layout = CheckedLayout(info);

    // Sizes from the file are checked in 64 bits before anything is allocated.
    const int64_t height = std::abs(info.Height);
    const int64_t stride = (info.Width * info.BitCount + 31) / 32 * 4;
    // A stride within 32 bits keeps the product below 2^63.
    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    if (stride > limit || stride * height > limit) throw EOutOfMemory();
    const int64_t size = stride * height;
    const bool rle = info.Compression == kCompressRle8 || info.Compression == kCompressRle4;
    const int64_t needed = rle ? info.ImageSize : size;
    if (stream.Size() - stream.Position() < needed) throw EReadError();
    if (rle && static_cast<uint64_t>(size) > kRleFreeExpansion &&
        static_cast<uint64_t>(size) > kRleMaxRatio * info.ImageSize)
        throw EInvalidGraphic(kInvalidDib);

    std::vector<uint8_t> compressed(rle ? info.ImageSize : 0);
    stream.ReadBuffer(compressed.data(), static_cast<int64_t>(compressed.size()));
    TStorageHolder storage(TDIBSharedImage::Build(static_cast<int32_t>(info.Width),
                                                  static_cast<int32_t>(height), info.BitCount,
                                                  layout, colorTable));
    if (rle) {
        ExpandBmpRle(compressed.data(), compressed.size(), info.BitCount, storage->Storage,
                     storage->Width, storage->Height, storage->Stride);
    } else if (info.Height > 0) {
        stream.ReadBuffer(storage->Storage, size);
    } else {
        // Top-down rows: the i-th row read is row i from the top, stored bottom-up as always.
        for (int32_t y = 0; y < storage->Height; ++y)
            stream.ReadBuffer(storage->TopRow + int64_t(y) * storage->RowStep, stride);
    }
    if (info.Compression == kCompressBitFields) RepackChannels(*storage, info.Masks);
    Adopt(storage.release());
}

void TDIB::SaveAsBmp(TStream& stream) const {
    if (IsEmpty()) return;
    const uint32_t offset = kFileHeaderSize + static_cast<uint32_t>(HeaderSize());
    uint8_t header[kFileHeaderSize] = {};
    StoreLE16(header, kBmpType);
    StoreLE32(header + 2, offset + Size());
    StoreLE32(header + 10, offset);
    stream.WriteBuffer(header, sizeof header);
    SaveBmpBody(stream);
}

void TDIB::SaveBmpBody(TStream& stream) const {
    if (IsEmpty()) return;
    stream.WriteBuffer(HeaderBlock(), HeaderSize());
    stream.WriteBuffer(StorageForRead(), Size());
}
