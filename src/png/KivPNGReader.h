// TKivPNGReadStream: decodes a PNG file into an indexed image (TDIB). Every standard colour
// type, bit depth and interlace method is read; images become 1-, 4-, 8- or 24-bit TDIBs (see
// the conversions in KivPNGReader.cpp). An alpha channel, or palette alpha that is more than a
// single transparent entry, goes to an optional 8-bit mask image as 255 - alpha.
#pragma once

#include "png/KivPNGCommon.h"
#include "png/KivStream.h"
#include "png/KivZLIB.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TDIB;
class TKivPNGReadStream;

// Called once per row after unfiltering when the file asks for a key and the key text is not
// empty: transforms the row's data bytes (filter byte excluded) in place. rowNumber counts rows
// over all passes from 0.
using TKivDecodeRowEvent =
    std::function<void(TKivPNGReadStream& reader, uint8_t* data, const std::string& keyText,
                       int32_t rowNumber, int32_t length)>;
// Called when the file's private chunk asks for a key; may change the key text.
using TKivKeyRequestEvent = std::function<void(TKivPNGReadStream& reader, std::string& keyText)>;

class TKivPNGReadStream : public TKivCustomReadStream {
public:
    TKivPNGReadStream();

    // Options, set before LoadFromStream.
    TDIB* Mask = nullptr; // receives 255 - alpha at 8 bits per pixel; ignored if the target
    std::string KeyText;  // offered to files that ask for a key
    TKivKeyRequestEvent OnKeyRequest;
    TKivDecodeRowEvent OnDecodeRow;
    // Complete image data is inflated in one call; off, every file takes the streaming inflate.
    bool WholeInflate = true;

    // Results, valid after LoadFromStream.
    bool HasAlpha() const { return alpha_; }
    bool Grayscale() const { return grey_; }
    int32_t Interlace() const { return interlace_; }
    int32_t BackgroundColor() const { return backgroundColor_; }
    int32_t TransparentColor() const { return transparentColor_; }
    // Alpha of the palette entries from 0 as a palette file's tRNS gives them; empty without one.
    std::vector<uint8_t> PaletteAlpha() const {
        return {paletteAlpha_.begin(), paletteAlpha_.begin() + paletteAlphaCount_};
    }
    double Gamma() const { return gamma_; }
    int32_t SignificantBits() const { return significantBits_; }
    // Bits per pixel of the colour samples alone (alpha excluded).
    int32_t ColorBits() const { return colorBits_; }
    // Whether the image data was inflated in one call rather than streamed.
    bool InflatedWhole() const { return inflatedWhole_; }

protected:
    void DecodeImage() override;
    void PrepareImage() override;

private:
    // How file rows become image rows.
    enum class TRowFormat {
        Same,
        Grey2,
        Grey16,
        GreyAlpha8,
        GreyAlpha16,
        Rgb8,
        Rgb16,
        Rgba8,
        Rgba16
    };

    void ReadChunks();
    // Data bytes that a chunk of type needs for its fields (0: any length will do).
    int64_t FieldBytes(uint32_t type) const;
    void ReadChunk(uint32_t type);
    void ReadHeader();
    void ReadPalette();
    void ReadTransparency();
    void ReadBackground();
    // A grey or RGB sample triple of tRNS or bKGD as a colour value.
    int32_t ReadSampleColor();
    void ReadSignificantBits();
    void ReadPhysicalSize();
    // tEXt, or iTXt when international; appends keyword and text (UTF-8) to the comment.
    void ReadText(bool international);
    void ReadPrivateChunk();
    void ReadImageData();
    // Reads the image data of this and the IDAT chunks right behind it and inflates it whole
    // into rawBytes bytes; false, with the stream back where it was, unless all of that works.
    bool InflateWhole(int64_t rawBytes);
    // Whether each row goes through OnDecodeRow: the file asks for a key and a hook is set.
    bool RowHookOn() const { return !keyText_.empty() && OnDecodeRow; }
    // Whether the image can keep the wholly inflated rows where they lie (see ReadImageData).
    bool RowsStayInPlace() const;
    // Whether the Adam7 passes over wholly inflated data will store every pixel of the image.
    bool PassesWriteEveryPixel() const;
    // Reads and unfilters a pass's rows; store: also puts them into the image.
    void ReadPass(const TPngPass& pass, int32_t passWidth, int32_t passHeight, int32_t& rowNumber,
                  bool store = true);
    void StoreRow(const uint8_t* data, const TPngPass& pass, int32_t passWidth, int32_t y);
    // Raises the reader's error for image data that does not give all rows.
    [[noreturn]] void FailImageData() const;
    void BuildMaskFromPaletteAlpha();
    // The inflate adapter's fill: the next piece of IDAT data, -1 when there is none.
    int FillInput();
    // Moves on to the next chunk's data; false unless it is an IDAT chunk.
    bool NextDataChunk();
    // Moves on to the next chunk when it is a non-empty IDAT chunk whose header is at hand.
    bool NextDataChunkAtHand();
    void ChunkConsumed(int64_t bytes);

    int32_t colorType_ = -1; // a TPngColorType without the alpha bit; -1 before IHDR
    int32_t bitDepth_ = 0;
    bool alpha_ = false;
    bool grey_ = false;
    int32_t interlace_ = 0;
    int32_t fileBitsPerPixel_ = 0;
    TRowFormat rowFormat_ = TRowFormat::Same;
    int32_t transparentColor_ = -1;
    int32_t backgroundColor_ = -1;
    double gamma_ = 0;
    int32_t significantBits_ = 0;
    uint32_t chunkFlags_ = 0;
    int64_t chunkLeft_ = 0; // data bytes of the current chunk not yet consumed
    bool maskUsable_ = false;
    bool maskFromPalette_ = false;
    bool inflatedWhole_ = false;
    std::string keyText_; // in effect for this file; empty unless the file asks for a key
    std::array<uint8_t, 256> paletteAlpha_{};
    int32_t paletteAlphaCount_ = 0; // entries of paletteAlpha_ that tRNS gave
    InflateAdapter inflate_;
    std::vector<uint8_t> convertRow_, alphaRow_, hookRow_;
};
