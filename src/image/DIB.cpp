#include "image/DIB.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/LargeAlloc.h"
#include "image/PixelFormat.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

uint32_t PaletteEntryOf(uint8_t red, uint8_t green, uint8_t blue) {
    return blue + green * 256u + red * 65536u;
}

TPalette GreyRampPalette() {
    TPalette p;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        p[i] = {v, v, v, 0};
    }
    return p;
}

namespace {

// The storage every empty image refers to; it keeps one reference of its own forever.
TDIBSharedImage* EmptyStorage() {
    static TDIBSharedImage* empty = [] {
        auto* s = new TDIBSharedImage;
        s->RefCount = 1;
        s->ColorTable = GreyRampPalette();
        s->RebuildHeader();
        return s;
    }();
    return empty;
}

void Release(TDIBSharedImage* storage) {
    if (--storage->RefCount == 0) delete storage;
}

} // namespace

TDIBSharedImage::~TDIBSharedImage() {
    std::free(Storage);
}

bool StorageFits(int64_t width, int64_t height, int32_t bitCount) {
    // The size field of the header is 32 bits; nothing larger can be stored or written.
    constexpr int64_t limit = std::numeric_limits<int32_t>::max();
    if (width <= 0 || height <= 0 || width > limit || height > limit) return false;
    const int64_t stride = ((width * bitCount + 31) / 32) * 4;
    return stride <= limit && stride * height <= limit;
}

TDIBSharedImage* TDIBSharedImage::Build(int32_t width, int32_t height, int32_t bitCount,
                                        const TChannelLayout& layout, const TPalette& colorTable) {
    if (!IsBitCountAllowed(bitCount))
        throw EInvalidGraphicOperation("不正なビット数です (" + std::to_string(bitCount) + ")");
    if (!IsLayoutAllowed(bitCount, layout))
        throw EInvalidGraphicOperation("不正なピクセルフォーマットです");
    if (!StorageFits(width, height, bitCount)) throw EOutOfMemory();
    const int64_t stride = ((int64_t(width) * bitCount + 31) / 32) * 4;
    const int64_t size = stride * height;
    auto* s = new TDIBSharedImage;
    s->Storage = static_cast<uint8_t*>(AllocateLarge(static_cast<size_t>(size)));
    if (!s->Storage) {
        delete s;
        throw EOutOfMemory();
    }
    s->BitCount = bitCount;
    s->Width = width;
    s->Height = height;
    s->Stride = static_cast<int32_t>(stride);
    s->RowStep = -s->Stride;
    s->Size = static_cast<uint32_t>(size);
    s->TopRow = s->Storage + (height - 1) * stride;
    s->ColorTable = colorTable;
    s->PaletteCount = bitCount <= 8 ? 1 << bitCount : 0;
    s->Layout = layout;
    s->RebuildHeader();
    return s;
}

void TDIBSharedImage::RebuildHeader() {
    const bool masks = BitCount == 16 || BitCount == 32;
    Header.assign(40 + (masks ? 12 : 0) + 4 * PaletteCount, 0);
    uint8_t* h = Header.data();
    StoreLE32(h, 40);
    StoreLE32(h + 4, static_cast<uint32_t>(Width));
    StoreLE32(h + 8, static_cast<uint32_t>(Height));
    StoreLE16(h + 12, 1);
    StoreLE16(h + 14, static_cast<uint32_t>(BitCount));
    StoreLE32(h + 16, masks ? 3 : 0);
    StoreLE32(h + 20, Size);
    size_t at = 40;
    if (masks) {
        StoreLE32(h + 40, Layout.RedMask);
        StoreLE32(h + 44, Layout.GreenMask);
        StoreLE32(h + 48, Layout.BlueMask);
        at = 52;
    }
    std::memcpy(Header.data() + at, ColorTable.data(), 4 * size_t(PaletteCount));
}

TDIB::TDIB() : storage_(EmptyStorage()) {
    ++storage_->RefCount;
    PaletteBlock = storage_->ColorTable;
    WantedLayout = storage_->Layout;
}

