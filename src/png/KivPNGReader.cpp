#include "png/KivPNGReader.h"

#include "base/ByteOrder.h"
#include "base/LargeAlloc.h"
#include "image/DIB.h"
#include "image/PixelFormat.h"
#include "png/KivAdam7.h"
#include "png/KivBigBuffer.h"
#include "png/KivPNGText.h"

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Chunk flags: which chunks the decode has met.
constexpr uint32_t SeenIHDR = 1, ImageDone = 2, SeenIEND = 4, SeenPLTE = 8, SeenPrivate = 16;

// IHDR data: width, height, bit depth, colour type, compression, filter and interlace method.
constexpr int64_t HeaderSize = 13;

// Deflate turns one compressed byte into at most 1032 bytes (a 258-byte match in two bits).
constexpr int64_t MaxInflateRatio = 1032;

// Colour rows to image rows: pixels of In file bytes; one grey byte or three colour bytes
// (red at 0, green at Gap, blue at 2 * Gap) stored as blue, green, red; alpha at byte Alpha
// (none when negative) goes to the alpha row as 255 - alpha. Each pixel is read before it is
// written, so 8-bit RGB may be converted in place.
template <int In, int Colours, int Gap, int Alpha>
void ConvertPixels(const uint8_t* src, size_t count, uint8_t* dst, uint8_t* alpha) {
    for (size_t i = 0; i < count; ++i, src += In) {
        if constexpr (Colours == 1) {
            dst[i] = src[0];
        } else {
            const uint8_t red = src[0], green = src[Gap], blue = src[2 * Gap];
            dst[3 * i] = blue;
            dst[3 * i + 1] = green;
            dst[3 * i + 2] = red;
        }
        if constexpr (Alpha >= 0) alpha[i] = uint8_t(255 - src[Alpha]);
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Red and blue exchanged in five pixels (15 bytes) per step while 16 bytes remain to be read and
// written; the 16th byte written is the next pixel's, unchanged, which the next step writes
// again. Each step's bytes are loaded before the previous step's store, so src may be dst and
// no load waits for a store it overlaps. Returns the pixels done.
__attribute__((target("ssse3"))) size_t SwapRedBlueVector(const uint8_t* src, size_t count,
                                                          uint8_t* dst) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    const auto load = [src](size_t i) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    };
    if (3 * count < 16) return 0;
    __m128i pixels = load(0);
    size_t i = 0;
    for (; 3 * (i + 5) + 16 <= 3 * count; i += 5) {
        const __m128i next = load(i + 5);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_shuffle_epi8(pixels, order));
        pixels = next;
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_shuffle_epi8(pixels, order));
    return i + 5;
}
#endif

// 8-bit RGB to the image's blue, green, red; src may be dst.
void SwapRedBlue(const uint8_t* src, size_t count, uint8_t* dst) {
    size_t done = 0;
#if defined(__x86_64__) || defined(__i386__)
    static const bool vector = __builtin_cpu_supports("ssse3");
    if (vector) done = SwapRedBlueVector(src, count, dst);
#endif
    ConvertPixels<3, 3, 1, -1>(src + 3 * done, count - done, dst + 3 * done, nullptr);
}

// 2-bit samples widened to 4-bit indices of the same value; bytes are the output's length.
void Widen2To4(const uint8_t* src, size_t bytes, uint8_t* dst) {
    for (size_t j = 0; j < bytes; ++j)
        dst[j] = uint8_t(PackedPixel<2>(src, 2 * j) << 4 | PackedPixel<2>(src, 2 * j + 1));
}

// Puts count pixels of src (packed at bitsPerPixel) at x = start + i * step of row.
void ScatterPixels(const uint8_t* src, size_t count, int32_t bitsPerPixel, int32_t start,
                   int32_t step, uint8_t* row) {
    size_t x = size_t(start);
    switch (bitsPerPixel) {
    case 1:
        for (size_t i = 0; i < count; ++i, x += size_t(step))
            SetPackedPixel<1>(row, x, PackedPixel<1>(src, i));
        break;
    case 4:
        for (size_t i = 0; i < count; ++i, x += size_t(step))
            SetPackedPixel<4>(row, x, PackedPixel<4>(src, i));
        break;
    case 8:
        for (size_t i = 0; i < count; ++i, x += size_t(step))
            row[x] = src[i];
        break;
    default: // 24
        for (size_t i = 0; i < count; ++i, x += size_t(step)) {
            std::memcpy(row + 3 * x, src + 3 * i, 3);
        }
        break;
    }
}

