#include "palette/pallet.h"

#include "app/state.h"

Tpalletform* palletform = nullptr;

Tpalletform::Tpalletform(QWidget* owner) : TToolWindow(owner, "パレット") {
    setFixedSize(256, 321);
    move(734, 111);
    RebuildPaletteImage();
    DrawIndex = 0;
    TransparentIndex = 0;
}

// The swatch grid and the bars arrive with the palette window's own work; there is nothing to
// redraw yet.
void Tpalletform::RebuildPaletteImage() {}

// The swatch marks and colour bars that follow the choice arrive with the palette window's own
// work.
void Tpalletform::SelectSwatch(int32_t index, bool left) {
    (left ? DrawIndex : TransparentIndex) = index;
}