TDIB::TDIB(const TDIB& other) : TDIB() {
    AssignFrom(&other);
}

TDIB& TDIB::operator=(const TDIB& other) {
    AssignFrom(&other);
    return *this;
}

TDIB::~TDIB() {
    Release(storage_);
}

void TDIB::Adopt(TDIBSharedImage* storage) {
    ++storage->RefCount;
    Release(storage_);
    storage_ = storage;
    PaletteBlock = storage->ColorTable;
    WantedLayout = storage->Layout;
}

TDIBSharedImage* TDIB::CopyOfStorage() const {
    const TDIBSharedImage& old = *storage_;
    if (old.Size == 0) {
        // An empty image may still own a palette of its own.
        auto* copy = new TDIBSharedImage;
        copy->ColorTable = old.ColorTable;
        copy->Layout = old.Layout;
        copy->RebuildHeader();
        return copy;
    }
    TDIBSharedImage* copy =
        TDIBSharedImage::Build(old.Width, old.Height, old.BitCount, old.Layout, old.ColorTable);
    if (old.BmpLayout) {
        std::memcpy(copy->Storage, old.Storage, old.Size);
    } else {
        for (int32_t y = 0; y < old.Height; ++y)
            std::memcpy(copy->TopRow + ptrdiff_t(y) * copy->RowStep,
                        old.TopRow + ptrdiff_t(y) * old.RowStep, size_t(old.Stride));
    }
    return copy;
}

void TDIB::WriteAccess() {
    if (storage_->RefCount > 1) Adopt(CopyOfStorage());
}

void TDIB::TakeRows(uint8_t* block, uint8_t* topRow, int32_t rowStep) {
    const TDIBSharedImage& old = *storage_;
    auto* s = new TDIBSharedImage;
    s->BitCount = old.BitCount;
    s->Width = old.Width;
    s->Height = old.Height;
    s->Stride = old.Stride;
    s->Size = old.Size;
    s->Storage = block;
    s->TopRow = topRow;
    s->RowStep = rowStep;
    s->BmpLayout = false;
    s->ColorTable = old.ColorTable;
    s->PaletteCount = old.PaletteCount;
    s->Layout = old.Layout;
    s->RebuildHeader();
    Adopt(s);
}

void TDIB::SharePixels(const TDIB& other) {
    const TPalette palette = PaletteBlock;
    *this = other;
    PaletteBlock = palette;
    ApplyPalette();
}

void TDIB::MakeEmpty() {
    Adopt(EmptyStorage());
}

void TDIB::Resize(int32_t width, int32_t height, int32_t bitCount) {
    if (width == Width() && height == Height() && bitCount == BitCount() &&
        WantedLayout.SameMasks(CurrentLayout()))
        return;
    if (width <= 0 || height <= 0) {
        MakeEmpty();
        return;
    }
    Adopt(TDIBSharedImage::Build(width, height, bitCount, WantedLayout, PaletteBlock));
}

void TDIB::CheckRow(int32_t y) const {
    if (y < 0 || y >= Height())
        throw EInvalidGraphicOperation("スキャンラインのインデックスが範囲を越えました (" +
                                       std::to_string(y) + ")");
}

uint8_t* TDIB::RowForWrite(int32_t y) {
    WriteAccess();
    CheckRow(y);
    return storage_->TopRow + ptrdiff_t(y) * storage_->RowStep;
}

const uint8_t* TDIB::RowForRead(int32_t y) const {
    CheckRow(y);
    return storage_->TopRow + ptrdiff_t(y) * storage_->RowStep;
}

uint8_t* TDIB::TopRowForWrite() {
    WriteAccess();
    return storage_->TopRow;
}

uint8_t* TDIB::StorageForWrite() {
    if (storage_->BmpLayout)
        WriteAccess();
    else
        Adopt(CopyOfStorage());
    return storage_->Storage;
}

