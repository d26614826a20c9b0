#include "image/PaletteRemap.h"

#include "image/NearestEntry.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

TIndexMap IdentityMap() {
    TIndexMap map;
    std::iota(map.begin(), map.end(), uint8_t(0));
    return map;
}

bool IsIdentity(const TIndexMap& map) {
    return map == IdentityMap();
}

namespace {
// Eight pixels a step in one 64-bit word: one load and one store for eight lookups, about twice
// as fast as a byte at a time.
void RemapRow(uint8_t* row, size_t count, const TIndexMap& map) {
    size_t x = 0;
    for (; x + 8 <= count; x += 8) {
        uint64_t in = 0, out = 0;
        std::memcpy(&in, row + x, 8);
        for (int shift = 0; shift < 64; shift += 8)
            out |= uint64_t(map[(in >> shift) & 0xFF]) << shift;
        std::memcpy(row + x, &out, 8);
    }
    for (; x < count; ++x)
        row[x] = map[row[x]];
}

#if defined(__x86_64__) || defined(__i386__)
// 64 pixels a step: each half of the table is one 128-entry permute, and the pixel's top bit
// picks the half. As fast as the memory. Returns the pixels done.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) size_t
RemapRowVector(uint8_t* row, size_t count, const TIndexMap& map) {
    const uint8_t* table = map.data();
    const __m512i q0 = _mm512_loadu_si512(table), q1 = _mm512_loadu_si512(table + 64),
                  q2 = _mm512_loadu_si512(table + 128), q3 = _mm512_loadu_si512(table + 192);
    size_t x = 0;
    for (; x + 64 <= count; x += 64) {
        const __m512i in = _mm512_loadu_si512(row + x);
        const __m512i low = _mm512_permutex2var_epi8(q0, in, q1);
        const __m512i high = _mm512_permutex2var_epi8(q2, in, q3);
        _mm512_storeu_si512(row + x, _mm512_mask_blend_epi8(_mm512_movepi8_mask(in), low, high));
    }
    return x;
}
#endif

// The pixels the processor's vector instructions remap from the row's start: none without them.
size_t RemapRowFast([[maybe_unused]] uint8_t* row, [[maybe_unused]] size_t count,
                    [[maybe_unused]] const TIndexMap& map) {
#if defined(__x86_64__) || defined(__i386__)
    static const bool vector =
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    if (vector) return RemapRowVector(row, count, map);
#endif
    return 0;
}
} // namespace

void RemapPixels(TDIB& image, const TIndexMap& map) {
    const auto width = size_t(image.Width());
    // Rows in the order they lie in memory (a BMP's bottom-up), which the prefetcher follows.
    const bool upwards = image.RowStep() < 0;
    for (int32_t i = 0; i < image.Height(); ++i) {
        uint8_t* row = image.RowForWrite(upwards ? image.Height() - 1 - i : i);
        const size_t done = RemapRowFast(row, width, map);
        RemapRow(row + done, width - done, map);
    }
}

TPalette MovedEntries(const TPalette& palette, const TIndexMap& map) {
    TPalette out = palette;
    for (size_t i = 0; i < 256; ++i)
        out[map[i]] = palette[i];
    return out;
}

TPaletteNames MovedNames(TPaletteNames names, const TIndexMap& map) {
    if (names.Entries.empty()) return names;
    std::vector<std::string> moved(256);
    for (size_t i = 0; i < names.Entries.size() && i < 256; ++i)
        moved[map[i]] = std::move(names.Entries[i]);
    names.Entries = std::move(moved);
    return names;
}

TIndexMap SwapMap(uint8_t a, uint8_t b) {
    TIndexMap map = IdentityMap();
    std::swap(map[a], map[b]);
    return map;
}

TIndexMap MoveMap(uint8_t from, uint8_t to) {
    TIndexMap map = IdentityMap();
    for (int32_t i = std::min(from, to); i <= std::max(from, to); ++i)
        map[size_t(i)] = uint8_t(from < to ? i - 1 : i + 1);
    map[from] = to;
    return map;
}

