#include "editor/selection.h"

// The document window already routes presses and moves here; what they do arrives with the
// region selection work.
void StartSelection(int32_t, int32_t) {}
void DragSelection(int32_t, int32_t) {}
void LiftSelection() {}
void MoveFloat(int32_t, int32_t) {}
void PlaceFloat() {}
void CancelSelection() {}
