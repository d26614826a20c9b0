// Region selection: choosing a rectangle of the document, lifting a copy of it and placing it
// elsewhere. Positions are image pixels. The floating block lives in the document window's
// WorkImage.
#pragma once

#include <cstdint>

class QPainter;
class QRect;

void StartSelection(int32_t x, int32_t y);
void DragSelection(int32_t x, int32_t y);
void LiftSelection();
void MoveFloat(int32_t x, int32_t y);
void PlaceFloat();
void CancelSelection();

// Draws the floating block over a view: its pixels in the document's colours, scaled to target
// (device pixels of the view), its transparent index showing what lies beneath as the layer does,
// then an outline just outside target that inverts what it covers.
void PaintFloatingBlock(QPainter& canvas, const QRect& target);
