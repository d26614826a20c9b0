// Moving pixels between 8-bit indexed images. Nothing here clips: callers pass rectangles that lie
// inside both images; a row outside an image raises the row-range error, columns are not checked.
#pragma once

#include "base/Graphic.h"

#include <cstdint>

class TDIB;

// Copies the destination rectangle's extent from the source, starting at the source rectangle's
// origin (its right and bottom are not used). Overlapping rows in one image are allowed.
void CopyBlock(TDIB& dest, const TRect& destRect, const TDIB& source, const TRect& sourceRect);
// As CopyBlock, but source pixels equal to transparent leave the destination as it was.
void CopyBlockTransparent(TDIB& dest, const TRect& destRect, const TDIB& source,
                          const TRect& sourceRect, uint8_t transparent);
// Copies the source rectangle (edges given) to (destLeft, destTop) of dest. Kept as part of the
// block-copy interface; the undo history copies with CopyBlock, and only the tests call this.
void CopyRectTo(int32_t sourceLeft, int32_t sourceTop, int32_t sourceRight, int32_t sourceBottom,
                const TDIB& source, int32_t destLeft, int32_t destTop, TDIB& dest);
