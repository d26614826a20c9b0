// A sprite sheet's cell drawn enlarged onto a 32-bit surface for the previews: each image pixel a
// square, the transparent index shown as a checkerboard or a backdrop colour. A plain function
// over the image, so the preview windows only blit.
#pragma once

#include "base/Graphic.h"
#include "image/LupeRender.h"

#include <cstdint>

class TDIB;

// The checkerboard's two surface values (image/DisplayColor.h): white and a light grey.
constexpr uint32_t kCheckerDark = 0xFFCCCCCC;
constexpr uint32_t kCheckerLight = 0xFFFFFFFF;

// How the cells are drawn.
struct TCellLook {
    // Surface pixels per image pixel, each way; at least 1.
    int32_t Scale = 1;
    // Pixels of this index show what lies behind: the checkerboard or Backdrop.
    uint8_t Transparent = 0;
    bool Checker = true;
    // A surface value.
    uint32_t Backdrop = 0xFF000000;
    // The checkerboard's squares, in surface pixels from the surface's origin, so that copies
    // of a cell side by side share one board.
    int32_t CheckerSide = 8;
    bool operator==(const TCellLook&) const = default;
};

// The part of a that lies in b; empty (zero width or height) where they do not meet.
TRect CommonRect(const TRect& a, const TRect& b);
bool RectsMeet(const TRect& a, const TRect& b);

// Draws the pixels of part (image pixels of image, an 8-bit picture, inside it) enlarged by
// look.Scale, image pixel (part.Left, part.Top) landing at surface pixel (left, top); colours are
// the palette's surface values (SurfaceColorsOf). What would fall outside the surface is cut.
void RenderCell(TSurface& out, int32_t left, int32_t top, const TDIB& image, const TRect& part,
                const TSurfaceColors& colors, const TCellLook& look);
