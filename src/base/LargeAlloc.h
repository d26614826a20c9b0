// Memory for whole pictures. A fresh 4 KiB page costs more to fault in than decoding or drawing
// its bytes, so blocks of 2 MiB and more are aligned to and advised as transparent huge pages,
// which turns 4096 faults into 8 for a 16 MiB image. Where huge pages are off the advice is
// ignored and the memory works in small pages.
#pragma once

#include <cstddef>

// size bytes, uninitialised; null when memory cannot be had. Release with std::free.
void* AllocateLarge(size_t size);

// What to ask AllocateLarge for when a block of size bytes is held only briefly (data gathered
// to be decoded at once, a piece being written): from 256 KiB on, rounded up to whole huge pages,
// which fault in at once. Faulting in a quarter of a huge page 4 KiB at a time costs about as
// much as clearing the whole of it on bare hardware and several times more in a virtual machine
// (here 9 us a 4 KiB fault against 100 us a 2 MiB one); the unused rest goes with the block.
size_t BriefBlockSize(size_t size);
