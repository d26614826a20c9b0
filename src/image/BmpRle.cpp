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
    // Puts pixel i of source, whose pixels are packed as in a row of the image.
    void Put(const uint8_t* source, size_t i) {
        if (x_ < width_ && y_ < height_) {
            uint8_t* row = pixels_ + y_ * stride_;
            if (bitCount_ == 24)
                std::memcpy(row + 3 * x_, source + 3 * i, 3);
            else
                SetPackedPixel(row, bitCount_, size_t(x_), PackedPixel(source, bitCount_, i));
        }
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
    // Bytes of one pixel value: RLE24 gives blue, green and red.
    const size_t valueBytes = bitCount == 24 ? 3 : 1;
    size_t p = 0;
    while (p + 1 + valueBytes <= size && !target.Finished()) {
        const uint8_t first = data[p];
        if (first > 0) {
            // An encoded run; RLE4 alternates the two nibbles, high first.
            const uint8_t* value = data + p + 1;
            p += 1 + valueBytes;
            for (size_t i = 0; i < first; ++i)
                target.Put(value, fourBit ? i % 2 : 0);
            continue;
        }
        const uint8_t second = data[p + 1];
        p += 2;
        if (second == 0) {
            target.NextLine();
        } else if (second == 1) {
            return;
        } else if (second == 2) {
            if (p + 2 > size) return;
            target.Move(data[p], data[p + 1]);
            p += 2;
        } else {
            // An absolute run of `second` pixels, padded to an even number of bytes.
            const size_t bytes = fourBit ? (second + 1u) / 2 : second * valueBytes;
            // Data that ends inside the run gives only the pixels it holds.
            const size_t available = std::min(bytes, size - p);
            const size_t count =
                std::min<size_t>(second, fourBit ? available * 2 : available / valueBytes);
            for (size_t i = 0; i < count; ++i)
                target.Put(data + p, i);
            p += bytes + (bytes & 1);
        }
    }
}
