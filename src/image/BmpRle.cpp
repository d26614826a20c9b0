#include "image/BmpRle.h"

#include "image/PixelFormat.h"

#include <algorithm>
#include <cstring>

namespace {

// Where the next pixel goes; y counts rows from the bottom. Positions outside the image are kept
// (a delta may move there) but never written.
class TRleTarget {
public:
    TRleTarget(int bitCount, uint8_t* pixels, int32_t width, int32_t height, int32_t stride)
        : bitCount_(bitCount), pixels_(pixels), width_(width), height_(height), stride_(stride) {}

    bool Finished() const { return y_ >= height_; }
    void NextLine() {
        x_ = 0;
        ++y_;
    }
    void Move(int dx, int dy) {
        x_ += dx;
        y_ += dy;
    }
    void Put(uint8_t index) {
        if (x_ < width_ && y_ < height_)
            SetPackedPixel(pixels_ + y_ * stride_, bitCount_, size_t(x_), index);
        ++x_;
    }

private:
    int bitCount_;
    uint8_t* pixels_;
    int64_t width_, height_, stride_;
    // 64 bits: deltas of up to 255 per item cannot overflow for any data size that fits memory.
    int64_t x_ = 0, y_ = 0;
};

} // namespace

void ExpandBmpRle(const uint8_t* data, size_t size, int bitCount, uint8_t* pixels, int32_t width,
                  int32_t height, int32_t stride) {
    std::memset(pixels, 0, static_cast<size_t>(stride) * static_cast<size_t>(height));
    TRleTarget target(bitCount, pixels, width, height, stride);
    const bool fourBit = bitCount == 4;
    size_t p = 0;
    while (p + 2 <= size && !target.Finished()) {
        const uint8_t first = data[p], second = data[p + 1];
        p += 2;
        if (first > 0) {
            // An encoded run; RLE4 alternates the two nibbles, high first.
            for (size_t i = 0; i < first; ++i)
                target.Put(uint8_t(PackedPixel(&second, bitCount, fourBit ? i % 2 : 0)));
        } else if (second == 0) {
            target.NextLine();
        } else if (second == 1) {
            return;
        } else if (second == 2) {
            if (p + 2 > size) return;
            target.Move(data[p], data[p + 1]);
            p += 2;
        } else {
            // An absolute run of `second` pixels, padded to an even number of bytes.
            const size_t bytes = fourBit ? (second + 1u) / 2 : second;
            // Data that ends inside the run gives only the pixels it holds.
            const size_t available = std::min(bytes, size - p);
            const size_t count = std::min<size_t>(second, fourBit ? available * 2 : available);
            for (size_t i = 0; i < count; ++i)
                target.Put(uint8_t(PackedPixel(data + p, bitCount, i)));
            p += bytes + (bytes & 1);
        }
    }
}
