#include "png/KivPNG.h"

#include "base/ScopedValue.h"
#include "image/PaletteAlpha.h"

namespace {

// sBIT of a 16-bit image: its channel widths, alpha as wide as red.
int32_t SignificantBitsOf(const TChannelLayout& layout) {
    return layout.RedBits | layout.GreenBits << 8 | layout.BlueBits << 16 | layout.RedBits << 24;
}

} // namespace

void TKivPNG::AssignTo(TDIB& destination) const {
    destination.AssignFrom(&internalImage_);
}

void TKivPNG::Assign(const TGraphic* source) {
    // Another PNG object hands over its indexed image as it is, palette and bit count kept.
    if (const auto* png = dynamic_cast<const TKivPNG*>(source))
        internalImage_.AssignFrom(&png->CurrentImage());
    else
        internalImage_.AssignFrom(source);
    if (Image != nullptr) return;
    SetPaletteModified(true);
    SyncTransparency();
}

void TKivPNG::Draw(TSurface& target, const TRect& rect) const {
    CurrentImage().DrawTo(target, rect);
}

void TKivPNG::SetTransparent(bool value) {
    if (!transparencyGuard_ && internalImage_.Transparent() != value)
        internalImage_.SetTransparent(value);
    TGraphic::SetTransparent(value);
}

void TKivPNG::SyncTransparency() {
    const bool imageTransparent = internalImage_.Transparent();
    if (imageTransparent == Transparent()) {
        Changed();
        return;
    }
    transparencyGuard_ = true;
    try {
        SetTransparent(imageTransparent);
    } catch (...) {
        transparencyGuard_ = false;
        throw;
    }
    transparencyGuard_ = false;
}

void TKivPNG::LoadFromStream(TStream& stream) {
    TDIB& image = CurrentImage();
    TKivPNGReadStream reader;
    reader.OnDecodeRow = OnDecodeRow;
    reader.OnKeyRequest = OnKeyRequest;
    reader.KeyText = KeyText;
    reader.MacBinaryCheck = MacBinaryCheck;
    reader.Mask = AlphaMask != nullptr ? AlphaMask : &internalMask_;
    {
        const TScopedValue<TProgressEvent> loan(image.OnProgress, OnProgress);
        reader.LoadFromStream(image, stream, 0);
    }
    HasAlpha = reader.HasAlpha();
    Comment = reader.Comment();
    BackgroundColor = reader.BackgroundColor();
    TransparentColor = reader.TransparentColor();
    PaletteAlpha = reader.PaletteAlpha();
    // A grey image keeps each sample as its palette index, so the transparent grey is an entry.
    const int32_t greySample = TransparentColor & 0xFF;
    if (reader.Grayscale() && TransparentColor != ColorNone && greySample < image.PaletteCount())
        PaletteAlpha = AlphaTableFor(greySample);
    Interlace = uint8_t(reader.Interlace());
    Gamma = reader.Gamma();
    PixelUnit = reader.PixelUnit();
    PixelsPerUnitX = reader.PixelsPerUnitX();
    PixelsPerUnitY = reader.PixelsPerUnitY();
    SignificantBits = reader.SignificantBits();
    BitDepth = reader.ColorBits();
    Grayscale = reader.Grayscale();
    SetPaletteModified(true);
    if (Image != nullptr)
        Changed();
    else if (internalImage_.Transparent() != Transparent())
        SyncTransparency();
}

void TKivPNG::SaveToStream(TStream& stream) const {
    TKivPNGWriteStream writer;
    writer.SignificantBits = SignificantBits;
    // The writer takes 1, 4, 8, 24 and 32 bits; 16-bit images go out as 24 bits, their channel
    // widths recorded as significant bits.
    TDIB source(CurrentImage());
    if (source.BitCount() == 16) {
        writer.SignificantBits = SignificantBitsOf(source.CurrentLayout());
        source.WantedLayout = TChannelLayout{};
        source.ChangeBitCount(24);
    }
    writer.CompressionLevel = CompressionLevel;
    writer.FilterType = FilterType;
    writer.SetIDATSize(IDATSize);
    writer.Interlace = Interlace;
    writer.Grayscale = Grayscale;
    writer.Comment = Comment;
    writer.BackgroundColor = BackgroundColor;
    writer.PaletteAlpha = PaletteAlpha;
    writer.TransparentColor = TransparentColor;
    writer.Gamma = Gamma;
    writer.PixelUnit = PixelUnit;
    writer.PixelsPerUnitX = PixelsPerUnitX;
    writer.PixelsPerUnitY = PixelsPerUnitY;
    writer.OnEncodeRow = OnEncodeRow;
    writer.KeyText = KeyText;
    if (HasAlpha)
        writer.Mask = AlphaMask != nullptr       ? AlphaMask
                      : !internalMask_.IsEmpty() ? &internalMask_
                                                 : nullptr;
    source.OnProgress = OnProgress;
    writer.SaveToStream(source, stream);
}
