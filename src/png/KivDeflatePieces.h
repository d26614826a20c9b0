// Deflating large data on every core. libdeflate compresses only whole buffers, one core each, so
// the data is cut into pieces of a fixed size that are compressed at the same time and joined into
// one zlib stream: every piece but the last loses its final-block mark and is padded to a byte
// with an empty stored block, as a zlib sync flush ends. The pieces never depend on the number of
// cores, so the same data gives the same stream on every machine.
#pragma once

#include "png/KivBigBuffer.h"

#include <cstddef>
#include <cstdint>

// Raw data per piece: large enough that the matches lost at each cut cost well under a
// thousandth of the output, small enough to keep two cores busy on a 2048 x 2048 picture.
constexpr size_t DeflatePieceBytes = size_t(2) << 20;

// Writes the zlib stream of data[0, size) at libdeflate's level (0 to 12) to out, compressed in
// pieces of pieceBytes on up to `threads` threads (this one included). Returns the stream's
// length, 0 when memory or a thread's work failed.
size_t DeflatePieces(int level, const uint8_t* data, size_t size, TBigBuffer& out,
                     size_t pieceBytes = DeflatePieceBytes, unsigned threads = 0);
