// Palette orders that keep the picture: a map from every old index to a new one, the pixels and
// entries moved by it, and the maps of the palette commands (swap, move, sort, merging of
// duplicates, nearest colours of another palette), with the pixel counts the sort and the palette
// window read and the ramp between two entries.
#pragma once

#include "image/DIB.h"
#include "image/PaletteNames.h"

#include <array>
#include <cstdint>

// Entry i's new index is map[i].
using TIndexMap = std::array<uint8_t, 256>;
// How many pixels hold each index.
using TUsage = std::array<uint64_t, 256>;

// Every index to itself.
TIndexMap IdentityMap();
bool IsIdentity(const TIndexMap& map);

// Every pixel of the 8-bit image becomes map[pixel], in one pass; the row padding stays.
void RemapPixels(TDIB& image, const TIndexMap& map);
// The entries of a permutation's palette at their new places: entry i moves to map[i]. Entries
// no index moves to keep what they held.
TPalette MovedEntries(const TPalette& palette, const TIndexMap& map);

// The names of a permutation's palette at their new places, as MovedEntries moves the colours.
TPaletteNames MovedNames(TPaletteNames names, const TIndexMap& map);

// a and b exchange places.
TIndexMap SwapMap(uint8_t a, uint8_t b);
// Entry from goes to to, the entries between shifting one place towards from's old place.
TIndexMap MoveMap(uint8_t from, uint8_t to);

// The pixels of each index in the 8-bit image.
TUsage CountUsage(const TDIB& image);

// What the palette is sorted by; every sort is stable, and entries no pixel uses go last in
// their old order.
enum class TSortKey : uint8_t {
    // Rec.601 luma (299 R + 587 G + 114 B), darkest first.
    Brightness,
    // Greys (R = G = B) first, then the hue angle from red through yellow, green, cyan, blue and
    // magenta; greys, and colours of one hue, by brightness.
    Hue,
    // Most pixels first.
    Usage,
};
// The map that sorts palette by key; a pinned index (0..255) keeps its place and the others
// fill the rest in order. usage tells the used entries from the unused ones.
TIndexMap SortMap(const TPalette& palette, const TUsage& usage, TSortKey key, int32_t pinned = -1);

// Every entry to the first entry of the same red, green and blue; the keep index (0..255), the
// transparent one, neither moves nor takes others.
TIndexMap DuplicateMap(const TPalette& palette, int32_t keep = -1);

// Every entry of palette to the first of target's first count entries nearest its colour
// (NearestPaletteEntry); the identity for a count of 0.
TIndexMap NearestMap(const TPalette& palette, const TPalette& target, int32_t count);

// palette with the entries strictly between first and last (either order) on the straight line
// in RGB from first's colour to last's, each channel rounded to the nearest; reserved bytes kept.
TPalette Ramp(TPalette palette, uint8_t first, uint8_t last);
