// Creating and destroying the five windows, in the order the editor depends on.
#pragma once

// The document window, tool window, palette window, new-image dialog and magnifier, in this
// order; all but the dialog are shown.
void CreateWindows();
// Destroys the windows and clears their global references.
void DestroyWindows();
