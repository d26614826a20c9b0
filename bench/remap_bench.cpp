// The palette commands that keep the picture: one pass of every pixel through a 256-entry table
// and the undo step of the whole picture, so on a large document a swap of two entries should
// cost a few copies of its pixels.
#include "bench.h"

#include "document/PaletteTools.h"

#include <cstring>
#include <memory>
#include <vector>

BENCH_CASE(editor_remap) {
    constexpr int32_t side = 16384;
    TEditor editor;
    auto image = std::make_unique<TDIB>();
    image->Resize(side, side, 8);
    for (int32_t y = 0; y < side; ++y) {
        uint8_t* row = image->RowForWrite(y);
        for (int32_t x = 0; x < side; ++x)
            row[x] = static_cast<uint8_t>((x >> 3) ^ (y >> 2));
    }
    image->PaletteBlock = GreyRampPalette();
    image->ApplyPalette();
    editor.Doc.Open(std::move(image), "");
    // Few slots to hold the memory down; every step still takes fresh storage for its snapshot
    // and lets the oldest go, as a full history of any length does.
    editor.Doc.History.Reset(3);

    const double swap = Measure([&] { SwapEntries(editor, 3, 200); });
    // Its two parts: the undo step's snapshot, and the pass over the pixels.
    const TRect whole{0, 0, side, side};
    const double step = Measure(
        [&] { editor.Doc.History.Record(*editor.Doc.DocImage(), whole, true, TStepRun::None); });
    const double remap = Measure([&] { RemapPixels(*editor.Doc.DocImage(), SwapMap(3, 200)); });

    // The peer: the picture's pixels copied as one block.
    const TDIB& picture = *editor.Doc.DocImage();
    std::vector<uint8_t> to(picture.Size());
    const double copy = Measure([&] {
        std::memcpy(to.data(), picture.StorageForRead(), picture.Size());
        KeepAlive(to.data());
    });
    Report("Swap of two entries, 16384x16384 (undo step, remap)", swap, "memcpy", copy);
    Report("  its undo step alone", step, "memcpy", copy);
    Report("  its remap alone", remap, "memcpy", copy);
}
