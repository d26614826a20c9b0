// Whole-picture transforms of an 8-bit image, without any window: flips, quarter and half turns,
// a new canvas around the picture (or a part cut out of it); enlargement is in image/Enlarge.h.
// Each makes a new image with the source's palette and leaves the source as it is. Positions
// and sizes are image pixels.
#pragma once

#include "base/Graphic.h"
#include "image/DIB.h"

#include <cstdint>

// The transforms that keep every pixel: mirrored left to right or top to bottom, turned a quarter
// clockwise (Right) or counter-clockwise (Left), or half way round.
enum class TTransform : uint8_t { FlipLeftRight, FlipTopBottom, TurnRight, TurnLeft, TurnHalf };

TDIB Transformed(const TDIB& image, TTransform transform);

// Where the picture stays when the canvas around it changes size, on each axis: 0 at the left
// (top), 1 in the middle, 2 at the right (bottom).
struct TAnchor {
    int32_t X = 1, Y = 1;
    bool operator==(const TAnchor&) const = default;
};

// The part of a width x height picture that a canvas of newWidth x newHeight anchored at anchor
// shows, in the picture's own coordinates: it may reach past the picture, where the new canvas
// is empty. In the middle an odd pixel is gained or lost at the right (bottom), so a canvas
// grown and shrunk again by the same amount gives the picture back.
TRect CanvasFrame(int32_t width, int32_t height, int32_t newWidth, int32_t newHeight,
                  TAnchor anchor);

// The pixels of image inside frame (image coordinates), frame.Width() x frame.Height(); where the
// frame reaches past the image, fill.
TDIB Reframed(const TDIB& image, const TRect& frame, uint8_t fill);
