#include "png/KivPNGWriter.h"

#include "base/ByteOrder.h"
#include "image/DIB.h"
#include "image/NearestEntry.h"
#include "image/PaletteAlpha.h"
#include "image/PixelFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>
#include <vector>

namespace {

int DeflateLevel(int32_t compressionLevel) {
    switch (compressionLevel) {
    case CompressionNone:
        return 0;
    case CompressionFastest:
        return 1;
    case CompressionBest:
        // libdeflate's first thorough level: pixel art a tenth smaller than zlib's best, in
        // about twice its time on two cores. 11 and 12 gain a percent more for up to twice that.
        return 10;
    default:
        return DeflateAdapter::DefaultLevel;
    }
}

struct TRgb {
    uint8_t Red, Green, Blue;
};

// A colour value as red, green, blue; the palette-index form names an entry of palette.
TRgb ColorOf(int32_t value, const TPalette& palette) {
    if ((uint32_t(value) & 0xFF000000u) == uint32_t(ColorPaletteIndex)) {
        const TPaletteEntry& e = palette[uint32_t(value) & 0xFF];
        return {e.Red, e.Green, e.Blue};
    }
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)};
}

} // namespace

TKivPNGWriteStream::TKivPNGWriteStream() {
    deflate_.Drain = [this](const uint8_t* data, uint32_t count) {
        WriteChunk(ChunkIDAT, data, count);
        return 0;
    };
}

void TKivPNGWriteStream::SetIDATSize(int32_t size) {
    if (size < MinIDATSize || size > MaxIDATSize) throw EKivPNG(TPngError::BadIdatSize);
    idatSize_ = size;
}

void TKivPNGWriteStream::WriteChunk(uint32_t type, const uint8_t* data, uint32_t length) {
    uint8_t typeBytes[4];
    StoreBE32(typeBytes, type);
    uLong crc = crc32(crc32(0, nullptr, 0), typeBytes, 4);
    WriteLong(length);
    WriteLong(type);
    if (data != nullptr && length > 0) {
        WriteBlock(data, length);
        crc = crc32(crc, data, length);
    }
    WriteLong(uint32_t(crc));
}

void TKivPNGWriteStream::ChooseFormat() {
    const TDIB& image = *sourceDib_;
    sourceBits_ = image.BitCount();
    const bool supported = IsBitCountAllowed(sourceBits_) && sourceBits_ != 16;
    if (image.IsEmpty()) throw EKivPNG(TPngError::EmptyImage);
    if (!supported)
        throw EKivPNG(TPngError::UnsupportedImage, std::to_string(sourceBits_) + " bits, " +
                                                       std::to_string(image.Width()) + " x " +
                                                       std::to_string(image.Height()));
    const bool indexed = sourceBits_ <= 8;
    grey_ = indexed && Grayscale;
    const bool maskPresent = Mask != nullptr && Mask != &image && !Mask->IsEmpty() &&
                             Mask->Width() == image.Width() && Mask->Height() == image.Height() &&
                             Mask->BitCount() == 8;
    alpha_ = maskPresent && (!indexed || (grey_ && sourceBits_ == 8));
    bitDepth_ = indexed ? sourceBits_ : 8;
    if (indexed) {
        colorType_ = !grey_ ? ColorTypePalette : alpha_ ? ColorTypeGreyAlpha : ColorTypeGrey;
        pngBits_ = alpha_ ? 16 : sourceBits_;
    } else {
        colorType_ = alpha_ ? ColorTypeRgba : ColorTypeRgb;
        pngBits_ = alpha_ ? 32 : 24;
    }
    // The samples of a 1- or 4-bit file address only 2 or 16 entries; grey files use the ramp
    // that readers build for them.
    filePaletteCount_ = indexed ? 1 << sourceBits_ : 0;
    if (grey_) {
        const int32_t step = 255 / (filePaletteCount_ - 1);
        for (int32_t i = 0; i < filePaletteCount_; ++i) {
            const auto v = uint8_t(i * step);
            filePalette_[i] = {v, v, v, 0};
        }
    } else {
        filePalette_ = image.PaletteBlock;
    }
}

