// Reading and writing BMP files. The storage of a TDIB holds the BMP header block and, unless a
// decoder handed its own rows over, the pixel rows in file order, so writing is two plain copies
// and reading fills a fresh storage that the image adopts only once the whole file has been read.
#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/LargeAlloc.h"
#include "base/Stream.h"
#include "image/BmpHeader.h"
#include "image/BmpRle.h"
#include "image/DIB.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

const char* const kInvalidDib = "不正な DIB です";
// A file that ends before its first pixel holds no picture.
const char* const kNoImageData = "画像データがありません";

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint16_t kBmpType = 0x4D42; // "BM"
// Rows not in file order are gathered into pieces of about this size for writing.
constexpr size_t kSavePieceBytes = size_t(1) << 20;

// RLE expands fast (a delta skips 255 rows in four bytes), so a tiny file may ask for a huge image.
// Expansion beyond this many bytes must be backed by at least 1/kRleMaxRatio of it in compressed
// data; legitimate RLE of flat images stays far below that ratio.
constexpr uint64_t kRleFreeExpansion = 64u << 20;
constexpr uint64_t kRleMaxRatio = 1024;

// Bytes between the stream's position and its end.
int64_t BytesLeft(TStream& stream) {
    return stream.Size() - stream.Position();
}

// Reads past count bytes, so that streams that cannot seek are served too. False when the stream
// ends first.
bool SkipBytes(TStream& stream, int64_t count) {
    uint8_t scrap[4096];
    while (count > 0) {
        const int64_t chunk = std::min<int64_t>(count, sizeof scrap);
        if (stream.Read(scrap, chunk) != chunk) return false;
        count -= chunk;
    }
    return true;
}

// The entries of the colour table as the file holds them, before the cut to 256. pixelGap is how
// many bytes the file puts between the headers and the pixels, or -1 when it does not say.
int64_t ColorTableEntries(const TBmpInfo& info, int64_t pixelGap) {
    int64_t count = info.ColorsUsed;
    if (count == 0 && info.BitCount <= 8) count = int64_t(1) << info.BitCount;
    // A file whose pixels start sooner has that many entries only.
    if (pixelGap >= 0) count = std::min(count, pixelGap / (info.CoreHeader ? 3 : 4));
    return count;
}

// Reads the colour table, which starts at the stream's position, and moves on to the first pixel.
// pixelGap is how many bytes the file puts between the two, or -1 when it does not say, so that
// the pixels follow the table as long as the header declares it. Beyond the first 256 entries
// the table is passed over; entries the file lacks stay black.
TPalette ReadColorTable(TStream& stream, const TBmpInfo& info, int64_t pixelGap) {
    const int64_t count = ColorTableEntries(info, pixelGap);
    const int64_t entrySize = info.CoreHeader ? 3 : 4;
    const int64_t tableBytes = count * entrySize;
    const int64_t skip = pixelGap >= 0 ? pixelGap : tableBytes;
    if (skip > BytesLeft(stream)) throw EInvalidGraphic(kNoImageData);
    const int64_t kept = std::min<int64_t>(count, 256);
    uint8_t bytes[256 * 4];
    if (stream.Read(bytes, kept * entrySize) != kept * entrySize ||
        !SkipBytes(stream, skip - kept * entrySize))
        throw EInvalidGraphic(kNoImageData);
    TPalette table{};
    for (int64_t i = 0; i < kept; ++i) {
        const uint8_t* e = bytes + i * entrySize;
        table[i] = {e[0], e[1], e[2], info.CoreHeader ? uint8_t(0) : e[3]};
    }
    return table;
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
            const uint32_t value = bytes == 4 ? LoadLE32(p) : LoadLE16(p);
            uint32_t packed = 0;
            for (int c = 0; c < 3; ++c)
                packed |= ((value & masks[c]) >> from[c]) << shiftTo[c];
            if (bytes == 4)
                StoreLE32(p, packed);
            else
                StoreLE16(p, packed);
        }
    }
}

