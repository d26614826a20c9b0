#include "image/Symmetry.h"
void VisitMirrored(const TSymmetry& sym, int32_t x, int32_t y,
                   const std::function<void(int32_t, int32_t)>& visit) {
    visit(x, y);
    if (sym.MirrorX && sym.SumX - x != x) visit(sym.SumX - x, y);
    if (sym.MirrorY && sym.SumY - y != y) visit(x, sym.SumY - y);
    if (sym.MirrorX && sym.MirrorY && sym.SumX - x != x && sym.SumY - y != y)
        visit(sym.SumX - x, sym.SumY - y);
}