// The chunk type as its four letters, or "" when it is not four ASCII letters.
std::string ChunkName(uint32_t type) {
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char(type >> shift);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return "";
        name += c;
    }
    return name;
}

int32_t ImageBitsFor(int32_t colorType, int32_t depth, bool alpha) {
    if (colorType == ColorTypeRgb) return 24;
    if (alpha || depth == 16) return 8;
    return depth == 2 ? 4 : depth;
}

} // namespace

TKivPNGReadStream::TKivPNGReadStream() {
    inflate_.Fill = [this] { return FillInput(); };
}

void TKivPNGReadStream::DecodeImage() {
    maskUsable_ = Mask != nullptr && static_cast<TGraphic*>(Mask) != target_;
    ProgressStart();
    ProgressPhase(0, 0, 30);

    alpha_ = grey_ = maskFromPalette_ = inflatedWhole_ = false;
    interlace_ = 0;
    keyText_.clear();
    colorType_ = -1;
    transparentColor_ = backgroundColor_ = ColorNone;
    significantBits_ = 0;
    gamma_ = 0;
    chunkFlags_ = 0;
    paletteAlpha_.fill(255);
    paletteAlphaCount_ = 0;

    uint8_t signature[8] = {};
    ReadBlock(signature, 8);
    if (std::memcmp(signature, PngSignature.data(), 8) != 0) {
        throw EKivPNG(TPngError::NotPng);
    }

    {
        struct TGuard {
            TKivPNGReadStream& self;
            ~TGuard() {
                self.inflate_.End();
                self.inflate_.FreeRows();
                self.convertRow_ = {};
                self.alphaRow_ = {};
                self.hookRow_ = {};
            }
        } guard{*this};
        ReadChunks();
    }

    if (!endOfData_ && !aborted_ && !alpha_ && maskFromPalette_ && maskUsable_) {
        BuildMaskFromPaletteAlpha();
    }
    ProgressEnd();
}

void TKivPNGReadStream::ReadChunks() {
    while (!endOfData_ && !aborted_ && (chunkFlags_ & SeenIEND) == 0) {
        chunkLeft_ = ReadLong();
        const uint32_t type = ReadLong();
        if (endOfData_ || aborted_) break;
        // A side chunk too short for its fields is passed over whole: reading on into its CRC
        // and the next chunk would lose the chunk framing.
        if (chunkLeft_ >= FieldBytes(type)) ReadChunk(type);
        if (chunkLeft_ > 0) SkipBytes(chunkLeft_);
        ReadLong(); // the CRC is not checked
        // Data that ends before the picture leaves none; where it ended is worth telling.
        if (endOfData_ && (chunkFlags_ & ImageDone) == 0) {
            const std::string name = ChunkName(type);
            if (!name.empty()) throw EKivPNG(TPngError::ChunkCut, name);
        }
    }
    if (endOfData_ && !aborted_ && (chunkFlags_ & ImageDone) == 0)
        throw EKivPNG(TPngError::FileCut);
}

void TKivPNGReadStream::FailImageData() const {
    // Data that ends early, or an IDAT chunk longer than the rest of it, is a file cut short;
    // anything else is image data that is corrupt or too short for the rows.
    if (endOfData_ || chunkLeft_ > Remaining()) throw EKivPNG(TPngError::ImageDataCut);
    throw EKivPNG(TPngError::BadImageData);
}

int64_t TKivPNGReadStream::FieldBytes(uint32_t type) const {
    const bool palette = colorType_ == ColorTypePalette;
    const int64_t sampleColor = colorType_ == ColorTypeGrey ? 2 : 6;
    switch (type) {
    case ChunkTRNS: // palette alpha may have any length
        return palette ? 0 : sampleColor;
    case ChunkBKGD:
        return palette ? 1 : sampleColor;
    case ChunkGAMA:
    case ChunkTPNG:
        return 4;
    case ChunkSBIT:
        return alpha_ ? 4 : 3;
    case ChunkPHYS:
        return 9;
    default:
        return 0;
    }
}

