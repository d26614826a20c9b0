#include "image/NearestEntry.h"

#include <algorithm>

namespace {
int32_t Distance(const TPaletteEntry& entry, uint8_t red, uint8_t green, uint8_t blue) {
    const int32_t dr = entry.Red - red, dg = entry.Green - green, db = entry.Blue - blue;
    return dr * dr + dg * dg + db * db;
}
} // namespace

uint8_t NearestPaletteEntry(const TPalette& palette, uint8_t red, uint8_t green, uint8_t blue,
                            int32_t count) {
    int32_t best = 0, bestDistance = INT32_MAX;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t distance = Distance(palette[size_t(i)], red, green, blue);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return uint8_t(best);
}

TNearestEntrySearch::TNearestEntrySearch(const TPalette& palette, int32_t count)
    : palette_(palette) {
    for (int32_t i = 0; i < count; ++i)
        byGreen_.push_back({palette[size_t(i)].Green, uint8_t(i)});
    std::sort(byGreen_.begin(), byGreen_.end());
}

uint8_t TNearestEntrySearch::Find(uint8_t red, uint8_t green, uint8_t blue) const {
    const auto start =
        std::lower_bound(byGreen_.begin(), byGreen_.end(), std::pair<int32_t, uint8_t>{green, 0});
    int32_t best = 1 << 30;
    uint8_t bestIndex = 0;
    const auto consider = [&](const std::pair<int32_t, uint8_t>& entry) {
        const int32_t dg = entry.first - green;
        if (dg * dg >= best) return false;
        const int32_t distance = Distance(palette_[entry.second], red, green, blue);
        if (distance < best || (distance == best && entry.second < bestIndex)) {
            best = distance;
            bestIndex = entry.second;
        }
        return true;
    };
    for (auto up = start; up != byGreen_.end() && consider(*up); ++up) {
    }
    for (auto down = start; down != byGreen_.begin() && consider(*(down - 1)); --down) {
    }
    return bestIndex;
}
