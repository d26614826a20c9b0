// Reading and writing document images through the shared format table: a known extension is
// required, the reader follows the file's signature, the writer the extension.
#pragma once

#include "formats/ImageFormat.h"
#include "image/DIB.h"

#include <functional>
#include <memory>

class TDocument;
#include <string>

// ".bmp", ".png" and ".gif" in any letter case; null for any other extension.
inline const TImageFormat* FormatOfPath(const std::string& path) {
    return FormatForExtension(path);
}

struct TReadImage {
    std::unique_ptr<TDIB> Image; // always 8 bits per pixel
    // The palette entry that the file makes fully transparent, or -1 for none.
    int32_t TransparentIndex = -1;
    // What of the file the document leaves out:
    bool Reduced = false;      // the file had more than 256 colours and was reduced
    bool PartialAlpha = false; // alpha one transparent entry cannot hold (PaletteAlpha.h)
    bool AlphaChannel = false; // the file's alpha channel
    bool WideSamples = false;  // the low bytes of 16-bit samples
    bool KeyLost = false;      // a transparent colour whose pixels the reduction merged
    bool OtherFrames = false;  // the frames after the first, which alone was read
    bool FrameTiming = false;  // how long each frame shows, its frames read as one sheet
    // The frames the file holds (an animated GIF's).
    int32_t Frames = 1;
    bool Lossy() const {
        return Reduced || PartialAlpha || AlphaChannel || WideSamples || KeyLost || OtherFrames ||
               FrameTiming;
    }
};

// Reads a BMP, PNG or GIF file as an 8-bit document image; a file of no known signature goes to
// the reader of its extension. A GIF gives its first frame, or with sheet every frame in one row
// (formats/FrameRead.h). Raises EUnreadableFile (image/ReadMessage.h), whose message names the
// file and keeps the codec's text, also when the file holds no picture at all.
TReadImage ReadDocumentImage(const std::string& path, bool sheet = false);
// Writes an 8-bit image as BMP, PNG or GIF, the PNG and GIF with transparency; an existing file
// is replaced only after the whole write succeeded.
void WriteDocumentImage(const std::string& path, const TImageFormat& format, const TDIB& image,
                        const TTransparency& transparency = {});
// Writes a picture made from the document to path through save (WriteImageFile), for the
// exports. An error whose message does not name the file is raised again naming it:
// "path に書き出せませんでした（reason）".
void ExportImageFile(const std::string& path, const TDIB& image,
                     const std::function<void(TStream&)>& save);
// What the document's file keeps transparent: the transparent index while the document keeps it.
TTransparency DocumentTransparency(const TDocument& document);
// A copy of the document's pixels whose colour table is its palette block, as the writers take
// it: palette edits not yet applied to the document reach the file.
TDIB WritableCopy(const TDIB& document);
