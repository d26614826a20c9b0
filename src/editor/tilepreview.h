// The tiled preview ("タイル表示"): the edit area's cell drawn 3 x 3 times, edges meeting, at the
// animation's scale, to check while drawing that a tile repeats without seams.
#pragma once

#include "editor/cellpreview.h"

class TTileForm : public TCellPreview {
public:
    explicit TTileForm(QWidget* owner);

    // The edit area; empty without a document.
    TRect ShownCell() const override;
};

extern TTileForm* TileForm;
