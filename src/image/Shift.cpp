#include "image/Shift.h"

#include "image/DIB.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// Rotates rows top .. bottom - 1 (columns left .. left + width - 1) by one row: the first row goes
// to the end when up, the last row to the start when down.
void RotateRows(TDIB& image, const TRect& area, bool up) {
    const size_t width = size_t(area.Width());
    const int32_t first = up ? area.Top : area.Bottom - 1;
    const int32_t last = up ? area.Bottom - 1 : area.Top;
    const int32_t step = up ? 1 : -1;
    std::vector<uint8_t> carried(image.RowForRead(first) + area.Left,
                                 image.RowForRead(first) + area.Left + width);
    for (int32_t y = first; y != last; y += step) {
        uint8_t* const dest =
            image.RowForWrite(y) + area.Left; // makes shared storage private first
        std::memcpy(dest, image.RowForRead(y + step) + area.Left, width);
    }
    std::memcpy(image.RowForWrite(last) + area.Left, carried.data(), width);
}
} // namespace

void ShiftArea(TDIB& image, const TRect& area, TShiftDirection direction) {
    const TRect clipped{std::max(area.Left, 0), std::max(area.Top, 0),
                        std::min(area.Right, image.Width()), std::min(area.Bottom, image.Height())};
    if (clipped.Width() <= 0 || clipped.Height() <= 0) return;
    switch (direction) {
    case TShiftDirection::Up:
    case TShiftDirection::Down:
        RotateRows(image, clipped, direction == TShiftDirection::Up);
        return;
    case TShiftDirection::Right:
    case TShiftDirection::Left:
        for (int32_t y = clipped.Top; y < clipped.Bottom; ++y) {
            uint8_t* row = image.RowForWrite(y);
            uint8_t* const begin = row + clipped.Left;
            uint8_t* const end = row + clipped.Right;
            if (direction == TShiftDirection::Left)
                std::rotate(begin, begin + 1, end);
            else
                std::rotate(begin, end - 1, end);
        }
        return;
    }
}
