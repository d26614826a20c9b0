// TDIB: the one image type of the editor. Pixels are stored exactly as in a BMP file (rows
// bottom-up, padded to 4 bytes) in reference-counted storage that copies share until one of them
// writes. Every image carries a 256-entry palette.
#pragma once

#include "base/Graphic.h"
#include "image/ChannelLayout.h"

#include <array>
#include <cstdint>
#include <vector>

class TStream;

// One palette entry as stored in BMP files and colour tables.
struct TPaletteEntry {
    uint8_t Blue = 0, Green = 0, Red = 0, Reserved = 0;
    bool operator==(const TPaletteEntry&) const = default;
};
static_assert(sizeof(TPaletteEntry) == 4);

using TPalette = std::array<TPaletteEntry, 256>;

// The entry as a 32-bit value: blue + green * 256 + red * 65536. Kept as part of the image's
// interface; the editor turns entries into colours with image/DisplayColor.h, and only the tests
// call this.
uint32_t PaletteEntryOf(uint8_t red, uint8_t green, uint8_t blue);
// Entry i is (i, i, i).
TPalette GreyRampPalette();

// Whether an image of width x height pixels of bitCount bits can be stored: both sides positive
// and the padded rows within the 32-bit size of a BMP header. Checked before anything is
// allocated, so that a size too large is refused rather than tried.
bool StorageFits(int64_t width, int64_t height, int32_t bitCount);

// Pixel storage shared by any number of images. Only TDIB touches it.
class TDIBSharedImage {
public:
    int32_t RefCount = 0;
    int32_t BitCount = 0, Width = 0, Height = 0, Stride = 0, RowStep = 0;
    uint32_t Size = 0;          // Stride * Height, in bytes
    uint8_t* Storage = nullptr; // the pixel block, released with std::free
    uint8_t* TopRow = nullptr;
    // Rows as in a BMP file: bottom-up, Stride apart, the bottom row at Storage. Otherwise row y
    // is at TopRow + y * RowStep (storage taken over from a decoder, see TDIB::TakeRows).
    bool BmpLayout = true;
    TPalette ColorTable{};
    int32_t PaletteCount = 0; // 2^BitCount up to 8 bits, else 0
    TChannelLayout Layout;
    std::vector<uint8_t> Header; // BITMAPINFO: info header, masks, PaletteCount entries

    TDIBSharedImage() = default;
    ~TDIBSharedImage();
    TDIBSharedImage(const TDIBSharedImage&) = delete;
    TDIBSharedImage& operator=(const TDIBSharedImage&) = delete;

    // Raises EInvalidGraphicOperation for a bad bit count or layout and EOutOfMemory when the
    // buffer cannot be had. Pixel bytes are not cleared.
    static TDIBSharedImage* Build(int32_t width, int32_t height, int32_t bitCount,
                                  const TChannelLayout& layout, const TPalette& colorTable);
    void RebuildHeader();
};

class TDIB : public TGraphic {
public:
    TDIB();
    // Shares the other image's storage.
    TDIB(const TDIB& other);
    TDIB& operator=(const TDIB& other);
    ~TDIB() override;

    int32_t Width() const override { return storage_->Width; }
    int32_t Height() const override { return storage_->Height; }
    int32_t BitCount() const { return storage_->BitCount; }
    int32_t Stride() const { return storage_->Stride; }
    int32_t RowStep() const { return storage_->RowStep; }
    uint32_t Size() const { return storage_->Size; }
    int32_t PaletteCount() const { return storage_->PaletteCount; }
    bool IsEmpty() const { return storage_->Size == 0; }
    bool Empty() const override { return IsEmpty(); }
    const TChannelLayout& CurrentLayout() const { return storage_->Layout; }
    // True while another image shares this image's pixels.
    bool IsShared() const { return storage_->RefCount > 1; }
    bool SharesStorageWith(const TDIB& other) const { return storage_ == other.storage_; }

    // Fresh storage of the given geometry (pixels undefined); nothing happens when the geometry
    // and WantedLayout's masks are already those of the image. w or h <= 0 empties the image.
    void Resize(int32_t width, int32_t height, int32_t bitCount);
    void MakeEmpty();
    // Takes other's pixels and geometry by sharing its storage, keeping this image's palette (the
    // pixels are copied only when the two palettes differ).
    void SharePixels(const TDIB& other);

