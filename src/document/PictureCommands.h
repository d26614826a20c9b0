// The transforms as commands over the document. The floating block's change no pixel of the
// picture and record nothing; the whole picture's are each one undo step of the whole picture,
// size included. Sizes are image pixels.
#pragma once

#include "document/Editor.h"
#include "image/Transform.h"

#include <cstdint>
#include <functional>

// Flips or turns the floating block where it floats. Its top-left pixel stays, which is where the
// pointer holds it, so the block keeps following the pointer on the snap step it was on. Nothing
// without a floating block or while a press is in progress.
void TransformBlock(TEditor& editor, TTransform transform);

// A change of the whole picture: the size it gives, in 64 bits so that a size too large is seen
// before anything is made, and how it makes the new picture from the present one.
struct TPictureChange {
    int64_t Width = 0, Height = 0;
    std::function<TDIB(const TDIB&)> Make;
};

TPictureChange TransformChange(const TDocument& doc, TTransform transform);
// The picture on a canvas of width x height, anchored at anchor; new pixels hold the transparent
// index.
TPictureChange CanvasChange(const TDocument& doc, int64_t width, int64_t height, TAnchor anchor);
// The selection being made, cut out; only while one is.
TPictureChange CropChange(const TDocument& doc);
// Every pixel factor x factor.
TPictureChange EnlargeChange(const TDocument& doc, int32_t factor);

// Whether the picture can change now: a document is open and no block floats (the user places or
// drops it first; the block's own transforms work meanwhile).
bool CanChangePicture(const TEditor& editor);
// Whether an 8-bit picture of the change's size can be had at all.
bool ChangeFits(const TPictureChange& change);

// Makes the change's picture the document's as one undo step. A press in progress ends first, a
// selection being made ends with the change, and the edit and layer areas move inside the new
// picture as for one opened at its size. False, changing nothing, when the picture cannot change
// now or the change does not fit.
bool ChangePicture(TEditor& editor, const TPictureChange& change);
