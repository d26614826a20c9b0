#include "png/KivBigBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t HugePage = size_t(2) << 20;

uint8_t* AllocateBytes(size_t size) {
    if (size < HugePage) return static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
    const size_t rounded = (size + HugePage - 1) / HugePage * HugePage;
    void* p = std::aligned_alloc(HugePage, rounded);
#ifdef MADV_HUGEPAGE
    // Only the whole huge pages: a partly used last one would count 2 MiB towards the peak.
    // A hint only; small pages still work.
    if (p != nullptr) madvise(p, size / HugePage * HugePage, MADV_HUGEPAGE);
#endif
    return static_cast<uint8_t*>(p);
}

} // namespace

void TBigBuffer::TRelease::operator()(uint8_t* p) const {
    std::free(p);
}

bool TBigBuffer::Allocate(size_t size) {
    Free();
    data_.reset(AllocateBytes(size));
    size_ = data_ ? size : 0;
    return data_ != nullptr;
}

bool TBigBuffer::Grow(size_t size, size_t keep) {
    uint8_t* p = AllocateBytes(size);
    if (p == nullptr) return false;
    if (keep > 0) std::memcpy(p, data_.get(), keep);
    data_.reset(p);
    size_ = size;
    return true;
}

void TBigBuffer::Free() {
    data_.reset();
    size_ = 0;
}