void TKivPNGReadStream::ReadChunk(uint32_t type) {
    const bool headerSeen = (chunkFlags_ & SeenIHDR) != 0;
    const bool beforeData = headerSeen && (chunkFlags_ & ImageDone) == 0;
    const bool beforePalette = beforeData && (chunkFlags_ & SeenPLTE) == 0;
    switch (type) {
    case ChunkIHDR:
        ReadHeader();
        break;
    case ChunkPLTE:
        if (beforePalette) ReadPalette();
        break;
    case ChunkTRNS:
        if (beforeData && !alpha_) ReadTransparency();
        break;
    case ChunkBKGD:
        if (beforeData) ReadBackground();
        break;
    case ChunkGAMA:
        if (beforePalette) {
            gamma_ = ReadLong() / 100000.0;
            ChunkConsumed(4);
        }
        break;
    case ChunkSBIT:
        if (beforePalette && (colorType_ == ColorTypeRgb || colorType_ == ColorTypePalette))
            ReadSignificantBits();
        break;
    case ChunkPHYS:
        if (beforeData) ReadPhysicalSize();
        break;
    case ChunkTEXT:
    case ChunkITXT:
        ReadText(type == ChunkITXT);
        break;
    case ChunkTPNG:
        if (beforeData && (chunkFlags_ & SeenPrivate) == 0) ReadPrivateChunk();
        break;
    case ChunkIDAT:
        if ((chunkFlags_ & ImageDone) == 0) ReadImageData();
        break;
    case ChunkIEND:
        chunkFlags_ |= SeenIEND;
        break;
    default:
        break;
    }
}

void TKivPNGReadStream::ChunkConsumed(int64_t bytes) {
    chunkLeft_ -= bytes;
    ProgressStep(0);
}

void TKivPNGReadStream::ReadHeader() {
    if (chunkFlags_ & SeenIHDR) throw EKivPNG(TPngError::SecondHeader);
    if (chunkLeft_ < HeaderSize) throw EKivPNG(TPngError::HeaderTooShort);
    const uint32_t width = ReadLong();
    const uint32_t height = ReadLong();
    bitDepth_ = ReadByte();
    int32_t colorType = ReadByte() & 7;
    const uint8_t compression = ReadByte();
    const uint8_t filter = ReadByte();
    const uint8_t interlace = ReadByte();
    if (endOfData_) throw EKivPNG(TPngError::HeaderTruncated);
    ChunkConsumed(HeaderSize);

    if (colorType != ColorTypeGrey && colorType != ColorTypeRgb && colorType != ColorTypePalette &&
        colorType != ColorTypeGreyAlpha && colorType != ColorTypeRgba) {
        throw EKivPNG(TPngError::BadColorType);
    }
    if (colorType & ColorTypeAlphaBit) {
        alpha_ = true;
        colorType &= ~ColorTypeAlphaBit;
    }
    const int32_t depth = bitDepth_;
    switch (colorType) {
    case ColorTypeGrey:
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) {
            throw EKivPNG(TPngError::BadGreyDepth);
        }
        if (alpha_ && depth < 8) throw EKivPNG(TPngError::AlphaBelow8Bits);
        grey_ = true;
        colorBits_ = depth;
        fileBitsPerPixel_ = alpha_ ? 2 * depth : depth;
        break;
    case ColorTypeRgb:
        if (depth != 8 && depth != 16) throw EKivPNG(TPngError::BadDepth);
        colorBits_ = 3 * depth;
        fileBitsPerPixel_ = alpha_ ? 4 * depth : 3 * depth;
        break;
    default: // ColorTypePalette
        if (depth != 1 && depth != 2 && depth != 4 && depth != 8) {
            throw EKivPNG(TPngError::BadDepth);
        }
        colorBits_ = fileBitsPerPixel_ = depth;
        break;
    }
    if (compression > 1) throw EKivPNG(TPngError::BadCompression);
    if (filter > 1) throw EKivPNG(TPngError::BadFilterMethod);
    if (interlace > 1) throw EKivPNG(TPngError::BadInterlace);

    colorType_ = colorType;
    interlace_ = interlace;
    imageBitsPerPixel_ = ImageBitsFor(colorType, depth, alpha_);
    // The image (and a mask beside it) must fit the indexed image's 32-bit size.
    constexpr int64_t maxSide = std::numeric_limits<int32_t>::max();
    constexpr int64_t maxSize = std::numeric_limits<uint32_t>::max();
    if (width > maxSide || height > maxSide ||
        PngRowStride(width, imageBitsPerPixel_) * int64_t(height) > maxSize ||
        PngRowStride(width, 8) * int64_t(height) > maxSize ||
        PngRowBytes(width, fileBitsPerPixel_) >= maxSide) { // a file row's length is 32-bit too
        throw EKivPNG(TPngError::ImageTooLarge);
    }
    width_ = int32_t(width);
    height_ = int32_t(height);

    if (colorType == ColorTypeRgb) {
        rowFormat_ = depth == 8 ? (alpha_ ? TRowFormat::Rgba8 : TRowFormat::Rgb8)
                                : (alpha_ ? TRowFormat::Rgba16 : TRowFormat::Rgb16);
    } else if (alpha_) {
        rowFormat_ = depth == 8 ? TRowFormat::GreyAlpha8 : TRowFormat::GreyAlpha16;
    } else if (depth == 2) {
        rowFormat_ = TRowFormat::Grey2;
    } else {
        rowFormat_ = depth == 16 ? TRowFormat::Grey16 : TRowFormat::Same;
    }
    chunkFlags_ |= SeenIHDR;
}

