#include "png/KivBigBuffer.h"

#include "base/LargeAlloc.h"

#include <cstdlib>
#include <cstring>

void TBigBuffer::TRelease::operator()(uint8_t* p) const {
    std::free(p);
}

bool TBigBuffer::Allocate(size_t size) {
    Free();
    data_.reset(static_cast<uint8_t*>(AllocateLarge(size)));
    size_ = data_ ? size : 0;
    return data_ != nullptr;
}

bool TBigBuffer::Grow(size_t size, size_t keep) {
    uint8_t* p = static_cast<uint8_t*>(AllocateLarge(size));
    if (p == nullptr) return false;
    if (keep > 0) std::memcpy(p, data_.get(), keep);
    data_.reset(p);
    size_ = size;
    return true;
}

uint8_t* TBigBuffer::Release() {
    size_ = 0;
    return data_.release();
}

void TBigBuffer::Free() {
    data_.reset();
    size_ = 0;
}