void TDIB::ApplyPalette() {
    if (PaletteBlock == storage_->ColorTable) return;
    const TPalette wanted = PaletteBlock;
    WriteAccess();
    PaletteBlock = wanted;
    storage_->ColorTable = wanted;
    storage_->RebuildHeader();
}

uint32_t TDIB::GetPixel(int32_t x, int32_t y) const {
    if (x < 0 || x >= Width() || y < 0 || y >= Height()) return 0;
    const uint8_t* row = RowForRead(y);
    switch (BitCount()) {
    case 1:
    case 4:
    case 8:
        return PackedPixel(row, BitCount(), size_t(x));
    case 16:
        return LoadLE16(row + 2 * x);
    case 24: {
        const uint8_t* p = row + 3 * x;
        return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    default:
        return LoadLE32(row + 4 * x);
    }
}

void TDIB::SetPixel(int32_t x, int32_t y, uint32_t v) {
    if (x < 0 || x >= Width() || y < 0 || y >= Height()) return;
    uint8_t* row = RowForWrite(y);
    switch (BitCount()) {
    case 1:
    case 4:
    case 8:
        SetPackedPixel(row, BitCount(), size_t(x), v);
        break;
    case 16:
        StoreLE16(row + 2 * x, v);
        break;
    case 24:
        row[3 * x] = static_cast<uint8_t>(v >> 16);
        row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
        row[3 * x + 2] = static_cast<uint8_t>(v);
        break;
    default:
        StoreLE32(row + 4 * x, v);
    }
}

static uint32_t EntryColor(const TPaletteEntry& e) {
    return uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
}

// The 32-bit surface values of the 256 entries of a colour table.
static void OpaqueEntryColors(const TPalette& table, uint32_t* lut) {
    for (size_t i = 0; i < table.size(); ++i)
        lut[i] = EntryColor(table[i]) | 0xFF000000u;
}

template <int Bits>
static void IndexedRowToColors(const uint8_t* row, const TPalette& table, int32_t width,
                               uint32_t* out) {
    for (int32_t x = 0; x < width; ++x)
        out[x] = EntryColor(table[PackedPixel<Bits>(row, size_t(x))]);
}

void TDIB::RowToColors(int32_t y, uint32_t* out) const {
    const uint8_t* row = RowForRead(y);
    const TPalette& table = storage_->ColorTable;
    const TChannelLayout& layout = CurrentLayout();
    const int32_t w = Width();
    switch (BitCount()) {
    case 1:
        IndexedRowToColors<1>(row, table, w, out);
        break;
    case 4:
        IndexedRowToColors<4>(row, table, w, out);
        break;
    case 8:
        IndexedRowToColors<8>(row, table, w, out);
        break;
    case 24:
        for (int32_t x = 0; x < w; ++x, row += 3)
            out[x] = uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0];
        break;
    default: {
        const int bytes = BitCount() / 8;
        for (int32_t x = 0; x < w; ++x, row += bytes) {
            const uint32_t value = bytes == 4 ? LoadLE32(row) : LoadLE16(row);
            uint8_t r, g, b;
            UnpackPixel(layout, value, r, g, b);
            out[x] = uint32_t(r) << 16 | uint32_t(g) << 8 | b;
        }
    }
    }
}