void TKivPNGReadStream::ReadPalette() {
    const int32_t count = int32_t(std::min<int64_t>(std::max<int64_t>(chunkLeft_, 0) / 3, 256));
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t red = ReadByte();
        const uint8_t green = ReadByte();
        const uint8_t blue = ReadByte();
        palette_[4 * i] = blue;
        palette_[4 * i + 1] = green;
        palette_[4 * i + 2] = red;
    }
    paletteCount_ = count;
    chunkFlags_ |= SeenPLTE;
    ChunkConsumed(3 * count);
}

namespace {
// A 16-bit sample as the byte the image keeps: the high byte for 16-bit files.
uint32_t SampleByte(uint16_t sample, bool wide) {
    return wide ? sample >> 8 : sample & 0xFF;
}
} // namespace

int32_t TKivPNGReadStream::ReadSampleColor() {
    if (colorType_ == ColorTypeGrey) {
        const uint32_t grey = SampleByte(ReadWord(), colorBits_ > 8);
        ChunkConsumed(2);
        return int32_t(grey * 0x010101u);
    }
    const bool wide = colorBits_ > 24;
    const uint32_t red = SampleByte(ReadWord(), wide);
    const uint32_t green = SampleByte(ReadWord(), wide);
    const uint32_t blue = SampleByte(ReadWord(), wide);
    ChunkConsumed(6);
    return int32_t(blue << 16 | green << 8 | red);
}

void TKivPNGReadStream::ReadTransparency() {
    if (colorType_ != ColorTypePalette) {
        transparentColor_ = ReadSampleColor();
    } else if (chunkFlags_ & SeenPLTE) {
        // An empty read (empty chunk, no palette entries) raises the abort flag: loading stops.
        const int64_t count = std::min<int64_t>(std::max<int64_t>(chunkLeft_, 0), paletteCount_);
        ReadBlock(paletteAlpha_.data(), count);
        paletteAlphaCount_ = int32_t(count);
        transparentColor_ = ColorPalettePending;
        ChunkConsumed(count);
    }
}

void TKivPNGReadStream::ReadBackground() {
    if (colorType_ != ColorTypePalette) {
        backgroundColor_ = ReadSampleColor();
    } else {
        backgroundColor_ = ColorPaletteIndex | ReadByte();
        ChunkConsumed(1);
    }
}

