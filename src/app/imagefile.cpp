#include "app/imagefile.h"

#include "base/Exceptions.h"
#include "base/Stream.h"
#include "document/Document.h"
#include "formats/FrameRead.h"
#include "image/BlockCopy.h"
#include "image/PaletteAlpha.h"
#include "image/Quantize.h"
#include "image/ReadMessage.h"

#include <algorithm>

namespace {
// The index that the first pixel of colour (0x00BBGGRR) in the 24-bit picture decoded got in its
// 8-bit copy eight, or -1 when no pixel has that colour. An exact copy gives every pixel of one
// colour one index.
int32_t IndexOfColor(const TDIB& decoded, const TDIB& eight, int32_t color) {
    const uint8_t bgr[3] = {uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color)};
    for (int32_t y = 0; y < decoded.Height(); ++y) {
        const uint8_t* row = decoded.RowForRead(y);
        for (int32_t x = 0; x < decoded.Width(); ++x)
            if (std::equal(bgr, bgr + 3, row + 3 * x)) return eight.RowForRead(y)[x];
    }
    return -1;
}

// ReadDocumentImage with the codecs' own errors.
TReadImage ReadEightBit(const std::string& path, bool sheet) {
    const TPicture picture = sheet ? ReadSheetPicture(OpenImage(path)) : ReadPictureFile(path);
    const TTransparency& transparency = picture.Transparency;
    TReadImage result;
    result.Image = std::make_unique<TDIB>(ToEightBit(picture.Image, result.Reduced));
    result.Image->DetachToMemory();
    result.AlphaChannel = picture.AlphaChannel;
    result.WideSamples = picture.WideSamples;
    result.Frames = picture.Frames;
    result.OtherFrames = !sheet && picture.Frames > 1;
    result.FrameTiming = sheet && picture.Frames > 1;
    if (!transparency.PaletteAlpha.empty()) {
        result.TransparentIndex = FullyTransparentEntry(transparency.PaletteAlpha);
        result.PartialAlpha = HasPartialAlpha(transparency.PaletteAlpha);
    } else if (transparency.Color != -1) {
        const int32_t index = IndexOfColor(picture.Image, *result.Image, transparency.Color);
        // Reduction may have merged the colour with others, whose pixels would turn clear too.
        if (result.Reduced)
            result.KeyLost = index >= 0;
        else
            result.TransparentIndex = index;
    }
    return result;
}
} // namespace

TReadImage ReadDocumentImage(const std::string& path, bool sheet) {
    return ReadNamingFile(path, [&] { return ReadEightBit(path, sheet); });
}

void WriteDocumentImage(const std::string& path, const TImageFormat& format, const TDIB& image,
                        const TTransparency& transparency) {
    WriteImageFile(path, format, image, transparency);
}

void ExportImageFile(const std::string& path, const TDIB& image,
                     const std::function<void(TStream&)>& save) {
    const auto naming = [&path](const std::string& reason) {
        return reason.find(path) != std::string::npos
                   ? reason
                   : path + " に書き出せませんでした（" + reason + "）";
    };
    try {
        WriteImageFile(path, image, save);
    } catch (const Exception& e) {
        throw Exception(naming(e.Message()));
    } catch (const std::bad_alloc&) {
        throw Exception(naming(EOutOfMemory().Message()));
    }
}

TTransparency DocumentTransparency(const TDocument& document) {
    if (!document.DocTransparent()) return {};
    return {AlphaTableFor(document.TransparentIndex())};
}

TDIB WritableCopy(const TDIB& document) {
    const int32_t width = document.Width(), height = document.Height();
    TDIB copy;
    copy.Resize(width, height, 8);
    copy.PaletteBlock = document.PaletteBlock;
    copy.ApplyPalette();
    const TRect whole{0, 0, width, height};
    CopyBlock(copy, whole, document, whole);
    return copy;
}
