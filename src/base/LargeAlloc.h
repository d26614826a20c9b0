// Memory for whole pictures. A fresh 4 KiB page costs more to fault in than decoding or drawing
// its bytes, so blocks of 2 MiB and more are aligned to and advised as transparent huge pages,
// which turns 4096 faults into 8 for a 16 MiB image. Where huge pages are off the advice is
// ignored and the memory works in small pages.
#pragma once

#include <cstddef>

// size bytes, uninitialised; null when memory cannot be had. Release with std::free.
void* AllocateLarge(size_t size);

// What to ask AllocateLarge for when a block of size bytes is held only briefly (data gathered
// to be decoded at once): from 1 MiB on, rounded up to whole huge pages, which fault in at once.
// Half a huge page or more in 4 KiB faults costs more than clearing the whole huge page, and the
// unused rest goes with the block.
size_t BriefBlockSize(size_t size);