void TKivPNGReadStream::ReadSignificantBits() {
    const uint32_t red = ReadByte(), green = ReadByte(), blue = ReadByte();
    significantBits_ = int32_t(red | green << 8 | blue << 16);
    if (alpha_) significantBits_ |= int32_t(uint32_t(ReadByte()) << 24);
    ChunkConsumed(alpha_ ? 4 : 3);
}

void TKivPNGReadStream::ReadPhysicalSize() {
    pixelsPerUnitX_ = int32_t(ReadLong());
    pixelsPerUnitY_ = int32_t(ReadLong());
    pixelUnit_ = ReadByte();
    ChunkConsumed(9);
}

void TKivPNGReadStream::ReadText(bool international) {
    std::string bytes;
    const int64_t length = std::max<int64_t>(chunkLeft_, 0);
    if (length > Remaining()) { // a length the data cannot hold: no buffer for it
        SkipBytes(length);
        return;
    }
    if (length > 0) {
        bytes.resize(size_t(length));
        ReadBlock(bytes.data(), length);
        if (endOfData_ || aborted_) return;
    }
    ChunkConsumed(length);
    // Malformed international text is passed over; it never stops the load.
    const std::optional<TPngText> text =
        international ? ParseInternationalText(bytes) : ParseLatin1Text(bytes);
    if (!text) return;
    if (!comment_.empty()) comment_ += "\r\n";
    comment_ += text->Keyword + "\r\n" + text->Text + "\r\n";
}

void TKivPNGReadStream::ReadPrivateChunk() {
    const uint32_t magic = ReadLong();
    ChunkConsumed(4);
    if (chunkLeft_ <= 0 || magic != PrivateChunkMagic) return;
    const uint8_t flag = ReadByte();
    ChunkConsumed(1);
    if (flag != 0) {
        keyText_ = KeyText;
        if (OnKeyRequest) OnKeyRequest(*this, keyText_);
    }
    chunkFlags_ |= SeenPrivate;
}

bool TKivPNGReadStream::NextDataChunk() {
    ReadLong(); // CRC of the chunk just finished
    chunkLeft_ = ReadLong();
    return ReadLong() == ChunkIDAT && !endOfData_ && !aborted_;
}

bool TKivPNGReadStream::NextDataChunkAtHand() {
    const uint8_t* next = Peek(12); // CRC, length, type
    if (next == nullptr) return false;
    const uint32_t length = LoadBE32(next + 4);
    const uint32_t type = LoadBE32(next + 8);
    if (type != ChunkIDAT || length == 0) return false;
    SkipBytes(12);
    chunkLeft_ = length;
    return true;
}

int TKivPNGReadStream::FillInput() {
    if (chunkLeft_ <= 0 && !NextDataChunk()) return -1;
    constexpr int64_t size = InflateAdapter::InputSize;
    if (chunkLeft_ >= size) { // a large chunk of a memory stream is read where it lies
        if (const uint8_t* inPlace = ReadInPlace(size)) {
            chunkLeft_ -= size;
            inflate_.SetInput(inPlace, uint32_t(size));
            return 0;
        }
    }
    // Gather this chunk's rest and the IDAT chunks right behind it whose headers are at hand;
    // a chunk of another type, an empty one or the end of the data is dealt with only when the
    // data is needed.
    uint8_t* buffer = inflate_.InputBuffer();
    int64_t filled = 0;
    for (;;) {
        const int64_t count = std::min(chunkLeft_, size - filled);
        ReadBlock(buffer + filled, count);
        if (endOfData_ || aborted_) return -1;
        filled += count;
        chunkLeft_ -= count;
        if (chunkLeft_ > 0 || filled == size || !NextDataChunkAtHand()) break;
    }
    inflate_.SetInput(buffer, uint32_t(filled));
    return 0;
}

