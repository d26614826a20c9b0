// The two text palette formats: GIMP palettes (.gpl) and JASC-PAL (.pal). Both are lines of
// decimal "R G B" triples behind a header; the readers refuse anything else with a message that
// names the line.
#pragma once

#include "image/DIB.h"
#include "image/PaletteNames.h"

#include <string>
#include <string_view>
#include <vector>

// Colours read from a palette file, in file order: 1 to 256 entries, reserved bytes 0.
using TPaletteColors = std::vector<TPaletteEntry>;

// Whether text starts like a file of the format (a UTF-8 byte order mark allowed before).
bool LooksLikeGpl(std::string_view text);
bool LooksLikeJascPal(std::string_view text);

// Raise EInvalidGraphic naming the file (name) and the line. A GIMP palette is "GIMP Palette",
// then optional "Name:" and "Columns:" lines, comments starting with '#' and blank lines
// anywhere, and entries of three values with an optional colour name after them; more than 256
// entries are refused. A JASC palette is "JASC-PAL", "0100", a count of 1 to 256 and exactly that
// many lines of three values; blank lines may follow. Lines end in LF or CR LF.
TPaletteColors ParseGpl(std::string_view text, const std::string& name);
TPaletteColors ParseJascPal(std::string_view text, const std::string& name);
// ParseGpl that also gives the palette's names: its "Name:" and the text after each colour's
// three values.
TPaletteColors ParseGpl(std::string_view text, const std::string& name, TPaletteNames& names);

// The 256 entries as a file of the format. title is the GIMP palette's "Name:"; entry i is named
// entryNames[i] where that is given and not empty, else "Index i".
std::string GplText(const TPalette& palette, const std::string& title,
                    const std::vector<std::string>& entryNames = {});
std::string JascPalText(const TPalette& palette);
