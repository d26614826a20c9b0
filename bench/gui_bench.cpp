// The document view: rendering a 4096 x 4096 document, and opening a PNG of that size through the
// file command. Built only with the GUI.
#ifdef VARNET_BENCH_GUI

#include "bench.h"
#include "gui_start.h"

#include "app/docwindow.h"
#include "app/imagefile.h"
#include "app/startup.h"
#include "png/KivPNG.h"
#include "ui/session.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {
constexpr int32_t kSide = 4096;

// A picture with some structure, so that the PNG compresses as real art does.
TDIB Picture() {
    TDIB image;
    image.Resize(kSide, kSide, 8);
    for (int32_t y = 0; y < kSide; ++y) {
        uint8_t* row = image.RowForWrite(y);
        for (int32_t x = 0; x < kSide; ++x)
            row[x] = static_cast<uint8_t>((x / 16) ^ (y / 16) ^ ((x * y) >> 10));
    }
    return image;
}
} // namespace

BENCH_CASE(gui_render_doc_bitmap_4096) {
    StartEditor();
    mainform->CreateDocument(kSide, kSide);
    *Doc().DocImage() = Picture();
    const size_t bytes = size_t(kSide) * kSide * 4;
    std::vector<uint8_t> from(bytes, 1), to(bytes);
    const double ours = Measure([] { mainform->RenderDocBitmap(); });
    const double peer = Measure([&] {
        std::memcpy(to.data(), from.data(), bytes);
        KeepAlive(to.data());
    });
    Report("RenderDocBitmap 4096x4096 (zoom 1)", ours, "memcpy", peer);
}

BENCH_CASE(gui_open_png_4096) {
    StartEditor();
    const std::string path =
        (std::filesystem::temp_directory_path() / "varnet-bench-4096.png").string();
    WriteDocumentImage(path, *FormatNamed("png"), Picture());
    const QString qpath = QString::fromStdString(path);
    const double ours = Measure([&] { mainform->OpenPath(qpath); });
    const double peer = Measure([&] {
        TKivPNG png;
        png.LoadFromFile(path);
        KeepAlive(&png);
    });
    Report("Open 4096x4096 8-bit PNG (decode, take over, render)", ours, "decode only", peer);
    std::filesystem::remove(path);
}

// Undo and redo of one 64 x 64 edit-area step: the slot swap is the same at any document size,
// and the views redraw only the step's rectangle, so the cost must not grow with the document.
BENCH_CASE(editor_undo_redo) {
    StartEditor();
    auto undoRedo = [](int32_t side) {
        mainform->CreateDocument(side, side);
        Editor().SetLupeCells(64, 64);
        const TRect area{0, 0, 64, 64};
        Doc().Edit(TStep{area}, {.Pixels = true, .Rect = {3, 3, 4, 4}},
                   [](TDIB& image) { image.SetPixel(3, 3, 9); });
        return Measure([] {
            Editor().Undo();
            Editor().Redo();
        });
    };
    const double small = undoRedo(256);
    const double large = undoRedo(8192);
    Report("Undo + redo of a 64x64 step, 8192x8192 document", large, "on 256x256", small);
    // The next case opens a file, which must not stop to ask about these changes.
    Doc().SetSaved(true);
}

#endif
