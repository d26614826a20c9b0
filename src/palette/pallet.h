// The palette window: the 256 swatches of the document's palette, the drawing and transparent
// indices, and the colour bars.
#pragma once

#include "app/toolwindow.h"

#include <cstdint>

class Tpalletform : public TToolWindow {
public:
    explicit Tpalletform(QWidget* owner);

    // Redraws the swatches, markers and bars from DocImage's palette.
    void RebuildPaletteImage();
    // Makes index the drawing index (left) or the transparent index (not left).
    void SelectSwatch(int32_t index, bool left);
};

extern Tpalletform* palletform;