void TKivPNGWriteStream::WriteHeader() {
    uint8_t data[13];
    StoreBE32(data, uint32_t(sourceDib_->Width()));
    StoreBE32(data + 4, uint32_t(sourceDib_->Height()));
    data[8] = uint8_t(bitDepth_);
    data[9] = uint8_t(colorType_);
    data[10] = 0; // deflate
    data[11] = 0; // adaptive filtering per row
    data[12] = Interlace != 0 ? 1 : 0;
    WriteChunk(ChunkIHDR, data, sizeof data);
}

void TKivPNGWriteStream::PrepareText() {
    textChunk_.reset();
    if (Comment.empty()) return;
    textChunk_ = TextChunkFor("Comment", Comment);
    if (!textChunk_) throw EKivPNG(TPngError::CommentNotUtf8);
}

void TKivPNGWriteStream::WriteText() {
    if (textChunk_)
        WriteChunk(textChunk_->Type, textChunk_->Data.data(), uint32_t(textChunk_->Data.size()));
}

void TKivPNGWriteStream::WritePrivateChunk() {
    uint8_t data[PrivateChunkSize] = {};
    StoreBE32(data, PrivateChunkMagic);
    data[4] = EncodeHookActive() ? 1 : 0;
    WriteChunk(ChunkTPNG, data, sizeof data);
}

void TKivPNGWriteStream::WriteGamma() {
    if (!(Gamma > 0)) return;
    uint8_t data[4];
    const double scaled = std::min(Gamma * 100000, double(std::numeric_limits<uint32_t>::max()));
    StoreBE32(data, uint32_t(scaled));
    WriteChunk(ChunkGAMA, data, sizeof data);
}

void TKivPNGWriteStream::WriteSignificantBits() {
    if (SignificantBits < 1 || grey_) return;
    // Samples are 8 bits wide in every file that carries sBIT: a width of 0 or above 8 (taken
    // over from a 16-bit file) would make the chunk invalid; all 8 bits are significant then.
    uint8_t data[4];
    for (int i = 0; i < 4; ++i) {
        const auto bits = uint8_t(uint32_t(SignificantBits) >> (8 * i));
        data[i] = bits == 0 || bits > 8 ? 8 : bits;
    }
    WriteChunk(ChunkSBIT, data, alpha_ ? 4 : 3);
}

void TKivPNGWriteStream::WritePalette() {
    // Grey files need no palette: readers build the same ramp from the bit depth.
    if (filePaletteCount_ == 0 || grey_) return;
    std::vector<uint8_t> data;
    data.reserve(size_t(filePaletteCount_) * 3);
    for (int32_t i = 0; i < filePaletteCount_; ++i) {
        const TPaletteEntry& e = filePalette_[i];
        data.insert(data.end(), {e.Red, e.Green, e.Blue});
    }
    WriteChunk(ChunkPLTE, data.data(), uint32_t(data.size()));
}

void TKivPNGWriteStream::WriteBackground() {
    if (BackgroundColor == ColorNone) return;
    uint8_t data[6];
    const TPalette& palette = sourceDib_->PaletteBlock;
    const bool isIndex = (uint32_t(BackgroundColor) & 0xFF000000u) == uint32_t(ColorPaletteIndex);
    const uint32_t index = uint32_t(BackgroundColor) & 0xFF;
    const TRgb c = ColorOf(BackgroundColor, palette);
    if (filePaletteCount_ == 0) {
        StoreBE16(data, c.Red);
        StoreBE16(data + 2, c.Green);
        StoreBE16(data + 4, c.Blue);
        WriteChunk(ChunkBKGD, data, 6);
    } else if (grey_) {
        StoreBE16(data,
                  NearestPaletteEntry(filePalette_, c.Red, c.Green, c.Blue, filePaletteCount_));
        WriteChunk(ChunkBKGD, data, 2);
    } else {
        // An entry named by index stays that entry, even when another one has its colour.
        data[0] =
            isIndex && index < uint32_t(filePaletteCount_)
                ? uint8_t(index)
                : NearestPaletteEntry(filePalette_, c.Red, c.Green, c.Blue, filePaletteCount_);
        WriteChunk(ChunkBKGD, data, 1);
    }
}

