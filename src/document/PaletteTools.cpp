#include "document/PaletteTools.h"

#include "image/PaletteFile.h"

#include <algorithm>

namespace {
// Whether a command may change the document's pixels now.
bool CanRemap(const TEditor& editor) {
    return editor.Doc.IsOpen() && !editor.Doc.Floating();
}

// Every pixel to map[pixel] and the palette to palette, as one step of the whole picture with
// the palette; with indicesFollow the drawing and the transparent index go where map sends them.
bool Remap(TEditor& editor, const TIndexMap& map, const TPalette& palette, bool indicesFollow) {
    TDocument& doc = editor.Doc;
    const bool movesPixels = !IsIdentity(map);
    if (!movesPixels && palette == doc.DocImage()->PaletteBlock) return false;
    const int32_t draw = indicesFollow ? map[size_t(editor.DrawIndex())] : editor.DrawIndex();
    const int32_t clear =
        indicesFollow ? map[size_t(doc.TransparentIndex())] : doc.TransparentIndex();
    const bool indicesMove = draw != editor.DrawIndex() || clear != doc.TransparentIndex();
    // The indices first, so that the picture's notice finds the state complete.
    editor.SetDrawIndex(draw);
    doc.SetTransparentIndex(clear);
    const TRect whole{0, 0, doc.DocWidth(), doc.DocHeight()};
    doc.Edit(TStep{whole, true},
             {.Pixels = true, .Rect = whole, .Palette = true, .Indices = indicesMove},
             [&](TDIB& image) {
                 if (movesPixels) RemapPixels(image, map);
                 image.PaletteBlock = palette;
             });
    return true;
}
} // namespace

bool PermuteEntries(TEditor& editor, const TIndexMap& map, bool indicesFollow) {
    if (!CanRemap(editor) || IsIdentity(map)) return false;
    TDocument& doc = editor.Doc;
    // The edit drops the names of the places whose colour changed; the names go with the colours.
    TPaletteNames names = MovedNames(doc.DocPaletteNames(), map);
    Remap(editor, map, MovedEntries(doc.DocImage()->PaletteBlock, map), indicesFollow);
    doc.SetPaletteNames(std::move(names));
    return true;
}

bool SwapEntries(TEditor& editor, uint8_t a, uint8_t b, bool indicesFollow) {
    return PermuteEntries(editor, SwapMap(a, b), indicesFollow);
}

bool MoveEntry(TEditor& editor, uint8_t from, uint8_t to) {
    return PermuteEntries(editor, MoveMap(from, to));
}

bool SortEntries(TEditor& editor, TSortKey key, bool keepTransparent) {
    if (!CanRemap(editor)) return false;
    const TDIB& image = *editor.Doc.DocImage();
    const int32_t pinned = keepTransparent ? editor.Doc.TransparentIndex() : -1;
    return PermuteEntries(editor, SortMap(image.PaletteBlock, CountUsage(image), key, pinned));
}

int32_t MergeDuplicates(TEditor& editor) {
    if (!CanRemap(editor)) return 0;
    const TDIB& image = *editor.Doc.DocImage();
    TIndexMap map = DuplicateMap(image.PaletteBlock, editor.Doc.TransparentIndex());
    // An entry no pixel uses has nothing to give up.
    const TUsage usage = CountUsage(image);
    int32_t merged = 0;
    for (size_t i = 0; i < 256; ++i) {
        if (!usage[i]) map[i] = uint8_t(i);
        merged += map[i] != i;
    }
    if (merged) Remap(editor, map, image.PaletteBlock, false);
    return merged;
}

bool LoadNearest(TEditor& editor, const TPaletteColors& colors) {
    if (!CanRemap(editor) || colors.empty()) return false;
    const TPalette& now = editor.Doc.DocImage()->PaletteBlock;
    const TPalette loaded = WithColors(now, colors);
    const auto count = int32_t(std::min<size_t>(colors.size(), 256));
    return Remap(editor, NearestMap(now, loaded, count), loaded, true);
}

bool RampEntries(TDocument& doc, uint8_t first, uint8_t last) {
    if (!doc.IsOpen()) return false;
    const TPalette ramp = Ramp(doc.DocImage()->PaletteBlock, first, last);
    if (ramp == doc.DocImage()->PaletteBlock) return false;
    // A palette step of its own, not merged into a run of bar presses.
    const TStep step{TRect{0, 0, 1, 1}, true};
    doc.EditPalette(&step, ramp);
    return true;
}
