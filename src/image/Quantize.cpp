#include "image/Quantize.h"

#include "image/NearestEntry.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {
int Channel(uint32_t color, int channel) {
    return (color >> (16 - 8 * channel)) & 0xFF;
}

TPaletteEntry EntryOfColor(uint32_t color) {
    return TPaletteEntry{static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                         static_cast<uint8_t>(color >> 16), 0};
}

// A run of distinct colours with their counts that becomes one palette entry.
struct TBox {
    size_t Begin, End;
    int WidestChannel = 0; // 0 red, 1 green, 2 blue
    int WidestRange = 0;
};

void Measure(TBox& box, const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
    std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
    for (size_t i = box.Begin; i < box.End; ++i)
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], Channel(entries[i].first, c));
            high[c] = std::max(high[c], Channel(entries[i].first, c));
        }
    box.WidestRange = -1;
    for (int c = 0; c < 3; ++c)
        if (high[c] - low[c] > box.WidestRange) {
            box.WidestRange = high[c] - low[c];
            box.WidestChannel = c;
        }
}

uint32_t MeanColor(const TBox& box, const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
    std::array<uint64_t, 3> sum{};
    uint64_t total = 0;
    for (size_t i = box.Begin; i < box.End; ++i) {
        for (int c = 0; c < 3; ++c)
            sum[c] += uint64_t(Channel(entries[i].first, c)) * entries[i].second;
        total += entries[i].second;
    }
    uint32_t color = 0;
    for (int c = 0; c < 3; ++c)
        color |= uint32_t((sum[c] + total / 2) / total) << (16 - 8 * c);
    return color;
}

// Maps every pixel of a direct-colour source to its exact entry; false (result unfinished) as
// soon as a 257th colour turns up.
bool MapExactly(const TDIB& source, TDIB& result) {
    std::unordered_map<uint32_t, uint8_t> indexOf;
    std::vector<uint32_t> colors(static_cast<size_t>(source.Width()));
    TPalette palette{};
    for (int32_t y = 0; y < source.Height(); ++y) {
        source.RowToColors(y, colors.data());
        uint8_t* row = result.RowForWrite(y);
        for (size_t x = 0; x < colors.size(); ++x) {
            auto [it, added] = indexOf.try_emplace(colors[x], uint8_t(indexOf.size()));
            if (added) {
                if (indexOf.size() > 256) return false;
                palette[it->second] = EntryOfColor(colors[x]);
            }
            row[x] = it->second;
        }
    }
    result.PaletteBlock = palette;
    result.ApplyPalette();
    return true;
}

// Median cut over cells of 6 bits a channel, each standing for the mean of its pixels; then
// every colour that occurs is mapped once to its nearest entry through a table indexed by the
// 24-bit colour, so the cost stays near one pass over the pixels whatever the colour count.
void Reduce(const TDIB& source, TDIB& result) {
    struct TCell {
        uint64_t Count = 0;
        std::array<uint64_t, 3> Sum{};
    };
    std::vector<TCell> cells(size_t(1) << 18);
    std::vector<uint64_t> seen((size_t(1) << 24) / 64, 0);
    std::vector<uint32_t> colors(static_cast<size_t>(source.Width()));
    for (int32_t y = 0; y < source.Height(); ++y) {
        source.RowToColors(y, colors.data());
        for (const uint32_t c : colors) {
            seen[c / 64] |= uint64_t(1) << (c % 64);
            TCell& cell = cells[(c >> 6 & 0x3F000) | (c >> 4 & 0xFC0) | (c >> 2 & 0x3F)];
            ++cell.Count;
            for (int k = 0; k < 3; ++k)
                cell.Sum[k] += uint64_t(Channel(c, k));
        }
    }
    std::vector<uint32_t> means, weights;
    for (const TCell& cell : cells) {
        if (cell.Count == 0) continue;
        uint32_t mean = 0;
        for (int k = 0; k < 3; ++k)
            mean |= uint32_t((cell.Sum[k] + cell.Count / 2) / cell.Count) << (16 - 8 * k);
        means.push_back(mean);
        weights.push_back(static_cast<uint32_t>(std::min<uint64_t>(cell.Count, UINT32_MAX)));
    }
    const std::vector<uint32_t> palette = MedianCutPalette(means, weights, 256);

    TPalette block{};
    for (size_t i = 0; i < palette.size(); ++i)
        block[i] = EntryOfColor(palette[i]);
    const TNearestEntrySearch nearest(block, int32_t(palette.size()));
    std::vector<uint8_t> entryOf(size_t(1) << 24);
    for (uint32_t word = 0; word < seen.size(); ++word)
        for (uint64_t bits = seen[word]; bits != 0; bits &= bits - 1) {
            const uint32_t c = word * 64 + static_cast<uint32_t>(std::countr_zero(bits));
            entryOf[c] = nearest.Find(uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c));
        }
    for (int32_t y = 0; y < source.Height(); ++y) {
        source.RowToColors(y, colors.data());
        uint8_t* row = result.RowForWrite(y);
        for (size_t x = 0; x < colors.size(); ++x)
            row[x] = entryOf[colors[x]];
    }
    result.PaletteBlock = block;
    result.ApplyPalette();
}
} // namespace

std::vector<uint32_t> MedianCutPalette(const std::vector<uint32_t>& colors,
                                       const std::vector<uint32_t>& counts, int maxColors) {
    std::vector<std::pair<uint32_t, uint32_t>> entries(colors.size());
    for (size_t i = 0; i < colors.size(); ++i)
        entries[i] = {colors[i], counts[i]};
    std::vector<TBox> boxes;
    if (!entries.empty()) {
        boxes.push_back(TBox{0, entries.size()});
        Measure(boxes.back(), entries);
    }
    while (static_cast<int>(boxes.size()) < maxColors) {
        // Split the box whose colours spread widest along one channel.
        auto widest =
            std::max_element(boxes.begin(), boxes.end(), [](const TBox& a, const TBox& b) {
                return a.WidestRange < b.WidestRange;
            });
        if (widest == boxes.end() || widest->WidestRange == 0) break;
        TBox& box = *widest;
        const int channel = box.WidestChannel;
        std::sort(entries.begin() + ptrdiff_t(box.Begin), entries.begin() + ptrdiff_t(box.End),
                  [channel](const auto& a, const auto& b) {
                      return Channel(a.first, channel) < Channel(b.first, channel);
                  });
        uint64_t total = 0;
        for (size_t i = box.Begin; i < box.End; ++i)
            total += entries[i].second;
        // The weighted median, kept inside the box so that both halves hold a colour.
        uint64_t running = 0;
        size_t split = box.Begin + 1;
        for (size_t i = box.Begin; i + 1 < box.End; ++i) {
            running += entries[i].second;
            split = i + 1;
            if (2 * running >= total) break;
        }
        TBox upper{split, box.End};
        box.End = split;
        Measure(box, entries);
        Measure(upper, entries);
        boxes.push_back(upper);
    }
    std::vector<uint32_t> palette;
    for (const TBox& box : boxes)
        palette.push_back(MeanColor(box, entries));
    return palette;
}

TDIB ToEightBit(const TDIB& source, bool& reduced) {
    reduced = false;
    if (source.IsEmpty() || source.BitCount() == 8) return source;
    if (source.BitCount() < 8) {
        TDIB widened(source);
        widened.ChangeBitCount(8);
        return widened;
    }
    TDIB result;
    result.Resize(source.Width(), source.Height(), 8);
    if (MapExactly(source, result)) return result;
    Reduce(source, result);
    reduced = true;
    return result;
}
