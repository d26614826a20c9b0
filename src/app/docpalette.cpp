#include "app/docpalette.h"

#include "app/docwindow.h"
#include "app/state.h"
#include "editor/lupe.h"
#include "image/PaletteFile.h"
#include "palette/palettewindow.h"

void SetDocumentPalette(const TPalette& entries) {
    if (!DocImage) return;
    DocPaletteNames = NamesKept(std::move(DocPaletteNames), DocImage->PaletteBlock, entries);
    DocImage->PaletteBlock = entries;
    DocImage->ApplyPalette();
    // The sizes are unchanged, so re-rendering is enough; no view is resized.
    mainform->RenderDocBitmap();
    mainform->PaintBox->update();
    LupeForm->RenderLupe();
    palletform->RebuildPaletteImage();
}
