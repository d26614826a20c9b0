#include "image/FloodFill.h"

#include "image/DIB.h"

#include <vector>

bool FloodFill4(TDIB& image, const TRect& area, int32_t x, int32_t y, uint8_t colour) {
    if (!area.Contains(x, y)) return false;
    const uint8_t seed = image.RowForRead(y)[x];
    if (seed == colour) return false;
    // Span fill: each popped point fills its whole run of the seed index in its row, then queues
    // one point for every run of the seed index touching that run in the rows above and below.
    std::vector<std::pair<int32_t, int32_t>> pending{{x, y}};
    while (!pending.empty()) {
        const auto [px, py] = pending.back();
        pending.pop_back();
        uint8_t* row = image.RowForWrite(py);
        if (row[px] != seed) continue;
        int32_t left = px, right = px + 1;
        while (left > area.Left && row[left - 1] == seed)
            --left;
        while (right < area.Right && row[right] == seed)
            ++right;
        for (int32_t i = left; i < right; ++i)
            row[i] = colour;
        for (const int32_t ny : {py - 1, py + 1}) {
            if (ny < area.Top || ny >= area.Bottom) continue;
            const uint8_t* next = image.RowForRead(ny);
            for (int32_t i = left; i < right; ++i)
                if (next[i] == seed && (i == left || next[i - 1] != seed))
                    pending.emplace_back(i, ny);
        }
    }
    return true;
}