void TKivPNGReadStream::PrepareImage() {
    if (colorType_ == ColorTypeGrey && imageBitsPerPixel_ <= 8 && paletteCount_ == 0) {
        const int32_t depth = std::min(bitDepth_, 8);
        const int32_t entries = 1 << depth;
        const int32_t step = 255 / (entries - 1);
        for (int32_t i = 0; i < entries; ++i) {
            std::memset(&palette_[4 * i], i * step, 3);
        }
        paletteCount_ = entries;
    }
    if (transparentColor_ == ColorPalettePending) {
        int32_t clear = 0, opaque = 0, clearIndex = 0;
        for (int32_t i = 0; i < paletteCount_; ++i) {
            if (paletteAlpha_[i] == 0) {
                ++clear;
                clearIndex = i;
            } else if (paletteAlpha_[i] == 255) {
                ++opaque;
            }
        }
        if (clear == 1 && clear + opaque == paletteCount_) {
            transparentColor_ = ColorPaletteIndex | clearIndex;
        } else {
            transparentColor_ = ColorNone;
            maskFromPalette_ = maskUsable_;
        }
    }
    TKivCustomReadStream::PrepareImage();
    if ((alpha_ || maskFromPalette_) && maskUsable_) {
        Mask->MakeEmpty();
        Mask->SetTransparent(false);
        Mask->Resize(width_, height_, 8);
        Mask->PaletteBlock = GreyRampPalette();
        Mask->ApplyPalette();
        if (Mask->Size() > 0) std::memset(Mask->StorageForWrite(), 0, Mask->Size());
    }
}

void TKivPNGReadStream::ReadImageData() {
    if ((chunkFlags_ & SeenIHDR) == 0) throw EKivPNG(TPngError::DataBeforeHeader);
    // Rows that the rest of the data cannot inflate to would fail on reading anyway; refusing
    // them now keeps a tiny file from making the image (and the mask) allocate and clear
    // gigabytes first.
    const int64_t rowBytes = PngImageDataBytes(width_, height_, fileBitsPerPixel_, interlace_ != 0);
    if (rowBytes > MaxInflateRatio * Remaining()) FailImageData();
    // The one choice between the two inflates. Complete, intact image data goes through
    // libdeflate in one call, several times faster than zlib. Everything else (data that ends
    // early, a corrupt stream, a preset dictionary, a stream longer or shorter than the rows)
    // is read again by zlib's streaming inflate, which delivers the rows before the fault and
    // then fails with the reader's usual message. Inflating before the image is sized keeps the
    // peak near twice the image.
    inflatedWhole_ = WholeInflate && InflateWhole(rowBytes);
    if (!inflatedWhole_ && inflate_.Start() != 0) throw EKivPNG(TPngError::InflateStart);
    PrepareImage();
    const bool rowsInPlace = inflatedWhole_ && RowsStayInPlace();
    if (rowsInPlace) {
        // The image takes the inflated rows over where they lie and each row is unfiltered (and
        // converted) in place: no second buffer of the image's size to fault in, no row copy.
        uint8_t* rows = inflate_.WholeRows();
        targetDib_->TakeRows(inflate_.ReleaseWhole(), rows + 1,
                             int32_t(1 + PngRowBytes(width_, fileBitsPerPixel_)));
    }
    inflate_.RowsChangedInPlace = rowsInPlace && rowFormat_ != TRowFormat::Same;

    const int32_t width = targetDib_->Width();
    const int32_t height = targetDib_->Height();
    inflate_.BitsPerPixel = fileBitsPerPixel_;
    convertRow_.assign(size_t(4 + PngRowStride(width, imageBitsPerPixel_)), 0);
    alphaRow_.assign(size_t(PngRowStride(width, 8)), 0);

    const bool hook = RowHookOn();
    const bool everyPixel = interlace_ != 0 && PassesWriteEveryPixel();
    // 8-bit indices or greys as the file holds them can be put together row by row after all
    // passes are unfiltered where they lie, instead of being scattered pass by pass.
    const bool rowWise =
        everyPixel && rowFormat_ == TRowFormat::Same && imageBitsPerPixel_ == 8 && !alpha_ && !hook;
    if (interlace_ != 0 && targetDib_->Size() > 0) {
        // Passes fill the rows pixel by pixel; nothing may stay undefined, not even the
        // padding bits. When every pixel is sure to be written, only the padding is left.
        if (everyPixel) {
            const auto rowBytes = size_t(PngRowBytes(width, imageBitsPerPixel_));
            const size_t padding = size_t(targetDib_->Stride()) - rowBytes;
            if (padding > 0) {
                for (int32_t y = 0; y < height; ++y)
                    std::memset(targetDib_->RowForWrite(y) + rowBytes, 0, padding);
            }
        } else {
            std::memset(targetDib_->StorageForWrite(), 0, targetDib_->Size());
        }
    }
    ProgressPhase(1, PngRowCount(height, interlace_ != 0), 98);
    int32_t rowNumber = 0;
    if (interlace_ == 0) {
        ReadPass(WholeImagePass, width, height, rowNumber);
    } else {
        for (const TPngPass& pass : Adam7Passes) {
            if (aborted_) break;
            ReadPass(pass, int32_t(PassExtent(width, pass.xStart, pass.xStep)),
                     int32_t(PassExtent(height, pass.yStart, pass.yStep)), rowNumber, !rowWise);
        }
    }
    if (rowWise) {
        TAdam7Rows passes(inflate_.WholeRows(), width, height);
        for (int32_t y = 0; y < height; ++y)
            passes.BuildRow(y, targetDib_->RowForWrite(y));
    }

    chunkFlags_ |= ImageDone;
    inflate_.Reset();
    inflate_.End();
    inflate_.FreeRows();
    convertRow_ = {};
    alphaRow_ = {};
    hookRow_ = {};
    ProgressPhase(0, 0, 0);
}

