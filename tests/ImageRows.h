// 8-bit test images written as rows of characters, one pixel each: index = character - '0', so
// digits stand for small indices and any other character for some index of its own.
#pragma once

#include "image/DIB.h"

#include <string>
#include <vector>

inline TDIB FromRows(const std::vector<std::string>& rows) {
    TDIB image;
    image.Resize(int32_t(rows[0].size()), int32_t(rows.size()), 8);
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            image.RowForWrite(int32_t(y))[x] = uint8_t(rows[y][x] - '0');
    return image;
}

inline std::vector<std::string> ToRows(const TDIB& image) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < image.Height(); ++y) {
        std::string row;
        for (int32_t x = 0; x < image.Width(); ++x)
            row += char('0' + image.RowForRead(y)[x]);
        rows.push_back(row);
    }
    return rows;
}

// rows with a palette of its own (a grey ramp with entry 3 changed), so that a result that lost
// the palette shows.
inline TDIB FromRowsWithPalette(const std::vector<std::string>& rows) {
    TDIB image = FromRows(rows);
    image.PaletteBlock = GreyRampPalette();
    image.PaletteBlock[3] = TPaletteEntry{10, 20, 30, 0};
    image.ApplyPalette();
    return image;
}