// Reads the rows of 16- or 32-bit pixels (fileStride bytes each, in file order) whose bit
// fields fit no storage layout into 32-bit 8-8-8 storage, each channel scaled to 8 bits.
void ReadScaledRows(TStream& stream, const TBmpInfo& info, int64_t fileStride,
                    TDIBSharedImage& storage) {
    int from[3], bits[3];
    for (int c = 0; c < 3; ++c) {
        from[c] = std::countr_zero(info.Masks[c]);
        bits[c] = std::popcount(info.Masks[c]);
    }
    const int bytes = info.BitCount / 8;
    std::vector<uint8_t> row(static_cast<size_t>(fileStride));
    for (int32_t i = 0; i < storage.Height; ++i) {
        stream.ReadBuffer(row.data(), fileStride);
        // The i-th row of the file counts from the bottom, or from the top for a negative height.
        uint8_t* out = info.Height > 0 ? storage.Storage + int64_t(i) * storage.Stride
                                       : storage.TopRow + int64_t(i) * storage.RowStep;
        const uint8_t* p = row.data();
        for (int32_t x = 0; x < storage.Width; ++x, p += bytes, out += 4) {
            const uint32_t value = bytes == 4 ? LoadLE32(p) : LoadLE16(p);
            // Blue, green, red, then the byte that would hold alpha.
            for (int c = 0; c < 3; ++c)
                out[2 - c] = ChannelToByte((value & info.Masks[c]) >> from[c], bits[c]);
            out[3] = 0;
        }
    }
}

struct TStorageDeleter {
    void operator()(TDIBSharedImage* storage) const { delete storage; }
};
using TStorageHolder = std::unique_ptr<TDIBSharedImage, TStorageDeleter>;

// Reads the info header, its size field first. pixelGap becomes the bytes between it and the
// pixels when pixelOffset (as below) lies past it and inside the file, else -1.
TBmpInfo ReadInfoHeader(TStream& stream, int64_t pixelOffset, int64_t& pixelGap) {
    uint8_t sizeBytes[4];
    const int64_t got = stream.Read(sizeBytes, sizeof sizeBytes);
    if (got == 0) throw EInvalidGraphic(kNoImageData);
    if (got != static_cast<int64_t>(sizeof sizeBytes)) throw EInvalidGraphic(kInvalidDib);
    const TBmpInfo info = ReadBmpInfoHeader(stream, LoadLE32(sizeBytes));
    const int64_t gap = pixelOffset - info.Length;
    pixelGap = gap >= 0 && gap <= BytesLeft(stream) ? gap : -1;
    return info;
}

// Reads the file header; returns where it says the pixels start, counted from the info header.
int64_t ReadFileHeader(TStream& stream) {
    uint8_t header[kFileHeaderSize];
    const int64_t got = stream.Read(header, sizeof header);
    if (got == 0) throw EInvalidGraphic(kNoImageData);
    if (got != static_cast<int64_t>(sizeof header) || LoadLE16(header) != kBmpType)
        throw EInvalidGraphic(kInvalidDib);
    // The file size is not used: files that state it wrongly are common.
    return int64_t(LoadLE32(header + 10)) - kFileHeaderSize;
}

