// The one way the document's palette changes. Every palette edit (the colour bars, the 15-bit
// cut, undo and redo of a palette step, palette files) goes through SetDocumentPalette, so that no
// edit is left in DocImage's PaletteBlock without reaching its pixels' storage (see the rule at
// TDIB::PaletteBlock) and every view that shows palette colours is redrawn.
#pragma once

#include "image/DIB.h"

// Makes entries the palette of the open document (nothing happens without one): drops the names
// of the entries it changes from DocPaletteNames, writes DocImage's PaletteBlock, applies it,
// then redraws the document view, the magnifier and the palette window. Pixels, Saved and the
// undo history are the caller's business.
void SetDocumentPalette(const TPalette& entries);
