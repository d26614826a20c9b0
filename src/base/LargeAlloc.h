// Memory for whole pictures. A fresh 4 KiB page costs more to fault in than decoding or drawing
// its bytes, so blocks of 2 MiB and more are aligned to and advised as transparent huge pages,
// which turns 4096 faults into 8 for a 16 MiB image. Where huge pages are off the advice is
// ignored and the memory works in small pages.
#pragma once

#include <cstddef>

// size bytes, uninitialised; null when memory cannot be had. Release with std::free.
void* AllocateLarge(size_t size);
