// Palette files: GIMP palettes (.gpl), JASC-PAL files (.pal) and Adobe colour tables (.act),
// read and written. Reading the palette of a PNG or BMP picture, and telling the kinds of file
// apart, lies above the codecs (formats/PaletteRead.h).
#pragma once

#include "image/DIB.h"
#include "image/PaletteText.h"

#include <optional>
#include <string>

class TStream;

enum class TPaletteFormat { Gpl, JascPal, Act };

// The format a file named path is written in, by its extension (.gpl, .pal, .act in any letter
// case); none for any other.
std::optional<TPaletteFormat> PaletteFormatForExtension(const std::string& path);

// Reads the colours of a palette file of format from stream, from its position to its end (which
// format a file holds is told in formats/PaletteRead.h). Malformed files raise EInvalidGraphic
// naming name and the line (text formats) or the size or byte offset
// (.act). With names, the names the file gives are stored there (none but a GIMP palette's).
TPaletteColors ReadPaletteAs(TPaletteFormat format, TStream& stream, const std::string& name,
                             TPaletteNames* names = nullptr);

// Writes the 256 entries; a GIMP palette is titled title and names its entries entryNames
// (GplText).
void SavePalette(const TPalette& palette, TPaletteFormat format, const std::string& title,
                 TStream& stream, const std::vector<std::string>& entryNames = {});
// As SavePalette to path through WriteFileAtomically, with the names given; without a title,
// titled by the file's name.
void WritePaletteFile(const std::string& path, TPaletteFormat format, const TPalette& palette,
                      const TPaletteNames& names = {});

// palette with the red, green and blue of its first colors.size() entries taken from colors;
// the other entries, and every reserved byte, as they were.
TPalette WithColors(TPalette palette, const TPaletteColors& colors);

// The names of a palette that changed from before to after: an entry whose colour changed loses
// its name, which described the old colour; the other entries and the title keep theirs.
TPaletteNames NamesKept(TPaletteNames names, const TPalette& before, const TPalette& after);
