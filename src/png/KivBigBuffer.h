// Scratch buffers for a whole image's data, uninitialised. Large ones ask for transparent huge
// pages: touching a fresh 4 KiB page costs more than inflating its bytes, so 16 MiB of small pages
// would cost more than the inflate itself.
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
    uint8_t* Data() const { return data_.get(); }
    size_t Size() const { return size_; }

private:
    struct TRelease {
        void operator()(uint8_t* p) const;
    };
    std::unique_ptr<uint8_t, TRelease> data_;
    size_t size_ = 0;
};
