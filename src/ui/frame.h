// The one-pixel frame with which the document window marks rectangles, and the bridge from the
// editor's display colours (image/DisplayColor.h) to Qt's.
#pragma once

#include "base/Graphic.h"

#include <QColor>
#include <cstdint>

class QPainter;

// The display colour 0x00BBGGRR as a Qt colour value 0xAARRGGBB (opaque).
QRgb DisplayColorToRgb(uint32_t color);

// Outlines the border pixels of rect with a one-pixel pen of the display colour 0x00BBGGRR. The
// painter keeps that pen afterwards.
void DrawFrame(QPainter& canvas, const TRect& rect, uint32_t color);