// Reads the info header on and builds the storage. pixelOffset is where the file header says
// the pixels start, counted from the start of the info header; it is used when it lies past the
// headers and inside the file (-1: no file header).
TDIBSharedImage* ReadBmpBody(TStream& stream, int64_t pixelOffset) {
    int64_t gap = 0;
    const TBmpInfo info = ReadInfoHeader(stream, pixelOffset, gap);
    const TBmpStorage kind = BmpStorageFor(info);
    const TPalette colorTable = ReadColorTable(stream, info, gap);

    // Sizes from the file are checked in 64 bits before anything is allocated.
    const int64_t height = std::abs(info.Height);
    const int64_t stride = (info.Width * info.BitCount + 31) / 32 * 4;
    // A stride within 32 bits keeps the product below 2^63.
    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    if (stride > limit || stride * height > limit) throw EOutOfMemory();
    const int64_t size = stride * height;
    const bool rle = info.Compression == TBmpCompression::Rle8 ||
                     info.Compression == TBmpCompression::Rle4 ||
                     info.Compression == TBmpCompression::Rle24;
    const int64_t needed = rle ? info.ImageSize : size;
    const int64_t left = BytesLeft(stream);
    if (left <= 0) throw EInvalidGraphic(kNoImageData);
    if (left < needed) throw EReadError();
    if (rle && static_cast<uint64_t>(size) > kRleFreeExpansion &&
        static_cast<uint64_t>(size) > kRleMaxRatio * info.ImageSize)
        throw EInvalidGraphic(kInvalidDib);

    std::vector<uint8_t> compressed(rle ? info.ImageSize : 0);
    stream.ReadBuffer(compressed.data(), static_cast<int64_t>(compressed.size()));
    TStorageHolder storage(TDIBSharedImage::Build(static_cast<int32_t>(info.Width),
                                                  static_cast<int32_t>(height), kind.BitCount,
                                                  kind.Layout, colorTable));
    if (kind.Scaled) {
        ReadScaledRows(stream, info, stride, *storage);
        return storage.release();
    }
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
    if (info.Compression == TBmpCompression::BitFields) RepackChannels(*storage, info.Masks);
    return storage.release();
}

} // namespace

void TDIB::LoadFromBmp(TStream& stream) {
    Adopt(ReadBmpBody(stream, ReadFileHeader(stream)));
}

void TDIB::LoadBmpBody(TStream& stream) {
    Adopt(ReadBmpBody(stream, -1));
}

void TDIB::SaveAsBmp(TStream& stream) const {
    if (IsEmpty()) throw EInvalidGraphic(kNoImageData);
    const uint32_t offset = kFileHeaderSize + static_cast<uint32_t>(HeaderSize());
    uint8_t header[kFileHeaderSize] = {};
    StoreLE16(header, kBmpType);
    StoreLE32(header + 2, offset + Size());
    StoreLE32(header + 10, offset);
    stream.WriteBuffer(header, sizeof header);
    SaveBmpBody(stream);
}

void TDIB::SaveBmpBody(TStream& stream) const {
    if (IsEmpty()) throw EInvalidGraphic(kNoImageData);
    stream.WriteBuffer(HeaderBlock(), HeaderSize());
    if (HasBmpLayout()) {
        stream.WriteBuffer(StorageForRead(), Size());
        return;
    }
    // Rows held elsewhere go out bottom-up through a buffer of whole rows.
    const auto stride = size_t(Stride());
    const size_t rowsPerPiece = std::clamp<size_t>(kSavePieceBytes / stride, 1, size_t(Height()));
    const size_t pieceBytes = rowsPerPiece * stride;
    // Filled row by row; on whole huge pages when large, as its 4 KiB faults would cost more
    // than the copying.
    const std::unique_ptr<uint8_t, decltype(&std::free)> piece(
        static_cast<uint8_t*>(AllocateLarge(BriefBlockSize(pieceBytes))), std::free);
    if (!piece) throw EOutOfMemory();
    for (int32_t y = Height() - 1; y >= 0;) {
        size_t used = 0;
        for (; used < pieceBytes && y >= 0; used += stride, --y)
            std::memcpy(piece.get() + used, RowForRead(y), stride);
        stream.WriteBuffer(piece.get(), int64_t(used));
    }
}

int32_t ReadBmpColorCount(TStream& stream) {
    const int64_t pixelOffset = ReadFileHeader(stream);
    int64_t gap = 0;
    const TBmpInfo info = ReadInfoHeader(stream, pixelOffset, gap);
    if (info.BitCount > 8) return 0;
    return int32_t(std::min<int64_t>(ColorTableEntries(info, gap), 256));
}