bool TKivPNGReadStream::RowsStayInPlace() const {
    // A file row's data is then exactly an image row without padding (8-bit RGB once red and
    // blue are exchanged in place), and the row hook (which decodes a copy, the next row
    // unfiltering against the row as the file holds it) is off.
    const bool sameBytes = rowFormat_ == TRowFormat::Same || rowFormat_ == TRowFormat::Rgb8;
    return interlace_ == 0 && sameBytes && !targetDib_->IsEmpty() &&
           PngRowBytes(width_, imageBitsPerPixel_) == targetDib_->Stride() && !RowHookOn();
}

bool TKivPNGReadStream::PassesWriteEveryPixel() const {
    // Wholly inflated rows cannot run out, and rows of known filter types cannot fail to
    // unfilter, so no pass stops early; pixels of whole bytes are each stored whole.
    if (!inflatedWhole_ || imageBitsPerPixel_ < 8) return false;
    const uint8_t* row = inflate_.WholeRows();
    for (const TPngPass& pass : Adam7Passes) {
        const int64_t passWidth = PassExtent(width_, pass.xStart, pass.xStep);
        if (passWidth == 0) continue;
        const int64_t length = 1 + PngRowBytes(passWidth, fileBitsPerPixel_);
        for (int64_t k = PassExtent(height_, pass.yStart, pass.yStep); k > 0; --k, row += length)
            if (*row > RowFilterPaeth) return false;
    }
    return true;
}

bool TKivPNGReadStream::InflateWhole(int64_t rawBytes) {
    const int64_t start = consumed_, startChunkLeft = chunkLeft_;
    TBigBuffer compressed; // never more than the rest of the data, and freed once inflated
    if (!compressed.Allocate(BriefBlockSize(size_t(Remaining())))) return false;
    size_t used = 0;
    // The chunks the streaming read takes: this one (which may be empty), then each non-empty
    // IDAT chunk right behind the one before. All of their data must be there.
    bool complete = true;
    for (;;) {
        if (chunkLeft_ > Remaining()) {
            complete = false;
            break;
        }
        if (chunkLeft_ > 0) ReadBlock(compressed.Data() + used, chunkLeft_);
        used += size_t(chunkLeft_);
        chunkLeft_ = 0;
        if (endOfData_ || aborted_) {
            complete = false;
            break;
        }
        const int64_t end = consumed_;
        ReadLong(); // CRC
        const uint32_t length = ReadLong();
        const uint32_t type = ReadLong();
        if (endOfData_ || aborted_ || type != ChunkIDAT || length == 0) {
            Rewind(end);
            break;
        }
        chunkLeft_ = length;
    }
    if (complete && !aborted_ && inflate_.InflateWhole(compressed.Data(), used, size_t(rawBytes)))
        return true;
    Rewind(start);
    chunkLeft_ = startChunkLeft;
    return false;
}

