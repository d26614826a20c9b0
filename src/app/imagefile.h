// Reading and writing document images, the format chosen by the file name's extension.
#pragma once

#include "image/DIB.h"

#include <memory>
#include <string>

enum class TImageFormat { Unknown, Bmp, Png };

// The extension with its dot ("" when the last path component has none).
std::string FileExtension(const std::string& path);
// ".bmp" and ".png" in any letter case.
TImageFormat FormatOfPath(const std::string& path);

struct TReadImage {
    std::unique_ptr<TDIB> Image; // always 8 bits per pixel
    bool Reduced = false;        // the file had more than 256 colours and was reduced
};

// Reads a BMP or PNG file (format Bmp or Png) as an 8-bit document image. Raises the codecs'
// errors, and EInvalidGraphic when the file holds no picture at all.
TReadImage ReadDocumentImage(const std::string& path, TImageFormat format);
// Writes an 8-bit image as BMP or PNG; an existing file is replaced only after the whole write
// succeeded.
void WriteDocumentImage(const std::string& path, TImageFormat format, const TDIB& image);
