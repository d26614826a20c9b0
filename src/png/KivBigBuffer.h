// Scratch buffers for a whole image's data, uninitialised, from AllocateLarge (huge pages for
// large ones).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class TBigBuffer {
public:
    // Replaces the buffer with one of size bytes; false (and empty) when memory cannot be had.
    bool Allocate(size_t size);
    // Keeps the first `keep` bytes and makes room for size bytes; false (unchanged) when memory
    // cannot be had.
    bool Grow(size_t size, size_t keep);
    void Free();
    // Hands the buffer over (release it with std::free) and leaves this one empty.
    uint8_t* Release();
    uint8_t* Data() const { return data_.get(); }
    size_t Size() const { return size_; }

private:
    struct TRelease {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, TRelease> data_;
    size_t size_ = 0;
};