void TDIB::ChangeBitCount(int32_t bitCount) {
    if (bitCount <= 0) {
        MakeEmpty();
        return;
    }
    if (IsEmpty()) {
        Resize(std::max(Width(), 1), std::max(Height(), 1), bitCount);
        return;
    }
    const TDIB source(*this);
    const int32_t sourceBits = source.BitCount();
    const bool widensIndices = bitCount == 8 && sourceBits < 8 && IsIndexedBitCount(sourceBits);
    if (bitCount < 16 && !widensIndices && bitCount != sourceBits)
        throw EInvalidGraphicOperation("不正なピクセルフォーマットです");
    Resize(Width(), Height(), bitCount);
    if (SharesStorageWith(source)) return;
    if (widensIndices) {
        for (int32_t y = 0; y < Height(); ++y) {
            uint8_t* row = RowForWrite(y);
            for (int32_t x = 0; x < Width(); ++x)
                row[x] = static_cast<uint8_t>(source.GetPixel(x, y));
        }
        return;
    }
    const TChannelLayout& layout = CurrentLayout();
    std::vector<uint32_t> colors(static_cast<size_t>(Width()));
    for (int32_t y = 0; y < Height(); ++y) {
        source.RowToColors(y, colors.data());
        uint8_t* row = RowForWrite(y);
        for (const uint32_t c : colors) {
            const auto r = static_cast<uint8_t>(c >> 16), g = static_cast<uint8_t>(c >> 8),
                       b = static_cast<uint8_t>(c);
            if (bitCount == 24) {
                *row++ = b;
                *row++ = g;
                *row++ = r;
                continue;
            }
            const uint32_t v = PackPixel(layout, r, g, b);
            if (bitCount == 32)
                StoreLE32(row, v);
            else
                StoreLE16(row, v);
            row += bitCount / 8;
        }
    }
}

void TDIB::AssignFrom(const TGraphic* source) {
    if (!source) {
        MakeEmpty();
        return;
    }
    if (const auto* dib = dynamic_cast<const TDIB*>(source)) {
        if (dib != this) Adopt(dib->storage_);
        return;
    }
    Resize(source->Width(), source->Height(), 24);
    if (IsEmpty()) return;
    std::memset(StorageForWrite(), 0, Size());
    TSurface surface = Surface();
    source->Draw(surface, TRect{0, 0, Width(), Height()});
}

TSurface TDIB::Surface() {
    if (BitCount() != 24 && BitCount() != 32)
        throw EInvalidGraphicOperation("不正なピクセルフォーマットです");
    WriteAccess();
    return TSurface{storage_->TopRow, storage_->RowStep, Width(), Height(), BitCount()};
}

void TDIB::DrawTo(TSurface& target, const TRect& rect) const {
    if (IsEmpty() || rect.Width() <= 0 || rect.Height() <= 0) return;
    // Clip to the target; each target pixel takes the source pixel its centre falls in.
    const int32_t x0 = std::max(rect.Left, 0), x1 = std::min(rect.Right, target.Width);
    const int32_t y0 = std::max(rect.Top, 0), y1 = std::min(rect.Bottom, target.Height);
    if (x0 >= x1 || y0 >= y1) return;
    const int64_t w = Width(), h = Height(), rw = rect.Width(), rh = rect.Height();
    std::vector<int32_t> columns(static_cast<size_t>(x1 - x0));
    for (int32_t x = x0; x < x1; ++x)
        columns[x - x0] = static_cast<int32_t>((x - rect.Left) * w / rw);
    // Column i is pixel i only when the rectangle is unstretched and its left edge unclipped.
    const bool direct = rw == w && x0 == rect.Left;

    std::vector<uint32_t> colors(static_cast<size_t>(w));
    uint32_t lut[256];
    if (BitCount() == 8) OpaqueEntryColors(storage_->ColorTable, lut);
    const int bytes = target.BitCount / 8;
    int32_t lastSource = -1;
    uint8_t* lastRow = nullptr;
    for (int32_t y = y0; y < y1; ++y) {
        const auto sy = static_cast<int32_t>((y - rect.Top) * h / rh);
        uint8_t* out = target.Row(y) + ptrdiff_t(x0) * bytes;
        if (sy == lastSource) {
            std::memcpy(out, lastRow, columns.size() * size_t(bytes));
            continue;
        }
        if (bytes == 4 && BitCount() == 8) {
            // The common case, an indexed image on a display bitmap: one table look-up a pixel.
            const uint8_t* src = RowForRead(sy);
            auto* dst = reinterpret_cast<uint32_t*>(out);
            if (direct) {
                for (size_t i = 0; i < columns.size(); ++i)
                    dst[i] = lut[src[i]];
            } else {
                for (size_t i = 0; i < columns.size(); ++i)
                    dst[i] = lut[src[columns[i]]];
            }
        } else {
            RowToColors(sy, colors.data());
            for (size_t i = 0; i < columns.size(); ++i) {
                const uint32_t c = colors[columns[i]];
                uint8_t* p = out + i * bytes;
                p[0] = static_cast<uint8_t>(c);
                p[1] = static_cast<uint8_t>(c >> 8);
                p[2] = static_cast<uint8_t>(c >> 16);
                if (bytes == 4) p[3] = 0xFF;
            }
        }
        lastSource = sy;
        lastRow = out;
    }
}

