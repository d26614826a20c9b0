// TKivPNG: the PNG codec as a graphic object. It holds an indexed image and the side
// information of a PNG file (comment, colours, gamma, physical size, ...), loads through
// TKivPNGReadStream and saves through TKivPNGWriteStream. The options below stay with the object,
// so a file loaded and saved again keeps its side information.
#pragma once

#include "base/Graphic.h"
#include "image/DIB.h"
#include "png/KivPNGCommon.h"
#include "png/KivPNGReader.h"
#include "png/KivPNGWriter.h"

#include <cstdint>
#include <string>
#include <vector>

class TKivPNG : public TGraphic {
public:
    TKivPNG() = default;

    // Writer options.
    int32_t IDATSize = TKivPNGWriteStream::DefaultIDATSize; // checked when saving
    uint8_t CompressionLevel = CompressionDefault;          // a TPngCompressionLevel
    uint8_t FilterType = FilterChoiceNone;                  // a TPngFilterChoice
    // Writer options that a load sets from the file.
    uint8_t Interlace = 0;
    bool Grayscale = false;
    bool HasAlpha = false; // the file had an alpha channel / save the mask as one
    // The caller's mask (255 - alpha, 8 bits) and image, used instead of the internal ones.
    TDIB* AlphaMask = nullptr;
    TDIB* Image = nullptr;

    int32_t BitDepth = 0; // after a load: bits per pixel of the file's colour samples
    int32_t BackgroundColor = ColorNone;
    int32_t TransparentColor = ColorNone;
    // Alpha of the palette entries from 0 (tRNS): after a load the table of a palette file as
    // it is, or the entry of a grey file's transparent grey; written back by a save (see
    // TKivPNGWriteStream::PaletteAlpha). Empty when the file gave none.
    std::vector<uint8_t> PaletteAlpha;
    std::string Comment;
    double Gamma = 0;
    std::string KeyText;
    int32_t SignificantBits = 0; // red, green, blue, alpha bytes from low to high
    int32_t PixelUnit = 0;       // 0 unknown, 1 metre; 2 (inch) is written as metre
    int32_t PixelsPerUnitX = 0, PixelsPerUnitY = 0;
    bool MacBinaryCheck = true;
    TKivKeyRequestEvent OnKeyRequest;
    TKivEncodeRowEvent OnEncodeRow;
    TKivDecodeRowEvent OnDecodeRow;

    // The image that loads fill and saves write: Image when assigned, else the internal one.
    const TDIB& CurrentImage() const { return Image != nullptr ? *Image : internalImage_; }
    TDIB& CurrentImage() { return Image != nullptr ? *Image : internalImage_; }
    // The decoded picture; a TDIB assigned from it shares its pixels.
    TDIB& InternalImage() { return internalImage_; }
    const TDIB& InternalImage() const { return internalImage_; }
    // The alpha mask a load built where AlphaMask was not given, which a save writes back; only
    // the tests read it from outside.
    const TDIB& InternalMask() const { return internalMask_; }

    // Copies the colour image (not the mask) into destination, sharing its pixels.
    void AssignTo(TDIB& destination) const;

    // TGraphic
    void Assign(const TGraphic* source) override;
    void Draw(TSurface& target, const TRect& rect) const override;
    bool Empty() const override { return CurrentImage().IsEmpty(); }
    int32_t Width() const override { return CurrentImage().Width(); }
    int32_t Height() const override { return CurrentImage().Height(); }
    void SetWidth(int32_t width) { CurrentImage().SetWidth(width); }
    void SetHeight(int32_t height) { CurrentImage().SetHeight(height); }
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    void SetTransparent(bool value) override;

private:
    void SyncTransparency();

    bool transparencyGuard_ = false; // set while taking over the internal image's flag
    TDIB internalImage_;
    TDIB internalMask_;
};