    // Row y counted from the top. RowForWrite first makes shared storage private.
    uint8_t* RowForWrite(int32_t y);
    const uint8_t* RowForRead(int32_t y) const;
    // The top row's address, with and without write access: part of the image's interface, though
    // the editor goes row by row through the two above; only the tests call TopRowForRead.
    uint8_t* TopRowForWrite();
    const uint8_t* TopRowForRead() const { return storage_->TopRow; }
    // The pixels as one block in BMP layout; StorageForWrite first puts them in that layout,
    // StorageForRead needs an image whose storage is in it (not one from TakeRows).
    uint8_t* StorageForWrite();
    const uint8_t* StorageForRead() const { return storage_->Storage; }
    bool HasBmpLayout() const { return storage_->BmpLayout; }
    const uint8_t* HeaderBlock() const { return storage_->Header.data(); }
    int32_t HeaderSize() const { return static_cast<int32_t>(storage_->Header.size()); }

    // Pushes PaletteBlock into the storage (colour table and header block).
    void ApplyPalette();

    uint32_t GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t value);

    // The colours of row y (from the top) as 0x00RRGGBB values, one per pixel, whatever the bit
    // count; palette indices go through the colour table.
    void RowToColors(int32_t y, uint32_t* out) const;

    // From empty: resize to at least 1 x 1. To 16, 24 or 32 bits from any depth: keep the
    // colours. From 1 or 4 bits to 8: keep the indices and the palette. Other conversions would
    // lose the picture and are refused with the pixel-format error.
    void ChangeBitCount(int32_t bitCount);

    // nullptr empties; another TDIB is shared; any other graphic is drawn into a 24-bit image.
    void AssignFrom(const TGraphic* source);
    // Storage is always ordinary memory here, so there is nothing to move out of the platform.
    void DetachToMemory() {}
    // A drawing surface over the pixels of a 24- or 32-bit image (made private first).
    TSurface Surface();
    // Draws the whole image stretched into rect of target, colours through the colour table,
    // rows and columns repeated or dropped, never blended. Clipped to the target.
    void DrawTo(TSurface& target, const TRect& rect) const;
    // Draws a part of the image enlarged zoom times, each pixel a zoom x zoom square: target's
    // pixel (0, 0) shows pixel (left, top) of the enlarged picture, and target is filled as far
    // as the picture reaches. The pixels are those DrawTo gives into the rectangle of the whole
    // enlarged picture, without a surface of that size; what lies beyond the picture is left as
    // it was.
    void DrawZoomed(TSurface& target, int32_t zoom, int32_t left, int32_t top) const;

    // BMP files. A file without pixels, and an empty image to write, raise EInvalidGraphic
    // ("画像データがありません"); a failed read leaves the image as it was.
    void LoadFromBmp(TStream& stream);
    void LoadBmpBody(TStream& stream);
    void SaveAsBmp(TStream& stream) const;
    void SaveBmpBody(TStream& stream) const;

    // TGraphic
    void Assign(const TGraphic* source) override { AssignFrom(source); }
    void Draw(TSurface& target, const TRect& rect) const override { DrawTo(target, rect); }
    void LoadFromStream(TStream& stream) override { LoadFromBmp(stream); }
    void SaveToStream(TStream& stream) const override { SaveAsBmp(stream); }
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);

    // The palette as the caller edits it. Edits reach the storage (drawing, BMP output, copies)
    // only through ApplyPalette. An edit that was not applied is LOST on the next switch of
    // storage or copy: the first write to shared pixels (copy-on-write), MakeEmpty, Adopt and
    // assigning another image overwrite PaletteBlock with the colour table of the storage taken
    // over, and a copy of this image takes the storage's colour table, not this block. (Only a
    // Resize to a new geometry builds its storage from the block.) So write the block and apply
    // it in one step; the editor's document palette changes through TDocument's edit path.
    TPalette PaletteBlock;
    TChannelLayout WantedLayout;

    // Switches to storage (taking a reference); for the codecs that build storage themselves.
    void Adopt(TDIBSharedImage* storage);
    // Takes over block (from AllocateLarge) as fresh storage of the same geometry, palette and
    // layout, row y at topRow + y * rowStep (rowStep >= Stride), so that a decoder that has
    // produced its rows in a buffer of its own need not copy them. Each row's Stride bytes must
    // lie in the block; padding bytes are the caller's to clear. Not for an empty image.
    void TakeRows(uint8_t* block, uint8_t* topRow, int32_t rowStep);

private:
    // Copy-on-write: afterwards this image is the storage's only holder.
    void WriteAccess();
    // Fresh storage in BMP layout holding this image's pixels.
    TDIBSharedImage* CopyOfStorage() const;
    void CheckRow(int32_t y) const;

    TDIBSharedImage* storage_;
};

// The entries of the colour table (at most 256) of the BMP file at the stream's position, read
// from its headers alone: the count the file states, or 2^bits when it states none, but no more
// than fit before its pixels. 0 for a picture whose pixels are not palette indices. Raises the
// errors of LoadFromBmp for headers it would refuse.
int32_t ReadBmpColorCount(TStream& stream);
