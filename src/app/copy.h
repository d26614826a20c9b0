// Moving pixels between 8-bit indexed images, and the frame with which the document window marks
// rectangles. Nothing here clips: callers pass rectangles inside both images.
#pragma once

#include "base/Graphic.h"

#include <cstdint>

class QPainter;
class TDIB;

// Copies the destination rectangle's extent from the source, starting at the source rectangle's
// origin (its right and bottom are not used). Overlapping rows in one image are allowed.
void CopyBlock(TDIB& dest, const TRect& destRect, TDIB& source, const TRect& sourceRect);
// As CopyBlock, but source pixels equal to transparent leave the destination as it was.
void CopyBlockTransparent(TDIB& dest, const TRect& destRect, const TDIB& source,
                          const TRect& sourceRect, uint8_t transparent);
// Copies the source rectangle (edges given) to (destLeft, destTop) of dest.
void CopyRectTo(int32_t sourceLeft, int32_t sourceTop, int32_t sourceRight, int32_t sourceBottom,
                TDIB& source, int32_t destLeft, int32_t destTop, TDIB& dest);

// A palette entry (blue in the low byte) as a display colour 0x00BBGGRR (red in the low byte).
uint32_t PaletteEntryToColor(uint32_t entry);
// The display colour 0x00BBGGRR as a Qt colour value 0xAARRGGBB.
uint32_t DisplayColorToRgb(uint32_t color);

// Outlines the border pixels of rect with a one-pixel pen of the display colour 0x00BBGGRR. The
// painter keeps that pen afterwards.
void DrawFrame(QPainter& canvas, const TRect& rect, uint32_t color);