void TKivPNGWriteStream::WriteTransparency() {
    // An alpha channel already says how transparent every pixel is.
    if (alpha_) return;
    uint8_t data[6];
    if (filePaletteCount_ == 0) {
        if (TransparentColor == ColorNone || (uint32_t(TransparentColor) & 0xFF000000u) != 0)
            return;
        const TRgb c = ColorOf(TransparentColor, sourceDib_->PaletteBlock);
        StoreBE16(data, c.Red);
        StoreBE16(data + 2, c.Green);
        StoreBE16(data + 4, c.Blue);
        WriteChunk(ChunkTRNS, data, 6);
    } else if (grey_) {
        // A grey file marks one sample value transparent, nothing in between.
        const int32_t index = FullyTransparentEntry(PaletteAlpha);
        if (index < 0 || index >= filePaletteCount_ || HasPartialAlpha(PaletteAlpha)) return;
        StoreBE16(data, uint16_t(index));
        WriteChunk(ChunkTRNS, data, 2);
    } else if (!PaletteAlpha.empty()) {
        const size_t count = std::min(PaletteAlpha.size(), size_t(filePaletteCount_));
        WriteChunk(ChunkTRNS, PaletteAlpha.data(), uint32_t(count));
    }
}

void TKivPNGWriteStream::WritePhysicalSize() {
    if (PixelsPerUnitX < 1 || PixelsPerUnitY < 1) return;
    uint32_t x = uint32_t(PixelsPerUnitX), y = uint32_t(PixelsPerUnitY);
    uint8_t unit = PixelUnit == 1 ? 1 : 0;
    if (PixelUnit == 2) { // dots per inch, stored per metre
        x = uint32_t(std::trunc(double(x) * 100 / 254 * 100));
        y = uint32_t(std::trunc(double(y) * 100 / 254 * 100));
        unit = 1;
    }
    uint8_t data[9];
    StoreBE32(data, x);
    StoreBE32(data + 4, y);
    data[8] = unit;
    WriteChunk(ChunkPHYS, data, sizeof data);
}

void TKivPNGWriteStream::BuildRow(int32_t y, const TPngPass& pass, int32_t count,
                                  uint8_t* out) const {
    const uint8_t* src = sourceDib_->RowForRead(y);
    const uint8_t* mask = alpha_ ? Mask->RowForRead(y) : nullptr;
    const int32_t x0 = pass.xStart, step = pass.xStep;
    if (step == 1 && sourceBits_ <= 8 && mask == nullptr) {
        // The stored row is the PNG row; unused low bits of a last partial byte go out as zero.
        const int64_t bytes = PngRowBytes(count, sourceBits_);
        std::memcpy(out, src, size_t(bytes));
        const int32_t usedBits = int32_t((int64_t(count) * sourceBits_) % 8);
        if (usedBits != 0) out[bytes - 1] &= uint8_t(0xFF << (8 - usedBits));
        return;
    }
    if (sourceBits_ < 8) {
        std::memset(out, 0, size_t(PngRowBytes(count, sourceBits_)));
        for (int32_t i = 0; i < count; ++i)
            SetPackedPixel(out, sourceBits_, size_t(i),
                           PackedPixel(src, sourceBits_, size_t(x0 + i * step)));
        return;
    }
    const int32_t srcBytes = sourceBits_ / 8;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = x0 + i * step;
        const uint8_t* p = src + int64_t(x) * srcBytes;
        if (srcBytes == 1) {
            *out++ = p[0];
        } else { // stored blue, green, red
            *out++ = p[2];
            *out++ = p[1];
            *out++ = p[0];
        }
        if (mask != nullptr) *out++ = uint8_t(255 - mask[x]);
    }
}

