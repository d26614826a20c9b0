// The palette window: one move of a colour bar repaints the document view and re-renders the
// magnifier, so on a large document it should cost little more than copying the document's
// display bytes.
// Built only with the GUI.
#ifdef VARNET_BENCH_GUI

#include "bench.h"
#include "gui_start.h"

#include "palette/palettewindow.h"

#include <cstring>
#include <vector>

BENCH_CASE(editor_palette_bar_drag) {
    constexpr int32_t side = 4096;
    OpenDocument(side);
    for (int32_t y = 0; y < side; ++y) {
        uint8_t* row = Doc().DocImage()->RowForWrite(y);
        for (int32_t x = 0; x < side; ++x)
            row[x] = static_cast<uint8_t>((x >> 3) ^ (y >> 2));
    }
    mainform->UpdateDocView();
    LupeForm->RenderLupe();

    TColorBar* bar = palletform->GBar;
    palletform->RBarMouseDown(bar, 0);
    int32_t x = 0;
    const double move = Measure([&] {
        x = (x + 5) % 160;
        palletform->RBarMouseMove(bar, x);
        PaintPending();
    });
    palletform->RBarMouseUp();

    const size_t bytes = size_t(side) * side * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    const double copy = Measure([&] {
        std::memcpy(to.data(), from.data(), bytes);
        KeepAlive(to.data());
    });
    Report("Bar move, 4096x4096 document (apply, view repaint, magnifier)", move, "memcpy", copy);
    Doc().SetSaved(true);
    mainform->CloseDocument();
}

#endif
