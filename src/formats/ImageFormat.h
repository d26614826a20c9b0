// The image file formats that the editor and the converter share. A file is read by the reader
// its first bytes name, whatever its extension; it is written in the format of its extension.
#pragma once

#include "image/DIB.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TStream;
class TFileStream;

// Which pixels a file makes transparent, beside the pixels and palette a TDIB holds.
struct TTransparency {
    // Alpha of the palette entries from 0 (PaletteAlpha.h): a palette PNG's tRNS as it is, or
    // the entry of a grey PNG's transparent grey. Empty when the file gives none.
    std::vector<uint8_t> PaletteAlpha;
    // The transparent colour of a 24-bit picture, 0x00BBGGRR, or -1 for none.
    int32_t Color = -1;
};

// A picture as read, with what of its file it could not keep.
struct TPicture {
    TDIB Image;
    TTransparency Transparency;
    bool AlphaChannel = false; // the file had an alpha channel, which Image leaves out
    bool WideSamples = false;  // the file had 16-bit samples, of which Image keeps the high byte
    // The frames the file holds (an animated GIF's); Image is the first of them unless the file
    // was read as a sheet.
    int32_t Frames = 1;
};

// Writes with the format's standard settings, the editor's, with transparency or without; a
// format that has no place for transparency leaves it out.
struct TImageSave {
    void (*Write)(const TDIB& image, const TTransparency& transparency, TStream& stream);

    void operator()(const TDIB& image, TStream& stream) const { Write(image, {}, stream); }
    void operator()(const TDIB& image, const TTransparency& transparency, TStream& stream) const {
        Write(image, transparency, stream);
    }
};

struct TImageFormat {
    const char* Name;      // "png", "bmp", "gif"
    const char* Extension; // lower case, with the dot
    // Whether head, the first bytes of a file (up to 136 of them), starts a file of this format.
    bool (*HasSignature)(const uint8_t* head, size_t size);
    void (*Load)(TPicture& picture, TStream& stream);
    TImageSave Save;
};

const std::vector<TImageFormat>& ImageFormats();

// The format of path's extension in any letter case, or null.
const TImageFormat* FormatForExtension(const std::string& path);
// The format called name ("png", "bmp"), or null.
const TImageFormat* FormatNamed(const std::string& name);

// An image file opened for reading: a stream that can seek, positioned at Start where the file
// begins, and the format to read it with.
struct TImageInput {
    std::unique_ptr<TStream> Stream;
    const TImageFormat* Format = nullptr;
    int64_t Start = 0;
};

// Opens file (named path in messages) for reading. The format is the one whose signature the data
// carries; data with none goes to the reader of path's extension, which then gives its own error,
// and without such a reader it is refused as a format not supported. Input that cannot seek (a
// pipe, a FIFO, a device) is read into memory: to its end when it carries a signature, else no
// further than the signature would have been, so endless data is refused at once.
TImageInput OpenImage(std::unique_ptr<TFileStream> file, const std::string& path);
TImageInput OpenImage(const std::string& path);

// Reads the picture. A file that yields none (empty, or headers only) raises EInvalidGraphic.
TPicture ReadPicture(const TImageInput& input);
TPicture ReadPictureFile(const std::string& path);
// The same, the pixels and palette alone (ReadImageFile: only the tests call it).
TDIB ReadImage(const TImageInput& input);
TDIB ReadImageFile(const std::string& path);

// Raises EInvalidGraphic "画像データがありません" for a picture without pixels, which no one
// reads as a picture or writes as a file.
void RequirePicture(const TDIB& image);

// Writes image to path through save (the format's standard Save when not given), with
// WriteFileAtomically; a picture without pixels is refused before the file is touched.
void WriteImageFile(const std::string& path, const TDIB& image,
                    const std::function<void(TStream&)>& save);
void WriteImageFile(const std::string& path, const TImageFormat& format, const TDIB& image,
                    const TTransparency& transparency = {});
