// Display bitmaps large enough to matter: a 4096 x 4096 document is a 64 MB bitmap, and faulting
// that in 4 KB pages costs several times the decoding of the picture.
#pragma once

#include <QImage>

// A new RGB32 image of the given size, its pixels not yet set; null when there is no memory for
// it. Big ones ask the kernel for huge pages, so that the first drawing into them does not pay
// one page fault per 4 KB.
QImage NewDisplayBitmap(int width, int height);
