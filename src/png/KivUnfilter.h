// Reversing the PNG row filters (None, Sub, Up, Average, Paeth) when reading.
#pragma once

#include <cstddef>
#include <cstdint>

// Reverses filter type `type` on one row in place. data and above (the unfiltered row above,
// all zero for a pass's first row) hold n bytes, a multiple of the byte distance bpp (1, 2, 3,
// 4, 6 or 8). false for a filter type above RowFilterPaeth or a row that does not hold whole
// pixels.
bool Unfilter(uint8_t type, uint8_t* data, const uint8_t* above, size_t n, size_t bpp);

// Whether the filters may use SSE4.1 where the processor has it (the default); the tests turn it
// off to check the plainer code as well. Returns whether they now use it.
bool AllowUnfilterSse41(bool allow);
