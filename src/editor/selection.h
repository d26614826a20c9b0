// Region selection: choosing a rectangle of the document, lifting a copy of it and placing it
// elsewhere. Positions are image pixels. The floating block lives in the document window's
// WorkImage.
#pragma once

#include <cstdint>

void StartSelection(int32_t x, int32_t y);
void DragSelection(int32_t x, int32_t y);
void LiftSelection();
void MoveFloat(int32_t x, int32_t y);
void PlaceFloat();
void CancelSelection();
