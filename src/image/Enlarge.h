// Enlargement by a whole factor, nearest neighbour: every pixel becomes a square of its own value.
#pragma once

#include "image/DIB.h"

#include <cstdint>

// image with every pixel a scale x scale square, at image's bit count, channel layout and
// palette. The size is checked in 64 bits before anything is allocated: a result that no image
// can hold (StorageFits) raises EInvalidGraphicOperation naming the size, as does a scale below 1.
// An empty image stays empty.
TDIB Enlarged(const TDIB& image, int32_t scale);
