// The palette commands over the open document. Each is one undo step through the edit path: the
// commands that move entries or pixels record the whole picture with the palette, so that undo
// gives both back, and send one notice of the pixels, the palette and the indices they move. The
// drawing and the transparent index follow the colours they stood at (undo leaves them where
// they are), except where said. Each answers false, changing nothing, without a document, while a
// block floats (its own pixels would keep the old indices) or when it would change nothing; the
// palette lock is the caller's to ask.
#pragma once

#include "document/Editor.h"
#include "image/PaletteRemap.h"
#include "image/PaletteText.h"

#include <cstdint>

// Entry i and every pixel of it go to map[i], a permutation; the entries' names go along.
// Without indicesFollow the two indices stay, and name the colours moved to them.
bool PermuteEntries(TEditor& editor, const TIndexMap& map, bool indicesFollow = true);
// Exchanges entries a and b.
bool SwapEntries(TEditor& editor, uint8_t a, uint8_t b, bool indicesFollow = true);
// Puts entry from at to, the entries between shifting one place towards from.
bool MoveEntry(TEditor& editor, uint8_t from, uint8_t to);
// Sorts the palette by key (SortMap); keepTransparent leaves the transparent index's entry in
// its place.
bool SortEntries(TEditor& editor, TSortKey key, bool keepTransparent);
// The pixels of every entry that repeats an earlier entry's colour take the earlier index
// (DuplicateMap, the transparent index kept apart); no entry and neither index moves. Answers
// how many entries gave up their pixels, 0 for no change.
int32_t MergeDuplicates(TEditor& editor);
// The palette takes colors into its first entries (the others stay), and every pixel the index
// of the nearest of them to its colour before, so the picture changes as little as the colours
// allow. Nothing happens for no colours.
bool LoadNearest(TEditor& editor, const TPaletteColors& colors);
// The entries strictly between first and last on the straight line between their colours
// (Ramp): a palette step only.
bool RampEntries(TDocument& doc, uint8_t first, uint8_t last);
