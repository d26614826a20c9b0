#pragma once
#include <cstdint>
#include <optional>
#include <vector>
struct TCell {
    int32_t X, Y;
    bool operator==(const TCell&) const = default;
};
class TPixelPerfect {
public:
    std::optional<TCell> Add(TCell cell);

private:
    std::vector<TCell> cells_;
};
