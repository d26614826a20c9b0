// The palette window: the 256 swatches of the document's palette, the drawing and transparent
// indices, and the colour bars.
#pragma once

#include "app/toolwindow.h"

class Tpalletform : public TToolWindow {
public:
    explicit Tpalletform(QWidget* owner);

    // Redraws the swatches, markers and bars from DocImage's palette.
    void RebuildPaletteImage();
};

extern Tpalletform* palletform;
