#include "image/PaletteAlpha.h"

#include <algorithm>

int32_t FullyTransparentEntry(const std::vector<uint8_t>& alpha) {
    if (std::count(alpha.begin(), alpha.end(), 0) != 1) return -1;
    return int32_t(std::find(alpha.begin(), alpha.end(), 0) - alpha.begin());
}

bool HasPartialAlpha(const std::vector<uint8_t>& alpha) {
    const auto partial = [](uint8_t a) { return a != 0 && a != 255; };
    return std::any_of(alpha.begin(), alpha.end(), partial) ||
           std::count(alpha.begin(), alpha.end(), 0) > 1;
}

std::vector<uint8_t> AlphaTableFor(int32_t index) {
    std::vector<uint8_t> alpha(size_t(index) + 1, 255);
    alpha.back() = 0;
    return alpha;
}
