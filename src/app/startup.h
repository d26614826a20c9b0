// Creating and destroying the editor's windows, in the order the editor depends on.
#pragma once

// The document window, tool window, palette window, new-image dialog, magnifier and the two
// previews, in this order; the document, tool and palette windows and the magnifier are shown,
// the previews as the settings say.
void CreateWindows();
// Destroys the windows and clears their global references.
void DestroyWindows();
