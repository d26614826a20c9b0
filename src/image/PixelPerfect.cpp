#include "image/PixelPerfect.h"
std::optional<TCell> TPixelPerfect::Add(TCell c) {
    if (!cells_.empty() && cells_.back() == c) return std::nullopt;
    cells_.push_back(c);
    if (cells_.size() < 3) return std::nullopt;
    TCell a = cells_[cells_.size() - 3], b = cells_[cells_.size() - 2];
    if ((a.X == b.X || a.Y == b.Y) && (c.X == b.X || c.Y == b.Y) && a.X != c.X && a.Y != c.Y) {
        cells_.erase(cells_.end() - 2);
        return b;
    }
    return std::nullopt;
}
