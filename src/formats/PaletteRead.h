// Reading palette files of every kind the palette window loads: the palette formats of
// image/PaletteFile.h and the palettes of PNG and BMP pictures, told apart by their content.
#pragma once

#include "image/PaletteFile.h"

#include <string>

class TStream;

// Reads the colours of the palette file in stream, which must be able to seek, from its position.
// The content decides where it can: the text formats' headers and the PNG signature first; then
// the extension of name, where .act (which has no signature) outranks the two letters of a BMP
// signature; then that signature. A PNG or BMP picture gives its palette's entries, as many as
// the file holds; a picture without a palette is refused. Malformed files raise EInvalidGraphic
// naming name and the line (text formats) or the size or byte offset (.act); pictures raise the
// image readers' errors. With names, the names the file gives are stored there (none but a GIMP
// palette's).
TPaletteColors ReadPalette(TStream& stream, const std::string& name,
                           TPaletteNames* names = nullptr);
// The same from the file at path; every error is raised as EUnreadableFile naming the file
// (image/ReadMessage.h).
TPaletteColors ReadPaletteFile(const std::string& path, TPaletteNames* names = nullptr);