void TKivPNGReadStream::ReadPass(const TPngPass& pass, int32_t passWidth, int32_t passHeight,
                                 int32_t& rowNumber, bool store) {
    if (passWidth == 0 || passHeight == 0) return;
    inflate_.RowLength = int32_t(1 + PngRowBytes(passWidth, fileBitsPerPixel_));
    inflate_.BeginPass(passHeight);
    const int32_t dataLength = inflate_.RowLength - 1;
    const bool hook = RowHookOn();
    if (hook) hookRow_.resize(size_t(dataLength));
    for (int32_t k = 0; k < passHeight && !aborted_; ++k) {
        if (inflate_.ReadRow() != 0) FailImageData();
        const uint8_t* data = inflate_.Row() + 1;
        if (hook) {
            // The next row unfilters against this row as the file holds it, which is the row
            // the writer's encoding hook produced; the hook decodes a copy.
            std::memcpy(hookRow_.data(), data, size_t(dataLength));
            OnDecodeRow(*this, hookRow_.data(), keyText_, rowNumber, dataLength);
            data = hookRow_.data();
        }
        if (store) StoreRow(data, pass, passWidth, pass.yStart + k * pass.yStep);
        ++rowNumber;
        if (rowNumber % 4 == 2 || targetDib_->Height() < 4) ProgressStep(rowNumber);
    }
}

void TKivPNGReadStream::StoreRow(const uint8_t* data, const TPngPass& pass, int32_t passWidth,
                                 int32_t y) {
    const bool whole = pass.xStep == 1;
    const size_t count = size_t(passWidth);
    uint8_t* target = targetDib_->RowForWrite(y);
    const size_t rowBytes = size_t(PngRowBytes(passWidth, imageBitsPerPixel_));
    if (whole) std::memset(target + rowBytes, 0, size_t(targetDib_->Stride()) - rowBytes);
    uint8_t* converted = whole ? target : convertRow_.data();
    uint8_t* alpha = alphaRow_.data();
    switch (rowFormat_) {
    case TRowFormat::Same:
        converted = const_cast<uint8_t*>(data); // read only below
        if (whole && target != data) std::memcpy(target, data, rowBytes);
        break;
    case TRowFormat::Grey2:
        Widen2To4(data, rowBytes, converted);
        break;
    case TRowFormat::Grey16:
        ConvertPixels<2, 1, 0, -1>(data, count, converted, alpha);
        break;
    case TRowFormat::GreyAlpha8:
        ConvertPixels<2, 1, 0, 1>(data, count, converted, alpha);
        break;
    case TRowFormat::GreyAlpha16:
        ConvertPixels<4, 1, 0, 2>(data, count, converted, alpha);
        break;
    case TRowFormat::Rgb8:
        SwapRedBlue(data, count, converted);
        break;
    case TRowFormat::Rgb16:
        ConvertPixels<6, 3, 2, -1>(data, count, converted, alpha);
        break;
    case TRowFormat::Rgba8:
        ConvertPixels<4, 3, 1, 3>(data, count, converted, alpha);
        break;
    case TRowFormat::Rgba16:
        ConvertPixels<8, 3, 2, 6>(data, count, converted, alpha);
        break;
    }
    if (!whole) {
        ScatterPixels(converted, count, imageBitsPerPixel_, pass.xStart, pass.xStep, target);
    }
    if (alpha_ && maskUsable_) {
        uint8_t* maskRow = Mask->RowForWrite(y);
        if (whole) {
            std::memcpy(maskRow, alpha, count);
        } else {
            ScatterPixels(alpha, count, 8, pass.xStart, pass.xStep, maskRow);
        }
    }
}

void TKivPNGReadStream::BuildMaskFromPaletteAlpha() {
    const int32_t width = std::min(targetDib_->Width(), Mask->Width());
    const int32_t height = std::min(targetDib_->Height(), Mask->Height());
    const int32_t bits = targetDib_->BitCount();
    if (!IsIndexedBitCount(bits)) return;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = targetDib_->RowForRead(y);
        uint8_t* maskRow = Mask->RowForWrite(y);
        for (int32_t x = 0; x < width; ++x) {
            maskRow[x] = uint8_t(255 - paletteAlpha_[PackedPixel(row, bits, size_t(x))]);
        }
    }
}