TUsage CountUsage(const TDIB& image) {
    // Four counters a value side by side, so that runs of one index do not wait on one counter;
    // 32 bits each until a row would overflow them, then added to the totals.
    TUsage total{};
    std::array<std::array<uint32_t, 256>, 4> part{};
    uint64_t pending = 0;
    const auto flush = [&] {
        for (size_t v = 0; v < 256; ++v)
            total[v] += uint64_t(part[0][v]) + part[1][v] + part[2][v] + part[3][v];
        part = {};
        pending = 0;
    };
    const int32_t width = image.Width();
    for (int32_t y = 0; y < image.Height(); ++y) {
        if (pending + uint64_t(width) > UINT32_MAX) flush();
        const uint8_t* row = image.RowForRead(y);
        int32_t x = 0;
        for (; x + 4 <= width; x += 4) {
            ++part[0][row[x]];
            ++part[1][row[x + 1]];
            ++part[2][row[x + 2]];
            ++part[3][row[x + 3]];
        }
        for (; x < width; ++x)
            ++part[0][row[x]];
        pending += uint64_t(width);
    }
    flush();
    return total;
}

namespace {
int32_t Luma(const TPaletteEntry& e) {
    return 299 * e.Red + 587 * e.Green + 114 * e.Blue;
}

// Greys first (0), then colours (1) by hue in sixths of the circle, 0 <= hue < 6; brightness
// last.
struct THueKey {
    int32_t Colourful;
    double Hue;
    int32_t Luma;
    auto operator<=>(const THueKey&) const = default;
};

THueKey HueKey(const TPaletteEntry& e) {
    const int32_t r = e.Red, g = e.Green, b = e.Blue;
    const int32_t high = std::max({r, g, b}), low = std::min({r, g, b});
    if (high == low) return {0, 0.0, Luma(e)};
    const double range = high - low;
    double hue = high == r   ? (g - b) / range
                 : high == g ? 2 + (b - r) / range
                             : 4 + (r - g) / range;
    if (hue < 0) hue += 6;
    return {1, hue, Luma(e)};
}
} // namespace

TIndexMap SortMap(const TPalette& palette, const TUsage& usage, TSortKey key, int32_t pinned) {
    std::vector<uint8_t> used, unused;
    for (int32_t i = 0; i < 256; ++i)
        if (i != pinned) (usage[size_t(i)] ? used : unused).push_back(uint8_t(i));
    const auto before = [&](uint8_t a, uint8_t b) {
        switch (key) {
        case TSortKey::Brightness:
            return Luma(palette[a]) < Luma(palette[b]);
        case TSortKey::Hue:
            return HueKey(palette[a]) < HueKey(palette[b]);
        case TSortKey::Usage:
            return usage[a] > usage[b];
        }
        return false;
    };
    std::stable_sort(used.begin(), used.end(), before);
    used.insert(used.end(), unused.begin(), unused.end());
    TIndexMap map = IdentityMap();
    auto next = used.begin();
    for (int32_t place = 0; place < 256; ++place)
        if (place != pinned) map[*next++] = uint8_t(place);
    return map;
}

TIndexMap DuplicateMap(const TPalette& palette, int32_t keep) {
    const auto sameColour = [](const TPaletteEntry& a, const TPaletteEntry& b) {
        return a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
    };
    TIndexMap map = IdentityMap();
    for (int32_t i = 0; i < 256; ++i) {
        if (i == keep) continue;
        for (int32_t j = 0; j < i; ++j)
            if (j != keep && sameColour(palette[size_t(j)], palette[size_t(i)])) {
                map[size_t(i)] = uint8_t(j);
                break;
            }
    }
    return map;
}

TIndexMap NearestMap(const TPalette& palette, const TPalette& target, int32_t count) {
    TIndexMap map = IdentityMap();
    if (count <= 0) return map;
    for (size_t i = 0; i < 256; ++i)
        map[i] =
            NearestPaletteEntry(target, palette[i].Red, palette[i].Green, palette[i].Blue, count);
    return map;
}

TPalette Ramp(TPalette palette, uint8_t first, uint8_t last) {
    const int32_t low = std::min(first, last), high = std::max(first, last), steps = high - low;
    const TPaletteEntry from = palette[size_t(low)], to = palette[size_t(high)];
    // (a (steps - t) + b t) / steps, rounded to the nearest, halves up.
    const auto mix = [steps](uint8_t a, uint8_t b, int32_t t) {
        return uint8_t((2 * (a * (steps - t) + b * t) + steps) / (2 * steps));
    };
    for (int32_t t = 1; t < steps; ++t) {
        TPaletteEntry& e = palette[size_t(low + t)];
        e.Red = mix(from.Red, to.Red, t);
        e.Green = mix(from.Green, to.Green, t);
        e.Blue = mix(from.Blue, to.Blue, t);
    }
    return palette;
}
