// TKivPNGWriteStream: encodes an indexed image (TDIB of 1, 4, 8, 24 or 32 bits) as a PNG file.
// 1-, 4- and 8-bit images become palette files (or grey files on request), 24- and 32-bit
// images RGB files; an 8-bit mask image of 255 - alpha adds an alpha channel where the colour
// type allows one. Compressed data leaves in IDAT chunks of IDATSize() bytes, the last shorter.
#pragma once

#include "image/DIB.h"
#include "png/KivPNGCommon.h"
#include "png/KivPNGText.h"
#include "png/KivStream.h"
#include "png/KivZLIB.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TDIB;
class TKivPNGWriteStream;

// Called once per raw row before filtering when the key text is not empty: transforms the row's
// data bytes in place. rowNumber counts rows over all passes from 0.
using TKivEncodeRowEvent =
    std::function<void(TKivPNGWriteStream& writer, uint8_t* data, const std::string& keyText,
                       int32_t rowNumber, int32_t length)>;

class TKivPNGWriteStream : public TKivCustomWriteStream {
public:
    static constexpr int32_t MinIDATSize = 256;
    static constexpr int32_t MaxIDATSize = 100000;
    static constexpr int32_t DefaultIDATSize = 32768;

    TKivPNGWriteStream();

    // Raises EKivPNG when size is outside MinIDATSize..MaxIDATSize.
    void SetIDATSize(int32_t size);
    int32_t IDATSize() const { return idatSize_; }

    // Options, set before SaveToStream.
    int32_t CompressionLevel = CompressionDefault; // a TPngCompressionLevel
    int32_t FilterType = FilterChoiceNone;         // a TPngFilterChoice
    int32_t Interlace = 0;                         // non-zero writes Adam7
    bool Grayscale = false; // 1-, 4- and 8-bit indices written as grey samples
    std::string Comment;    // UTF-8; "Comment" in tEXt (Latin-1) or else iTXt, when not empty
    int32_t BackgroundColor = ColorNone;
    // tRNS of an indexed source: the alpha of its palette entries from 0 (PaletteAlpha.h). A
    // palette file takes the table as it is, cut to the file's palette; a grey file the one
    // transparent entry of a table that holds no more than that. Empty: no tRNS.
    std::vector<uint8_t> PaletteAlpha;
    // tRNS of a 24- or 32-bit source written without an alpha channel: a colour 0x00BBGGRR.
    int32_t TransparentColor = ColorNone;
    double Gamma = 0;            // gAMA when above 0
    int32_t SignificantBits = 0; // sBIT bytes red, green, blue, alpha (low to high)
    int32_t PixelUnit = 0;       // 0 unknown, 1 metre, 2 inch (written as metre)
    int32_t PixelsPerUnitX = 0, PixelsPerUnitY = 0;
    const TDIB* Mask = nullptr; // 255 - alpha, 8 bits per pixel, the image's size
    std::string KeyText;
    TKivEncodeRowEvent OnEncodeRow;

protected:
    void EncodeImage() override;

private:
    void ChooseFormat();
    void WriteChunk(uint32_t type, const uint8_t* data, uint32_t length);
    void WriteHeader();
    void PrepareText();
    void WriteText();
    void WritePrivateChunk();
    void WriteGamma();
    void WriteSignificantBits();
    void WritePalette();
    void WriteBackground();
    void WriteTransparency();
    void WritePhysicalSize();
    void WriteImageData();
    void WritePasses();
    // Raw data of the pass's row y (count pixels from pass.xStart in steps of pass.xStep).
    void BuildRow(int32_t y, const TPngPass& pass, int32_t count, uint8_t* out) const;
    bool EncodeHookActive() const { return !KeyText.empty() && OnEncodeRow != nullptr; }

    int32_t idatSize_ = DefaultIDATSize;
    int32_t sourceBits_ = 0;
    int32_t pngBits_ = 0;
    int32_t bitDepth_ = 0;
    int32_t colorType_ = 0;
    bool grey_ = false;  // a grey file: colour type 0 or 4
    bool alpha_ = false; // an alpha channel is written from Mask
    TPalette filePalette_{};
    int32_t filePaletteCount_ = 0; // entries of filePalette_ that the file's samples can address
    std::optional<TPngTextChunk> textChunk_; // the comment's chunk, when there is a comment
    DeflateAdapter deflate_;
};
