// The magnifier: a pen stroke's cost must not grow with the document, and a full render of the
// largest view should cost little more than copying its display bytes. Built only with the GUI.
#ifdef VARNET_BENCH_GUI

#include "bench.h"
#include "gui_start.h"

#include "editor/lupe.h"
#include "ui/session.h"

#include <QAction>
#include <cstring>
#include <vector>

namespace {
// Press, 999 moves into neighbouring cells along rows of the view, release: 1000 pixels drawn.
void Stroke() {
    const int32_t p = LupeForm->Power();
    Editor().SetDrawIndex((Editor().DrawIndex() + 1) % 256);
    LupeForm->LupeBox2MouseDown(TMouseButton::Left, p / 2, p / 2);
    for (int32_t i = 1; i < 1000; ++i) {
        const int32_t row = i / 62, column = row % 2 ? 61 - i % 62 : i % 62;
        LupeForm->LupeBox2MouseMove(column * p + p / 2, row * p + p / 2);
    }
    LupeForm->LupeBox2MouseUp();
}
} // namespace

BENCH_CASE(editor_pen_stroke) {
    OpenDocument(256);
    const double small = Measure(Stroke);
    OpenDocument(8192);
    const double large = Measure(Stroke);
    Report("Pen stroke of 1000 pixels, 8192x8192 document", large, "256x256 doc", small);
    Doc().SetSaved(true);
    mainform->CloseDocument();
}

BENCH_CASE(editor_render_lupe) {
    OpenDocument(256);
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x)
            Doc().DocImage()->RowForWrite(y)[x] = static_cast<uint8_t>((x / 3) ^ (y / 5));
    const size_t bytes = size_t(896) * 896 * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    const double copy = Measure([&] {
        std::memcpy(to.data(), from.data(), bytes);
        KeepAlive(to.data());
    });
    const std::pair<QAction*, const char*> grids[] = {{LupeForm->N10, "no grid"},
                                                      {LupeForm->N12, "special grid"}};
    for (const auto& [item, name] : grids) {
        LupeForm->GridChange(item);
        const double render = Measure([] { LupeForm->RenderLupe(); });
        Report(std::string("RenderLupe 64x64 at 14x, ") + name, render, "memcpy", copy);
    }
    Doc().SetSaved(true);
    mainform->CloseDocument();
}

#endif
