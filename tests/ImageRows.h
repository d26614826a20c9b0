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
