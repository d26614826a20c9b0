#pragma once
#include <cstdint>
#include <functional>
struct TSymmetry {
    bool MirrorX = false, MirrorY = false;
    int32_t SumX = 0, SumY = 0;
};
void VisitMirrored(const TSymmetry& sym, int32_t x, int32_t y,
                   const std::function<void(int32_t, int32_t)>& visit);
