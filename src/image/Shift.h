// The tool window's one-pixel shift of a rectangle of an 8-bit image, with wrap-around.
#pragma once

#include "base/Graphic.h"

#include <cstdint>

class TDIB;

// The arrow buttons' directions, in the order of their tags.
enum class TShiftDirection : uint8_t { Up = 0, Right = 1, Down = 2, Left = 3 };

// Moves every pixel of area one pixel toward direction; the row or column pushed out on that side
// comes back in on the opposite side, so a rectangle one pixel across in that direction keeps its
// content. The part of area outside the image is ignored. The pixels in transit are kept in
// storage of this call's own, so no other image (a floating block, say) is touched.
void ShiftArea(TDIB& image, const TRect& area, TShiftDirection direction);
