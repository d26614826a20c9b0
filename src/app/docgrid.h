// The document view's grids, drawn over the picture in the view's device pixels and only where
// they meet the part being painted, so that a large picture at 4x costs no more than its visible
// part. Neither covers a pixel whole: the pixel grid is one grey line on the first column and
// row of every pixel but the picture's first, which keeps the rest of each square; the tile grid
// is a dotted line on the first column and row of every tile that flips the upper bit of each
// channel of every other pixel it crosses, so the line shows on any colour and the pixels between
// its dots stay as they are.
#pragma once

#include "document/Editor.h"

#include <QRect>
#include <cstdint>

class QPainter;

// exposed: the part being painted; picture: the picture's extent; both in device pixels. zoom:
// device pixels per image pixel.
void DrawPixelGrid(QPainter& canvas, const QRect& exposed, QSize picture, int32_t zoom);
void DrawTileGrid(QPainter& canvas, const QRect& exposed, QSize picture, int32_t zoom,
                  TPixelSize tile);
