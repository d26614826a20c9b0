// The editor state shared by every window. Coordinates and sizes are in image pixels unless a
// comment says otherwise. Windows read and write these directly and then ask the windows
// concerned to redraw.
#pragma once

#include "image/PaletteNames.h"

#include <cstdint>
#include <memory>
#include <string>

class TDIB;

// The open document; null while no document is open.
extern std::unique_ptr<TDIB> DocImage;
// Size of the open document, in image pixels. Kept after Close.
extern int32_t DocWidth, DocHeight;
// True while the document has no unsaved changes.
extern bool Saved;

// Indices into the view arrays below.
constexpr int kEditArea = 0;  // shown and edited in the magnifier
constexpr int kLayerArea = 1; // overlaid beneath the edit area in the magnifier
constexpr int kViewCount = 2;

// Top-left image pixel of the edit area and of the layer area.
extern int32_t ViewLeft[kViewCount], ViewTop[kViewCount];
// Size of the two view rectangles in image pixels: LupeCellsX x LupeCellsY cut at the image's
// right and bottom edges. Written by Tmainform::UpdateViewSizes only.
extern int32_t ViewWidth[kViewCount], ViewHeight[kViewCount];
// Nominal view rectangle size in image pixels (8..64, steps of 8); also the coarse snap step.
extern int32_t LupeCellsX, LupeCellsY;
// The layer button is down and the two view rectangles' origins differ.
extern bool LayerActive;

// Palette indices (0..255): what the pen draws with, and what the layer overlay skips.
extern int32_t DrawIndex, TransparentIndex;
// The names of the palette file last loaded into the document's palette, written back when the
// palette is saved as a GIMP palette. SetDocumentPalette drops the name of every entry whose
// colour changes; empty for a document without a loaded palette file.
extern TPaletteNames DocPaletteNames;
// The document keeps TransparentIndex transparent in its file: a PNG save writes it as tRNS.
// Set by opening a file that makes one palette entry fully transparent, or by the file menu's
// check item; false for a new document.
extern bool DocTransparent;
// The tools of the tool window. With Region a press in the document window or the magnifier goes
// to the selection instead of placing or drawing.
enum class TTool : uint8_t { Pen = 0, Fill = 1, Region = 2 };
extern TTool CurrentTool;

// Region selection state: at most one of the two flags is true.
extern bool Selecting, Floating;
// Rectangle of the selection, or of the floating region, in image pixels.
extern int32_t SelLeft, SelTop, SelWidth, SelHeight;

// Puts every variable above back to its start-up value (DocImage becomes null), then has every
// other unit that keeps editor state (the undo history) reset its own.
void ResetEditorState();

// The first broken rule of the editor state, in words, or an empty string when all hold:
// Selecting and Floating are not both true; while a document is open DocWidth and DocHeight are
// its size and 0 <= RedoCount <= UndoCount <= UndoCapacity - 1; with none open the history is
// released (capacity and counts 0).
std::string EditorStateViolation();
