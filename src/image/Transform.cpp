#include "image/Transform.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// An 8-bit image of width x height with source's palette; its pixels are the caller's to write.
TDIB Blank(const TDIB& source, int32_t width, int32_t height) {
    TDIB out;
    out.PaletteBlock = source.PaletteBlock;
    out.Resize(width, height, 8);
    return out;
}

// The source pixel that pixel (x, y) of the result shows, for a source of width x height.
TCell SourceOf(TTransform transform, int32_t x, int32_t y, int32_t width, int32_t height) {
    switch (transform) {
    case TTransform::FlipLeftRight:
        return {width - 1 - x, y};
    case TTransform::FlipTopBottom:
        return {x, height - 1 - y};
    case TTransform::TurnRight:
        return {y, height - 1 - x};
    case TTransform::TurnLeft:
        return {width - 1 - y, x};
    case TTransform::TurnHalf:
        break;
    }
    return {width - 1 - x, height - 1 - y};
}
} // namespace

TDIB Transformed(const TDIB& image, TTransform transform) {
    const int32_t width = image.Width(), height = image.Height();
    const bool quarter = transform == TTransform::TurnRight || transform == TTransform::TurnLeft;
    TDIB out = Blank(image, quarter ? height : width, quarter ? width : height);
    std::vector<const uint8_t*> rows(static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        rows[size_t(y)] = image.RowForRead(y);
    for (int32_t y = 0; y < out.Height(); ++y) {
        uint8_t* row = out.RowForWrite(y);
        for (int32_t x = 0; x < out.Width(); ++x) {
            const TCell from = SourceOf(transform, x, y, width, height);
            row[x] = rows[size_t(from.Y)][from.X];
        }
    }
    return out;
}

TRect CanvasFrame(int32_t width, int32_t height, int32_t newWidth, int32_t newHeight,
                  TAnchor anchor) {
    // Where the picture's left (top) edge lands on the new canvas; division truncates towards
    // zero, which puts the odd pixel at the right (bottom) whether the canvas grows or shrinks.
    const auto offset = [](int32_t length, int32_t newLength, int32_t place) {
        return static_cast<int32_t>((int64_t(newLength) - length) * place / 2);
    };
    const int32_t left = -offset(width, newWidth, anchor.X);
    const int32_t top = -offset(height, newHeight, anchor.Y);
    return TRect{left, top, left + newWidth, top + newHeight};
}

TDIB Reframed(const TDIB& image, const TRect& frame, uint8_t fill) {
    TDIB out = Blank(image, frame.Width(), frame.Height());
    // The columns of the frame that the image covers, in the frame's own coordinates.
    const int32_t from = std::clamp(-frame.Left, 0, frame.Width());
    const int32_t to = std::clamp(image.Width() - frame.Left, from, frame.Width());
    for (int32_t y = 0; y < frame.Height(); ++y) {
        uint8_t* row = out.RowForWrite(y);
        const int32_t sourceY = frame.Top + y;
        if (sourceY < 0 || sourceY >= image.Height() || from == to) {
            std::memset(row, fill, static_cast<size_t>(frame.Width()));
            continue;
        }
        std::memset(row, fill, static_cast<size_t>(from));
        std::memcpy(row + from, image.RowForRead(sourceY) + frame.Left + from,
                    static_cast<size_t>(to - from));
        std::memset(row + to, fill, static_cast<size_t>(frame.Width() - to));
    }
    return out;
}