void TKivPNGWriteStream::WritePasses() {
    const int32_t width = sourceDib_->Width(), height = sourceDib_->Height();
    const bool interlaced = Interlace != 0;
    const int64_t rowTotal = PngRowCount(height, interlaced);
    int32_t rowNumber = 0;
    TKivRowPair& rows = deflate_.Rows;
    for (const TPngPass& pass : interlaced ? std::span<const TPngPass>(Adam7Passes)
                                           : std::span<const TPngPass>(&WholeImagePass, 1)) {
        const auto passWidth = int32_t(PassExtent(width, pass.xStart, pass.xStep));
        const auto passHeight = int32_t(PassExtent(height, pass.yStart, pass.yStep));
        if (passWidth == 0 || passHeight == 0) continue;
        deflate_.RowLength = int32_t(1 + PngRowBytes(passWidth, pngBits_));
        rows.ClearPrevious();
        for (int32_t k = 0; k < passHeight && !aborted_; ++k) {
            uint8_t* data = rows.Row() + 1;
            BuildRow(pass.yStart + k * pass.yStep, pass, passWidth, data);
            if (EncodeHookActive())
                OnEncodeRow(*this, data, KeyText, rowNumber, deflate_.RowLength - 1);
            if (deflate_.WriteRow() < 0) throw EKivPNG(TPngError::WriteFailed);
            rows.Swap();
            ++rowNumber;
            if (rowNumber % 4 == 2 || rowTotal < 4) ProgressStep(rowNumber);
        }
    }
}

void TKivPNGWriteStream::WriteImageData() {
    const size_t capacity = size_t(PngRowStride(sourceDib_->Width(), pngBits_)) + 4;
    deflate_.Rows.Allocate(capacity);
    deflate_.BestCandidate.assign(capacity, 0);
    deflate_.ScratchCandidate.assign(capacity, 0);
    deflate_.BitsPerPixel = pngBits_;
    deflate_.SourceBitsPerPixel = sourceBits_;
    deflate_.FilterChoice = FilterType;
    const int32_t width = sourceDib_->Width(), height = sourceDib_->Height();
    const auto dataBytes = size_t(PngImageDataBytes(width, height, pngBits_, Interlace != 0));
    if (deflate_.Start(DeflateLevel(CompressionLevel), idatSize_, dataBytes) != 0)
        throw EKivPNG(TPngError::WriteFailed);
    ProgressPhase(1, PngRowCount(sourceDib_->Height(), Interlace != 0), 100);
    auto release = [this] {
        deflate_.End();
        deflate_.Rows.Free();
        deflate_.BestCandidate = {};
        deflate_.ScratchCandidate = {};
    };
    try {
        WritePasses();
    } catch (...) {
        // What was compressed before the failure still goes out as a last IDAT chunk.
        try {
            deflate_.Finish();
        } catch (...) {
        }
        release();
        throw;
    }
    const int finished = deflate_.Finish();
    release();
    if (finished != 0) throw EKivPNG(TPngError::WriteFailed);
}

void TKivPNGWriteStream::EncodeImage() {
    // Everything that can refuse the save does so before the first byte is written.
    ChooseFormat();
    PrepareText();
    ProgressStart();
    ProgressPhase(1, 10, 30);
    WriteBlock(PngSignature.data(), PngSignature.size());
    WriteHeader();
    WriteText();
    WritePrivateChunk();
    WriteGamma();
    WriteSignificantBits();
    WritePalette();
    WriteBackground();
    WriteTransparency();
    WritePhysicalSize();
    ProgressStep(10);
    if (aborted_) return;
    WriteImageData();
    if (aborted_) return;
    WriteChunk(ChunkIEND, nullptr, 0);
    ProgressEnd();
}
