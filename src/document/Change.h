// The notices a document sends to the views that show it: what changed, once per edit.
#pragma once

#include "base/Graphic.h"

// What one change touched. Every notice may also have changed the saved flag, what can be
// undone or redone and the press in progress, so an observer refreshes those on any notice.
struct TChange {
    // A document was opened or created, or the open one closed: everything is new.
    bool Document = false;
    // The indices inside Rect (image pixels) changed.
    bool Pixels = false;
    TRect Rect{};
    // The picture took another size; Pixels and Rect cover the whole new picture, and the edit
    // and layer areas may have moved to stay inside it.
    bool Resized = false;
    // The palette's colours changed, so any pixel may look different.
    bool Palette = false;
    // The selection or the floating block appeared, moved, changed or went.
    bool Selection = false;
    // The edit area or the layer area moved or changed size, or the layer was switched.
    bool Areas = false;
    // The drawing or the transparent index moved.
    bool Indices = false;
    // The tool or a drawing option (mirrors, pixel-perfect pen) changed.
    bool Tool = false;
    // The image pixel under the pointer changed.
    bool Pointer = false;
    // The shape being dragged out appeared, changed or went.
    bool Preview = false;
    // The magnifier's magnification changed.
    bool Zoom = false;
    // The document view's grids were switched or the tile size changed.
    bool Grids = false;
    // The animation's settings (frames, speed, scale, backdrop) changed.
    bool Animation = false;
};

class TObserver {
public:
    // Called after the change, with the document and the editor state consistent again.
    virtual void Changed(const TChange& change) = 0;

protected:
    ~TObserver() = default;
};
