// Alpha tables of palette entries, as a palette PNG's tRNS gives them: entry 0 first, entries
// past the end of the table fully opaque (255). The editor keeps one transparent index, so these
// say what of a table it can keep and build the table it writes back.
#pragma once

#include <cstdint>
#include <vector>

// The one entry that alpha makes fully transparent (0), or -1 when none or several are.
int32_t FullyTransparentEntry(const std::vector<uint8_t>& alpha);
// Whether alpha says more than one transparent index can: an entry neither 0 nor 255, or more
// than one entry at 0.
bool HasPartialAlpha(const std::vector<uint8_t>& alpha);
// The shortest table that makes entry index (0..255) alone transparent: 255 up to index, then 0.
std::vector<uint8_t> AlphaTableFor(int32_t index);
