// Copy and paste between the document and the system clipboard, as images other programs read
// and write.
#pragma once

#include "image/DIB.h"

#include <QImage>
#include <cstdint>

// The width x height block of image at (left, top) as an 8-bit indexed picture in the image's
// colours.
QImage BlockToImage(const TDIB& image, int32_t left, int32_t top, int32_t width, int32_t height);
// The picture as an 8-bit image in palette: each pixel the nearest entry (the lowest index on a
// tie), a fully transparent pixel the transparent index.
TDIB ImageToBlock(const QImage& picture, const TPalette& palette, uint8_t transparent);

// Puts the floating block, else the selection, else the edit area on the clipboard.
void CopyToClipboard();
// Makes the clipboard's picture the floating block at the edit area's origin, with the region
// tool chosen to place it. A floating block already there is placed first.
void PasteFromClipboard();
