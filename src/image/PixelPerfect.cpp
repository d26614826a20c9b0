#include "image/PixelPerfect.h"

#include <cstdlib>

namespace {
// Distances in 64 bits, so that cells at the ends of the int32 range compare without overflow.
int64_t Dx(TCell a, TCell b) {
    return std::llabs(int64_t(a.X) - b.X);
}
int64_t Dy(TCell a, TCell b) {
    return std::llabs(int64_t(a.Y) - b.Y);
}
bool Diagonal(TCell a, TCell b) {
    return Dx(a, b) == 1 && Dy(a, b) == 1;
}
bool Orthogonal(TCell a, TCell b) {
    return Dx(a, b) + Dy(a, b) == 1;
}
} // namespace

std::optional<TCell> TPixelPerfect::Add(TCell cell) {
    if (Last == cell) return std::nullopt;
    std::optional<TCell> takenBack;
    if (Before && Diagonal(*Before, cell) && Orthogonal(*Before, *Last) &&
        Orthogonal(*Last, cell)) {
        // The corner leaves the path, and Before is the last cell again; the new cell follows it
        // below. The corner is taken back unless the path still holds that cell elsewhere.
        const auto corner = OnPath.find({Last->X, Last->Y});
        if (--corner->second == 0) {
            OnPath.erase(corner);
            takenBack = Last;
        }
        Last = Before;
    }
    ++OnPath[{cell.X, cell.Y}];
    Before = Last;
    Last = cell;
    return takenBack;
}
