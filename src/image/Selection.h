// The region tool's rules without any window: where a selection begins, how far it reaches, where
// a floating block goes, and lifting and placing the block's pixels. Positions and sizes are
// image pixels; a step is the snap step of each axis (1 or more).
#pragma once

#include "base/Graphic.h"

#include <cstdint>

class TDIB;

struct TSnapStep {
    int32_t X = 1, Y = 1;
};

// A selection, or a floating block: top-left pixel and size.
struct TSelectionBox {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TSelectionBox&) const = default;
};

// The anchor of a selection clicked at (x, y): the pixel moved into the document, then snapped
// down to a multiple of the step. The size is left 0; SizeSelection gives it.
TSelectionBox AnchorSelection(int32_t x, int32_t y, TSnapStep step, int32_t docWidth,
                              int32_t docHeight);

// box with the size that reaches the pointer at (x, y): whole steps from the anchor up to and
// including the step that holds the pointer's pixel. A pointer left of or above the anchor on
// either axis gives one step on both axes, since the selection never extends behind its
// anchor. The size is cut at the document's right and bottom edges. box must be an anchor inside
// the document.
TSelectionBox SizeSelection(TSelectionBox box, int32_t x, int32_t y, TSnapStep step,
                            int32_t docWidth, int32_t docHeight);

// box moved to the pointer at (x, y) snapped down to the step, size kept; a pointer left of or
// above the document counts as column or row 0, so the position is never negative. The block may
// reach past the document's right and bottom edges.
TSelectionBox MoveBlock(TSelectionBox box, int32_t x, int32_t y, TSnapStep step);

// Makes work a copy of the block of doc (which must lie inside doc), doc unchanged.
void LiftBlock(TDIB& work, TDIB& doc, const TSelectionBox& block);

// The part of doc that work covers when its top-left pixel lies at (left, top): empty (width or
// height 0) when the block lies wholly outside the document.
TRect PlacedPart(const TDIB& doc, const TDIB& work, int32_t left, int32_t top);

// Writes the pixels of work that fall on part (from PlacedPart with the same left and top) into
// doc, every index included. An empty part writes nothing.
void PlaceBlock(TDIB& doc, const TRect& part, TDIB& work, int32_t left, int32_t top);
