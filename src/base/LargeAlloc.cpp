#include "base/LargeAlloc.h"

#include <cstdlib>
#include <sys/mman.h>

namespace {
constexpr size_t kHugePage = size_t(2) << 20;

size_t RoundedToHugePages(size_t size) {
    return (size + kHugePage - 1) / kHugePage * kHugePage;
}
} // namespace

void* AllocateLarge(size_t size) {
    if (size < kHugePage) return std::malloc(size == 0 ? 1 : size);
    void* p = std::aligned_alloc(kHugePage, RoundedToHugePages(size));
    // Only the whole huge pages: a partly used last one would count 2 MiB towards the peak.
    if (p != nullptr) ::madvise(p, size / kHugePage * kHugePage, MADV_HUGEPAGE);
    return p;
}

size_t BriefBlockSize(size_t size) {
    return size >= kHugePage / 8 ? RoundedToHugePages(size) : size;
}
