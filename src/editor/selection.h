// The region tool as both views route it: presses and moves at image pixels go to the document's
// selection, read with the snap step of the moment; the rules live in the core (image/Selection.h).
#pragma once

#include "ui/paintbox.h"

#include <cstdint>

class QPainter;
class QRect;

// A press with the region tool at image pixel (x, y): the left button anchors a selection, lifts
// the selection made, or places the floating block; any other button drops either.
void RegionPress(TMouseButton button, int32_t x, int32_t y);
// The selection or floating block follows the pointer at image pixel (x, y), button held or not.
void RegionFollow(int32_t x, int32_t y);

// Draws the floating block over a view: its pixels in the document's colours, scaled to target
// (device pixels of the view), its transparent index showing what lies beneath as the layer does,
// then an outline just outside target that inverts what it covers.
void PaintFloatingBlock(QPainter& canvas, const QRect& target);
