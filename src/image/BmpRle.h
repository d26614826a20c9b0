// Expansion of the run-length encodings of BMP files (RLE8, RLE4 and the OS/2 RLE24) into rows of
// 8-, 4- or 24-bit pixels laid out as in an uncompressed BMP.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes data (size bytes) into pixels: the bottom row at pixels, each row stride bytes, rows
// going up. bitCount is 8 for RLE8, 4 for RLE4 and 24 for RLE24 (whose values are blue, green,
// red). The buffer is cleared to 0 first, so pixels the data never sets are index 0 or black. Runs
// that pass the end of a row or the last row are cut off, and data that ends inside an item ends
// the decoding; nothing outside the buffers is touched.
void ExpandBmpRle(const uint8_t* data, size_t size, int bitCount, uint8_t* pixels, int32_t width,
                  int32_t height, int32_t stride);
