// The one mouse press the editor follows at a time, in whichever view it began (the pen or a
// pick in the magnifier, a frame drag in the document window, a swatch or bar drag in the palette
// window). A modal dialog, Close, New, Open and the application losing focus end it as if the
// button were released: the real release then goes elsewhere and the view would never see it.
#pragma once

#include <functional>

// A view began following a press; release is what its own mouse-up does. A press still in
// progress elsewhere is ended first.
void PressBegan(std::function<void()> release);
// The view saw its release (or ended the press itself); nothing to end any more.
void PressEnded();
bool PressInProgress();
// Ends the press in progress, if any, as its release would.
void EndPressInProgress();
