// The editor state shared by every window. Coordinates and sizes are in image pixels unless a
// comment says otherwise. Windows read and write these directly and then ask the windows
// concerned to redraw.
#pragma once

#include <cstdint>
#include <memory>

class TDIB;

// The open document; null while no document is open.
extern std::unique_ptr<TDIB> DocImage;
// Size of the open document, in image pixels. Kept after Close.
extern int32_t DocWidth, DocHeight;
// True while the document has no unsaved changes.
extern bool Saved;

// Top-left image pixel of view rectangle 0 (the edit area shown in the magnifier) and of view
// rectangle 1 (the layer area overlaid beneath it).
extern int32_t ViewLeft[2], ViewTop[2];
// Size of the two view rectangles in image pixels: LupeCellsX x LupeCellsY cut at the image's
// right and bottom edges. Written by Tmainform::UpdateViewSizes only.
extern int32_t ViewWidth[2], ViewHeight[2];
// Nominal view rectangle size in image pixels (8..64, steps of 8); also the coarse snap step.
extern int32_t LupeCellsX, LupeCellsY;
// The layer button is down and the two view rectangles' origins differ.
extern bool LayerActive;

// Palette indices (0..255): what the pen draws with, and what the layer overlay skips.
extern int32_t DrawIndex, TransparentIndex;
// Tool chosen in the tool window: 0 pen, 1 fill, 2 region selection.
extern uint8_t CurrentTool;

// Region selection state: at most one of the two flags is true.
extern bool Selecting, Floating;
// Rectangle of the selection, or of the floating region, in image pixels.
extern int32_t SelLeft, SelTop, SelWidth, SelHeight;

// Puts every variable above, and the undo history's counts, back to their start-up values
// (DocImage becomes null).
void ResetEditorState();
