#include "png/KivPNGFilter.h"

#include "png/KivPNGCommon.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// A score that makes the adaptive choice take the candidate without looking further.
constexpr int64_t TakeAtOnce = -1;

uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
    if (pb <= pc) return static_cast<uint8_t>(b);
    return static_cast<uint8_t>(c);
}

// Writes filter type `type` of the raw data raw[0..length) into out: out[0] is the type, the
// filtered bytes follow. The bytes left of the first pixel count as zero.
void ApplyFilter(uint8_t type, const uint8_t* raw, const uint8_t* above, size_t length,
                 size_t distance, uint8_t* out) {
    out[0] = type;
    uint8_t* o = out + 1;
    const size_t lead = std::min(distance, length);
    switch (type) {
    case RowFilterSub:
        std::memcpy(o, raw, lead);
        for (size_t i = lead; i < length; ++i)
            o[i] = uint8_t(raw[i] - raw[i - distance]);
        break;
    case RowFilterUp:
        for (size_t i = 0; i < length; ++i)
            o[i] = uint8_t(raw[i] - above[i]);
        break;
    case RowFilterAverage:
        for (size_t i = 0; i < lead; ++i)
            o[i] = uint8_t(raw[i] - (above[i] >> 1));
        for (size_t i = lead; i < length; ++i)
            o[i] = uint8_t(raw[i] - ((raw[i - distance] + above[i]) >> 1));
        break;
    case RowFilterPaeth:
        for (size_t i = 0; i < lead; ++i)
            o[i] = uint8_t(raw[i] - above[i]);
        for (size_t i = lead; i < length; ++i)
            o[i] =
                uint8_t(raw[i] - PaethPredictor(raw[i - distance], above[i], above[i - distance]));
        break;
    default:
        std::memcpy(o, raw, length);
    }
}

// Higher is better. Rows that are nearly one value, or use very few values, compress well
// whatever the filter, so they are taken as they are (TakeAtOnce).
int64_t Score(const uint8_t* candidate, size_t n, int32_t pngBitsPerPixel, uint32_t* counters) {
    std::fill_n(counters, 256, 0u);
    for (size_t i = 0; i < n; ++i)
        ++counters[candidate[i]];
    uint32_t distinct = 0, t1 = 0, t2 = 0, t3 = 0;
    for (int v = 0; v < 256; ++v) {
        const uint32_t c = counters[v];
        if (c == 0) continue;
        ++distinct;
        if (c > t1) {
            t3 = t2, t2 = t1, t1 = c;
        } else if (c > t2) {
            t3 = t2, t2 = c;
        } else if (c > t3) {
            t3 = c;
        }
    }
    if (distinct <= 8 || uint64_t(t1) * 10 >= uint64_t(n) * 9) return TakeAtOnce;
    const double size = double(n);
    if (pngBitsPerPixel < 8)
        return int64_t(size / 1.5 / distinct * 1500 + double(t1 + t2) / size * 1000);
    return int64_t(size / 1.5 / distinct * 1000 + double(t1 + t2 + t3) / size * 1000);
}

const uint8_t* ChooseAdaptive(uint8_t* row, const uint8_t* previous, size_t rowLength,
                              size_t distance, int32_t pngBitsPerPixel, int32_t sourceBitsPerPixel,
                              uint8_t* best, uint8_t* scratch, uint32_t* counters) {
    row[0] = RowFilterNone;
    int64_t bestScore = Score(row, rowLength, pngBitsPerPixel, counters);
    if (bestScore == TakeAtOnce || sourceBitsPerPixel == 4) return row;
    if (sourceBitsPerPixel == 1 || sourceBitsPerPixel == 8) bestScore *= 2;
    const uint8_t* chosen = row;
    const size_t length = rowLength - 1;
    for (uint8_t type : {RowFilterSub, RowFilterUp, RowFilterAverage, RowFilterPaeth}) {
        ApplyFilter(type, row + 1, previous + 1, length, distance, scratch);
        const int64_t score = Score(scratch, rowLength, pngBitsPerPixel, counters);
        if (score == TakeAtOnce) return scratch;
        if (score > bestScore) {
            bestScore = score;
            std::swap(best, scratch);
            chosen = best;
        }
    }
    return chosen;
}

} // namespace

const uint8_t* ChooseFilter(uint8_t* row, const uint8_t* previous, size_t rowLength,
                            int32_t pngBitsPerPixel, int32_t sourceBitsPerPixel,
                            int32_t filterChoice, uint8_t* best, uint8_t* scratch,
                            uint32_t* counters) {
    const size_t distance = size_t(std::max(pngBitsPerPixel + 7, 8) / 8);
    if (filterChoice == FilterChoiceAdaptive)
        return ChooseAdaptive(row, previous, rowLength, distance, pngBitsPerPixel,
                              sourceBitsPerPixel, best, scratch, counters);
    if (filterChoice < FilterChoiceSub || filterChoice > FilterChoicePaeth || rowLength == 0) {
        row[0] = RowFilterNone;
        return row;
    }
    // Each single-filter choice is one above the filter type it writes.
    const auto type = uint8_t(filterChoice - FilterChoiceSub + RowFilterSub);
    ApplyFilter(type, row + 1, previous + 1, rowLength - 1, distance, best);
    return best;
}
