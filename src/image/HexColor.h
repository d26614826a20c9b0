// A palette entry's colour as the colour dialog writes it: "#RRGGBB".
#pragma once

#include "image/DIB.h"

#include <optional>
#include <string>
#include <string_view>

// The colour of six hex digits, with or without a leading '#', in either case; blanks around
// them are ignored. Nothing for any other text. The reserved byte is 0.
std::optional<TPaletteEntry> ParseHexColor(std::string_view text);
// "#RRGGBB" in capitals; the reserved byte is no colour.
std::string HexColorText(const TPaletteEntry& colour);