void TDIB::DrawZoomed(TSurface& target, int32_t zoom, int32_t left, int32_t top) const {
    if (IsEmpty() || zoom <= 0) return;
    // The part of the enlarged picture that target covers, in pixels of that picture.
    const int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
    const int64_t x1 = std::min(int64_t(left) + target.Width, int64_t(Width()) * zoom);
    const int64_t y1 = std::min(int64_t(top) + target.Height, int64_t(Height()) * zoom);
    if (x0 >= x1 || y0 >= y1) return;
    const auto first = static_cast<int32_t>(x0 / zoom),
               last = static_cast<int32_t>((x1 - 1) / zoom);
    const int bytes = target.BitCount / 8;
    const auto length = static_cast<size_t>(x1 - x0);
    const bool indexed = BitCount() == 8;
    uint32_t lut[256];
    if (indexed) OpaqueEntryColors(storage_->ColorTable, lut);
    // The colours of the image pixels first to last of the current row.
    std::vector<uint32_t> colors(size_t(last - first) + 1), wholeRow(indexed ? 0 : Width());
    int32_t lastSource = -1;
    const uint8_t* lastRow = nullptr;
    for (int64_t y = y0; y < y1; ++y) {
        const auto sy = static_cast<int32_t>(y / zoom);
        uint8_t* out = target.Row(static_cast<int32_t>(y - top)) + ptrdiff_t(x0 - left) * bytes;
        // The other rows of a square are copies of its first.
        if (sy == lastSource) {
            std::memcpy(out, lastRow, length * size_t(bytes));
            continue;
        }
        lastSource = sy;
        lastRow = out;
        auto* dst = reinterpret_cast<uint32_t*>(out);
        if (indexed) {
            const uint8_t* src = RowForRead(sy) + first;
            // Unenlarged, a row is one look-up a pixel, straight into the target.
            if (zoom == 1 && bytes == 4) {
                for (size_t i = 0; i < length; ++i)
                    dst[i] = lut[src[i]];
                continue;
            }
            for (size_t i = 0; i < colors.size(); ++i)
                colors[i] = lut[src[i]];
        } else {
            RowToColors(sy, wholeRow.data());
            for (size_t i = 0; i < colors.size(); ++i)
                colors[i] = wholeRow[first + i] | 0xFF000000u;
        }
        // The first square may be cut by the left edge, the last by the right one.
        int64_t x = x0;
        for (size_t i = 0; x < x1; ++i) {
            const auto run = static_cast<size_t>(std::min<int64_t>(zoom - x % zoom, x1 - x));
            if (bytes == 4) {
                dst = std::fill_n(dst, run, colors[i]);
            } else {
                for (size_t k = 0; k < run; ++k, out += 3) {
                    out[0] = static_cast<uint8_t>(colors[i]);
                    out[1] = static_cast<uint8_t>(colors[i] >> 8);
                    out[2] = static_cast<uint8_t>(colors[i] >> 16);
                }
            }
            x += int64_t(run);
        }
    }
}

void TDIB::SetWidth(int32_t width) {
    if (width <= 0)
        MakeEmpty();
    else if (IsEmpty())
        Resize(width, std::max(Height(), 1), 8);
    else
        Resize(width, Height(), BitCount());
}

void TDIB::SetHeight(int32_t height) {
    if (height <= 0)
        MakeEmpty();
    else if (IsEmpty())
        Resize(std::max(Width(), 1), height, 8);
    else
        Resize(Width(), height, BitCount());
}
