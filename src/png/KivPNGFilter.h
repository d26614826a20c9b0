// Filter choice for one PNG row being written.
//
// row:       RowLength bytes; row[0] is free for the filter type, row[1..] the raw data.
// previous:  the raw row above in the same layout (all zero for a pass's first row).
// rowLength: filter byte included.
// pngBitsPerPixel: bits per pixel of the PNG row; byte distance (pngBitsPerPixel + 7) / 8.
// sourceBitsPerPixel: bit count of the image being written (the adaptive choice treats 1, 4
//            and 8 bits specially).
// filterChoice: a TPngFilterChoice; codes above FilterChoicePaeth count as None.
// best, scratch: candidate buffers of at least rowLength bytes each; counters: 256 counters
//            for scoring candidates.
//
// Returns the chosen row, filter type in byte 0 and the filtered data after it: row itself
// (with row[0] = RowFilterNone) for None, else best or scratch. Only row[0] of row may be changed.
#pragma once

#include <cstddef>
#include <cstdint>

const uint8_t* ChooseFilter(uint8_t* row, const uint8_t* previous, size_t rowLength,
                            int32_t pngBitsPerPixel, int32_t sourceBitsPerPixel,
                            int32_t filterChoice, uint8_t* best, uint8_t* scratch,
                            uint32_t* counters);
